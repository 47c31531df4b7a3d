#include "HttpMessage.h"

#include <QDateTime>
#include <QLocale>

namespace trouvel::demo {

QByteArray HttpRequest::header(const QByteArray& name) const
{
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

QByteArray HttpRequest::path() const
{
    const qsizetype q = target.indexOf('?');
    return q < 0 ? target : target.left(q);
}

QByteArray HttpRequest::query() const
{
    const qsizetype q = target.indexOf('?');
    return q < 0 ? QByteArray() : target.mid(q + 1);
}

bool HttpRequest::keepAlive() const
{
    const QByteArray connection = header("Connection").toLower();
    if (minorVersion >= 1)
        return !connection.contains("close");
    return connection.contains("keep-alive");
}

namespace {

bool isToken(const QByteArray& text)
{
    if (text.isEmpty())
        return false;
    for (const char c : text) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
                        || QByteArray("!#$%&'*+-.^_`|~").contains(c);
        if (!ok)
            return false;
    }
    return true;
}

ParseResult error(int code) { return {ParseStatus::Error, code}; }

} // namespace

ParseResult takeRequest(QByteArray& buffer, HttpRequest& request)
{
    qsizetype start = 0;
    while (start < buffer.size() && (buffer[start] == '\r' || buffer[start] == '\n'))
        ++start;
    if (start > 0) {
        buffer.remove(0, start);
    }
    qsizetype headEnd = buffer.indexOf("\r\n\r\n");
    qsizetype separator = 4;
    const qsizetype bareEnd = buffer.indexOf("\n\n");
    if (bareEnd >= 0 && (headEnd < 0 || bareEnd < headEnd)) {
        headEnd = bareEnd;
        separator = 2;
    }
    if (headEnd < 0)
        return buffer.size() > kMaxRequestHead ? error(431) : ParseResult{};
    if (headEnd > kMaxRequestHead)
        return error(431);

    QList<QByteArray> lines = buffer.left(headEnd).split('\n');
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);

    const QList<QByteArray> requestLine = lines.takeFirst().split(' ');
    if (requestLine.size() != 3 || !isToken(requestLine[0]) || requestLine[1].isEmpty())
        return error(400);
    const QByteArray& version = requestLine[2];
    if (!version.startsWith("HTTP/1."))
        return error(version.startsWith("HTTP/") ? 505 : 400);
    if (version != "HTTP/1.0" && version != "HTTP/1.1")
        return error(505);

    HttpRequest parsed;
    parsed.method = requestLine[0];
    parsed.target = requestLine[1];
    // The absolute form that proxies receive ("GET http://host/path"): a server accepts it too.
    if (parsed.target.startsWith("http://") || parsed.target.startsWith("https://")) {
        const qsizetype authority = parsed.target.indexOf("//") + 2;
        const qsizetype slash = parsed.target.indexOf('/', authority);
        parsed.target = slash < 0 ? QByteArray("/") : parsed.target.mid(slash);
    }
    parsed.minorVersion = version.back() - '0';
    for (const QByteArray& line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon);
        if (!isToken(name))
            continue; // "Accept -Language: fr" and the like
        parsed.headers.append({name, line.mid(colon + 1).trimmed()});
    }
    if (!parsed.header("Transfer-Encoding").isEmpty())
        return error(501);

    qsizetype length = 0;
    const QByteArray lengthText = parsed.header("Content-Length");
    if (!lengthText.isEmpty()) {
        bool ok = false;
        length = lengthText.toLongLong(&ok);
        if (!ok || length < 0)
            return error(400);
        if (length > kMaxRequestBody)
            return error(413);
    }
    const qsizetype bodyStart = headEnd + separator;
    if (buffer.size() - bodyStart < length)
        return {};
    parsed.body = buffer.mid(bodyStart, length);
    buffer.remove(0, bodyStart + length);
    request = std::move(parsed);
    return {ParseStatus::Complete, 0};
}

QByteArray HttpResponse::body() const
{
    QByteArray all;
    for (const QByteArray& part : parts)
        all += part;
    return all;
}

const char* reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 413: return "Payload Too Large";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Unknown";
    }
}

QByteArray serializeResponse(const HttpResponse& response, int minorVersion, bool keepAlive, bool headOnly)
{
    const bool chunked = response.chunkedWhenPossible && minorVersion >= 1;
    QByteArray out;
    out += "HTTP/1." + QByteArray::number(minorVersion) + ' ' + QByteArray::number(response.status) + ' '
           + reasonPhrase(response.status) + "\r\n";
    out += "Date: "
           + QLocale::c().toString(QDateTime::currentDateTimeUtc(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss")).toLatin1()
           + " GMT\r\n";
    out += "Server: CineGrenier/2.3 (trouvel-demo-site)\r\n";
    out += "Content-Type: " + response.contentType + "\r\n";
    for (const auto& [name, value] : response.extraHeaders)
        out += name + ": " + value + "\r\n";
    if (chunked) {
        out += "Transfer-Encoding: chunked\r\n";
    } else {
        qsizetype length = 0;
        for (const QByteArray& part : response.parts)
            length += part.size();
        out += "Content-Length: " + QByteArray::number(length) + "\r\n";
    }
    if (!keepAlive)
        out += "Connection: close\r\n";
    else if (minorVersion == 0)
        out += "Connection: keep-alive\r\n";
    out += "\r\n";
    if (headOnly)
        return out;
    if (chunked) {
        for (const QByteArray& part : response.parts) {
            if (part.isEmpty())
                continue; // an empty chunk would end the body
            out += QByteArray::number(part.size(), 16) + "\r\n" + part + "\r\n";
        }
        out += "0\r\n\r\n";
    } else {
        for (const QByteArray& part : response.parts)
            out += part;
    }
    return out;
}

} // namespace trouvel::demo
