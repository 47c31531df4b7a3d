#include "net/Request.h"

#include "net/WebSession.h"

namespace trouvel::net {

QByteArray buildRequest(const AddressParts& address, bool methodGet, bool http11, bool viaProxy,
                        const QByteArray* keptBody, const RequestIdentity& identity)
{
    static const char* const kPostHeaders[] = {
        "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-powerpoint, application/vnd.ms-excel, application/msword, */*",
        "Accept-Language: fr",
        "Content-Type: application/x-www-form-urlencoded",
        "Accept-Encoding: gzip, deflate",
    };
    static const QByteArray kPostUserAgent("Mozilla/4.0 (compatible; MSIE 5.0; Windows 98; DigExt)");
    static const QByteArray kGetAccept("text/html,application/xhtml+xml,application/json;q=0.9,*/*;q=0.8");
    static const QByteArray kEol("\r\n");

    // An empty path would leave the request line without a target, which no server accepts.
    const QString path = address.path.isEmpty() ? QStringLiteral("/") : address.path;
    QByteArray target;
    if (viaProxy)
        target = address.scheme.toUtf8() + "://" + address.authority.toUtf8();
    target += encodeTargetPart(path, false);
    // A POST sends its query as the body, unless it carries a body kept from before a redirect.
    if ((methodGet || keptBody) && !address.query.isEmpty())
        target += '?' + encodeTargetPart(address.query, true);

    QByteArray request;
    request += methodGet ? "GET " : "POST ";
    request += target;
    request += http11 ? " HTTP/1.1" : " HTTP/1.0";
    request += kEol;
    if (!methodGet) {
        for (const char* header : kPostHeaders) {
            request += header;
            request += kEol;
        }
        request += "User-Agent: " + (identity.scriptUserAgent.isEmpty() ? kPostUserAgent : identity.scriptUserAgent) + kEol;
    }
    request += "Host: ";
    request += address.authority.toUtf8();
    request += kEol;
    if (methodGet) {
        request += "User-Agent: " + (identity.scriptUserAgent.isEmpty() ? defaultUserAgent() : identity.scriptUserAgent) + kEol;
        request += "Accept: " + kGetAccept + kEol;
        request += "Accept-Language: fr-FR,fr;q=0.9" + kEol;
        request += "Accept-Encoding: gzip, deflate" + kEol;
    }
    if (!identity.cookies.isEmpty())
        request += "Cookie: " + identity.cookies + kEol;
    if (!methodGet) {
        const QByteArray body = keptBody ? *keptBody : address.query.toUtf8();
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
