// Tells, from the raw bytes of an HTTP response as they arrive, when the whole response is
// there: a Content-Length body complete, the last chunk of a chunked body and its trailers,
// or a status that carries no body. A response it cannot frame (no length, an HTTP/0.9
// answer, a header it does not trust) is left to end when the server closes the connection.
// Pure over bytes: any input, split anywhere, is accepted in time linear in its length.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>

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

    void feed(QByteArrayView bytes);
    bool complete() const { return state_ == State::Complete; }
    // True when a response has begun whose framing says more is to come: a close now cuts it short.
    bool truncated() const { return started_ && state_ != State::Complete && state_ != State::UntilClose; }
    State state() const { return state_; }

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
    void endOfHeaders();
    void handleChunkSizeLine();
    void giveUp() { state_ = State::UntilClose; }

    State state_ = State::StatusLine;
    bool started_ = false;
    QByteArray line_;
    qint64 headerBytes_ = 0;
    int status_ = 0;
    bool chunked_ = false;
    bool transferEncoding_ = false;
    bool hasLength_ = false;
    std::uint64_t length_ = 0;
    std::uint64_t remaining_ = 0;
};

} // namespace trouvel::net
