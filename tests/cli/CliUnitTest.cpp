#include "Arguments.h"
#include "BatchCommand.h"
#include "HostProfile.h"
#include "HttpStatus.h"
#include "JsonText.h"
#include "PictureModule.h"
#include "picture/ImageDecoder.h"
#include "Progress.h"

#include "config/IniFile.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trouvel::cli;

namespace {

struct LoopbackCase {
    const char* name;
    const char* url;
    bool loopback;
};

class Loopback : public ::testing::TestWithParam<LoopbackCase> {};

TEST_P(Loopback, DecidesTheDefaultDelay)
{
    EXPECT_EQ(isLoopbackAddress(QString::fromLatin1(GetParam().url)), GetParam().loopback);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, Loopback,
    ::testing::Values(LoopbackCase{"Ipv4", "http://127.0.0.1:8737/recherche?titre=%1", true},
                      LoopbackCase{"OtherLoopback", "http://127.1.2.3/x", true},
                      LoopbackCase{"Localhost", "http://LocalHost:80/", true},
                      LoopbackCase{"Ipv6", "http://[::1]:8737/", true},
                      LoopbackCase{"UserInfo", "http://me@127.0.0.1/", true},
                      LoopbackCase{"RemoteName", "http://films.example/recherche", false},
                      LoopbackCase{"LocalhostLookalike", "http://localhost.example.com/", false},
                      LoopbackCase{"RemoteIp", "http://192.168.1.2/", false},
                      LoopbackCase{"Empty", "", false}),
    [](const ::testing::TestParamInfo<LoopbackCase>& info) { return std::string(info.param.name); });

struct MapCase {
    const char* name;
    const char* spec;
    int column; // 0 when refused
    int field;
};

class Mapping : public ::testing::TestWithParam<MapCase> {};

TEST_P(Mapping, ResolvesColumnAndField)
{
    const QStringList columns = {QStringLiteral("Titre"), QString::fromUtf8("Année"), QStringLiteral("Genre")};
    const QStringList fields = {QStringLiteral("Titre"), QString::fromUtf8("Année"), QStringLiteral("Genre"), QStringLiteral("a=b")};
    int column = -1, field = -1;
    const QString error = resolveMapping(QString::fromUtf8(GetParam().spec), columns, fields, &column, &field);
    if (GetParam().column == 0) {
        EXPECT_FALSE(error.isEmpty());
    } else {
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        EXPECT_EQ(column, GetParam().column);
        EXPECT_EQ(field, GetParam().field);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Specs, Mapping,
    ::testing::Values(MapCase{"Numbers", "2=2", 2, 2}, MapCase{"Names", "année=genre", 2, 3}, MapCase{"Zero", "Genre=0", 3, 0},
                      MapCase{"Blanks", " 1 = Titre ", 1, 1}, MapCase{"FieldNameWithEquals", "Titre=a=b", 0, 0},
                      MapCase{"ColumnPastEnd", "4=1", 0, 0}, MapCase{"ColumnZero", "0=1", 0, 0},
                      MapCase{"FieldPastEnd", "1=5", 0, 0}, MapCase{"UnknownField", "1=Pays", 0, 0},
                      MapCase{"NoEquals", "Titre", 0, 0}, MapCase{"NegativeField", "1=-1", 0, 0}),
    [](const ::testing::TestParamInfo<MapCase>& info) { return std::string(info.param.name); });

TEST(Arguments, OptionsValuesAndPositionals)
{
    Arguments a({QStringLiteral("pick"), QStringLiteral("map")}, {QStringLiteral("json")});
    ASSERT_TRUE(a.parse({QStringLiteral("s.tvs"), QStringLiteral("--pick"), QStringLiteral("2"), QStringLiteral("--json"),
                         QStringLiteral("--map=1=2"), QStringLiteral("--map"), QStringLiteral("3=4"), QStringLiteral("--"),
                         QStringLiteral("--titre")}));
    EXPECT_EQ(a.positional(), QStringList({QStringLiteral("s.tvs"), QStringLiteral("--titre")}));
    EXPECT_EQ(a.value(QStringLiteral("pick")), QStringLiteral("2"));
    EXPECT_TRUE(a.isSet(QStringLiteral("json")));
    EXPECT_EQ(a.values(QStringLiteral("map")), QStringList({QStringLiteral("1=2"), QStringLiteral("3=4")}));

    Arguments unknown({}, {QStringLiteral("json")});
    EXPECT_FALSE(unknown.parse({QStringLiteral("--jsn")}));
    Arguments missing({QStringLiteral("pick")}, {});
    EXPECT_FALSE(missing.parse({QStringLiteral("--pick")}));
    Arguments switchValue({}, {QStringLiteral("json")});
    EXPECT_FALSE(switchValue.parse({QStringLiteral("--json=1")}));
}

TEST(JsonString, EscapesWhatJsonNeeds)
{
    const QString nasty = QString::fromUtf8("a\"b\\c\nd\te\x01 é \u2028");
    const QString literal = jsonString(nasty);
    const QJsonDocument doc = QJsonDocument::fromJson(QStringLiteral("[%1]").arg(literal).toUtf8());
    ASSERT_TRUE(doc.isArray());
    EXPECT_EQ(doc.array().at(0).toString(), nasty);
}

TEST(Progress, BarShowsCountRateAndTimeLeft)
{
    EXPECT_EQ(Progress::barText(5, 20, 2.0, 8), QString::fromUtf8("[##------] 5/20  2,5 entrées/s  reste 0:06"));
    EXPECT_EQ(Progress::barText(0, 20, 0.0, 4), QString::fromUtf8("[----] 0/20  0,0 entrées/s  reste --:--"));
    EXPECT_EQ(Progress::barText(20, 20, 200.0, 4), QString::fromUtf8("[####] 20/20  0,1 entrées/s  reste 0:00"));
}

TEST(ProxyOption, NamesTheProxyOrRefuses)
{
    QString error;
    const auto proxy = proxyOption(QStringLiteral("proxy.example:3128"), &error);
    ASSERT_TRUE(proxy) << error.toStdString();
    EXPECT_TRUE(proxy->use);
    EXPECT_EQ(proxy->host, QStringLiteral("proxy.example"));
    EXPECT_EQ(proxy->port, QStringLiteral("3128"));
    for (const char* bad : {"proxy.example", "proxy:0", "proxy:70000", ":80", "proxy:x"}) {
        error.clear();
        EXPECT_FALSE(proxyOption(QString::fromLatin1(bad), &error)) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
}

TEST(BatchSummary, CountsAndListsEachKind)
{
    BatchSummary s;
    s.entries = {{0, QStringLiteral("A"), Outcome::Filled, 1, {}},
                 {1, QStringLiteral("B"), Outcome::Ambiguous, 3, {}},
                 {2, QStringLiteral("C"), Outcome::NotFound, 0, {}},
                 {3, QStringLiteral("D"), Outcome::Failed, 0, QStringLiteral("recherche : HTTP 503 Service Unavailable")},
                 {4, QString::fromLatin1("E\0F\x1b[2J", 7), Outcome::PictureNotStored, 1, QStringLiteral("Plus de place sur le disque")},
                 {5, QStringLiteral("G"), Outcome::NotFound, 0, {}},
                 {6, QStringLiteral("Cœur"), Outcome::OtherFilm, 1, QString::fromUtf8("titre différent : « Cœur de pierre »")}};
    const QString text = s.text();
    EXPECT_TRUE(text.contains(QString::fromUtf8("Remplies : 2\n")));
    // A title's controls are shown escaped, and nothing after it is lost.
    EXPECT_TRUE(text.contains(QString::fromUtf8("Images non enregistrées : 1\n  5. E\\x00F\\x1B[2J : Plus de place sur le disque\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("Introuvables : 2\n  3. C\n  6. G\n")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("Ambiguës : 1\n  2. B : 3 candidats\n")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("Autre film trouvé : 1\n  7. Cœur : titre différent : « Cœur de pierre »\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("Échecs : 1\n  4. D : recherche : HTTP 503 Service Unavailable\n")));
}

} // namespace

// The decoder module as the tool loads it: the built trouvel-picture.so reads a picture
// (and refuses a file that is not one); a module that is not there gives no picture and
// says why, naming the file.
TEST(PictureModule, DecodesThroughTheBuiltModuleOrSaysWhyNot)
{
    QTemporaryDir dir;
    const QString png = dir.filePath("poster.png");
    QImage source(7, 5, QImage::Format_RGB32);
    source.fill(Qt::red);
    ASSERT_TRUE(source.save(png));
    const QString text = dir.filePath("not-a-picture.jpg");
    if (QFile file(text); file.open(QIODevice::WriteOnly))
        file.write("<html>404</html>");

    PictureModule built(QStringLiteral(TROUVEL_BINARY_DIR "/bin/" TROUVEL_PICTURE_MODULE_FROM_BIN "/trouvel-picture.so"));
    const trouvel::picture::Picture decoded = built.decode(png);
    ASSERT_FALSE(decoded.isNull()) << decoded.error.toStdString();
    EXPECT_EQ(decoded.image->size(), QSize(7, 5));
    EXPECT_EQ(decoded.image->pixelColor(3, 2), QColor(Qt::red));
    const trouvel::picture::Picture refused = built.decode(text);
    EXPECT_TRUE(refused.isNull());
    EXPECT_EQ(refused.error, QString::fromUtf8("image reçue mais illisible : une page HTML est arrivée à la place de l'image"));

    // The tool only checks that a picture reads: a JPEG is decoded at an eighth of its size.
    const QString jpeg = dir.filePath("poster.jpg");
    QImage poster(300, 450, QImage::Format_RGB32);
    poster.fill(Qt::blue);
    ASSERT_TRUE(poster.save(jpeg, "JPEG"));
    const trouvel::picture::Picture checked = built.decode(jpeg);
    ASSERT_FALSE(checked.isNull());
    EXPECT_EQ(checked.image->size(), QSize(37, 56));
    // The window's decoding keeps a very long, thin picture at a pixel wide, not at none.
    const QString thin = dir.filePath("thin.png");
    ASSERT_TRUE(QImage(3, 4000, QImage::Format_RGB32).save(thin));
    EXPECT_FALSE(trouvel::picture::decodePictureFile(thin).isNull());
    EXPECT_FALSE(built.decode(thin).isNull());

    const QString absent = dir.filePath("absent/trouvel-picture.so");
    PictureModule missing(absent);
    const trouvel::picture::Picture none = missing.decode(png);
    EXPECT_TRUE(none.isNull());
    EXPECT_TRUE(none.error.contains(absent)) << none.error.toStdString();
}
