// When a response is whole, told from its raw bytes however they are split; and the
// LF to CR LF conversion of stored bytes.
#include "net/LineEnds.h"
#include "net/ResponseFraming.h"

#include <QList>

#include <gtest/gtest.h>

#include <random>

namespace trouvel::net {
namespace {

using State = ResponseFraming::State;

struct FramingCase {
    const char* name;
    QByteArray bytes;
    State expected;
};

void PrintTo(const FramingCase& c, std::ostream* os) { *os << c.name; }

class Framing : public ::testing::TestWithParam<FramingCase> {};

State feedInPieces(const QByteArray& bytes, qsizetype pieceSize)
{
    ResponseFraming framing;
    for (qsizetype i = 0; i < bytes.size(); i += pieceSize)
        framing.feed(QByteArrayView(bytes).sliced(i, std::min(pieceSize, bytes.size() - i)));
    return framing.state();
}

TEST_P(Framing, SameVerdictWhateverThePieces)
{
    const FramingCase& c = GetParam();
    for (qsizetype piece : {qsizetype(1), qsizetype(2), qsizetype(3), qsizetype(7), c.bytes.size() + 1}) {
        EXPECT_EQ(feedInPieces(c.bytes, piece), c.expected) << "pieces of " << piece;
    }
}

TEST_P(Framing, NoShorterPrefixIsWhole)
{
    const FramingCase& c = GetParam();
    for (qsizetype length = 0; length < c.bytes.size(); ++length) {
        ResponseFraming framing;
        framing.feed(QByteArrayView(c.bytes).first(length));
        ASSERT_FALSE(framing.complete()) << "whole after " << length << " bytes";
        // A close right before the last byte cuts a framed response short.
        if (c.expected == State::Complete && length == c.bytes.size() - 1) {
            EXPECT_TRUE(framing.truncated());
        }
    }
}

const QByteArray kChunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                            "5\r\nHello\r\n"
                            "1A;ext=1\r\nabcdefghijklmnopqrstuvwxyz\r\n"
                            "0\r\nX-Trailer: 1\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(
    Responses, Framing,
    ::testing::Values(
        FramingCase{"ContentLength", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nHello", State::Complete},
        FramingCase{"ContentLengthBareLf", "HTTP/1.1 200 OK\nContent-length:5\n\nHello", State::Complete},
        FramingCase{"ContentLengthZero", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", State::Complete},
        FramingCase{"ContentLengthRepeated", "HTTP/1.1 200 OK\r\nContent-Length: 2, 2\r\n\r\nab", State::Complete},
        FramingCase{"ContentLengthConflict", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 3\r\n\r\nabc",
                    State::UntilClose},
        FramingCase{"ContentLengthNotNumber", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n", State::UntilClose},
        FramingCase{"ContentLengthHuge", "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n\r\nx",
                    State::UntilClose},
        FramingCase{"Chunked", kChunked, State::Complete},
        FramingCase{"ChunkedBeatsLength",
                    "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nTransfer-Encoding: gzip, Chunked\r\n\r\n0\r\n\r\n",
                    State::Complete},
        FramingCase{"ChunkSizeOverflow", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nffffffffffffffff\r\nab",
                    State::UntilClose},
        FramingCase{"ChunkSizeGarbage", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", State::UntilClose},
        FramingCase{"ChunkWithoutCrLf", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1\r\nab\r\n",
                    State::UntilClose},
        FramingCase{"OtherTransferEncoding", "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\n\r\nxx", State::UntilClose},
        FramingCase{"NoLength", "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html>", State::UntilClose},
        FramingCase{"NoContent", "HTTP/1.1 204 No Content\r\n\r\n", State::Complete},
        FramingCase{"NotModified", "HTTP/1.1 304 Not Modified\r\nContent-Length: 50\r\n\r\n", State::Complete},
        FramingCase{"InterimThenFinal",
                    "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", State::Complete},
        FramingCase{"SwitchingProtocols", "HTTP/1.1 101 Switching Protocols\r\n\r\n", State::UntilClose},
        FramingCase{"NoStatusLine", "<html>hello</html>\n", State::UntilClose},
        FramingCase{"FoldedHeader", "HTTP/1.1 200 OK\r\nX: a\r\n b\r\nContent-Length: 1\r\n\r\nx", State::UntilClose},
        FramingCase{"StatusWithoutReason", "HTTP/1.1 200\r\nContent-Length: 1\r\n\r\nx", State::Complete}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Framing, BytesAfterTheEndChangeNothing)
{
    ResponseFraming framing;
    framing.feed("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nxHTTP/1.1 garbage\r\n");
    EXPECT_TRUE(framing.complete());
    EXPECT_FALSE(framing.truncated());
}

TEST(Framing, NothingReceivedIsNotTruncated)
{
    ResponseFraming framing;
    framing.feed("");
    EXPECT_FALSE(framing.truncated());
    EXPECT_EQ(framing.state(), State::StatusLine);
}

TEST(Framing, OverlongHeaderLineGivesUp)
{
    ResponseFraming framing;
    framing.feed("HTTP/1.1 200 OK\r\nX: ");
    framing.feed(QByteArray(ResponseFraming::kMaxLine, 'a'));
    EXPECT_EQ(framing.state(), State::UntilClose);
}

TEST(Framing, EndlessHeaderBlockGivesUp)
{
    ResponseFraming framing;
    framing.feed("HTTP/1.1 200 OK\r\n");
    const QByteArray header = "X-Filler: " + QByteArray(1000, 'a') + "\r\n";
    for (int i = 0; i < 1100 && framing.state() == State::Headers; ++i)
        framing.feed(header);
    EXPECT_EQ(framing.state(), State::UntilClose);
}

// Random bytes, and random damage to real responses, in random pieces: the verdict never
// goes back once given, and every byte is looked at once.
TEST(Framing, RandomInputInRandomPieces)
{
    std::mt19937 random(20260412);
    const QByteArray seeds[] = {kChunked, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123456789",
                                "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 204 X\r\n\r\n"};
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = seeds[round % 3];
        if (round % 2) {
            for (int k = 0; k < 4; ++k)
                bytes[random() % bytes.size()] = char(random() % 256);
        } else {
            bytes = QByteArray(int(random() % 200), '\0');
            for (char& c : bytes)
                c = "0123456789abcdefHTTP/1. :\r\n;"[random() % 29];
        }
        ResponseFraming framing;
        bool wasComplete = false;
        for (qsizetype i = 0; i < bytes.size();) {
            const qsizetype n = std::min<qsizetype>(1 + random() % 9, bytes.size() - i);
            framing.feed(QByteArrayView(bytes).sliced(i, n));
            i += n;
            if (wasComplete) {
                ASSERT_TRUE(framing.complete());
            }
            wasComplete = framing.complete();
        }
    }
}

struct LineEndCase {
    const char* name;
    QList<QByteArray> pieces;
    QByteArray stored;
};

void PrintTo(const LineEndCase& c, std::ostream* os) { *os << c.name; }

class LineEnds : public ::testing::TestWithParam<LineEndCase> {};

TEST_P(LineEnds, EveryLfStoredAsCrLf)
{
    QByteArray stored;
    for (const QByteArray& piece : GetParam().pieces)
        appendWithCrLf(stored, piece);
    EXPECT_EQ(stored, GetParam().stored);
}

// Against a byte-by-byte conversion, for every length around the sizes the conversion works
// in, with LFs sparse, dense and in runs.
TEST(LineEndsAgainstBytes, AnyLengthAnyDensity)
{
    std::mt19937 random(7);
    for (const int lfEvery : {2, 5, 17, 80, 1000}) {
        for (qsizetype length = 0; length < 70; ++length) {
            QByteArray bytes(length, Qt::Uninitialized);
            for (char& c : bytes)
                c = random() % lfEvery == 0 ? '\n' : char(random() % 256);
            QByteArray expected = "prefix";
            for (const char c : bytes) {
                if (c == '\n')
                    expected += '\r';
                expected += c;
            }
            QByteArray stored = "prefix";
            appendWithCrLf(stored, bytes);
            ASSERT_EQ(stored, expected) << "length " << length << ", a LF in " << lfEvery;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, LineEnds,
    ::testing::Values(LineEndCase{"CrLfAndBareLf", {"A\r\nB\n"}, "A\r\r\nB\r\n"},
                      LineEndCase{"CrAndLfInTwoPieces", {"A\r", "\nB\n"}, "A\r\r\nB\r\n"},
                      LineEndCase{"OnlyLfs", {"\n", "\n\n"}, "\r\n\r\n\r\n"},
                      LineEndCase{"NoLf", {"abc", ""}, "abc"},
                      LineEndCase{"BinaryKept", {QByteArray("\0\xff\n", 3)}, QByteArray("\0\xff\r\n", 4)}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace trouvel::net
