#include "net/Address.h"

#include "text/RegExp.h"

namespace trouvel::net {

namespace {

const QString kAddressPattern =
    QStringLiteral("^(?=[^&])(?:([^:/?#]+):)?(?://([^/?#]*))?([^?#]*)(?:\\?([^#]*))?(?:#(.*))?");

bool parsePort(QStringView text, std::uint16_t& port)
{
    if (text.isEmpty() || text.size() > 5)
        return false;
    int value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        value = value * 10 + (c.unicode() - '0');
    }
    if (value < 1 || value > 65535)
        return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

// RFC 3986: unreserved, sub-delims, ":" and "@" (pchar), "/", and "%" of a %XX already there.
bool allowedInPath(unsigned char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    switch (c) {
    case '-': case '.': case '_': case '~':
    case '!': case '$': case '&': case '\'': case '(': case ')': case '*': case '+': case ',': case ';': case '=':
    case ':': case '@': case '/': case '%':
        return true;
    default:
        return false;
    }
}

} // namespace

QByteArray encodeTargetPart(const QString& text, bool query)
{
    static const char kHex[] = "0123456789ABCDEF";
    const QByteArray bytes = text.toUtf8();
    QByteArray out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (allowedInPath(c) || (query && c == '?')) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

bool hasLineBreakingCharacters(const QString& text)
{
    for (QChar c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar(0))
            return true;
    }
    return false;
}

std::optional<AddressParts> parseAddress(const QString& url)
{
    // A link cut out of a page may carry line breaks; sent on, they would add header lines.
    if (hasLineBreakingCharacters(url))
        return std::nullopt;
    text::RegExp re;
    re.Pattern(kAddressPattern);
    const text::Matches matches = re.Execute(url);
    if (matches.empty())
        return std::nullopt;
    const text::Match& m = matches.front();
    AddressParts parts;
    parts.scheme = m.SubMatches(0);
    parts.authority = m.SubMatches(1);
    parts.path = m.SubMatches(2);
    parts.query = SpacesToPlus(m.SubMatches(3));
    return parts;
}

Endpoint directEndpoint(const QString& scheme, const QString& authority)
{
    Endpoint endpoint;
    endpoint.tls = scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    endpoint.port = endpoint.tls ? 443 : 80;

    QStringView hostPort(authority);
    const qsizetype at = hostPort.lastIndexOf(QLatin1Char('@'));
    if (at >= 0)
        hostPort = hostPort.mid(at + 1);

    QStringView host = hostPort;
    QStringView portText;
    bool hasPort = false;
    if (hostPort.startsWith(QLatin1Char('['))) {
        const qsizetype close = hostPort.indexOf(QLatin1Char(']'));
        if (close > 0) {
            host = hostPort.mid(1, close - 1);
            QStringView rest = hostPort.mid(close + 1);
            if (rest.startsWith(QLatin1Char(':'))) {
                hasPort = true;
                portText = rest.mid(1);
            }
        }
    } else {
        const qsizetype colon = hostPort.lastIndexOf(QLatin1Char(':'));
        if (colon >= 0) {
            host = hostPort.left(colon);
            hasPort = true;
            portText = hostPort.mid(colon + 1);
        }
    }

    if (hasPort && !portText.isEmpty() && !parsePort(portText, endpoint.port)) {
        endpoint.host = hostPort.toString();
        return endpoint;
    }
    endpoint.host = host.toString();
    return endpoint;
}

} // namespace trouvel::net
