// The wizard's logic without its widgets: start-up, script loading, navigation over the host
// entries, the search, detail and save steps, shut-down. The window Form1 forwards its events
// here and mirrors the WizardModel; the command-line tool drives the same object directly.
//
// Usage without a window (what `trouvel try` / `trouvel batch` do):
//
//     WizardServices services;
//     services.scripts = config::ScriptSource::singleFile(path);
//     services.workFolder = ...; services.pageClient = ...; services.downloadPicture = ...;
//     services.network = {proxy, time limit}; services.decodePicture = picture::decodePictureFile;
//     WizardEngine engine(state, ui, settings, std::move(services));
//     if (!engine.load()) return;      // throws trouvel::Error when loading fails
//     engine.model().setAutoSave(true);     // "Sauvegarde Auto"
//     engine.search();            // walks until a step stops or the list ends
//     engine.steps().search, engine.lastSave(): what the steps came to
//     if (!engine.isClosed()) engine.unload();
//
// Each step returns its result (StepResults.h); the engine updates the model from it and a
// StepPresenter shows it. Every handler returns once its work (and, with "Sauvegarde Auto",
// the whole unattended walk) is done; the walk is a loop, not nested calls, so its length
// does not grow the stack. Downloads wait by running the event loop, so a handler may be
// re-entered from an event meanwhile: while a download runs, the step handlers (Chercher,
// second Chercher, Ajouter, Options, choosing a script) return at once and do nothing; Stop,
// Quit, Next, Previous and unloading stay live. Moving to another entry or unloading ends the
// running step: it stops at its next wait and writes nothing into the entry now current.
#pragma once

#include "common/ModuleState.h"
#include "common/UserInteraction.h"
#include "config/Script.h"
#include "config/ScriptFile.h"
#include "config/Settings.h"
#include "net/Pause.h"
#include "net/RetryPolicy.h"
#include "text/RegExp.h"
#include "wizard/CatalogueSettings.h"
#include "wizard/EntryOutcome.h"
#include "wizard/NetworkSettings.h"
#include "wizard/PageClient.h"
#include "wizard/SaveStep.h"
#include "wizard/StepPresenter.h"
#include "wizard/StepResults.h"
#include "wizard/WalkSummary.h"
#include "wizard/WizardModel.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace trouvel::wizard {

struct CandidateExtraction;

struct WizardServices {
    config::ScriptSource scripts; // the scripts list1 offers
    QString workFolder;   // holds the working files "tmp.txt" and "image.jpg"
    NetworkSettings network; // the host's proxy and the time limit, for both downloads
    std::unique_ptr<PageClient> pageClient; // DL
    PictureDownload downloadPicture;
    // The User-Agent and cookies both downloads share for the wizard's life (the network
    // layer's clients are bound to it; the script's User-Agent is set on it as it loads).
    std::shared_ptr<net::WebSession> web = std::make_shared<net::WebSession>();
    // Shows the mapping dialog (frm3) modally for the current script and the given
    // Trouvel.ini section; true when the mapping was changed. May throw trouvel::Error.
    // Empty: no dialog.
    std::function<bool(const QString& section)> openMappingDialog;
    // The unattended walk ("Sauvegarde Auto") fetches a page again, as net::nextRetry says,
    // when the site asks for patience (429, 503 with Retry-After) or refused the connection.
    net::RetryLimits retry;
    // Waits ms before such a new try, or less when cancelled() turns true; false then.
    std::function<bool(std::int64_t ms, const std::function<bool()>& cancelled)> pause = net::pauseFor;
    // Called once when the wizard unloads: the window hides at once. Empty: nothing.
    std::function<void()> requestClose;
    // "Sauvegarde Auto" reached the end of the list: what it came to, entry by entry (the
    // window's summary; goToEntry takes the user back to one). Empty: nothing shown.
    std::function<void(const WalkSummary& walk)> showWalkSummary;
    // Pictures stored without a sync of their own: the caller syncs the group (an unattended
    // walk syncs once before the catalogue is written). The window syncs each.
    bool deferPictureSync = false;
    // Reads the downloaded picture file (picture::decodePictureFile, or the module loaded
    // for it). Empty: every picture is refused as unreadable.
    picture::PictureDecode decodePicture = {};
};

