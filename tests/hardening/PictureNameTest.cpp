// Titles that would steer the stored picture out of the host's folder or past the file-name
// limit: "../", absolute paths, control characters, NUL, very long text. The picture is either
// stored directly inside tmpfolder under a name of at most 255 bytes, or refused with the
// reason in the status line; no file appears anywhere else.
#include "support/WizardFixture.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace trouvel::wizard::test {
namespace {

QSet<QString> filesUnder(const QString& folder)
{
    QSet<QString> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.insert(it.next());
    return files;
}

struct TitleCase {
    const char* name;
    QString title;
    QString stored; // the picture's file name, "" when the copy is refused
};

void PrintTo(const TitleCase& c, std::ostream* os) { *os << c.name; }

class PictureName : public WizardTest, public ::testing::WithParamInterface<TitleCase> {};

TEST_P(PictureName, StaysInsideTheFolderOrIsRefused)
{
    // The host folder sits two levels down, so "../" has somewhere to go.
    hostFolder = root.filePath(QStringLiteral("a/b/host"));
    QDir().mkpath(hostFolder);
    writeDemoScript();
    makeHost(2, 4);
    writeMapping(QStringLiteral("Demo"), QStringLiteral("Col1=0"));
    ASSERT_TRUE(engine().load());
    absent << QStringLiteral("Film 2"); // the search after the save stops there
    {
        QFile picture(engine().pictureFile());
        ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
        picture.write(pngBytes());
    }
    engine().model().setPictureTicked(true);
    engine().model().setCanSave(true); // as after a detail step
    engine().model().setTitle(GetParam().title);
    const QSet<QString> before = filesUnder(root.path());

    engine().save();

    const QSet<QString> added = filesUnder(root.path()) - before;
    for (const QString& file : added) {
        const QFileInfo info(file);
        EXPECT_EQ(info.absolutePath(), QFileInfo(hostFolder).absoluteFilePath()) << file.toStdString();
        EXPECT_LE(QFile::encodeName(info.fileName()).size(), 255) << file.toStdString();
    }
    if (GetParam().stored.isEmpty()) {
        EXPECT_TRUE(added.isEmpty()) << added.values().join(u' ').toStdString();
        EXPECT_TRUE(host->entry(1).tag.empty());
        EXPECT_TRUE(engine().model().status().startsWith(QStringLiteral("Erreur lors de la copie de l'image")))
            << engine().model().status().toStdString();
    } else {
        EXPECT_EQ(added, QSet<QString>{hostFolder + u'/' + GetParam().stored});
        EXPECT_EQ(QString::fromStdString(host->entry(1).tag), GetParam().stored);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Titles, PictureName,
    ::testing::Values(
        TitleCase{"ParentFolders", QStringLiteral("../../../evil"), QStringLiteral("..-..-..-evil.jpg")},
        TitleCase{"AbsolutePath", QStringLiteral("/tmp/evil"), QStringLiteral("-tmp-evil.jpg")},
        TitleCase{"WindowsPath", QStringLiteral("C:\\evil\\..\\x"), QStringLiteral("C-evil-..-x.jpg")},
        TitleCase{"DotDot", QStringLiteral(".."), {}},
        TitleCase{"Dot", QStringLiteral("."), {}},
        TitleCase{"BlanksOnly", QStringLiteral("   "), {}},
        TitleCase{"ControlCharacters", QStringLiteral("A\tB\nC\x01\x7f"), QStringLiteral("A\tB\nC\x01\x7f.jpg")},
        TitleCase{"Nul", QStringLiteral("a") + QChar(0) + QStringLiteral("/../b"), {}},
        TitleCase{"At255Bytes", QString(251, u'x'), QString(251, u'x') + QStringLiteral(".jpg")},
        TitleCase{"Over255Bytes", QString(252, u'x'), {}},
        TitleCase{"MultibyteOver255Bytes", QString(126, QChar(0x65E5)), {}}, // 378 bytes in UTF-8
        TitleCase{"VeryLongPath", QStringLiteral("../").repeated(5000), {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace trouvel::wizard::test
