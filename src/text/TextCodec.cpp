#include "text/TextCodec.h"

#include <array>

namespace trouvel::text {

namespace {

// Windows-1252 code points for 0x80..0x9F; the undefined ones map to the C1 control of the same value.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t windows1252(unsigned char b)
{
    return (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : char16_t(b);
}

// Length of the valid UTF-8 sequence starting at p (1 to 4), or 0 when the bytes there are not one.
int utf8SequenceLength(const unsigned char* p, qsizetype left, char32_t& cp)
{
    const unsigned char b = p[0];
    if (b < 0x80) {
        cp = b;
        return 1;
    }
    int n;
    char32_t min;
    if ((b & 0xE0) == 0xC0) {
        n = 2; cp = b & 0x1F; min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        n = 3; cp = b & 0x0F; min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        n = 4; cp = b & 0x07; min = 0x10000;
    } else {
        return 0;
    }
    if (left < n)
        return 0;
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

} // namespace

bool isValidUtf8(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        char32_t cp;
        const int n = utf8SequenceLength(p + i, size - i, cp);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

QString decodeText(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    QString out;
    out.reserve(size);
    for (qsizetype i = 0; i < size;) {
        // ASCII runs are the common case on web pages.
        if (p[i] < 0x80) {
            out.append(QChar(p[i]));
            ++i;
            continue;
        }
        char32_t cp;
        const int n = utf8SequenceLength(p + i, size - i, cp);
        if (n == 0) {
            out.append(QChar(windows1252(p[i])));
            ++i;
        } else {
            if (cp >= 0x10000) {
                out.append(QChar(QChar::highSurrogate(cp)));
                out.append(QChar(QChar::lowSurrogate(cp)));
            } else {
                out.append(QChar(char16_t(cp)));
            }
            i += n;
        }
    }
    return out;
}

QByteArray encodeWindows1252(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(char(u));
            continue;
        }
        bool found = false;
        for (int i = 0; i < 32; ++i) {
            if (kHigh[i] == u && !(u >= 0x80 && u < 0xA0)) {
                out.append(char(0x80 + i));
                found = true;
                break;
            }
        }
        if (!found)
            out.append(QString(c).toUtf8());
    }
    return out;
}

} // namespace trouvel::text
