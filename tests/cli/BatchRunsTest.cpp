// Long unattended runs of trouvel batch: killed at random points and resumed, stopped by
// SIGTERM, run again over a catalogue they would not change, and --ask on a terminal.
#include "CliProcessFixture.h"

#include <QRandomGenerator>
#include <QSocketNotifier>

#include <csignal>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace trouvel;
using trouvel::testsupport::CliProcessTest;
using trouvel::testsupport::ToolRun;
using trouvel::testsupport::readFile;
using trouvel::testsupport::writeFile;

namespace {

class BatchRuns : public CliProcessTest {
protected:
    QString journal() const { return cataloguePath + QStringLiteral(".trouvel-journal"); }

    // Every picture the catalogue names is in its folder.
    void expectPicturesPresent(const cadrelle::Catalogue& c)
    {
        for (int row = 0; row < c.entryCount(); ++row) {
            const QString tag = c.entry(row).tag;
            if (!tag.isEmpty()) {
                EXPECT_TRUE(QFileInfo::exists(QDir(catalogueDir).filePath(tag))) << tag.toStdString();
            }
        }
    }
};

TEST_F(BatchRuns, KilledAnywhereThenResumedEndsAsAnUninterruptedRun)
{
    const QByteArray fresh = readFile(cataloguePath);
    // 1 for each whole run: entry 13's poster is not a picture.
    ASSERT_EQ(trouvel(batchArgs()).exitCode, 1);
    const QByteArray uninterrupted = readFile(cataloguePath);
    ASSERT_NE(uninterrupted, fresh);

    QRandomGenerator random(20261208);
    for (int round = 0; round < 3; ++round) {
        const int killAfter = random.bounded(1, 24);
        SCOPED_TRACE(killAfter);
        QFile::remove(cataloguePath);
        for (const QString& name : QDir(catalogueDir).entryList({QStringLiteral("*.jpg")}))
            QFile::remove(QDir(catalogueDir).filePath(name));
        writeFile(cataloguePath, fresh);

        bool killed = false;
        const QString done = QStringLiteral("%1/25 ").arg(killAfter);
        trouvel(batchArgs({QStringLiteral("--checkpoint"), QStringLiteral("4")}), [&](const QString& line, QProcess& process) {
            if (!killed && line.startsWith(done)) {
                killed = true;
                ::kill(pid_t(process.processId()), SIGKILL);
            }
        });
        ASSERT_TRUE(killed);
        // Whole, naming only pictures that are there, and at most one checkpoint behind.
        cadrelle::Catalogue atKill;
        ASSERT_EQ(cadrelle::parseCatalogue(readFile(cataloguePath), atKill), QString());
        expectPicturesPresent(atKill);
        ASSERT_TRUE(QFileInfo::exists(journal()));
        const int next = QJsonDocument::fromJson(readFile(journal())).object().value(QStringLiteral("nextRow")).toInt();
        EXPECT_GE(next, killAfter - 4);
        EXPECT_LE(next, killAfter);

        const ToolRun resumed = trouvel(batchArgs({QStringLiteral("--resume")}));
        ASSERT_EQ(resumed.exitCode, 1) << resumed.err.toStdString();
        EXPECT_TRUE(resumed.err.contains(QStringLiteral("reprise à l'entrée %1\n").arg(next + 1))) << resumed.err.toStdString();
        EXPECT_TRUE(resumed.out.contains(QStringLiteral("Entrées traitées : 25\n"))) << resumed.out.toStdString();
        EXPECT_EQ(readFile(cataloguePath), uninterrupted);
        EXPECT_FALSE(QFileInfo::exists(journal())) << "a run that ended keeps no journal";
    }
}

TEST_F(BatchRuns, ResumeRefusesAnotherScriptOrNoJournal)
{
    const ToolRun none = trouvel(batchArgs({QStringLiteral("--resume")}));
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_TRUE(none.err.contains(QStringLiteral("pas de journal de reprise"))) << none.err.toStdString();

    bool stopped = false;
    trouvel(batchArgs({QStringLiteral("--delay"), QStringLiteral("60000")}), [&](const QString& line, QProcess& process) {
        if (!stopped && line.startsWith(QStringLiteral("1/25 "))) {
            stopped = true;
            ::kill(pid_t(process.processId()), SIGTERM);
        }
    });
    ASSERT_TRUE(stopped);
    const QString edited = QDir(home.path()).filePath(QStringLiteral("Demo.tvs"));
    ASSERT_TRUE(QFile::copy(fixture.scriptPath(), edited));
    const ToolRun other = trouvel({QStringLiteral("batch"), cataloguePath, QStringLiteral("--script"), edited, QStringLiteral("--resume")});
    EXPECT_EQ(other.exitCode, 2);
    EXPECT_TRUE(other.err.contains(QStringLiteral("autre script"))) << other.err.toStdString();
}

TEST_F(BatchRuns, SigtermAndSighupStopAfterTheEntryAndSave)
{
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        QFile::remove(journal());
        int sent = 0;
        const ToolRun run = trouvel(batchArgs({QStringLiteral("--from"), QStringLiteral("3"), QStringLiteral("--delay"), QStringLiteral("60000")}),
                                    [&](const QString& line, QProcess& process) {
                                        if (sent == 0 && line.startsWith(QStringLiteral("1/23 "))) {
                                            // Twice, as a service manager may: still one stop, not an immediate one.
                                            sent = 2;
                                            ::kill(pid_t(process.processId()), signal);
                                            ::kill(pid_t(process.processId()), signal);
                                        }
                                    });
        ASSERT_EQ(sent, 2);
        EXPECT_EQ(run.exitCode, 130);
        EXPECT_TRUE(run.out.contains(QString::fromUtf8("Entrées traitées : 1 (interrompu)\n"))) << run.out.toStdString();
        EXPECT_EQ(loadCatalogue().cell(2, 1), QStringLiteral("1988"));
        EXPECT_EQ(QJsonDocument::fromJson(readFile(journal())).object().value(QStringLiteral("nextRow")).toInt(), 3);
    }
}

