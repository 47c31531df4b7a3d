// The trouvel program run as a child process with a private home, against the demo site
// served by the test process, over a copy of the demo catalogue.
#pragma once

#include "demo/DemoSiteFixture.h"

#include "catalogue/CatalogueFile.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace trouvel::testsupport {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

inline ino_t inodeOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_ino;
}

class CliProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(home.path()).mkpath(QStringLiteral("config"));
        QDir(home.path()).mkpath(QStringLiteral("cache"));
        catalogueDir = QDir(home.path()).filePath(QStringLiteral("films"));
        QDir().mkpath(catalogueDir);
        for (const char* name : {"demo.csv", "Trouvel.ini"})
            ASSERT_TRUE(QFile::copy(QStringLiteral(TROUVEL_SOURCE_DIR "/demo/catalogue/") + QLatin1String(name),
                                    QDir(catalogueDir).filePath(QLatin1String(name))));
        QFile::setPermissions(QDir(catalogueDir).filePath(QStringLiteral("demo.csv")), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        cataloguePath = QDir(catalogueDir).filePath(QStringLiteral("demo.csv"));
    }

    // Runs trouvel with args, serving the site meanwhile. onErrLine sees each stderr line.
    ToolRun trouvel(const QStringList& args, const std::function<void(const QString&, QProcess&)>& onErrLine = {})
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(home.path()).filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), QDir(home.path()).filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        ToolRun run;
        QByteArray errBytes;
        QEventLoop loop;
        QObject::connect(&process, &QProcess::readyReadStandardError, &loop, [&] {
            errBytes += process.readAllStandardError();
            qsizetype eol;
            while ((eol = errBytes.indexOf('\n')) >= 0) {
                const QString line = QString::fromUtf8(errBytes.left(eol));
                run.err += line + QLatin1Char('\n');
                errBytes.remove(0, eol + 1);
                if (onErrLine)
                    onErrLine(line, process);
            }
        });
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart)
                loop.quit();
        });
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &loop, [&] {
            ADD_FAILURE() << "trouvel did not finish";
            process.kill();
        });
        guard.start(60000);
        process.start(QStringLiteral(TROUVEL_BINARY_DIR "/bin/trouvel"), args);
        loop.exec();
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err += QString::fromUtf8(errBytes + process.readAllStandardError());
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return run;
    }

    QJsonObject tryJson(const QString& title, const QStringList& extra = {})
    {
        QStringList args{QStringLiteral("try"), fixture.scriptPath(), title, QStringLiteral("--json")};
        args += extra;
        const ToolRun run = trouvel(args);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(run.out.toUtf8(), &error);
        EXPECT_TRUE(doc.isObject()) << error.errorString().toStdString() << run.out.toStdString();
        return doc.object();
    }

    const demo::Film& film(int id) { return *fixture.films().find(id); }

    cadrelle::Catalogue loadCatalogue()
    {
        cadrelle::Catalogue c;
        EXPECT_EQ(cadrelle::loadCatalogue(cataloguePath, c), QString());
        return c;
    }

    QStringList batchArgs(const QStringList& extra = {})
    {
        QStringList args{QStringLiteral("batch"), cataloguePath, QStringLiteral("--script"), fixture.scriptPath()};
        args += extra;
        return args;
    }

    testsupport::DemoSiteFixture fixture;
    QTemporaryDir home;
    QString catalogueDir;
    QString cataloguePath;
};

} // namespace trouvel::testsupport
