// Renders the wizard window in step 3, after a search and detail fetch on the demo film site
// with the bundled Demo script, into a PNG to look at the layout: wizard_screenshot <out.png>.
// Run it with QT_SCALE_FACTOR=2 for the 200 % look.
#include "support/FakeHost.h"
#include "support/ScriptedUi.h"
#include "site/DemoSite.h"

#include "config/MemorySettings.h"
#include "picture/ImageDecoder.h"
#include "ui/Form1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace trouvel;
using namespace trouvel::wizard;
using namespace trouvel::ui;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QTemporaryDir root;
    const QString plugin = root.filePath(QStringLiteral("plugin"));
    const QString work = root.filePath(QStringLiteral("work"));
    const QString hostDir = root.filePath(QStringLiteral("host"));
    QDir().mkpath(plugin + QStringLiteral("/scripts"));
    QDir().mkpath(work);
    QDir().mkpath(hostDir);

    demo::DemoSite site(demo::bundledFilmCatalogue());
    if (!site.listen(demo::SiteOptions{QHostAddress::LocalHost, 0, 15000}))
        return 1;
    // The bundled script, pointed at this run's port.
    QFile bundled(QStringLiteral(TROUVEL_SOURCE_DIR "/scripts/Demo.tvs"));
    if (!bundled.open(QIODevice::ReadOnly))
        return 1;
    QByteArray text = bundled.readAll();
    text.replace("http://127.0.0.1:8737", site.baseUrl().toUtf8());
    QFile script(plugin + QStringLiteral("/scripts/Demo.tvs"));
    script.open(QIODevice::WriteOnly);
    script.write(text);
    script.close();
    QFile mapping(hostDir + QStringLiteral("/Trouvel.ini"));
    mapping.open(QIODevice::WriteOnly);
    mapping.write("[Demo]\nCol1=0\nCol2=2\nCol3=3\n");
    mapping.close();

    ModuleState state;
    auto host = std::make_shared<wizard::test::FakeHost>(3, hostDir.toStdString());
    host->entry(1).columns[0] = "Nord/Sud";
    state.HostApp = host;
    trouvel::test::ScriptedUi ui; // Yes when no answer is queued
    config::MemorySettings settings;
    WizardServices services;
    services.scripts = config::ScriptSource::pluginFolder(plugin);
    services.workFolder = work;
    services.pageClient = makeSocketPageClient(state.StopDownload, services.web);
    services.downloadPicture = netPictureDownload(services.web);
    services.decodePicture = picture::decodePictureFile;
    services.openMappingDialog = [](const QString&) { return false; };
    Form1 form(state, ui, settings, std::move(services));
    if (!form.engine().load())
        return 1;
    form.show();
    form.engine().search();
    app.processEvents();
    return form.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
