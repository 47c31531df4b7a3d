#include "config/ScriptLint.h"

#include <QDir>
#include <QFile>

#include <algorithm>

#include <gtest/gtest.h>

namespace trouvel::config {
namespace {

// A script that lints clean; each row changes one thing in it.
const QByteArray kClean = "[Options]\nMethode=0\n"
                          "[SearchPage]\nUrl=http://site/cherche?q=%1\nPattern=<a href=\"/f/(\\d+)\">([^<]*)</a> (\\d{4})\n"
                          "Link=1\nShortText=2\nLongText=3\n"
                          "[FilmPage]\nUrl=http://site/f/%1\nCount=2\nMatch1=Titre|<h1>([^<]*)</h1>\nMatch2=Année|<b>(\\d{4})</b>\n"
                          "PatternImg=<img src=\"([^\"]+)\"\n"
                          "[ImgPage]\nUrl=%1\n";

struct LintRow {
    const char* name;
    const char* from; // replaced in kClean ("" appends `to`)
    const char* to;
    int line;
    const char* message;
    size_t count = 1; // warnings in all
};

class Lint : public ::testing::TestWithParam<LintRow> {};

TEST_P(Lint, NamesTheMistakeAndItsLine)
{
    const LintRow& row = GetParam();
    QByteArray script = kClean;
    if (*row.from)
        script.replace(row.from, row.to);
    else
        script.append(row.to);
    const std::vector<LintWarning> warnings = lintScript(script);
    QString all;
    for (const LintWarning& w : warnings)
        all += lintWarningLine(QStringLiteral("s.tvs"), w) + u'\n';
    EXPECT_EQ(warnings.size(), row.count) << all.toStdString();
    EXPECT_TRUE(std::any_of(warnings.begin(), warnings.end(), [&row](const LintWarning& w) {
        return w.line == row.line && w.message.contains(QString::fromUtf8(row.message));
    })) << all.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, Lint,
    ::testing::Values(
        LintRow{"UnknownSection", "[ImgPage]", "[ImagePage]", 15, "[ImagePage] : section inconnue, vouliez-vous dire [ImgPage] ?", 2},
        LintRow{"MisspeltKey", "PatternImg=", "PaternImg=", 14, "PaternImg : vouliez-vous dire PatternImg ?", 2},
        LintRow{"KeyOfAnotherSection", "Methode=0", "Count=3", 2, "Count : n'est lue que dans [FilmPage]"},
        LintRow{"SectionTwice", "", "[FilmPage]\n", 17, "[FilmPage] en double"},
        LintRow{"MatchBeyondCount", "Match2=", "Match13=", 13, "Match13 : au-delà de Count=2", 2},
        LintRow{"FieldOutsideFilmPage", "", "Match3=Note|(\\d)\n", 17, "Match3 : hors de [FilmPage], ce champ n'est pas lu"},
        LintRow{"GroupBeyondPattern", "LongText=3", "LongText=5", 8, "LongText=5, mais Pattern n'a que 3 groupe(s)"},
        LintRow{"FieldPatternWithoutGroup", "<b>(\\d{4})</b>", "<b>\\d{4}</b>", 13, "Match2 : le motif n'a pas de groupe"},
        LintRow{"PicturePatternWithoutGroup", "<img src=\"([^\"]+)\"", "<img src=", 14, "PatternImg : le motif n'a pas de groupe"},
        LintRow{"FieldCutAtBar", "<b>(\\d{4})</b>", "<b>(\\d{4}</b>|x)", 13, "Match2 : le motif est coupé au « | » de la colonne 27", 2},
        LintRow{"PatternDoesNotCompile", "<h1>([^<]*)</h1>", "<h1>([^<]*</h1>", 12, "Match1 : le motif ne se compile pas"},
        LintRow{"SearchUrlWithoutTitle", "cherche?q=%1", "cherche", 4, "[SearchPage] Url sans %1"},
        LintRow{"UrlWithoutScheme", "http://site/f/%1", "site/f/%1", 10, "[FilmPage] Url : l'adresse doit commencer par http://"},
        LintRow{"UnknownCharset", "Methode=0", "Charset=klingon", 2, "« klingon » est inconnu"},
        LintRow{"MethodThatMeansPost", "Methode=0", "Methode=GET", 2, "Methode=GET : toute autre valeur que 0 envoie les requêtes en POST"},
        LintRow{"KeyTwice", "Link=1\n", "Link=1\nlink=2\n", 7, "link en double (première ligne 6) : seule la première est lue"},
        LintRow{"KeyBeforeAnySection", "[Options]\n", "Methode=0\n[Options]\n", 1, "Methode : avant toute [section], jamais lue"},
        LintRow{"LineWithoutEquals", "Methode=0", "Methode 0", 2, "ligne sans « = » ni [section] : ignorée"},
        LintRow{"CountNotANumber", "Count=2", "Count=deux", 11, "Count=deux : pas un nombre entier de 16 bits, le script ne se charge pas", 3},
        LintRow{"HttpNotANumber", "Methode=0", "HTTP=1.1a", 2, "HTTP=1.1a : pas un nombre entier de 16 bits"},
        LintRow{"UnknownUnescape", "PatternImg=", "Unescape=xml\nPatternImg=", 14, "Unescape=xml : seule la valeur json est lue"},
        LintRow{"JoinWithoutItsField", "Count=2", "Count=3\nJoin3=, ", 12, "Join3 sans Match3 : rien à rassembler", 2},
        LintRow{"FallbackWithTheFieldsName", "PatternImg=", "Match1.2=Titre|<h2>([^<]*)\nPatternImg=", 14, "un motif de secours s'écrit sans le nom du champ"},
        LintRow{"PictureAddressWithoutPattern", "PatternImg=<img src=\"([^\"]+)\"\n", "", 15, "[ImgPage] Url sans [FilmPage] PatternImg"},
        LintRow{"FallbackOutOfOrder", "PatternImg=", "Match2.3=(\\d{2})\nPatternImg=", 14, "Match2.3 sans Match2.2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Lint, TheBundledScriptsAreClean)
{
    const QDir scripts(QStringLiteral(TROUVEL_SOURCE_DIR "/scripts"));
    const QStringList files = scripts.entryList({QStringLiteral("*.tvs")}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    EXPECT_TRUE(lintScript(kClean).empty());
    for (const QString& name : files) {
        QFile file(scripts.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        for (const LintWarning& w : lintScript(file.readAll()))
            ADD_FAILURE() << lintWarningLine(name, w).toStdString();
    }
}

} // namespace
} // namespace trouvel::config
