// Number conversions with the rules the scripts and settings rely on: 16-bit signed
// integers, fractions rounded to the nearest whole number with halves to even.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <stdexcept>

namespace trouvel::config {

// A text that is not a number ("type mismatch") or does not fit 16 bits ("overflow").
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Decimal text, blanks around allowed, optional sign and fraction; rounded half to even.
// Throws ConversionError for empty text, letters, or a value outside -32768..32767.
std::int16_t toInt16(const QString& text);
std::optional<std::int16_t> tryToInt16(const QString& text);
// The number in text, or nothing when it is not one.
std::optional<double> toNumber(const QString& text);
// Nearest whole number, halves to the even neighbour.
double roundHalfEven(double value);

} // namespace trouvel::config
