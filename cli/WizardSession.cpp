#include "WizardSession.h"

#include "StaleFolders.h"

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
        fetch.get = methodeGet != 0;
        session_.wire_.clear();
        const auto record = [&] {
            const net::PageReport report = inner_->lastReport();
            fetch.redirects = report.redirects;
            fetch.finalAddress = report.finalAddress;
            fetch.problem = report.problem;
            fetch.retryAfter = report.retryAfter;
            fetch.socketError = report.socketError;
            if (fetch.code == 0 && fetch.failure.isEmpty())
                fetch.http = HttpStatus{report.status, report.reason};
            if (session_.keepPages_)
                if (QFile file(saveAs); file.open(QIODevice::ReadOnly))
                    fetch.page = file.readAll();
            fetch.wire = std::exchange(session_.wire_, {});
            session_.pages_.push_back(fetch);
        };
        try {
            fetch.code = inner_->DownloadPage(url, saveAs, methodeGet, httpVersion);
        } catch (const std::exception& error) {
            fetch.failure = QString::fromUtf8(error.what());
            record();
            throw;
        }
        record();
        return fetch.code;
    }

    void setTimeLimit(int milliseconds) override { inner_->setTimeLimit(milliseconds); }

    void closeSocket() override { inner_->closeSocket(); }

    net::PageReport lastReport() const override { return inner_->lastReport(); }

private:
    WizardSession& session_;
    std::unique_ptr<wizard::PageClient> inner_;
};

WizardSession::WizardSession(const SessionOptions& options)
    : folder_(privateFolderTemplate(QDir::tempPath())), scriptFile_(options.scriptFile), network_(options.network), web_(options.web ? options.web : std::make_shared<net::WebSession>()), deferPictureSync_(options.deferPictureSync), keepWire_(options.keepWire), keepPages_(options.keepPages),
      makePageClient_(options.pageClient), pictureDownload_(options.pictureDownload), decodePicture_(options.decodePicture), ui_(options.yesNoAnswer, options.quietMessages)
{
    if (!makePageClient_)
        makePageClient_ = [this, keep = options.keepWire](std::int16_t& stop) {
            net::WireObserver observer;
            if (keep)
                observer = [this](const net::WireExchange& hop) { wire_.push_back(hop); };
            return wizard::makeSocketPageClient(stop, web_, std::move(observer));
        };
    if (!pictureDownload_)
        pictureDownload_ = wizard::netPictureDownload(web_);
    if (!decodePicture_) {
        pictureModule_ = std::make_unique<PictureModule>(PictureModule::besideProgram());
        decodePicture_ = pictureModule_->decoder();
    }
    if (!folder_.isValid())
        throw std::runtime_error("impossible de créer un dossier temporaire");
    removeStalePrivateFolders(QDir::tempPath());
    scriptName_ = QFileInfo(options.scriptFile).completeBaseName();
}

WizardSession::~WizardSession()
{
    finish();
}

QString WizardSession::scratchFolder() const { return folder_.path(); }

bool WizardSession::start(std::shared_ptr<HostApplication> host)
{
    state_.HostApp = std::move(host);
    wizard::WizardServices services;
    services.scripts = config::ScriptSource::singleFile(scriptFile_);
    services.workFolder = folder_.path();
    services.network = network_;
    services.web = web_;
    services.deferPictureSync = deferPictureSync_;
    services.decodePicture = decodePicture_;
    services.pageClient = std::make_unique<RecordingPageClient>(*this, makePageClient_(state_.StopDownload));
    services.downloadPicture = [this, download = pictureDownload_](
                                   const QString& address, const QString& target, const std::int16_t& stop,
                                   const net::NetOptions& netOptions) {
        PictureFetch fetch;
        fetch.address = address;
        try {
            fetch.result = download(address, target, stop, netOptions);
        } catch (const std::exception& error) {
            fetch.result = QString::fromUtf8(error.what());
            pictures_.push_back(fetch);
            throw;
        }
        if (keepWire_ && fetch.result.isEmpty())
            if (QFile file(target); file.open(QIODevice::ReadOnly))
                fetch.bytes = file.readAll();
        pictures_.push_back(fetch);
        return fetch.result;
    };
    engine_ = std::make_unique<wizard::WizardEngine>(state_, ui_, settings_, std::move(services));
    return engine_->load();
}

void WizardSession::clearRecord()
{
    pages_.clear();
    pictures_.clear();
}

void WizardSession::finish()
{
    if (engine_ && !engine_->isClosed())
        engine_->unload();
}

} // namespace trouvel::cli
