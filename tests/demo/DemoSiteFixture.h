// The demo film site running inside the test process on a free loopback port, with a copy of
// scripts/Demo.tvs pointing at it. The site answers while the code under test waits in the
// event loop, as every download does.
#pragma once

#include "site/DemoSite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace trouvel::testsupport {

class DemoSiteFixture {
public:
    DemoSiteFixture() : site_(demo::bundledFilmCatalogue())
    {
        demo::SiteOptions options;
        options.port = 0;
        if (!site_.listen(options))
            ADD_FAILURE() << "demo site: " << site_.errorString().toStdString();
        QDir(dir_.path()).mkpath(QStringLiteral("scripts"));
        scriptPath_ = QDir(dir_.path()).filePath(QStringLiteral("scripts/Demo.tvs"));
        writeScript(scriptPath_, {});
    }

    demo::DemoSite& site() { return site_; }
    const demo::FilmCatalogue& films() { return site_.content().catalogue(); }
    QString folder() const { return dir_.path(); }
    // scripts/Demo.tvs with the site's address.
    const QString& scriptPath() const { return scriptPath_; }

    // Writes Demo.tvs to path with its address made the site's, and each from -> to applied.
    void writeScript(const QString& path, const QList<QPair<QString, QString>>& edits) const
    {
        QFile source(QStringLiteral(TROUVEL_SOURCE_DIR "/scripts/Demo.tvs"));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(source.readAll());
        text.replace(QStringLiteral("127.0.0.1:8737"), QStringLiteral("127.0.0.1:%1").arg(site_.port()));
        for (const auto& [from, to] : edits)
            text.replace(from, to);
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(text.toUtf8());
    }

private:
    demo::DemoSite site_;
    QTemporaryDir dir_;
    QString scriptPath_;
};

} // namespace trouvel::testsupport
