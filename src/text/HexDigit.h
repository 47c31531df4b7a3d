// The value of a hexadecimal digit, for the readers of numbers in pages and responses.
#pragma once

namespace trouvel::text {

// 0-15 for 0-9, a-f and A-F; -1 for anything else.
constexpr int hexDigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

} // namespace trouvel::text
