// Character references read as a browser reads them, in page text and in addresses.
#include "text/CharacterReferences.h"

#include "text/QStringPrinter.h"

#include <gtest/gtest.h>

using namespace trouvel::text;

namespace {

struct ReferenceRow {
    const char* name;
    const char* input; // UTF-8
    ReferenceContext context;
    const char* expected;
};

class CharacterReferences : public ::testing::TestWithParam<ReferenceRow> {};

TEST_P(CharacterReferences, DecodeAsABrowserDoes)
{
    EXPECT_EQ(decodeCharacterReferences(QString::fromUtf8(GetParam().input), GetParam().context),
              QString::fromUtf8(GetParam().expected));
}

constexpr auto kText = ReferenceContext::Text;
constexpr auto kAttribute = ReferenceContext::Attribute;

INSTANTIATE_TEST_SUITE_P(Rows, CharacterReferences, ::testing::Values(
    ReferenceRow{"Ampersand", "Tom &amp; Lola", kText, "Tom & Lola"},
    ReferenceRow{"Apostrophes", "L&#039;Été, l&rsquo;été, l&apos;été", kText, "L'Été, l’été, l'été"},
    ReferenceRow{"FrenchQuotesAndDashes", "&laquo;&nbsp;Nord&nbsp;&raquo; &ndash; &mdash; &hellip;", kText, "«\u00A0Nord\u00A0» – — …"},
    ReferenceRow{"UpperCaseNames", "&Eacute;t&eacute; &OElig;uvre &AMP;", kText, "Été Œuvre &"},
    ReferenceRow{"HexAndDecimal", "&#x2019;&#X201C;&#8220;&#233;", kText, "’““é"},
    ReferenceRow{"OutsideTheBmp", "&#x1F3AC; &#127871;", kText, "\U0001F3AC \U0001F37F"},
    ReferenceRow{"TwoCharacterName", "&NotEqualTilde;", kText, "\u2242\u0338"},
    ReferenceRow{"Windows1252Numbers", "&#146;&#150;&#128;&#x9C;", kText, "’–€œ"},
    ReferenceRow{"NumberWithoutSemicolon", "&#233t&#x00E9", kText, "été"},
    ReferenceRow{"OldNameWithoutSemicolon", "&copy 2020 &eacutet&eacute", kText, "© 2020 été"},
    ReferenceRow{"LongestNameWins", "&notit; &notin;", kText, "¬it; ∉"},
    ReferenceRow{"NewNameNeedsItsSemicolon", "&rsquo &hellip", kText, "&rsquo &hellip"},
    ReferenceRow{"UnknownStays", "&foo; &; & &#; &#x; AT&T", kText, "&foo; &; & &#; &#x; AT&T"},
    ReferenceRow{"NoCharacterStays", "&#0; &#xD800; &#x110000; &#99999999999;", kText, "&#0; &#xD800; &#x110000; &#99999999999;"},
    ReferenceRow{"OnePass", "&amp;lt; &amp;#039;", kText, "&lt; &#039;"},
    ReferenceRow{"AddressKeepsItsParameters", "/film?id=3&amp;lang=fr&copy=2&not", kAttribute, "/film?id=3&lang=fr&copy=2¬"},
    ReferenceRow{"TextReadsTheOldNameBeforeEquals", "&copy=2", kText, "©=2"},
    ReferenceRow{"Nothing", "Le grand bleu", kText, "Le grand bleu"}),
    [](const ::testing::TestParamInfo<ReferenceRow>& info) { return std::string(info.param.name); });

} // namespace
