#include "WizardSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace trouvel::cli {

class WizardSession::RecordingPageClient : public wizard::PageClient {
public:
    RecordingPageClient(WizardSession& session, std::unique_ptr<wizard::PageClient> inner)
        : session_(session), inner_(std::move(inner)) {}

    void setProxy(std::int16_t useProxy, const QString& host, const QString& port) override
    {
        inner_->setProxy(useProxy, host, port);
    }

    std::int16_t DownloadPage(const QString& url, const QString& saveAs, std::int16_t methodeGet,
                              std::int16_t httpVersion) override
    {
        if (session_.beforePageFetch)
            session_.beforePageFetch(url);
        PageFetch fetch;
        fetch.address = url;
        try {
            fetch.code = inner_->DownloadPage(url, saveAs, methodeGet, httpVersion);
        } catch (const std::exception& error) {
            fetch.failure = QString::fromUtf8(error.what());
            session_.pages_.push_back(fetch);
            throw;
        }
        if (fetch.code == 0)
            fetch.http = readStatusLine(saveAs);
        session_.pages_.push_back(fetch);
        return fetch.code;
    }

    void closeSocket() override { inner_->closeSocket(); }

private:
    WizardSession& session_;
    std::unique_ptr<wizard::PageClient> inner_;
};

WizardSession::WizardSession(const SessionOptions& options)
    : cadrelleIni_(options.cadrelleIni), ui_(options.yesNoAnswer, options.quietMessages)
{
    if (!folder_.isValid())
        throw std::runtime_error("impossible de créer un dossier temporaire");
    const QFileInfo script(options.scriptFile);
    scriptName_ = script.completeBaseName();
    const QDir root(folder_.path());
    if (!root.mkpath(QStringLiteral("plugin/scripts")) || !root.mkpath(QStringLiteral("work"))
        || !root.mkpath(QStringLiteral("scratch")))
        throw std::runtime_error("impossible de créer un dossier temporaire");
    const QString copy = root.filePath(QStringLiteral("plugin/scripts/%1.tvs").arg(scriptName_));
    if (!QFile::copy(options.scriptFile, copy))
        throw std::runtime_error(QStringLiteral("impossible de lire le script « %1 »").arg(options.scriptFile).toStdString());
}

WizardSession::~WizardSession()
{
    finish();
}

QString WizardSession::scratchFolder() const { return QDir(folder_.path()).filePath(QStringLiteral("scratch")); }

bool WizardSession::start(std::shared_ptr<HostApplication> host)
{
    state_.HostApp = std::move(host);
    const QDir root(folder_.path());
    wizard::WizardServices services;
    services.pluginFolder = root.filePath(QStringLiteral("plugin"));
    services.workFolder = root.filePath(QStringLiteral("work"));
    services.pageClient = std::make_unique<RecordingPageClient>(*this, wizard::makeWinsockPageClient(state_.StopDownload, ui_));
    services.downloadPicture = [this, download = wizard::netPictureDownload()](
                                   const QString& address, const QString& target, const std::int16_t& stop) {
        PictureFetch fetch{address, QString()};
        try {
            fetch.result = download(address, target, stop);
        } catch (const std::exception& error) {
            fetch.result = QString::fromUtf8(error.what());
            pictures_.push_back(fetch);
            throw;
        }
        pictures_.push_back(fetch);
        return fetch.result;
    };
    engine_ = std::make_unique<wizard::WizardEngine>(state_, ui_, settings_, std::move(services));
    return engine_->Form_Load();
}

void WizardSession::clearRecord()
{
    pages_.clear();
    pictures_.clear();
}

void WizardSession::finish()
{
    if (engine_ && !engine_->isClosed())
        engine_->Form_Unload();
}

} // namespace trouvel::cli
