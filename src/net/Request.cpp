#include "net/DownloadWinsock.h"

namespace trouvel::net {

QByteArray buildRequest(const AddressParts& address, bool methodGet, bool http11, bool viaProxy)
{
    static const char* const kPostHeaders[] = {
        "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-powerpoint, application/vnd.ms-excel, application/msword, */*",
        // Both "Accept -..." lines carry their blank before the hyphen; they are sent as they stand.
        "Accept -Language: fr",
        "Content-Type: application/x-www-form-urlencoded",
        "Accept -Encoding: gzip , deflate",
        "User-Agent: Mozilla/4.0 (compatible; MSIE 5.0; Windows 98; DigExt)",
    };
    static const QByteArray kEol("\r\n");

    // An empty path would leave the request line without a target, which no server accepts.
    const QString path = address.path.isEmpty() ? QStringLiteral("/") : address.path;
    QString target = viaProxy ? address.scheme + QLatin1String("://") + address.authority + path : path;
    if (methodGet && !address.query.isEmpty())
        target += QLatin1Char('?') + address.query;

    QByteArray request;
    request += methodGet ? "GET " : "POST ";
    request += target.toUtf8();
    request += http11 ? " HTTP/1.1" : " HTTP/1.0";
    request += kEol;
    if (!methodGet) {
        for (const char* header : kPostHeaders) {
            request += header;
            request += kEol;
        }
    }
    request += "Host: ";
    request += address.authority.toUtf8();
    request += kEol;
    if (!methodGet) {
        const QByteArray body = address.query.toUtf8();
        request += "Content-Length: ";
        request += QByteArray::number(body.size());
        request += kEol;
        request += kEol;
        request += body;
    }
    request += kEol;
    return request;
}

} // namespace trouvel::net
