// HTTP/1.0 and HTTP/1.1 messages of the demo site: reading requests from a connection's
// byte stream, writing responses with a length or in chunks.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

namespace trouvel::demo {

struct HttpRequest {
    QByteArray method;  // "GET", "POST", ...
    QByteArray target;  // "/recherche?titre=x"
    int minorVersion = 0; // 0 for HTTP/1.0, 1 for HTTP/1.1
    QList<QPair<QByteArray, QByteArray>> headers; // names as sent
    QByteArray body;

    // First header of that name (any letter case); empty when absent.
    QByteArray header(const QByteArray& name) const;
    QByteArray path() const;  // the target up to "?"
    QByteArray query() const; // after "?", empty when none
    // Whether the client lets the connection stay open after this exchange.
    bool keepAlive() const;
};

enum class ParseStatus { NeedMore, Complete, Error };

struct ParseResult {
    ParseStatus status = ParseStatus::NeedMore;
    int errorCode = 0; // HTTP status to answer with, for Error
};

constexpr qsizetype kMaxRequestHead = 16 * 1024;
constexpr qsizetype kMaxRequestBody = 256 * 1024;

// Takes one request from the front of buffer when it is all there (and removes its bytes).
// Empty lines before a request line are skipped, as some clients send an extra CR LF after
// a body. Header lines that are not "name: value" (a blank inside the name, for instance)
// are ignored rather than refused.
ParseResult takeRequest(QByteArray& buffer, HttpRequest& request);

struct HttpResponse {
    int status = 200;
    QByteArray contentType = "text/html; charset=utf-8";
    QList<QPair<QByteArray, QByteArray>> extraHeaders;
    // The body in pieces; sent as one chunk each when chunked transfer is used.
    QList<QByteArray> parts;
    // Chunked transfer when the client speaks HTTP/1.1.
    bool chunkedWhenPossible = false;

    QByteArray body() const;
};

const char* reasonPhrase(int status);

// The bytes of a response to request. keepAlive: whether the connection stays open after it
// (announced in the headers). headOnly: headers only, as for HEAD.
QByteArray serializeResponse(const HttpResponse& response, int minorVersion, bool keepAlive, bool headOnly);

} // namespace trouvel::demo
