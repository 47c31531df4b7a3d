#include "wizard/Extraction.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace trouvel::wizard {
namespace {

class Extraction : public ::testing::Test {
protected:
    config::ScriptFile script(const QByteArray& text)
    {
        const QString path = dir.filePath(QStringLiteral("s.tvs"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        return config::ScriptFile(path);
    }
    static KeepGoing always() { return [] { return true; }; }

    QTemporaryDir dir;
    text::RegExp tags = stepPattern(QStringLiteral("<[^>]*>"), {});
    const QString page = QStringLiteral("<li><a href=\"/f/1\">Nord</a> <i>1988</i></li>\n"
                                        "<li><a href=\"/f/2\">Sud</a> <i>1990</i></li>\n"
                                        "<h1>Nord</h1><img src=\"/a/1.jpg\"><img src=\"/a/2.jpg\">");
};

TEST_F(Extraction, CandidatesTakeTheirGroupsAndLeaveMissingOnesEmpty)
{
    const auto found = extractCandidates(page, script("[SearchPage]\nPattern=<li><a href=\"/f/(\\d+)\">(.*?)</a>\nLink=1\nShortText=2\nLongText=5\n"),
                                         tags, always());
    ASSERT_EQ(found.candidates.size(), 2u);
    EXPECT_EQ(found.candidates[1].link, QStringLiteral("2"));
    EXPECT_EQ(found.candidates[1].desc1, QStringLiteral("Sud"));
    EXPECT_EQ(found.candidates[1].desc2, QString());
    EXPECT_TRUE(found.error.isEmpty());

    const auto invalid = extractCandidates(page, script("[SearchPage]\nPattern=(unclosed\n"), tags, always());
    EXPECT_TRUE(invalid.candidates.empty());
    EXPECT_FALSE(invalid.error.isEmpty());
}

TEST_F(Extraction, EachFieldSaysWhyItGaveNothing)
{
    const auto fields = extractFields(page, script("[FilmPage]\nCount=5\nMatch1=Titre|<h1>(.*?)</h1>\nMatch2=Sans motif\n"
                                                   "Match3=Année|<b>(\\d+)</b>\nMatch4=Cassé|(\nMatch5=Vide|<h1>\n"),
                                      4, tags, always());
    ASSERT_EQ(fields.fields.size(), 4u); // the row limit
    EXPECT_EQ(fields.fields[0].value, QStringLiteral("Nord"));
    EXPECT_TRUE(fields.fields[0].ticked);
    EXPECT_FALSE(fields.fields[1].ticked);
    EXPECT_TRUE(fields.fields[1].why.contains(QStringLiteral("Match2")));
    EXPECT_FALSE(fields.fields[2].ticked); // no match: unticked, nothing to say
    EXPECT_TRUE(fields.fields[2].why.isEmpty());
    EXPECT_TRUE(fields.fields[3].why.startsWith(QStringLiteral("Motif \"(\" : ")));
    EXPECT_FALSE(fields.stopped);
}

struct ListRow {
    const char* name;
    const char* keys; // the field's keys after Count=1
    const char* value;
    bool ticked;
};

class FieldLists : public Extraction, public ::testing::WithParamInterface<ListRow> {};

TEST_P(FieldLists, JoinGathersEveryMatchAndFallbacksAreTriedInOrder)
{
    const QString cast = QStringLiteral("<p class=a>Ana</p><p class=a>  Bo </p><p class=a>Ana</p><p class=a></p><p class=a>Cy &amp; Di</p>"
                                        "<td class=prod>1987</td><td class=sortie></td>");
    const auto fields = extractFields(cast, script(QByteArray("[FilmPage]\nCount=1\n") + GetParam().keys), 1, tags, always());
    ASSERT_EQ(fields.fields.size(), 1u);
    EXPECT_EQ(fields.fields[0].value.toStdString(), GetParam().value);
    EXPECT_EQ(fields.fields[0].ticked, GetParam().ticked);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, FieldLists,
    ::testing::Values(ListRow{"FirstMatchWithoutJoin", "Match1=A|<p class=a>([^<]*)</p>\n", "Ana", true},
                      ListRow{"JoinKeepsItsBlanksDropsEmptiesAndRepeats", "Match1=A|<p class=a>([^<]*)</p>\nJoin1=, \n", "Ana, Bo, Cy & Di", true},
                      ListRow{"JoinQuoted", "Match1=A|<p class=a>([^<]*)</p>\nJoin1=\" / \"\n", "Ana / Bo / Cy & Di", true},
                      ListRow{"FallbackWhenNoMatch", "Match1=An|<td class=an>(\\d+)\nMatch1.2=<td class=prod>(\\d+)\n", "1987", true},
                      ListRow{"FallbackWhenTheMatchIsEmpty", "Match1=An|<td class=sortie>([^<]*)\nMatch1.2=<td class=prod>(\\d+)\n", "1987", true},
                      ListRow{"EmptyMatchWhenNoFallbackGivesMore", "Match1=An|<td class=sortie>([^<]*)\nMatch1.2=<x>(y)\n", "", true},
                      ListRow{"FallbacksStopAtAGap", "Match1=An|<td class=an>(\\d+)\nMatch1.3=<td class=prod>(\\d+)\n", "", false},
                      ListRow{"AFallbackMayHoldABar", "Match1=An|<td class=an>(\\d+)\nMatch1.2=<td class=(?:sortie|prod)>(\\d+)\n", "1987", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Extraction, AStoppedAnalysisSaysWhereItStopped)
{
    int asked = 0;
    // A repeated group that may be empty runs long enough to ask the keep-going check.
    const QString longPage = QStringLiteral("<h1>") + QString(46, u'a');
    const auto fields = extractFields(longPage, script("[FilmPage]\nCount=3\nMatch1=A|(<h1>)\nMatch2=B|<h1>([\\s\\S]*?)+=/h1>\nMatch3=C|(a)\n"),
                                      3, tags, [&asked] { return ++asked < 2; });
    EXPECT_TRUE(fields.stopped);
    ASSERT_EQ(fields.fields.size(), 1u); // field 1 read, stopped in field 2
    EXPECT_TRUE(fields.fields[0].value.isEmpty()); // "<h1>" with its markup stripped
    EXPECT_EQ(asked, 2);
}

TEST_F(Extraction, TheLastPictureMatchNamesThePicture)
{
    const auto picture = extractPictureAddress(page, script("[FilmPage]\nPatternImg=<img src=\"/a/(\\d+).jpg\">\n[ImgPage]\nUrl=http://s/a/%1.jpg\n"),
                                               always());
    EXPECT_EQ(picture.address, QStringLiteral("http://s/a/2.jpg"));
    const auto broken = extractPictureAddress(page, script("[FilmPage]\nPatternImg=[\n"), always());
    EXPECT_TRUE(broken.address.isEmpty());
    EXPECT_TRUE(broken.error.startsWith(QStringLiteral("PatternImg : ")));
}

// What is kept is what a reader sees: texts decoded as page text, the link and the picture
// reference as addresses out of an attribute.
TEST_F(Extraction, ValuesAreWhatAReaderOfThePageSees)
{
    const QString coded = QStringLiteral("<li><a href=\"/f?id=1&amp;lang=fr\">Tom &amp; Lola</a> <i>L&#039;&Eacute;t&eacute;</i></li>\n"
                                         "<h1>C&oelig;ur &ndash; &laquo;&nbsp;1&nbsp;&raquo;</h1><img src=\"/p.php?id=9&amp;s=l\">");
    const auto found = extractCandidates(
        coded, script("[SearchPage]\nPattern=<li><a href=\"(.*?)\">(.*?)</a> <i>(.*?)</i>\nLink=1\nShortText=2\nLongText=3\n"), tags, always());
    ASSERT_EQ(found.candidates.size(), 1u);
    EXPECT_EQ(found.candidates[0].link, QStringLiteral("/f?id=1&lang=fr"));
    EXPECT_EQ(found.candidates[0].desc1, QStringLiteral("Tom & Lola"));
    EXPECT_EQ(found.candidates[0].desc2, QStringLiteral("L'Été"));
    const auto fields = extractFields(coded, script("[FilmPage]\nCount=1\nMatch1=Titre|<h1>(.*?)</h1>\n"), 1, tags, always());
    ASSERT_EQ(fields.fields.size(), 1u);
    EXPECT_EQ(fields.fields[0].value, QStringLiteral("Cœur – « 1 »"));
    const auto picture = extractPictureAddress(coded, script("[FilmPage]\nPatternImg=<img src=\"(.*?)\">\n[ImgPage]\nUrl=http://s%1\n"), always());
    EXPECT_EQ(picture.address, QStringLiteral("http://s/p.php?id=9&s=l"));
}

// A JSON page's strings are unescaped before the cleanup: the values, the link and the picture.
TEST_F(Extraction, JsonValuesAreUnescaped)
{
    const QString json = QStringLiteral("{\"films\": [{\"id\": \"9\", \"titre\": \"L\\u2019\\u00c9t\\u00e9 \\\"1983\\\"\"}],\n"
                                        " \"realisation\": \"No\\u00e9mie Daun\\u00e8s\", \"affiche\": \"http:\\/\\/s\\/affiches\\/9.jpg\"}");
    const auto found = extractCandidates(
        json, script("[SearchPage]\nPattern=\"id\": \"(.*?)\", \"titre\": \"((?:[^\"\\\\]|\\\\.)*)\"\nLink=1\nShortText=2\n"), tags,
        always(), true);
    ASSERT_EQ(found.candidates.size(), 1u);
    EXPECT_EQ(found.candidates[0].desc1, QStringLiteral("L’Été \"1983\""));
    const auto fields = extractFields(json, script("[FilmPage]\nCount=1\nMatch1=Réalisation|\"realisation\": \"(.*?)\"\n"), 1, tags,
                                      always(), true);
    EXPECT_EQ(fields.fields.at(0).value, QStringLiteral("Noémie Daunès"));
    const auto picture = extractPictureAddress(json, script("[FilmPage]\nPatternImg=affiche\": \"(.*?)\"\n[ImgPage]\nUrl=%1\n"),
                                               always(), {}, true);
    EXPECT_EQ(picture.address, QStringLiteral("http://s/affiches/9.jpg"));
}

struct PictureAddressRow {
    const char* name;
    const char* filled;
    const char* page; // the film page's final address
    const char* address;
    bool refused;
};

class PictureAddressResolution : public ::testing::TestWithParam<PictureAddressRow> {};

TEST_P(PictureAddressResolution, AsABrowserReadsAnImageSource)
{
    const PictureAddressRow& row = GetParam();
    const PictureAddress resolved = resolvePictureAddress(QString::fromUtf8(row.filled), QString::fromUtf8(row.page));
    EXPECT_EQ(resolved.address, QString::fromUtf8(row.address));
    EXPECT_EQ(!resolved.error.isEmpty(), row.refused) << resolved.error.toStdString();
    if (row.refused) {
        EXPECT_TRUE(resolved.error.contains(QStringLiteral("data:")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, PictureAddressResolution,
    ::testing::Values(PictureAddressRow{"AbsoluteAsItStands", "http://s/a b.jpg", "http://site/film/9", "http://s/a b.jpg", false},
                      PictureAddressRow{"RootRelative", "/img/9.jpg", "http://site:8080/film/9?v=2", "http://site:8080/img/9.jpg", false},
                      PictureAddressRow{"ProtocolRelative", "//cdn.example/9.jpg", "https://site/film/9", "https://cdn.example/9.jpg", false},
                      PictureAddressRow{"PageRelative", "affiches/9.jpg", "http://site/films/9.html", "http://site/films/affiches/9.jpg", false},
                      PictureAddressRow{"UpAFolder", "../img/9.jpg", "http://site/films/9/", "http://site/films/img/9.jpg", false},
                      PictureAddressRow{"LazyPlaceholder", "data:image/gif;base64,R0lGODlhAQABAAAAACw=", "http://site/f", "", true},
                      PictureAddressRow{"NoPageAddress", "/img/9.jpg", "", "/img/9.jpg", false},
                      PictureAddressRow{"Nothing", "", "http://site/f", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace trouvel::wizard
