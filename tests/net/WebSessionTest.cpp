// The web session: the cookies and User-Agent the page client and the picture download share.
#include "LoopbackServer.h"
#include "NetTestSupport.h"

#include "net/PictureDownload.h"
#include "net/WebSession.h"

#include <QNetworkCookieJar>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace trouvel::net::test {
namespace {

// The value of a request's header, or empty.
QByteArray headerOf(const QByteArray& request, const QByteArray& name)
{
    for (const QByteArray& line : request.split('\n')) {
        if (line.toLower().startsWith(name.toLower() + ':'))
            return line.mid(name.size() + 1).trimmed();
    }
    return {};
}

QSet<QByteArray> cookieSet(const QByteArray& header)
{
    QSet<QByteArray> set;
    for (const QByteArray& part : header.split(';'))
        if (!part.trimmed().isEmpty())
            set.insert(part.trimmed());
    return set;
}

// The search sets one cookie, a redirect hop another; the film page and the poster (fetched
// by the other download) carry both, with the script's User-Agent.
TEST(WebSessionCookies, SetBySearchAndRedirectReachFilmPageAndPoster)
{
    auto session = std::make_shared<WebSession>();
    session->setUserAgent(QStringLiteral("Robot/2"));
    LoopbackServer film({send(httpResponse("film")), closeStep()});
    LoopbackServer poster({send(httpResponse("JPEG", "200 OK", "Content-Type: image/jpeg\r\n")), closeStep()});
    LoopbackServer search({send(httpResponse("liste", "200 OK", "Set-Cookie: sid=1; Path=/\r\n")), closeStep()});
    LoopbackServer hop({send("HTTP/1.1 302 Found\r\nSet-Cookie: consent=oui; Path=/; HttpOnly\r\nLocation: "
                             + film.url(QStringLiteral("/film")).toUtf8() + "\r\nContent-Length: 0\r\n\r\n"),
                        closeStep()});
    QTemporaryDir dir;
    std::int16_t stop = 0;
    SocketPageClient client(stop);
    client.setSession(session);
    const QString page = dir.filePath(QStringLiteral("tmp.txt"));

    ASSERT_EQ(client.DownloadPage(search.url(QStringLiteral("/s")), page, -1, 0), kDownloadDone);
    EXPECT_TRUE(headerOf(search.requests.value(0), "Cookie").isEmpty());
    ASSERT_EQ(client.DownloadPage(hop.url(QStringLiteral("/go")), page, -1, 0), kDownloadDone);
    EXPECT_EQ(cookieSet(headerOf(hop.requests.value(0), "Cookie")), QSet<QByteArray>{"sid=1"});
    ASSERT_EQ(film.requests.size(), 1);
    EXPECT_EQ(cookieSet(headerOf(film.requests[0], "Cookie")), (QSet<QByteArray>{"sid=1", "consent=oui"}));
    EXPECT_EQ(headerOf(film.requests[0], "User-Agent"), "Robot/2");

    EXPECT_EQ(DownloadToFile(*session, poster.url(QStringLiteral("/a.jpg")), dir.filePath(QStringLiteral("i.jpg")), stop), QString());
    ASSERT_EQ(poster.requests.size(), 1);
    EXPECT_EQ(cookieSet(headerOf(poster.requests[0], "Cookie")), (QSet<QByteArray>{"sid=1", "consent=oui"}));
    EXPECT_EQ(headerOf(poster.requests[0], "User-Agent"), "Robot/2");
}

struct CookieRuleCase {
    const char* name;
    const char* setAt;     // the address that set the cookie, or "file" for a cookies.txt line
    QByteArray cookie;     // the Set-Cookie value, or the cookies.txt line
    const char* askedFor;  // the address of the next request
    QByteArray expected;   // the Cookie header it carries
};

void PrintTo(const CookieRuleCase& c, std::ostream* os) { *os << c.name; }

class CookieRules : public ::testing::TestWithParam<CookieRuleCase> {};

TEST_P(CookieRules, TheJarDecidesWhatEachRequestCarries)
{
    const CookieRuleCase& c = GetParam();
    WebSession session;
    if (QByteArray(c.setAt) == "file") {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("cookies.txt"));
        writeFile(path, "# Netscape HTTP Cookie File\n\n" + c.cookie + "\n");
        ASSERT_EQ(session.loadCookieFile(path), QString());
    } else {
        session.keepCookies(QUrl(QString::fromLatin1(c.setAt)), {c.cookie});
    }
    EXPECT_EQ(session.cookieHeader(QUrl(QString::fromLatin1(c.askedFor))), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CookieRules,
    ::testing::Values(
        CookieRuleCase{"SameHost", "http://films.example/s", "a=1", "http://films.example/film/2", "a=1"},
        CookieRuleCase{"OtherHostNotSent", "http://films.example/s", "a=1", "http://autre.example/", ""},
        CookieRuleCase{"DomainForAnotherSiteDropped", "http://films.example/s", "a=1; Domain=autre.example",
                       "http://autre.example/", ""},
        CookieRuleCase{"SubdomainWithDomain", "http://films.example/s", "a=1; Domain=films.example",
                       "http://img.films.example/p.jpg", "a=1"},
        CookieRuleCase{"HostOnlyNotToSubdomain", "http://films.example/s", "a=1", "http://img.films.example/", ""},
        CookieRuleCase{"SecureNotOverHttp", "https://films.example/s", "a=1; Secure", "http://films.example/", ""},
        CookieRuleCase{"SecureOverHttps", "https://films.example/s", "a=1; Secure", "https://films.example/", "a=1"},
        CookieRuleCase{"PathLimits", "http://films.example/fiche/1", "a=1; Path=/fiche", "http://films.example/liste", ""},
        CookieRuleCase{"ExpiredDropped", "http://films.example/s", "a=1; Expires=Thu, 01 Jan 1970 00:00:01 GMT",
                       "http://films.example/", ""},
        CookieRuleCase{"FileDomainCookie", "file", ".films.example\tTRUE\t/\tFALSE\t0\tconsent\toui",
                       "http://www.films.example/", "consent=oui"},
        CookieRuleCase{"FileHostOnlyHttpOnly", "file", "#HttpOnly_films.example\tFALSE\t/\tFALSE\t0\tsid\tx",
                       "http://www.films.example/", ""},
        CookieRuleCase{"FileSecure", "file", "films.example\tFALSE\t/\tTRUE\t0\tsid\tx", "http://films.example/", ""},
        CookieRuleCase{"FileExpired", "file", "films.example\tFALSE\t/\tFALSE\t1\tsid\tx", "http://films.example/", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CookieFile, MalformedLineAndMissingFileAreNamed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cookies.txt"));
    writeFile(path, "films.example\tFALSE\t/\tFALSE\t0\tsid\tx\nfilms.example sid x\n");
    WebSession session;
    EXPECT_EQ(session.loadCookieFile(path), QStringLiteral("Fichier de cookies %1 : ligne 2 : sept champs séparés par des "
                                                           "tabulations attendus (domaine, sous-domaines, chemin, "
                                                           "sécurisé, expiration, nom, valeur)").arg(path));
    EXPECT_TRUE(session.loadCookieFile(dir.filePath(QStringLiteral("absent.txt"))).startsWith(QStringLiteral("Fichier de cookies")));
}

} // namespace
} // namespace trouvel::net::test
