#include "net/ResponseFraming.h"

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
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
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

void ResponseFraming::feed(QByteArrayView bytes)
{
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    if (p < end)
        started_ = true;
    while (p < end) {
        switch (state_) {
        case State::Complete:
        case State::UntilClose:
            return;
        case State::Body:
        case State::ChunkData: {
            const std::uint64_t take = std::min<std::uint64_t>(remaining_, std::uint64_t(end - p));
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
}

bool ResponseFraming::takeLine(const char*& p, const char* end)
{
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', std::size_t(end - p)));
    const char* stop = lf ? lf + 1 : end;
    const qsizetype count = stop - p;
    if (state_ == State::StatusLine || state_ == State::Headers) {
        headerBytes_ += count;
        if (headerBytes_ > kMaxHeaderBytes) {
            giveUp();
            return false;
        }
    }
    if (line_.size() + count > kMaxLine) {
        giveUp();
        return false;
    }
    line_.append(p, count);
    p = stop;
    return lf != nullptr;
}

void ResponseFraming::handleLine()
{
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
        // Chunked framing applies when "chunked" is the last coding listed.
        qsizetype lastComma = value.lastIndexOf(',');
        const QByteArrayView last = trimmed(lastComma < 0 ? value : value.sliced(lastComma + 1));
        chunked_ = equalsIgnoreCase(last, "chunked");
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
    if (status_ == 204 || status_ == 304) {
        state_ = State::Complete;
        return;
    }
    if (transferEncoding_) {
        if (chunked_)
            state_ = State::ChunkSize;
        else
            giveUp();
        return;
    }
    if (hasLength_) {
        remaining_ = length_;
        state_ = length_ == 0 ? State::Complete : State::Body;
        return;
    }
    giveUp();
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
