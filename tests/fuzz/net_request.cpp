// The page client's address pattern and request building, on any address text.
// Input: one byte of options (GET/POST, HTTP/1.0 or 1.1, direct or through a proxy), then
// the address.
#include "FuzzCheck.h"

#include "net/Address.h"
#include "net/SocketPageClient.h"
#include "net/Request.h"
#include "text/TextCodec.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace trouvel::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const std::uint8_t options = data[0];
    const QString url = trouvel::text::decodeText(QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)));

    const std::optional<AddressParts> parts = parseAddress(url);
    if (!parts)
        return 0;
    (void)directEndpoint(parts->scheme, parts->authority);
    const bool methodGet = options & 1;
    const bool http11 = options & 2;
    const bool viaProxy = options & 4;
    const QByteArray request = buildRequest(*parts, methodGet, http11, viaProxy);
    check(request.startsWith(methodGet ? "GET " : "POST "), "request does not start with its method");
    check(request.endsWith("\r\n\r\n") || request.contains("\r\n\r\n"), "request has no end of headers");
    if (!hasLineBreakingCharacters(url)) {
        // Nothing in the address may end the request line early.
        const qsizetype firstLineEnd = request.indexOf("\r\n");
        const QByteArray requestLine = request.left(firstLineEnd);
        check(!requestLine.contains('\n') && !requestLine.contains('\r') && !requestLine.contains('\0'),
              "the address broke the request line");
        check(requestLine.endsWith(http11 ? " HTTP/1.1" : " HTTP/1.0"), "request line does not end with the version");
    }
    return 0;
}
