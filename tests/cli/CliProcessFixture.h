// The trouvel program run as a child process with a private home, against the demo site
// served by the test process, over a copy of the demo catalogue.
#pragma once

#include "ToolProcess.h"

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
        return runTrouvel(args, home.path(), onErrLine);
    }

    // exitCode: 0 when every page and the picture came, 1 when one did not.
    QJsonObject tryJson(const QString& title, const QStringList& extra = {}, int exitCode = 0)
    {
        QStringList args{QStringLiteral("try"), fixture.scriptPath(), title, QStringLiteral("--json")};
        args += extra;
        const ToolRun run = trouvel(args);
        EXPECT_EQ(run.exitCode, exitCode) << run.err.toStdString();
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
