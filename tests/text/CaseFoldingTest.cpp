#include "text/CaseFolding.h"

#include <QString>

#include <gtest/gtest.h>

namespace trouvel::text {
namespace {

// The definition itself: the upper-case form when it is one unit, never non-ASCII onto ASCII.
char16_t canonicalByDefinition(char16_t c)
{
    const QString upper = QString(QChar(c)).toUpper();
    if (upper.size() != 1)
        return c;
    const char16_t u = upper.at(0).unicode();
    return (c >= 128 && u < 128) ? c : u;
}

TEST(CaseFolding, EveryCodeUnitFoldsAsTheDefinitionSays)
{
    int differences = 0;
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        if (canonicalCase(char16_t(c)) != canonicalByDefinition(char16_t(c))) {
            ADD_FAILURE() << "U+" << std::hex << unsigned(c);
            if (++differences > 10)
                break;
        }
    }
}

TEST(CaseFolding, UnitsWithoutOneUnitUpperCaseStayThemselves)
{
    EXPECT_EQ(canonicalCase(u'é'), u'É');
    EXPECT_EQ(canonicalCase(u'ß'), u'ß');           // "SS"
    EXPECT_EQ(canonicalCase(u'\u1F80'), u'\u1F80'); // two units in upper case
    EXPECT_EQ(canonicalCase(u'ſ'), u'ſ');           // would fold onto ASCII 'S'
    EXPECT_EQ(canonicalCase(u'\u212A'), u'\u212A'); // Kelvin sign
}

} // namespace
} // namespace trouvel::text
