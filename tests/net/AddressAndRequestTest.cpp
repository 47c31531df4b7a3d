// Address parsing, the request text and where the client connects: pure, no sockets.
#include "NetTestSupport.h"

#include "net/Address.h"
#include "net/SocketPageClient.h"
#include "net/Request.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace trouvel::net {
namespace {

using test::getHeaders;
using test::kPostHeaders;

struct AddressCase {
    const char* name;
    QString url;
    bool matches;
    QString scheme, authority, path, query;
};

void PrintTo(const AddressCase& c, std::ostream* os) { *os << c.name; }

class ParseAddress : public ::testing::TestWithParam<AddressCase> {};

TEST_P(ParseAddress, CutsTheAddressIntoItsParts)
{
    const AddressCase& c = GetParam();
    const std::optional<AddressParts> parts = parseAddress(c.url);
    ASSERT_EQ(parts.has_value(), c.matches);
    if (!parts)
        return;
    EXPECT_EQ(parts->scheme, c.scheme);
    EXPECT_EQ(parts->authority, c.authority);
    EXPECT_EQ(parts->path, c.path);
    EXPECT_EQ(parts->query, c.query);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, ParseAddress,
    ::testing::Values(
        AddressCase{"Empty", "", false, {}, {}, {}, {}},
        AddressCase{"LeadingAmpersand", "&x=1", false, {}, {}, {}, {}},
        AddressCase{"Full", "http://www.site.fr/film/fiche.php?id=12&t=a b#haut", true, "http", "www.site.fr",
                    "/film/fiche.php", "id=12&t=a+b"},
        AddressCase{"AuthorityWithPort", "http://site:8080/p", true, "http", "site:8080", "/p", ""},
        AddressCase{"NoPath", "http://site", true, "http", "site", "", ""},
        AddressCase{"NoScheme", "site/page", true, "", "", "site/page", ""},
        AddressCase{"FragmentOnly", "http://site/p#q=1", true, "http", "site", "/p", ""},
        AddressCase{"CarriageReturn", "http://site/p\r\nX-Injected: 1", false, {}, {}, {}, {}},
        AddressCase{"LineFeedInQuery", "http://site/p?a=1\nb", false, {}, {}, {}, {}},
        AddressCase{"Nul", QStringLiteral("http://site/p") + QChar(0), false, {}, {}, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SpacesToPlus, ReplacesEveryBlankAndNothingElse)
{
    EXPECT_EQ(SpacesToPlus(" a  b%20c+ "), "+a++b%20c++");
    EXPECT_EQ(SpacesToPlus(""), "");
}

struct RequestCase {
    const char* name;
    QString url;
    bool get;
    bool http11;
    bool proxy;
    QByteArray expected;
    RequestIdentity identity = {};
};

void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.name; }


// The direct-path requests are checked on the wire (DownloadPageTest); these are the rest.
class BuildRequest : public ::testing::TestWithParam<RequestCase> {};

TEST_P(BuildRequest, WritesTheRequestByteForByte)
{
    const RequestCase& c = GetParam();
    const std::optional<AddressParts> parts = parseAddress(c.url);
    ASSERT_TRUE(parts);
    EXPECT_EQ(buildRequest(*parts, c.get, c.http11, c.proxy, nullptr, c.identity), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, BuildRequest,
    ::testing::Values(
        RequestCase{"ProxyGet", "http://site:8080/p?a=b", true, true, true,
                    "GET http://site:8080/p?a=b HTTP/1.1\r\nHost: site:8080\r\n" + getHeaders() + "\r\n"},
        RequestCase{"ProxyPost", "http://site/p?a=b", false, false, true,
                    "POST http://site/p HTTP/1.0\r\n" + kPostHeaders + "Host: site\r\nContent-Length: 3\r\n\r\na=b\r\n"},
        RequestCase{"EmptyPathGetsSlash", "http://site?q=1", true, false, false,
                    "GET /?q=1 HTTP/1.0\r\nHost: site\r\n" + getHeaders() + "\r\n"},
        RequestCase{"GetWithScriptAgentAndCookies", "http://site/p", true, false, false,
                    "GET /p HTTP/1.0\r\nHost: site\r\n" + getHeaders("Robot/2") + "Cookie: a=1; b=2\r\n\r\n",
                    {"Robot/2", "a=1; b=2"}},
        RequestCase{"PostWithScriptAgentAndCookies", "http://site/p?a=b", false, false, false,
                    QByteArray("POST /p HTTP/1.0\r\n") + kPostHeaders.left(kPostHeaders.indexOf("User-Agent:"))
                        + "User-Agent: Robot/2\r\nHost: site\r\nCookie: s=x\r\nContent-Length: 3\r\n\r\na=b\r\n",
                    {"Robot/2", "s=x"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DefaultUserAgent, NamesTheSystemAndTheVersion)
{
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Mozilla/5\\.0 \\(X11; Linux x86_64\\) Trouvel/\\d+\\.\\d+\\.\\d+$"))
                    .match(QString::fromLatin1(defaultUserAgent()))
                    .hasMatch())
        << defaultUserAgent().toStdString();
}

struct EndpointCase {
    const char* name;
    QString scheme, authority;
    QString host;
    int port;
    bool tls;
};

void PrintTo(const EndpointCase& c, std::ostream* os) { *os << c.name; }

class DirectEndpoint : public ::testing::TestWithParam<EndpointCase> {};

TEST_P(DirectEndpoint, SplitsThePortOffTheAuthority)
{
    const EndpointCase& c = GetParam();
    const Endpoint e = directEndpoint(c.scheme, c.authority);
    EXPECT_EQ(e.host, c.host);
    EXPECT_EQ(e.port, c.port);
    EXPECT_EQ(e.tls, c.tls);
}

INSTANTIATE_TEST_SUITE_P(
    Authorities, DirectEndpoint,
    ::testing::Values(EndpointCase{"HttpDefault", "http", "site", "site", 80, false},
                      EndpointCase{"HttpPort", "http", "site:8080", "site", 8080, false},
                      EndpointCase{"HttpsDefault", "HTTPS", "site", "site", 443, true},
                      EndpointCase{"HttpsPort", "https", "site:8443", "site", 8443, true},
                      EndpointCase{"UserInfo", "http", "me:pw@site:81", "site", 81, false},
                      EndpointCase{"Ipv6", "http", "[::1]:8080", "::1", 8080, false},
                      EndpointCase{"Ipv6NoPort", "http", "[::1]", "::1", 80, false},
                      EndpointCase{"EmptyPort", "http", "site:", "site", 80, false},
                      EndpointCase{"PortOutOfRange", "http", "site:70000", "site:70000", 80, false},
                      EndpointCase{"PortNotNumber", "http", "site:x", "site:x", 80, false},
                      EndpointCase{"NoScheme", "", "site", "site", 80, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace trouvel::net
