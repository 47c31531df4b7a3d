#include "site/HttpMessage.h"

#include <gtest/gtest.h>

using namespace trouvel::demo;

namespace {

struct ParseCase {
    const char* name;
    QByteArray input;
    ParseStatus status;
    int errorCode;
    QByteArray method;
    QByteArray target;
    QByteArray body;
    QByteArray leftOver;
};

class TakeRequest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(TakeRequest, ParsesOrRefuses)
{
    const ParseCase& c = GetParam();
    QByteArray buffer = c.input;
    HttpRequest request;
    const ParseResult result = takeRequest(buffer, request);
    ASSERT_EQ(result.status, c.status);
    if (c.status == ParseStatus::Error) {
        EXPECT_EQ(result.errorCode, c.errorCode);
    }
    if (c.status == ParseStatus::Complete) {
        EXPECT_EQ(request.method, c.method);
        EXPECT_EQ(request.target, c.target);
        EXPECT_EQ(request.body, c.body);
        EXPECT_EQ(buffer, c.leftOver);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Requests, TakeRequest,
    ::testing::Values(
        ParseCase{"SimpleGet", "GET /film/101 HTTP/1.0\r\nHost: x\r\n\r\n", ParseStatus::Complete, 0, "GET", "/film/101", "", ""},
        ParseCase{"IncompleteHead", "GET /film/101 HTTP/1.1\r\nHost: x\r\n", ParseStatus::NeedMore, 0, "", "", "", ""},
        ParseCase{"BodyNotYetThere", "POST /recherche HTTP/1.1\r\nContent-Length: 10\r\n\r\ntitre=", ParseStatus::NeedMore, 0,
                  "", "", "", ""},
        // The client sends an extra CR LF after a POST body; it precedes the next request.
        ParseCase{"PostThenPipelined",
                  "POST /recherche HTTP/1.1\r\nContent-Length: 9\r\n\r\ntitre=a+b\r\nGET / HTTP/1.1\r\n\r\n",
                  ParseStatus::Complete, 0, "POST", "/recherche", "titre=a+b", "\r\nGET / HTTP/1.1\r\n\r\n"},
        ParseCase{"LeadingEmptyLinesSkipped", "\r\n\r\nGET / HTTP/1.1\r\n\r\n", ParseStatus::Complete, 0, "GET", "/", "", ""},
        ParseCase{"BareLineFeeds", "GET /a HTTP/1.0\nHost: x\n\n", ParseStatus::Complete, 0, "GET", "/a", "", ""},
        ParseCase{"BlankInHeaderNameIgnored",
                  "POST /r HTTP/1.0\r\nAccept -Language: fr\r\nContent-Length: 1\r\n\r\nx", ParseStatus::Complete, 0,
                  "POST", "/r", "x", ""},
        ParseCase{"AbsoluteFormFromProxy", "GET http://films.example:8080/film/3?x=1 HTTP/1.1\r\n\r\n", ParseStatus::Complete, 0,
                  "GET", "/film/3?x=1", "", ""},
        ParseCase{"TwoBlanksInRequestLine", "GET /a b HTTP/1.1\r\n\r\n", ParseStatus::Error, 400, "", "", "", ""},
        ParseCase{"UnknownVersion", "GET / HTTP/2.0\r\n\r\n", ParseStatus::Error, 505, "", "", "", ""},
        ParseCase{"NotHttp", "GET / FTP/1.0\r\n\r\n", ParseStatus::Error, 400, "", "", "", ""},
        ParseCase{"NegativeLength", "POST / HTTP/1.1\r\nContent-Length: -4\r\n\r\n", ParseStatus::Error, 400, "", "", "", ""},
        ParseCase{"HugeBody", "POST / HTTP/1.1\r\nContent-Length: 99999999\r\n\r\n", ParseStatus::Error, 413, "", "", "", ""},
        ParseCase{"ChunkedRequestBody", "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", ParseStatus::Error, 501, "", "",
                  "", ""},
        ParseCase{"EndlessHead", QByteArray("GET / HTTP/1.1\r\nX: ") + QByteArray(kMaxRequestHead + 10, 'a'), ParseStatus::Error,
                  431, "", "", "", ""}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(HttpRequest, KeepAliveFollowsVersionAndConnectionHeader)
{
    HttpRequest r;
    r.minorVersion = 1;
    EXPECT_TRUE(r.keepAlive());
    r.headers.append(qMakePair(QByteArray("connection"), QByteArray("Close")));
    EXPECT_FALSE(r.keepAlive());
    HttpRequest old;
    EXPECT_FALSE(old.keepAlive());
    old.headers.append(qMakePair(QByteArray("Connection"), QByteArray("keep-alive")));
    EXPECT_TRUE(old.keepAlive());
}

TEST(SerializeResponse, ChunkedOnlyForHttp11AndSkipsEmptyParts)
{
    HttpResponse r;
    r.chunkedWhenPossible = true;
    r.parts << "abc" << "" << "0123456789abcdef";
    const QByteArray v11 = serializeResponse(r, 1, true, false);
    EXPECT_TRUE(v11.contains("Transfer-Encoding: chunked\r\n"));
    EXPECT_FALSE(v11.contains("Content-Length"));
    EXPECT_TRUE(v11.endsWith("\r\n\r\n3\r\nabc\r\n10\r\n0123456789abcdef\r\n0\r\n\r\n"));

    const QByteArray v10 = serializeResponse(r, 0, false, false);
    EXPECT_TRUE(v10.startsWith("HTTP/1.0 200 OK\r\n"));
    EXPECT_TRUE(v10.contains("Content-Length: 19\r\n"));
    EXPECT_TRUE(v10.contains("Connection: close\r\n"));
    EXPECT_TRUE(v10.endsWith("\r\n\r\nabc0123456789abcdef"));

    const QByteArray head = serializeResponse(r, 0, true, true);
    EXPECT_TRUE(head.contains("Connection: keep-alive\r\n"));
    EXPECT_TRUE(head.endsWith("\r\n\r\n"));
}

} // namespace