TEST_F(BatchRuns, RunThatChangesNoEntryLeavesTheFileByteForByte)
{
    ASSERT_EQ(trouvel(batchArgs()).exitCode, 1); // entry 13's poster is not a picture
    // The same data with a byte order mark and CR LF line ends, as another program may write it.
    QByteArray styled = readFile(cataloguePath);
    styled.replace("\n", "\r\n");
    styled.prepend("\xEF\xBB\xBF");
    writeFile(cataloguePath, styled);
    cadrelle::Catalogue check;
    ASSERT_EQ(cadrelle::parseCatalogue(styled, check), QString());

    const ToolRun again = trouvel(batchArgs({QStringLiteral("--checkpoint"), QStringLiteral("2")}));
    ASSERT_EQ(again.exitCode, 1) << again.err.toStdString();
    EXPECT_TRUE(again.out.endsWith(QString::fromUtf8("Catalogue inchangé.\n"))) << again.out.toStdString();
    EXPECT_EQ(readFile(cataloguePath), styled);
}

// A terminal for the child: its output read, answers typed, while this process serves the site.
class Terminal {
public:
    explicit Terminal(const QStringList& args)
    {
        std::vector<QByteArray> bytes;
        for (const QString& a : args)
            bytes.push_back(a.toUtf8());
        pid_ = ::forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            std::vector<char*> argv;
            for (QByteArray& b : bytes)
                argv.push_back(b.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    ~Terminal()
    {
        if (pid_ > 0 && status_ < 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (master_ >= 0)
            ::close(master_);
    }
    bool started() const { return pid_ > 0 && master_ >= 0; }

    // Reads until text has appeared after what was already seen; false at the end or after 30 s.
    bool waitFor(const QString& text)
    {
        const QByteArray wanted = text.toUtf8();
        QEventLoop loop;
        QSocketNotifier readable(master_, QSocketNotifier::Read);
        bool ended = false;
        QObject::connect(&readable, &QSocketNotifier::activated, &loop, [&] {
            char buffer[4096];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) {
                ended = true;
                loop.quit();
                return;
            }
            seen_.append(buffer, n);
            if (seen_.indexOf(wanted, from_) >= 0)
                loop.quit();
        });
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        if (seen_.indexOf(wanted, from_) < 0)
            loop.exec();
        const qsizetype at = seen_.indexOf(wanted, from_);
        if (at < 0)
            return false;
        from_ = at + wanted.size();
        return !ended || at >= 0;
    }
    void type(const QByteArray& line) { [[maybe_unused]] const ssize_t n = ::write(master_, line.constData(), size_t(line.size())); }
    int wait()
    {
        while (waitFor(QStringLiteral("\x01never"))) {
        }
        int status = 0;
        ::waitpid(pid_, &status, 0);
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        return status_;
    }
    QString seen() const { return QString::fromUtf8(seen_); }

private:
    pid_t pid_ = -1;
    int master_ = -1;
    int status_ = -1;
    QByteArray seen_;
    qsizetype from_ = 0;
};

TEST_F(BatchRuns, AskOnATerminalPicksSkipsAndStops)
{
    const QString prompt = QStringLiteral("Numéro du candidat, Entrée pour passer, q pour arrêter et enregistrer : ");
    ::setenv("XDG_CONFIG_HOME", qPrintable(QDir(home.path()).filePath(QStringLiteral("config"))), 1);
    Terminal terminal({QStringLiteral(TROUVEL_BINARY_DIR "/bin/trouvel"), QStringLiteral("batch"), cataloguePath, QStringLiteral("--script"),
                       fixture.scriptPath(), QStringLiteral("--ask")});
    ::unsetenv("XDG_CONFIG_HOME");
    ASSERT_TRUE(terminal.started());
    ASSERT_TRUE(terminal.waitFor(QStringLiteral("1. Le Dernier Été : 2 candidats"))) << terminal.seen().toStdString();
    ASSERT_TRUE(terminal.waitFor(prompt));
    terminal.type("7\n"); // not a candidate: asked again
    ASSERT_TRUE(terminal.waitFor(QStringLiteral("Réponse non comprise")));
    ASSERT_TRUE(terminal.waitFor(prompt));
    terminal.type("2\n");
    ASSERT_TRUE(terminal.waitFor(QStringLiteral("2. Les Oiseaux de passage : 3 candidats"))) << terminal.seen().toStdString();
    ASSERT_TRUE(terminal.waitFor(prompt));
    terminal.type("\n");
    ASSERT_TRUE(terminal.waitFor(prompt)) << terminal.seen().toStdString();
    terminal.type("q\n");
    EXPECT_EQ(terminal.wait(), 0) << terminal.seen().toStdString();
    EXPECT_TRUE(terminal.seen().contains(QStringLiteral("Catalogue enregistré"))) << terminal.seen().toStdString();

    const cadrelle::Catalogue saved = loadCatalogue();
    const auto found = fixture.site().content().search(QString::fromUtf8("Le Dernier Été"));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(saved.cell(0, 1), QString::number(found[1]->year)) << "the second candidate's page was saved";
    EXPECT_EQ(saved.cell(1, 1), QString()) << "skipped";
    EXPECT_EQ(saved.cell(2, 1), QStringLiteral("1988")) << "the one-candidate entries between are filled";
    EXPECT_TRUE(QFileInfo::exists(journal())) << "stopped with q: the rest can be resumed";
}

} // namespace
