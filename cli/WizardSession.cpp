#include "WizardSession.h"

#include "StaleFolders.h"

#include "common/WholeFile.h"

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

std::optional<QString> timeoutSetting(const QString& text)
{
    QString value = text.trimmed();
    value.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double seconds = value.toDouble(&ok);
    if (!ok || !(seconds >= 0.001 && seconds <= 3600))
        return std::nullopt;
    return value;
}

WizardSession::WizardSession(const SessionOptions& options)
    : folder_(privateFolderTemplate(QDir::tempPath())), cadrelleIni_(options.cadrelleIni), timeoutSeconds_(options.timeoutSeconds), deferPictureSync_(options.deferPictureSync), keepWire_(options.keepWire), keepPages_(options.keepPages),
      makePageClient_(options.pageClient), pictureDownload_(options.pictureDownload), decodePicture_(options.decodePicture), ui_(options.yesNoAnswer, options.quietMessages)
{
    if (!makePageClient_)
        makePageClient_ = [this, keep = options.keepWire](std::int16_t& stop) {
            net::WireObserver observer;
            if (keep)
                observer = [this](const net::WireExchange& hop) { wire_.push_back(hop); };
            return wizard::makeWinsockPageClient(stop, std::move(observer));
        };
    if (!pictureDownload_)
        pictureDownload_ = wizard::netPictureDownload();
    if (!decodePicture_) {
        pictureModule_ = std::make_unique<PictureModule>(PictureModule::besideProgram());
        decodePicture_ = pictureModule_->decoder();
    }
    if (!folder_.isValid())
        throw std::runtime_error("impossible de créer un dossier temporaire");
    removeStalePrivateFolders(QDir::tempPath());
    const QFileInfo script(options.scriptFile);
    scriptName_ = script.completeBaseName();
    const QDir root(folder_.path());
    // The root is new and empty: one mkdir, no look at what is there. It is the plug-in folder
    // (its "scripts"), the work folder and the host's folder at once: a folder fewer to make and
    // remove is a block fewer to allocate and free, which a disk that discards freed blocks
    // waits for, at every `try`. The host of a title's run keeps only its profile there; the
    // batch's host has a folder of its own.
    if (!root.mkdir(QStringLiteral("scripts")))
        throw std::runtime_error("impossible de créer un dossier temporaire");
    const QString copy = root.filePath(QStringLiteral("scripts/%1.tvs").arg(scriptName_));
    // A private copy for this run: replaced whole, but not synced (nothing is lost with it).
    if (!copyWholeFile(options.scriptFile, copy, Sync::Deferred).isEmpty())
        throw std::runtime_error(QStringLiteral("impossible de lire le script « %1 »").arg(options.scriptFile).toStdString());
    // The copy keeps the script's date: a file just written is read afresh at every look for
    // a few seconds, which the copy itself must not cause.
    if (QFile copied(copy); copied.open(QIODevice::ReadWrite))
        copied.setFileTime(QFileInfo(options.scriptFile).lastModified(), QFileDevice::FileModificationTime);
}

WizardSession::~WizardSession()
{
    finish();
}

QString WizardSession::scratchFolder() const { return folder_.path(); }

bool WizardSession::start(std::shared_ptr<HostApplication> host)
{
    state_.HostApp = std::move(host);
    if (!timeoutSeconds_.isEmpty())
        settings_.SaveSetting(QStringLiteral("Trouvel"), QStringLiteral("Options"),
                              QLatin1String(wizard::WizardEngine::kTimeOutKey), timeoutSeconds_);
    const QDir root(folder_.path());
    wizard::WizardServices services;
    services.pluginFolder = root.path();
    services.workFolder = root.path();
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
