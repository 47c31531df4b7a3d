// Undoes a gzip or deflate content coding as the body arrives, piece by piece, with zlib.
// "deflate" is meant as a zlib stream, but servers also send bare deflate data: the first
// two bytes tell which, as browsers tell it. Output is produced in bounded steps, so a small body that inflates to
// gigabytes stops at the caller's limit instead of filling memory.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <memory>

namespace trouvel::net {

class ContentDecoder {
public:
    enum class Coding { Gzip, Deflate };
    enum class Result { Ok, Corrupt, OverLimit };

    explicit ContentDecoder(Coding coding);
    ~ContentDecoder();
    ContentDecoder(const ContentDecoder&) = delete;
    ContentDecoder& operator=(const ContentDecoder&) = delete;

    // Appends the decoded bytes of `in` to `out`, never letting `out` grow past `limit`.
    // Bytes after the end of the compressed stream are ignored.
    Result feed(QByteArrayView in, QByteArray& out, qsizetype limit);
    bool ended() const { return ended_; }

private:
    bool start();
    Result inflateSome(QByteArrayView in, QByteArray& out, qsizetype limit);

    struct Stream;
    std::unique_ptr<Stream> stream_;
    Coding coding_;
    bool ended_ = false;
    bool failed_ = false;
    QByteArray head_; // a deflate body's first byte, kept until the second tells its wrapper
};

} // namespace trouvel::net
