#include "text/RegExp.h"
#include "text/TextCleanup.h"

#include "text/QStringPrinter.h"

#include <gtest/gtest.h>

using namespace trouvel::text;

namespace {

struct CleanupRow {
    const char* name;
    const char* input; // UTF-8
    const char* expected;
};

// The window's reg2: every option on, as the window sets it when it loads.
class StripTag : public ::testing::TestWithParam<CleanupRow> {
protected:
    StripTag()
    {
        reg2.Global(true);
        reg2.IgnoreCase(true);
        reg2.Multiline(true);
    }
    RegExp reg2;
};

TEST_P(StripTag, GivesOneLineOfPlainText)
{
    EXPECT_EQ(stripTag(reg2, QString::fromUtf8(GetParam().input)), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Rows, StripTag, ::testing::Values(
    CleanupRow{"EntitiesAndNbsp", "<td class=t>Am&eacute;lie&nbsp;&amp;&nbsp;Nino</td>", "Amélie &amp; Nino"},
    CleanupRow{"ScriptUpperCase", "<SCRIPT>var a=1;</SCRIPT>Titre", "Titre"},
    CleanupRow{"ScriptOverLines", "A<script type=\"x\">\r\nif (a < b) {\r\n  c = '<b>';\r\n}\r\n</script>B", "AB"},
    CleanupRow{"ScriptsEndAtNearestEndTag", "<script>1</script>x<script>2</script>y", "xy"},
    CleanupRow{"UnclosedScriptStays", "<script>var a; Titre", "var a; Titre"},
    CleanupRow{"LineBreaksAndIndentation", "\r\n   <b>Le</b>\r\n\t\tgrand\n\n   bleu  \r\n", "Le grand bleu"},
    CleanupRow{"TagAcrossLineFeedStays", "<a\nhref=x>Lien</a>", "<a href=x>Lien"},
    CleanupRow{"TagAcrossCarriageReturnIsRemoved", "<a\rhref=x>Lien</a>", "Lien"},
    CleanupRow{"LessThanWithoutGreaterOnItsLineStays", "1 < 2\r\n<b>3</b>", "1 < 2 3"},
    CleanupRow{"LessThanRunsToNearestGreater", "1 < 2 <b> 3", "1 3"},
    CleanupRow{"LineBreakingTagsSeparateWords", "Drame<br>de X<BR/>et<p class=r>Y</P><div>Z</div><li>1</li><li>2",
               "Drame de X et Y Z 1 2"},
    CleanupRow{"TableCellsAndHeadingsSeparateWords", "<tr><th>A</th><td>b</td></tr><h2>C</h2>d", "A b C d"},
    CleanupRow{"BlankAlreadyThereStaysOne", "a <br> b</td> c", "a b c"},
    CleanupRow{"OtherTagsGlueAsBefore", "<b>Le</b>grand<pre>x</pre><brand>y<h7>z", "Legrandxyz"},
    CleanupRow{"UpperCaseEntityStays", "&Eacute;t&eacute;", "&Eacute;té"},
    CleanupRow{"NumericAndOtherEntitiesStay", "&#233; &lt;&gt; &quot; &NBSP;", "&#233; &lt;&gt; &quot; &NBSP;"},
    CleanupRow{"EveryTableEntity", "&agrave;&acirc;&ccedil;&eacute;&egrave;&ecirc;&euml;&icirc;&iuml;&ocirc;&ugrave;",
               "àâçéèêëîïôù"},
    CleanupRow{"EntitiesSideBySide", "&&eacute;&eacute&agrave;&agrave;;", "&é&eacuteàà;"},
    CleanupRow{"NbspMergesWithBlanks", "a \t&nbsp;\r\n&nbsp; b", "a b"},
    CleanupRow{"NbspAtEndsIsTrimmed", "&nbsp;a&nbsp;", "a"},
    CleanupRow{"EntityBuiltFromParts", "&amp;eacute;", "&amp;eacute;"},
    CleanupRow{"OtherWhiteSpaceKinds", "a\x0B\x0C" "b", "a b"},
    CleanupRow{"NoBreakSpaceCharacterStays", "\xC2\xA0" "a" "\xC2\xA0", "\xC2\xA0" "a" "\xC2\xA0"},
    CleanupRow{"Empty", "", ""},
    CleanupRow{"OnlyTags", "<br><hr/>", ""}),
    [](const ::testing::TestParamInfo<CleanupRow>& info) { return std::string(info.param.name); });

TEST(StripTagObject, OnlyThePatternOfReg2Changes)
{
    RegExp reg2;
    reg2.Global(true);
    reg2.IgnoreCase(true);
    reg2.Multiline(true);
    stripTag(reg2, QStringLiteral("<b>x</b>"));
    EXPECT_TRUE(reg2.Global());
    EXPECT_TRUE(reg2.IgnoreCase());
    EXPECT_TRUE(reg2.Multiline());
    EXPECT_EQ(reg2.Pattern(), QStringLiteral("\\s+"));
}

class StripFileName : public ::testing::TestWithParam<CleanupRow> {};

TEST_P(StripFileName, GivesAUsableName)
{
    EXPECT_EQ(stripFileName(QString::fromUtf8(GetParam().input)), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Rows, StripFileName, ::testing::Values(
    CleanupRow{"Colon", "Alien: le 8e passager", "Alien- le 8e passager"},
    CleanupRow{"Slash", "AC/DC", "AC-DC"},
    CleanupRow{"Question", "Qui?", "Qui-"},
    CleanupRow{"TwoHyphensMerge", "a:/b", "a-b"},
    CleanupRow{"ThreeHyphensGiveTwo", "a://b", "a--b"},
    CleanupRow{"FourHyphensGiveTwo", "a----b", "a--b"},
    CleanupRow{"EveryForbiddenCharacter", "a\\b/c:d*e?f<g>h|i", "a-b-c-d-e-f-g-h-i"},
    CleanupRow{"DoubleQuotesStay", "Le \"Grand\" bleu", "Le \"Grand\" bleu"},
    CleanupRow{"BlanksTrimmed", "  Ran  ", "Ran"},
    CleanupRow{"AccentsKept", "L'\xC3\xA9t\xC3\xA9 meurtrier", "L'été meurtrier"},
    CleanupRow{"Empty", "", ""}),
    [](const ::testing::TestParamInfo<CleanupRow>& info) { return std::string(info.param.name); });

} // namespace