// Why a script did not load: the file and the key whose value is at fault (no key: the
// file itself).
struct ScriptLoadError : std::runtime_error {
    ScriptLoadError(QString file, QString key, QString reason)
        : std::runtime_error((file + QStringLiteral(" : ") + (key.isEmpty() ? reason : key + u' ' + reason)).toStdString())
        , file(std::move(file))
        , key(std::move(key))
        , reason(std::move(reason))
    {
    }
    QString file;
    QString key;
    QString reason;
};

class WizardEngine : public QObject {
    Q_OBJECT
public:
    WizardEngine(ModuleState& state, UserInteraction& ui, config::SettingsStore& settings, WizardServices services,
                 QObject* parent = nullptr);
    ~WizardEngine() override;

    WizardModel& model() { return model_; }
    const WizardModel& model() const { return model_; }
    ModuleState& state() { return state_; }

    // Start-up. false when the window must not open (an empty host list; a message has been
    // shown). Throws trouvel::Error for an error of the host or the settings store.
    bool load();
    // Shut-down: stop flag, socket closed, "NBIndex" saved, close requested. Runs once.
    void unload();
    bool isClosed() const { return closed_; }

    // The user chose script `index` in list1.
    void selectScript(int index);
    // Loads a script (path, options, field rows). Throws ScriptLoadError.
    void loadScript(const QString& file);

    // Why the script loaded last did not load ("" when it did): no search runs with it.
    const QString& scriptLoadError() const { return scriptLoadError_; }
    // Options read by the last load.
    std::int16_t usesGet() const { return usesGet_; }
    std::int16_t httpVersion() const { return httpVersion_; }
    // Field count of the script loaded last (rows 0..count-1 are visible).
    int loadedFieldCount() const { return loadedCount_; }

    // The three steps; with "Sauvegarde Auto" each runs the unattended walk to its end.
    void search();
    void fetchDetails(); // also a double click in ListView1
    void save();

    void next();
    void previous();
    // Moves to entry `entry` (from 1), as the walk's summary does.
    void goToEntry(int entry);
    void stop();
    void quit();
    void openMapping();

    // What the search and detail steps came to for the current entry so far (reset by every
    // move to another entry), and that as an entry's outcome.
    const EntrySteps& steps() const { return steps_; }
    EntryOutcome outcome() const { return outcomeOf(steps_); }
    // The last save step's result (its entry is the one before the current one once it moved on).
    const std::optional<SaveResult>& lastSave() const { return lastSave_; }

    // True while a step handler runs (including its waits).
    bool isBusy() const { return busyDepth_ > 0; }

    // Save steps leave alone a mapped column that already holds a non-blank value, and store
    // no picture for an entry that has one: the user's own notes are never overwritten.
    void setKeepFilledColumns(bool keep) { keepFilled_ = keep; }
    // No one looks at the fields before they are saved (the tool's batch; the window's walk is
    // so whenever "Sauvegarde Auto" is ticked): a field that came out empty leaves a filled
    // column as it was.
    void setUnattended(bool unattended) { unattended_ = unattended; }
    // "Remplacer les valeurs existantes": unticked, "Sauvegarde Auto" fills only empty cells and
    // adds only missing pictures. Remembered for the catalogue's folder.
    void setReplaceExisting(bool replace);
    // Unattended, a single candidate fills the entry only when its text names the entry's
    // title (on by default; the tool's --accept-different-title turns it off). The year check
    // (FilmCheck.h) always holds.
    void setTitleCheck(bool check) { titleCheck_ = check; }

    // stripTag with the wizard's tag pattern (the window's reg2).
    QString stripTag(const QString& str);

    QString pageFile() const;   // <workFolder>/tmp.txt
    QString pictureFile() const; // <workFolder>/image.jpg

private:
    enum class Step { None, Search, Detail, Save };
    struct BusyScope;

