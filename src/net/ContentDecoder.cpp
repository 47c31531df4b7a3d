#include "net/ContentDecoder.h"

#include <zlib.h>

namespace trouvel::net {

namespace {

constexpr qsizetype kOutputStep = 64 * 1024;

} // namespace

struct ContentDecoder::Stream {
    z_stream z{};
    bool open = false;
    ~Stream()
    {
        if (open)
            inflateEnd(&z);
    }
};

ContentDecoder::ContentDecoder(Coding coding) : coding_(coding) {}

ContentDecoder::~ContentDecoder() = default;

bool ContentDecoder::start()
{
    // 15 + 16: gzip wrapper; 15: zlib wrapper; -15: bare deflate data.
    int windowBits = 15 + 16;
    if (coding_ == Coding::Deflate) {
        const unsigned cmf = static_cast<unsigned char>(head_[0]);
        const unsigned flg = static_cast<unsigned char>(head_[1]);
        const bool zlibHeader = (cmf & 0x0f) == 8 && (cmf >> 4) <= 7 && (cmf * 256 + flg) % 31 == 0;
        windowBits = zlibHeader ? 15 : -15;
    }
    stream_ = std::make_unique<Stream>();
    if (inflateInit2(&stream_->z, windowBits) != Z_OK)
        return false;
    stream_->open = true;
    return true;
}

ContentDecoder::Result ContentDecoder::feed(QByteArrayView in, QByteArray& out, qsizetype limit)
{
    if (failed_)
        return Result::Corrupt;
    if (ended_ || in.isEmpty())
        return Result::Ok;
    if (!stream_) {
        const qsizetype take = std::min<qsizetype>(2 - head_.size(), in.size());
        head_.append(in.first(take));
        in = in.sliced(take);
        if (head_.size() < 2)
            return Result::Ok;
        if (!start()) {
            failed_ = true;
            return Result::Corrupt;
        }
        const Result first = inflateSome(head_, out, limit);
        if (first != Result::Ok)
            return first;
    }
    return inflateSome(in, out, limit);
}

ContentDecoder::Result ContentDecoder::inflateSome(QByteArrayView in, QByteArray& out, qsizetype limit)
{
    z_stream& z = stream_->z;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    // A full output buffer may leave decoded bytes inside zlib: go round until it has room to spare.
    bool outputFull = false;
    while ((z.avail_in > 0 || outputFull) && !ended_) {
        if (out.size() >= limit)
            return Result::OverLimit;
        const qsizetype room = std::min(kOutputStep, limit - out.size());
        const qsizetype before = out.size();
        out.resize(before + room);
        z.next_out = reinterpret_cast<Bytef*>(out.data() + before);
        z.avail_out = static_cast<uInt>(room);
        const int rc = inflate(&z, Z_NO_FLUSH);
        outputFull = z.avail_out == 0;
        out.resize(before + (room - qsizetype(z.avail_out)));
        if (rc == Z_STREAM_END) {
            ended_ = true;
            break;
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            failed_ = true;
            return Result::Corrupt;
        }
        if (rc == Z_BUF_ERROR && !outputFull)
            break; // no progress possible with this input
    }
    return Result::Ok;
}

} // namespace trouvel::net
