// Scripts and catalogues that are not what they claim: a FIFO, a link to a device, a huge
// sparse file, CR-only line ends, a script that does not load. Each is refused at once with
// exit 2, a French reason naming the user's file, no request to the site, and the catalogue
// left as it was.
#include "CliProcessFixture.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace trouvel::testsupport {
namespace {

struct HostileFileCase {
    const char* name;
    bool asScript;    // the file is given as the script (else as the catalogue)
    const char* kind; // "fifo", "zero", "sparse", "cr", "count500"
    const char* said; // in the message
};

class HostileFile : public CliProcessTest, public ::testing::WithParamInterface<HostileFileCase> {
protected:
    // Makes the hostile file at path.
    void make(const QString& path)
    {
        const QByteArray native = QFile::encodeName(path);
        const QString kind = QString::fromLatin1(GetParam().kind);
        if (kind == QLatin1String("fifo")) {
            ASSERT_EQ(::mkfifo(native.constData(), 0600), 0);
        } else if (kind == QLatin1String("zero")) {
            ASSERT_EQ(::symlink("/dev/zero", native.constData()), 0);
        } else if (kind == QLatin1String("sparse")) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            ASSERT_TRUE(file.resize(2LL * 1024 * 1024 * 1024));
        } else if (kind == QLatin1String("cr")) {
            fixture.writeScript(path, {});
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            QByteArray bytes = file.readAll();
            file.close();
            bytes.replace("\r\n", "\r").replace('\n', '\r');
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
        } else {
            fixture.writeScript(path, {{QStringLiteral("Count=12"), QStringLiteral("Count=500")}});
        }
    }
};

TEST_P(HostileFile, IsRefusedAtOnceAndNothingIsFetchedOrWritten)
{
    const HostileFileCase& c = GetParam();
    const QString hostile = QDir(home.path()).filePath(c.asScript ? QStringLiteral("hostile.tvs") : QStringLiteral("hostile.csv"));
    make(hostile);
    int requests = 0;
    QObject context;
    QObject::connect(&fixture.site(), &demo::DemoSite::requestServed, &context, [&] { ++requests; });
    const QByteArray before = [&] { QFile f(cataloguePath); f.open(QIODevice::ReadOnly); return f.readAll(); }();

    std::vector<QStringList> runs;
    if (c.asScript) {
        runs.push_back({QStringLiteral("try"), hostile, QStringLiteral("Nord/Sud")});
        runs.push_back({QStringLiteral("batch"), cataloguePath, QStringLiteral("--script"), hostile});
    } else {
        runs.push_back({QStringLiteral("batch"), hostile, QStringLiteral("--script"), fixture.scriptPath()});
    }
    for (const QStringList& args : runs) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        const ToolRun run = trouvel(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.said))) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(hostile)) << "names the user's file: " << run.err.toStdString();
    }
    EXPECT_EQ(requests, 0);
    QFile after(cataloguePath);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HostileFile,
    ::testing::Values(HostileFileCase{"ScriptFifo", true, "fifo", "ce n'est pas un fichier ordinaire"},
                      HostileFileCase{"ScriptLinkToDevZero", true, "zero", "ce n'est pas un fichier ordinaire"},
                      HostileFileCase{"ScriptSparse2GiB", true, "sparse", "plus que les 1048576 permis"},
                      HostileFileCase{"ScriptCrOnlyLineEnds", true, "cr", "CR seul"},
                      HostileFileCase{"ScriptThatDoesNotLoad", true, "count500", "dépasse 110"},
                      HostileFileCase{"CatalogueFifo", false, "fifo", "ce n'est pas un fichier ordinaire"},
                      HostileFileCase{"CatalogueLinkToDevZero", false, "zero", "ce n'est pas un fichier ordinaire"},
                      HostileFileCase{"CatalogueSparse2GiB", false, "sparse", "plus que les 67108864 permis"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace trouvel::testsupport