    void runSteps(Step first);
    Step searchStep();
    Step detailStep();
    Step saveStep();
    SearchResult search(std::uint64_t generation);
    DetailResult detail(std::uint64_t generation);
    // The detail step's picture, once the fields are read; false when the step must end.
    // Step 3's rows of the loaded script, as they stand.
    std::vector<FieldResult> fieldResults() const;
    // Each field's target column, as the mapping says now.
    void mapFieldsToColumns(std::vector<FieldResult>& fields);
    // Step 3's rows say where each field goes and what is there now.
    void showFieldTargets(const std::vector<FieldResult>& fields);
    bool fetchPicture(const QString& address, const QString& httpNote, std::uint64_t generation, PictureResult& picture);
    // Fetches url into tmp.txt, shown as a step's fetch; page.code and page.failure say
    // whether the page came. False when the step must end there.
    bool fetchPage(const QString& url, std::uint64_t generation, PageResult& page);
    void fetchOnce(const QString& url, PageResult& page);
    // The search page's candidates, its values unescaped when it is JSON (or the script says so).
    CandidateExtraction searchCandidates(const config::ScriptFile& script, std::uint64_t generation);
    // The film page the search was redirected to, as its one candidate; nothing when the
    // search did not end on an address the [FilmPage] Url can give.
    std::optional<Candidate> directHit(const config::ScriptFile& script, const PageResult& page);
    // No one looks at what the steps find before it is saved.
    bool unattended() const { return unattended_ || model_.autoSave(); }
    // The patterns' keep-going check: the event loop turns, and the analysis goes on while
    // the step is neither stopped nor moved away from.
    std::function<bool()> analysisGoesOn(std::uint64_t generation);
    // Ends a stopped analysis: "Analyse interrompue" if the entry is still the step's.
    void analysisStopped(std::uint64_t generation);
    // Step 3 emptied (rows, picture, address) when the entry changes; Ajouter unavailable.
    void clearDetail();
    // The picture shown and the scratch picture gone, its box unticked.
    void clearPicture();
    // Moves by delta entries; false when the window closed instead or the host failed.
    bool moveToEntry(int delta);
    // moveToEntry with a host error shown in a message box.
    bool navigate(int delta);
    bool reportHostError(const std::exception& error);
    // False once the window closed or the entry changed since `generation`.
    bool stillOn(std::uint64_t generation) const { return !closed_ && generation == generation_; }
    HostApplication& host();
    QByteArray readPageBytes();
    // The charset the search goes once more in: the one the search page declares, when the
    // script names none, nothing was found and the title is not plain ASCII; else "".
    QString resendCharset(const QString& title, const CandidateExtraction& found);
    QString mappingFile();
    void hideFieldRowsFrom(int k);
    // Shows why the script did not load; returns the text shown.
    QString reportLoadError(const ScriptLoadError& error);
    bool loadScriptReporting(const QString& path);

    ModuleState& state_;
    config::SettingsStore& settings_;
    WizardServices services_;
    WizardModel model_;
    StepPresenter presenter_;
    text::RegExp tagPattern_;
    std::int16_t usesGet_ = 0;
    std::int16_t httpVersion_ = 0;
    QString charset_; // the script's Charset: how the title is sent ("" UTF-8)
    int loadedCount_ = 0;
    int busyDepth_ = 0;
    std::uint64_t generation_ = 0; // bumped by every move to another entry
    bool closed_ = false;
    QString scriptLoadError_;
    EntrySteps steps_;
    std::optional<SaveResult> lastSave_;
    bool keepFilled_ = false;
    bool unattended_ = false;
    bool titleCheck_ = true;
    // The detail step was chained from a search that found one candidate (not chosen by a person).
    bool pickedBySearch_ = false;
    // The film page a search landed on, read again by the detail step instead of fetched.
    struct LandedPage {
        std::uint64_t generation = 0;
        QString link;
        PageResult page;
    };
    std::optional<LandedPage> landed_;
    TagIndex tags_; // which entries hold which picture name, read once per opening
    std::optional<CatalogueSettings> catalogue_; // the host's folder's, once it is known
    WalkSummary walk_;          // since "Sauvegarde Auto" was last ticked
    bool walkReachedEnd_ = false; // the walk saved the last entry of the list
    int detailCandidate_ = -1;    // the highlighted candidate step 3 was read for (-1: none)
};

} // namespace trouvel::wizard
