#include "support/WizardFixture.h"

#include "picture/ImageDecoder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>

namespace trouvel::wizard::test {

QByteArray pngBytes()
{
    QImage image(8, 12, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

WizardTest::WizardTest()
{
    pluginFolder = root.filePath(QStringLiteral("plugin"));
    workFolder = root.filePath(QStringLiteral("work"));
    hostFolder = root.filePath(QStringLiteral("host"));
    QDir().mkpath(pluginFolder + QStringLiteral("/scripts"));
    QDir().mkpath(workFolder);
    QDir().mkpath(hostFolder);
    makeHost(5);

    site.pageFunction("/search?q=", [this](const QByteArray& path) {
        const QString title = QString::fromUtf8(path.mid(10)).replace(u'+', u' ');
        if (absent.contains(title))
            return QByteArray("<p>Aucun film</p>");
        const QByteArray number = title.section(u' ', -1).toUtf8();
        QByteArray body = "<ul><li><a href=\"/film/" + number + "\"><b>" + title.toUtf8() + "</b></a> (1995)</li>\n";
        if (ambiguous.contains(title))
            body += "<li><a href=\"/film/9" + number + "\">" + title.toUtf8() + " II</a></li>\n";
        return body + "</ul>";
    });
    site.pageFunction("/film/", [](const QByteArray& path) {
        const QByteArray n = path.mid(6);
        return "<html><h1>Titre&nbsp;<i>" + n + "</i></h1>\n<p>Année : 19" + n.right(2).rightJustified(2, '0')
            + "</p>\n<p class=resume>Un r&eacute;sum&eacute;\n  sur deux lignes</p>\n<img src=\"/img/" + n + ".png\">\n</html>";
    });
    const QByteArray png = pngBytes();
    site.pageFunction("/img/", [png](const QByteArray&) { return png; });
}

void WizardTest::makeHost(int entries, int columns)
{
    host = std::make_shared<FakeHost>(entries, hostFolder.toStdString(), columns);
    host->hostIni = (hostFolder + QStringLiteral("/Cadrelle.ini")).toStdString();
    state.HostApp = host;
}

QString WizardTest::writeScript(const QString& name, const QString& content)
{
    const QString path = pluginFolder + QStringLiteral("/scripts/") + name + QStringLiteral(".tvs");
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(QString(content).replace(QStringLiteral("%SITE%"), site.base()).toUtf8());
    return path;
}

QString WizardTest::writeDemoScript(const QString& name)
{
    return writeScript(name, QString::fromUtf8(R"tvs([Options]
Methode=0
HTTP=0
[SearchPage]
Url=%SITE%/search?q=%1
Pattern=<a href="/film/(\d+)">([\s\S]*?)</a>
Link=1
ShortText=2
[FilmPage]
Url=%SITE%/film/%1
Count=3
Match1=Titre|<h1>([\s\S]*?)</h1>
Match2=Année|Année : (\d+)
Match3=Résumé|resume[^>]*>([\s\S]*?)</p>
PatternImg=img src="(/img/[^"]+)"
[ImgPage]
Url=%SITE%%1
)tvs"));
}

void WizardTest::writeMapping(const QString& section, const QString& lines)
{
    QFile file(hostFile(QStringLiteral("Trouvel.ini")));
    file.open(QIODevice::WriteOnly | QIODevice::Append);
    file.write((u'[' + section + QStringLiteral("]\n") + lines + u'\n').toUtf8());
}

QString WizardTest::hostFile(const QString& name) const
{
    return hostFolder + u'/' + name;
}

WizardServices WizardTest::services()
{
    WizardServices s;
    s.scripts = config::ScriptSource::pluginFolder(pluginFolder);
    s.workFolder = workFolder;
    web = s.web;
    s.pageClient = makeSocketPageClient(state.StopDownload, s.web);
    s.downloadPicture = netPictureDownload(s.web);
    s.decodePicture = picture::decodePictureFile;
    s.openMappingDialog = [this](const QString&) {
        ++mappingDialogs;
        if (mappingDialogFails)
            throw Error("ColumnHeaders a échoué");
        return mappingDialogChanges;
    };
    s.requestClose = [this] { ++closeRequests; };
    if (timeLimitMs > 0)
        s.network.timeLimitMs = timeLimitMs;
    s.showWalkSummary = [this](const WalkSummary& walk) { walkSummaries.push_back(walk); };
    s.pause = [this](std::int64_t ms, const std::function<bool()>&) {
        pauses.push_back(ms);
        return pausesComplete;
    };
    return s;
}

WizardEngine& WizardTest::engine()
{
    if (!engine_)
        engine_ = std::make_unique<WizardEngine>(state, ui, settings, services());
    return *engine_;
}

} // namespace trouvel::wizard::test
