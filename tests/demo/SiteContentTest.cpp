#include "site/SiteContent.h"
#include "site/SiteText.h"

#include <QImage>

#include <gtest/gtest.h>

#include <set>

using namespace trouvel::demo;

namespace {

struct FormCase {
    const char* name;
    QByteArray data;
    QString expected;
};

class ParseForm : public ::testing::TestWithParam<FormCase> {};

TEST_P(ParseForm, DecodesTheTitle)
{
    EXPECT_EQ(parseForm(GetParam().data).value(QStringLiteral("titre")), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ParseForm,
    ::testing::Values(FormCase{"PlusIsBlank", "titre=Le+Dernier+%C3%89t%C3%A9", QString::fromUtf8("Le Dernier Été")},
                      FormCase{"RawUtf8", "titre=Nord/Sud+?", QStringLiteral("Nord/Sud ?")},
                      FormCase{"Windows1252Bytes", "titre=Et+apr%E8s", QString::fromUtf8("Et après")},
                      FormCase{"EncodedPlusStays", "titre=a%2Bb", QStringLiteral("a+b")},
                      FormCase{"FirstOccurrenceWins", "titre=un&titre=deux", QStringLiteral("un")},
                      FormCase{"OtherParameters", "x=1&&titre=t&y", QStringLiteral("t")},
                      FormCase{"Missing", "titr=t", QString()}),
    [](const ::testing::TestParamInfo<FormCase>& info) { return std::string(info.param.name); });

TEST(SearchKey, IgnoresAccentsCasePunctuationAndLigatures)
{
    EXPECT_EQ(searchKey(QString::fromUtf8("  Le Dernier ÉTÉ ")), QStringLiteral("le dernier ete"));
    EXPECT_EQ(searchKey(QString::fromUtf8("Paris/Lisbonne : aller simple")), QStringLiteral("paris lisbonne aller simple"));
    EXPECT_EQ(searchKey(QString::fromUtf8("Haudecœur")), QStringLiteral("haudecoeur"));
    EXPECT_EQ(searchKey(QStringLiteral("?!")), QString());
}

TEST(HtmlEntities, WritesOnlyTheEntitiesReadersDecode)
{
    EXPECT_EQ(htmlEntities(QString::fromUtf8("Été à Noël <b>")), QString::fromUtf8("Ét&eacute; &agrave; No&euml;l &lt;b&gt;"));
    EXPECT_EQ(htmlEntities(QString::fromUtf8("1\u00a0h")), QStringLiteral("1&nbsp;h"));
}

class SiteContentTest : public ::testing::Test {
protected:
    SiteContent content{bundledFilmCatalogue()};

    HttpResponse get(const QByteArray& target, const QByteArray& method = "GET", const QByteArray& body = {})
    {
        HttpRequest r;
        r.method = method;
        r.target = target;
        r.minorVersion = 1;
        r.body = body;
        return content.respond(r);
    }
};

TEST_F(SiteContentTest, TheDataHasWhatTheDemoNeeds)
{
    const auto& films = content.catalogue().films;
    EXPECT_GE(films.size(), 35u);
    std::map<QString, int> titles;
    int none = 0, broken = 0, special = 0;
    for (const Film& f : films) {
        ++titles[searchKey(f.title)];
        none += f.poster == PosterKind::None;
        broken += f.poster == PosterKind::Broken;
        special += f.title.contains(QLatin1Char(':')) || f.title.contains(QLatin1Char('/')) || f.title.contains(QLatin1Char('?'));
    }
    int shared = 0;
    for (const auto& [key, n] : titles)
        shared += n > 1;
    EXPECT_GE(shared, 2);
    EXPECT_EQ(none, 1);
    EXPECT_EQ(broken, 1);
    EXPECT_GE(special, 3);
}

TEST_F(SiteContentTest, SearchPrefersWholeTitlesThenWords)
{
    EXPECT_EQ(content.search(QString::fromUtf8("les oiseaux de PASSAGE")).size(), 3u);
    EXPECT_EQ(content.search(QStringLiteral("cinq heures a bruxelles")).size(), 1u);
    // "Le Dernier Été" exists twice as a whole title; a word of several titles lists them all.
    EXPECT_EQ(content.search(QString::fromUtf8("le dernier été")).size(), 2u);
    EXPECT_GE(content.search(QStringLiteral("Ouessant")).size(), 1u);
    EXPECT_TRUE(content.search(QStringLiteral("Minuit à Carcassonne")).empty());
    EXPECT_TRUE(content.search(QStringLiteral("  ")).empty());
    // Part of a word is not a match.
    EXPECT_TRUE(content.search(QStringLiteral("Ouess")).empty());
}

TEST_F(SiteContentTest, GetAndPostSearchAnswerTheSame)
{
    const QByteArray viaGet = get("/recherche?titre=Nord/Sud").body();
    const QByteArray viaPost = get("/recherche", "POST", "titre=Nord/Sud").body();
    EXPECT_EQ(viaGet, viaPost);
    EXPECT_EQ(viaGet.count("class=\"lien-film\""), 1);
    EXPECT_TRUE(viaGet.contains("href=\"/film/108\""));
}

TEST_F(SiteContentTest, StatusesOfOtherRequests)
{
    EXPECT_EQ(get("/film/99999").status, 404);
    EXPECT_EQ(get("/nulle/part").status, 404);
    EXPECT_EQ(get("/film/101", "DELETE").status, 405);
    EXPECT_EQ(get("/recherche", "PUT").status, 405);
    EXPECT_EQ(get("/film/101", "POST").status, 200);
    EXPECT_EQ(get("/affiches/118.jpg").status, 404) << "the film without a poster";
    content.forceStatus("/recherche", 503);
    const HttpResponse busy = get("/recherche?titre=x");
    EXPECT_EQ(busy.status, 503);
    content.forceStatus("/recherche", 0);
    EXPECT_EQ(get("/recherche?titre=x").status, 200);
}

TEST_F(SiteContentTest, PostersAreJpegsExceptTheBrokenOne)
{
    std::set<QByteArray> seen;
    for (const Film& film : content.catalogue().films) {
        if (film.poster == PosterKind::None)
            continue;
        const HttpResponse r = get(film.posterPath().toLatin1());
        ASSERT_EQ(r.status, 200) << film.id;
        EXPECT_EQ(r.contentType, "image/jpeg");
        const QImage image = QImage::fromData(r.body(), "JPG");
        if (film.poster == PosterKind::Broken) {
            EXPECT_TRUE(image.isNull()) << film.id;
        } else {
            EXPECT_EQ(image.size(), QSize(300, 450)) << film.id;
            EXPECT_TRUE(seen.insert(r.body()).second) << "two films with the same poster: " << film.id;
        }
    }
}

} // namespace
