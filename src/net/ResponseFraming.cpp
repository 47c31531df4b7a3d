#include "net/ResponseFraming.h"

#include "text/HexDigit.h"

#include <algorithm>
#include <cstring>

namespace trouvel::net {

namespace {

// Lengths beyond this are not believed: no page gets near it, and the arithmetic stays safe.
constexpr std::uint64_t kMaxBelievedLength = std::uint64_t(1) << 60;

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t'))
        text.chop(1);
    return text;
}

bool parseDecimal(QByteArrayView text, std::uint64_t& value)
{
    if (text.isEmpty())
        return false;
    std::uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + std::uint64_t(c - '0');
        if (v > kMaxBelievedLength)
            return false;
    }
    value = v;
    return true;
}

bool parseHex(QByteArrayView text, std::uint64_t& value)
{
    if (text.isEmpty())
        return false;
    std::uint64_t v = 0;
    for (char c : text) {
        const int digit = text::hexDigitValue(char16_t(static_cast<unsigned char>(c)));
        if (digit < 0)
            return false;
        if (v > kMaxBelievedLength / 16)
            return false;
        v = v * 16 + std::uint64_t(digit);
    }
    value = v;
    return true;
}

bool equalsIgnoreCase(QByteArrayView a, const char* b)
{
    return a.compare(QByteArrayView(b), Qt::CaseInsensitive) == 0;
}

} // namespace

ResponseFraming::ResponseFraming() = default;
ResponseFraming::~ResponseFraming() = default;

void ResponseFraming::feed(QByteArrayView bytes, QByteArray* stored)
{
    out_ = stored;
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    if (p < end)
        started_ = true;
    while (p < end && !overLimit_) {
        switch (state_) {
        case State::Complete:
            out_ = nullptr;
            return;
        case State::UntilClose:
            if (bodyUntilClose_)
                keepBody(QByteArrayView(p, end - p));
            else
                keep(QByteArrayView(p, end - p));
            p = end;
            break;
        case State::Body:
        case State::ChunkData: {
            const std::uint64_t take = std::min<std::uint64_t>(remaining_, std::uint64_t(end - p));
            keepBody(QByteArrayView(p, qsizetype(take)));
            p += take;
            remaining_ -= take;
            if (remaining_ == 0)
                state_ = state_ == State::Body ? State::Complete : State::ChunkDataEnd;
            break;
        }
        default:
            if (takeLine(p, end))
                handleLine();
            break;
        }
    }
    out_ = nullptr;
}

void ResponseFraming::keep(QByteArrayView bytes)
{
    if (!out_ || bytes.isEmpty() || overLimit_)
        return;
    if (storedBytes_ + bytes.size() > maxStored_) {
        overLimit_ = true;
        return;
    }
    out_->append(bytes);
    storedBytes_ += bytes.size();
}

void ResponseFraming::keepBody(QByteArrayView bytes)
{
    // After a decoding fault the rest of the body means nothing: the fetch fails on it.
    if (decodeFailed_)
        return;
    if (!decoder_) {
        keep(bytes);
        return;
    }
    if (!out_ || bytes.isEmpty() || overLimit_)
        return;
    const qsizetype before = out_->size();
    const qint64 room = maxStored_ - storedBytes_;
    const qsizetype limit = before + qsizetype(std::min<qint64>(room, qint64(1) << 40));
    const ContentDecoder::Result result = decoder_->feed(bytes, *out_, limit);
    storedBytes_ += out_->size() - before;
    if (result == ContentDecoder::Result::OverLimit)
        overLimit_ = true;
    else if (result == ContentDecoder::Result::Corrupt)
        decodeFailed_ = true;
}

void ResponseFraming::giveUp()
{
    // The bytes of the line being read were taken but are not kept yet: keep them raw.
    keep(unkept_);
    unkept_.clear();
    state_ = State::UntilClose;
}

bool ResponseFraming::takeLine(const char*& p, const char* end)
{
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', std::size_t(end - p)));
    const char* stop = lf ? lf + 1 : end;
    const qsizetype count = stop - p;
    if (state_ == State::StatusLine || state_ == State::Headers) {
        headerBytes_ += count;
        if (headerBytes_ > kMaxHeaderBytes) {
            unkept_.swap(line_);
            giveUp();
            return false;
        }
    }
    if (line_.size() + count > kMaxLine) {
        unkept_.swap(line_);
        giveUp();
        return false;
    }
    line_.append(p, count);
    p = stop;
    return lf != nullptr;
}

void ResponseFraming::handleLine()
{
    // Status and header lines are kept as received; chunk-size lines and trailers are not,
    // unless framing is given up on them.
    if (state_ == State::StatusLine || state_ == State::Headers)
        keep(line_);
    else
        unkept_ = line_;
    // The line without its LF and an optional CR before it.
    line_.chop(1);
    if (line_.endsWith('\r'))
        line_.chop(1);
    switch (state_) {
    case State::StatusLine:
        handleStatusLine();
        break;
    case State::Headers:
        handleHeaderLine();
        break;
    case State::ChunkSize:
        handleChunkSizeLine();
        break;
    case State::ChunkDataEnd:
        if (line_.isEmpty())
            state_ = State::ChunkSize;
        else
            giveUp();
        break;
    case State::Trailers:
        if (line_.isEmpty())
            state_ = State::Complete;
        break;
    default:
        break;
    }
    line_.clear();
    unkept_.clear();
}

