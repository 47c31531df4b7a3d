#include "text/TextCodec.h"

#include <gtest/gtest.h>

using namespace trouvel::text;

TEST(TextCodec, Utf8DecodesAsUtf8)
{
    EXPECT_EQ(decodeText(QByteArray("Am\xC3\xA9lie")), QString::fromUtf8("Amélie"));
    EXPECT_TRUE(isValidUtf8(QByteArray("Am\xC3\xA9lie")));
}

TEST(TextCodec, InvalidBytesReadAsWindows1252WithoutLoss)
{
    // "é" and "€" in Windows-1252, mixed with a valid UTF-8 "è".
    const QByteArray bytes("\xE9t\xE9 \x80 \xC3\xA8");
    EXPECT_FALSE(isValidUtf8(bytes));
    EXPECT_EQ(decodeText(bytes), QString::fromUtf8("été € è"));
    EXPECT_EQ(encodeWindows1252(QString::fromUtf8("été €")), QByteArray("\xE9t\xE9 \x80"));
}

TEST(TextCodec, OverlongAndSurrogateSequencesAreNotUtf8)
{
    EXPECT_FALSE(isValidUtf8(QByteArray("\xC0\xAF")));
    EXPECT_FALSE(isValidUtf8(QByteArray("\xED\xA0\x80")));
    EXPECT_EQ(decodeText(QByteArray("\xF0\x9F\x8E\xAC")), QString::fromUtf8("🎬"));
}
