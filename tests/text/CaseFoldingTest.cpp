#include "text/CaseFolding.h"

#include <QString>

#include <map>
#include <vector>

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

// The classes written at build time are those of the Qt the program runs with: a unit's
// closure is every unit of the same canonical form, no more.
TEST(CaseFolding, ClosureOfAUnitIsItsWholeClass)
{
    std::map<char16_t, std::vector<char16_t>> byForm;
    for (char32_t c = 0; c <= 0xFFFF; ++c)
        byForm[canonicalByDefinition(char16_t(c))].push_back(char16_t(c));
    int differences = 0;
    for (const auto& [form, members] : byForm) {
        // Every unit of a shared form, and a sample of the units alone in theirs.
        if (members.size() == 1 && form % 97 != 0)
            continue;
        for (const char16_t c : members) {
            CharSet expected;
            for (const char16_t m : members)
                expected.add(m);
            if (caseClosure(CharSet::single(c)).ranges() != expected.ranges() && ++differences <= 10)
                ADD_FAILURE() << "U+" << std::hex << unsigned(c);
        }
    }
    EXPECT_EQ(differences, 0);
}

// Sets of many ranges and their complements, as classes such as [a-f0-9] and [^<] make them:
// the closure is every unit whose form some member has.
TEST(CaseFolding, ClosureOfAWideSetIsEveryUnitOfItsForms)
{
    CharSet hex;
    hex.add(u'a', u'f');
    hex.add(u'0', u'9');
    CharSet accents;
    accents.add(u'\u00e0', u'\u00ff');
    accents.add(u'\u0100', u'\u017f');
    const std::pair<const char*, CharSet> sets[] = {
        {"hex", hex},
        {"not <", CharSet::single(u'<').complement()},
        {"accents", accents},
        {"not word", CharSet::wordChars().complement()},
        {"greek sigma", CharSet::single(u'\u03c2')},
        {"empty", CharSet()},
    };
    for (const auto& [name, set] : sets) {
        std::vector<bool> forms(0x10000);
        for (const auto& [lo, hi] : set.ranges())
            for (char32_t c = lo; c <= hi; ++c)
                forms[canonicalByDefinition(char16_t(c))] = true;
        CharSet expected;
        for (char32_t c = 0; c <= 0xFFFF; ++c)
            if (forms[canonicalByDefinition(char16_t(c))])
                expected.add(char16_t(c));
        EXPECT_EQ(caseClosure(set).ranges(), expected.ranges()) << name;
    }
}

} // namespace
} // namespace trouvel::text
