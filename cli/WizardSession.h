// One run of the wizard's engine without a window: the script given on the command line as
// its only script, the network options handed in, message boxes answered by CliInteraction,
// a private scratch folder for the page and picture files, and a record of every download
// the steps made.
#pragma once

#include "CliInteraction.h"
#include "HttpStatus.h"
#include "PictureModule.h"

#include "common/ModuleState.h"
#include "config/MemorySettings.h"
#include "wizard/PageClient.h"
#include "wizard/WizardEngine.h"

#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace trouvel::cli {

struct PageFetch {
    QString address;
    std::int16_t code = 0;
    HttpStatus http;   // of the final response, when code is 0
    QString failure;   // the fetch failed outright (no code)
    QString problem;   // what a non-zero code means here (a time-out), in words
    std::vector<net::RedirectHop> redirects;
    QString finalAddress;
    QByteArray retryAfter; // the final response's Retry-After header
    int socketError = 0;   // the connection error shown (10061 refused, 10054 reset), or 0
    bool get = true;
    QByteArray page; // the page file as the fetch left it (unless SessionOptions::keepPages is off)
    std::vector<net::WireExchange> wire; // each hop as sent and received, when kept
};

struct PictureFetch {
    QString address;
    QString result; // "" when the picture arrived, else the message the step shows
    std::optional<QByteArray> bytes; // what arrived, when the wire is kept
};

struct SessionOptions {
    QString scriptFile;
    wizard::NetworkSettings network; // the proxy and the downloads' time limit
    std::shared_ptr<net::WebSession> web; // its cookies (--cookies); empty: a fresh session
    MsgAnswer yesNoAnswer = MsgAnswer::Yes;
    bool quietMessages = false;
    bool deferPictureSync = false; // the caller syncs the pictures before writing the catalogue
    // The downloads the steps use; empty: the network's. A fixture replays through these.
    std::function<std::unique_ptr<wizard::PageClient>(std::int16_t& stopDownload)> pageClient;
    wizard::PictureDownload pictureDownload;
    picture::PictureDecode decodePicture; // empty: the module beside the program (PictureModule)
    bool keepWire = false; // with the network's page client: PageFetch::wire filled
    bool keepPages = true; // PageFetch::page filled; a command that never shows pages reads none
};

class WizardSession {
public:
    // Throws std::runtime_error when the scratch folder cannot be made.
    explicit WizardSession(const SessionOptions& options);
    ~WizardSession();

    // The script's name: its file name less the extension (the Trouvel.ini section).
    const QString& scriptName() const { return scriptName_; }
    // A folder for the tool's own temporary files, removed with the session.
    QString scratchFolder() const;

    // Creates the engine over host and runs its start-up. false when it refused to start.
    // Throws trouvel::Error as the engine's start-up does.
    bool start(std::shared_ptr<HostApplication> host);

    wizard::WizardEngine& engine() { return *engine_; }
    wizard::WizardModel& model() { return engine_->model(); }
    CliInteraction& ui() { return ui_; }
    ModuleState& state() { return state_; }

    // Downloads since the last clear, oldest first.
    const std::vector<PageFetch>& pageFetches() const { return pages_; }
    const std::vector<PictureFetch>& pictureFetches() const { return pictures_; }
    void clearRecord();
    // Called just before each page fetch, with its address.
    std::function<void(const QString& address)> beforePageFetch;

    // Ends the engine (unload) if it is still running.
    void finish();

private:
    class RecordingPageClient;

    QTemporaryDir folder_; // named by privateFolderTemplate()
    QString scriptFile_;
    QString scriptName_;
    wizard::NetworkSettings network_;
    std::shared_ptr<net::WebSession> web_;
    bool deferPictureSync_ = false;
    bool keepWire_ = false;
    bool keepPages_ = true;
    std::function<std::unique_ptr<wizard::PageClient>(std::int16_t&)> makePageClient_;
    wizard::PictureDownload pictureDownload_;
    picture::PictureDecode decodePicture_;
    std::unique_ptr<PictureModule> pictureModule_; // what decodePicture_ calls when none was given
    std::vector<net::WireExchange> wire_; // the hops of the fetch under way
    ModuleState state_;
    CliInteraction ui_;
    config::MemorySettings settings_;
    std::vector<PageFetch> pages_;
    std::vector<PictureFetch> pictures_;
    std::unique_ptr<wizard::WizardEngine> engine_;
};

} // namespace trouvel::cli
