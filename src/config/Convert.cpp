#include "config/Convert.h"

#include <cmath>
#include <limits>

namespace trouvel::config {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Accepts [blanks][sign](digits[.digits] | .digits)[(e|E)[sign]digits][blanks], the forms the
// scripts' and settings' numbers take; returns the text without the blanks, or an empty string.
QString numberText(const QString& text)
{
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    qsizetype i = b;
    if (i < e && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < e && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < e && text[i] == u'.') {
        ++i;
        while (i < e && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return {};
    if (i < e && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < e && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        qsizetype expDigits = 0;
        while (i < e && isDigit(text[i])) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return {};
    }
    if (i != e)
        return {};
    return text.mid(b, e - b);
}

} // namespace

double roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double down = std::floor(value);
    const double diff = value - down;
    if (diff < 0.5)
        return down;
    if (diff > 0.5)
        return down + 1.0;
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

std::optional<double> toNumber(const QString& text)
{
    const QString t = numberText(text);
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok);
    // A huge exponent reads as infinity: still a number, and one that fits nothing.
    if (!ok && !std::isinf(v))
        return std::nullopt;
    return v;
}

std::int16_t toInt16(const QString& text)
{
    const std::optional<double> v = toNumber(text);
    if (!v)
        throw ConversionError("type mismatch");
    const double r = roundHalfEven(*v);
    if (!(r >= std::numeric_limits<std::int16_t>::min() && r <= std::numeric_limits<std::int16_t>::max()))
        throw ConversionError("overflow");
    return static_cast<std::int16_t>(r);
}

std::optional<std::int16_t> tryToInt16(const QString& text)
{
    try {
        return toInt16(text);
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

} // namespace trouvel::config
