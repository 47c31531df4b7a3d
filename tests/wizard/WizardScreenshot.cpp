// Renders the wizard window in step 3 (after a search and detail fetch on the loopback site)
// into a PNG, to look at the layout: wizard_screenshot <out.png>. Run it with
// QT_SCALE_FACTOR=2 for the 200 % look.
#include "FakeHost.h"
#include "TestSite.h"

#include "config/Settings.h"
#include "wizard/Form1.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

using namespace trouvel;
using namespace trouvel::wizard;

namespace {

class SilentUi : public UserInteraction {
public:
    MsgAnswer messageBox(const QString&, MsgButtons) override { return MsgAnswer::Yes; }
    void beep() override {}
};

class MemorySettings : public config::SettingsStore {
public:
    QString GetSetting(const QString&, const QString&, const QString&, const QString& def) override { return def; }
    void SaveSetting(const QString&, const QString&, const QString&, const QString&) override {}
};

QByteArray poster()
{
    QImage image(300, 420, QImage::Format_RGB32);
    image.fill(QColor(40, 60, 120));
    for (int y = 0; y < 420; y += 30)
        for (int x = (y / 30) % 2 * 30; x < 300; x += 60)
            for (int dy = 0; dy < 30; ++dy)
                for (int dx = 0; dx < 30 && x + dx < 300; ++dx)
                    image.setPixel(x + dx, y + dy, qRgb(200, 160, 60));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

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

    wizard::test::TestSite site;
    site.page("/search?q=Heat", "<a href=\"/film/7\">Heat</a> 1995, Michael Mann");
    site.page("/film/7", "<h1>Heat</h1>\n<p>Réalisateur : Michael Mann</p>\n<p>Année : 1995</p>\n"
                         "<p>Genre : Policier</p>\n<p>Durée : 170 min</p>\n"
                         "<p class=resume>Un braqueur méticuleux et un policier obsédé s'affrontent à Los Angeles.</p>\n"
                         "<img src=\"/img/7.png\">");
    site.page("/img/7.png", poster());
    QFile script(plugin + QStringLiteral("/scripts/Demo.tvs"));
    script.open(QIODevice::WriteOnly);
    script.write(QStringLiteral("[SearchPage]\nUrl=%1/search?q=%2\nPattern=href=\"/film/(\\d+)\">([^<]+)</a>([^<]*)\n"
                                "Link=1\nShortText=2\nLongText=3\n[FilmPage]\nUrl=%1/film/%2\nCount=6\n"
                                "Match1=Titre|<h1>(.*?)</h1>\nMatch2=Réalisateur|Réalisateur : (.*?)</p>\n"
                                "Match3=Année|Année : (\\d+)\nMatch4=Genre|Genre : (.*?)</p>\n"
                                "Match5=Durée|Durée : (.*?)</p>\nMatch6=Résumé|resume>([\\s\\S]*?)</p>\n"
                                "PatternImg=img src=\"([^\"]+)\"\n[ImgPage]\nUrl=%1%2\n")
                     .arg(site.base(), QStringLiteral("%1"))
                     .toUtf8());
    script.close();
    QFile mapping(hostDir + QStringLiteral("/Trouvel.ini"));
    mapping.open(QIODevice::WriteOnly);
    mapping.write("[Demo]\nCol1=1\nCol2=2\n");
    mapping.close();

    ModuleState state;
    auto host = std::make_shared<wizard::test::FakeHost>(3, hostDir.toStdString());
    host->entry(1).columns[0] = "Heat";
    state.HostApp = host;
    SilentUi ui;
    MemorySettings settings;
    WizardServices services;
    services.pluginFolder = plugin;
    services.workFolder = work;
    services.pageClient = makeWinsockPageClient(state.StopDownload, ui);
    services.downloadPicture = netPictureDownload();
    services.openMappingDialog = [](const QString&) {};
    Form1 form(state, ui, settings, std::move(services));
    if (!form.engine().Form_Load())
        return 1;
    form.show();
    form.engine().btChercher_Click();
    app.processEvents();
    return form.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