void ResponseFraming::handleStatusLine()
{
    // Blank lines before a status line are tolerated, as servers sometimes send them.
    if (line_.isEmpty())
        return;
    // "HTTP/" digit "." digit SP 3DIGIT
    const QByteArrayView line(line_);
    if (line.size() < 12 || !line.startsWith("HTTP/") || line[6] != '.' || line[8] != ' ') {
        giveUp();
        return;
    }
    int status = 0;
    for (int i = 9; i < 12; ++i) {
        if (line[i] < '0' || line[i] > '9') {
            giveUp();
            return;
        }
        status = status * 10 + (line[i] - '0');
    }
    if (line.size() > 12 && line[12] != ' ') {
        giveUp();
        return;
    }
    status_ = status;
    reason_ = line.size() > 13 ? line.sliced(13).toByteArray() : QByteArray();
    location_.clear();
    retryAfter_.clear();
    contentEncoding_.clear();
    contentEncodings_ = 0;
    chunked_ = false;
    transferEncoding_ = false;
    hasLength_ = false;
    length_ = 0;
    state_ = State::Headers;
}

void ResponseFraming::handleHeaderLine()
{
    if (line_.isEmpty()) {
        endOfHeaders();
        return;
    }
    const QByteArrayView line(line_);
    // A folded continuation line could belong to a framing header: do not guess.
    if (line.front() == ' ' || line.front() == '\t') {
        giveUp();
        return;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return;
    const QByteArrayView name = trimmed(line.first(colon));
    const QByteArrayView value = trimmed(line.sliced(colon + 1));
    if (equalsIgnoreCase(name, "Content-Length")) {
        // "n" or a list of the same n; anything else leaves the length unknown.
        qsizetype start = 0;
        while (start <= value.size()) {
            qsizetype comma = value.indexOf(',', start);
            if (comma < 0)
                comma = value.size();
            std::uint64_t n = 0;
            if (!parseDecimal(trimmed(value.sliced(start, comma - start)), n) || (hasLength_ && n != length_)) {
                giveUp();
                return;
            }
            hasLength_ = true;
            length_ = n;
            start = comma + 1;
        }
    } else if (equalsIgnoreCase(name, "Transfer-Encoding")) {
        transferEncoding_ = true;
        // Chunked framing applies when "chunked" is the last coding listed; codings before it
        // are undone like a content coding.
        qsizetype lastComma = value.lastIndexOf(',');
        const QByteArrayView last = trimmed(lastComma < 0 ? value : value.sliced(lastComma + 1));
        chunked_ = equalsIgnoreCase(last, "chunked");
        noteCodings(chunked_ ? (lastComma < 0 ? QByteArrayView() : value.first(lastComma)) : value);
    } else if (equalsIgnoreCase(name, "Content-Encoding")) {
        noteCodings(value);
    } else if (equalsIgnoreCase(name, "Location")) {
        location_ = value.toByteArray();
    } else if (equalsIgnoreCase(name, "Retry-After")) {
        retryAfter_ = value.toByteArray();
    } else if (equalsIgnoreCase(name, "Set-Cookie")) {
        setCookies_.append(value.toByteArray());
    }
}

void ResponseFraming::noteCodings(QByteArrayView list)
{
    qsizetype start = 0;
    while (start < list.size()) {
        qsizetype comma = list.indexOf(',', start);
        if (comma < 0)
            comma = list.size();
        const QByteArrayView coding = trimmed(list.sliced(start, comma - start));
        if (!coding.isEmpty() && !equalsIgnoreCase(coding, "identity")) {
            ++contentEncodings_;
            contentEncoding_ = coding.toByteArray().toLower();
        }
        start = comma + 1;
    }
}

void ResponseFraming::endOfHeaders()
{
    if (status_ >= 100 && status_ < 200) {
        // An interim response; the real one follows. 101 hands the connection to another protocol.
        if (status_ == 101)
            giveUp();
        else
            state_ = State::StatusLine;
        return;
    }
    headComplete_ = true;
    if (status_ == 204 || status_ == 304) {
        state_ = State::Complete;
        return;
    }
    const bool redirectStatus = status_ == 301 || status_ == 302 || status_ == 303 || status_ == 307 || status_ == 308;
    if (stopAtRedirect_ && redirectStatus && !location_.isEmpty()) {
        redirect_ = true;
        state_ = State::Complete;
        return;
    }
    // One coding that zlib undoes; anything else (several, or one never offered) is kept as sent.
    if (contentEncodings_ == 1) {
        if (contentEncoding_ == "gzip" || contentEncoding_ == "x-gzip")
            decoder_ = std::make_unique<ContentDecoder>(ContentDecoder::Coding::Gzip);
        else if (contentEncoding_ == "deflate")
            decoder_ = std::make_unique<ContentDecoder>(ContentDecoder::Coding::Deflate);
        if (decoder_)
            decodedCoding_ = contentEncoding_;
    }
    if (transferEncoding_ && chunked_) {
        state_ = State::ChunkSize;
        return;
    }
    if (transferEncoding_) {
        // Another transfer coding last: the body runs to the close.
        bodyUntilClose_ = true;
        state_ = State::UntilClose;
        return;
    }
    if (hasLength_) {
        remaining_ = length_;
        state_ = length_ == 0 ? State::Complete : State::Body;
        return;
    }
    bodyUntilClose_ = true;
    state_ = State::UntilClose;
}

void ResponseFraming::handleChunkSizeLine()
{
    QByteArrayView sizeText(line_);
    const qsizetype semicolon = sizeText.indexOf(';');
    if (semicolon >= 0)
        sizeText = sizeText.first(semicolon);
    sizeText = trimmed(sizeText);
    std::uint64_t size = 0;
    if (!parseHex(sizeText, size)) {
        giveUp();
        return;
    }
    if (size == 0) {
        state_ = State::Trailers;
        return;
    }
    remaining_ = size;
    state_ = State::ChunkData;
}

} // namespace trouvel::net
