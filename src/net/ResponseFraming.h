// Reads the raw bytes of an HTTP response as they arrive: tells when the whole response is
// there (a Content-Length body complete, the last chunk of a chunked body and its trailers,
// or a status that carries no body) and gives the bytes the page file keeps of them.
//
// Kept: every status line and header line as received; the body as the server meant it,
// chunks joined (chunk-size lines and trailers removed) and a gzip or deflate coding undone,
// which is what the same server stores for an HTTP/1.0 request. A response it cannot frame
// (no length, an HTTP/0.9 answer, a header it does not trust) is left to end when the server
// closes the connection; from the point where framing was given up the bytes are kept raw.
// Pure over bytes: any input, split anywhere, gives the same result in time linear in its length.
#pragma once

#include "net/ContentDecoder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <cstdint>
#include <memory>

namespace trouvel::net {

class ResponseFraming {
public:
    enum class State {
        StatusLine,
        Headers,
        Body,
        ChunkSize,
        ChunkData,
        ChunkDataEnd,
        Trailers,
        Complete,   // the whole response has arrived
        UntilClose, // only the server's close ends this response
    };

    ResponseFraming();
    ~ResponseFraming();

    // Feeds received bytes. With `stored`, appends what the page file keeps of them; that
    // never grows past maxStoredBytes() in all (overLimit() then tells).
    void feed(QByteArrayView bytes, QByteArray* stored = nullptr);
    bool complete() const { return state_ == State::Complete; }
    // True when a response has begun whose framing says more is to come: a close now cuts it short.
    bool truncated() const { return started_ && state_ != State::Complete && state_ != State::UntilClose; }
    State state() const { return state_; }

    // A final response that redirects (301, 302, 303, 307 or 308 with a Location) is complete
    // at the end of its headers: its body is not read and not kept.
    void setStopAtRedirect(bool stop) { stopAtRedirect_ = stop; }
    void setMaxStoredBytes(qint64 bytes) { maxStored_ = bytes; }
    qint64 maxStoredBytes() const { return maxStored_; }
    bool overLimit() const { return overLimit_; }

    // Of the final (not 1xx) response, once its headers are complete.
    bool headComplete() const { return headComplete_; }
    int status() const { return status_; }
    const QByteArray& reason() const { return reason_; }
    const QByteArray& location() const { return location_; }
    // The Retry-After header's value as received (trimmed), or empty.
    const QByteArray& retryAfter() const { return retryAfter_; }
    // Every Set-Cookie header's value, in the order received.
    const QList<QByteArray>& setCookies() const { return setCookies_; }
    bool isRedirect() const { return redirect_; }
    // The body's gzip or deflate coding does not decode: what decoded before the fault is kept.
    bool decodeFailed() const { return decodeFailed_; }
    // The content coding being undone ("gzip", "deflate"), or empty.
    const QByteArray& decodedCoding() const { return decodedCoding_; }

    // Longest status, header or chunk-size line followed; a longer one gives up framing.
    static constexpr qsizetype kMaxLine = 64 * 1024;
    // Longest header block followed, interim responses included.
    static constexpr qint64 kMaxHeaderBytes = 1024 * 1024;

private:
    // Feeds bytes up to and including a LF into line_; true when a line is complete.
    bool takeLine(const char*& p, const char* end);
    void handleLine();
    void handleStatusLine();
    void handleHeaderLine();
    void noteCodings(QByteArrayView list);
    void endOfHeaders();
    void handleChunkSizeLine();
    void giveUp();
    void keep(QByteArrayView bytes);
    void keepBody(QByteArrayView bytes);

    State state_ = State::StatusLine;
    bool started_ = false;
    QByteArray* out_ = nullptr; // the current feed's output, or null
    qint64 storedBytes_ = 0;
    qint64 maxStored_ = std::int64_t(1) << 62;
    bool overLimit_ = false;
    bool bodyUntilClose_ = false; // UntilClose after the headers: still a body, still decoded
    QByteArray line_;
    QByteArray unkept_; // a line taken in but not kept, kept raw if framing is given up on it
    qint64 headerBytes_ = 0;
    int status_ = 0;
    QByteArray reason_;
    QByteArray location_;
    QByteArray retryAfter_;
    QList<QByteArray> setCookies_;
    QByteArray contentEncoding_;
    QByteArray decodedCoding_;
    int contentEncodings_ = 0;
    bool chunked_ = false;
    bool transferEncoding_ = false;
    bool hasLength_ = false;
    bool headComplete_ = false;
    bool stopAtRedirect_ = false;
    bool redirect_ = false;
    bool decodeFailed_ = false;
    std::unique_ptr<ContentDecoder> decoder_;
    std::uint64_t length_ = 0;
    std::uint64_t remaining_ = 0;
};

} // namespace trouvel::net
