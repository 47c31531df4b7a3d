#include "wizard/WizardEngine.h"

#include "config/Convert.h"
#include "config/MappingFile.h"
#include "config/ScriptFile.h"
#include "config/ScriptLint.h"
#include "text/FormCharset.h"
#include "text/PageText.h"
#include "text/StoredPage.h"
#include "text/TextCleanup.h"
#include "text/TextCodec.h"
#include "wizard/Extraction.h"
#include "wizard/FilmCheck.h"
#include "wizard/HostEntries.h"
#include "wizard/PictureStep.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace trouvel::wizard {

namespace {

const QString kAppName = QStringLiteral("Trouvel");
// Beside "NBIndex": the name of the script last used, which finds it again wherever it moved.
const QString kScriptNameKey = QStringLiteral("ScriptName");
const QString kEmptyHostList = QStringLiteral("La liste ne contient aucune fiche.");

QString missingFileMessage(const QString& path)
{
    return QStringLiteral("'") + path + QStringLiteral("' n'existe pas");
}

} // namespace

// Counts the step handlers running (nested ones included, through the event loop of a wait).
struct WizardEngine::BusyScope {
    explicit BusyScope(WizardEngine& engine)
        : engine_(engine)
    {
        ++engine_.busyDepth_;
    }
    ~BusyScope() { --engine_.busyDepth_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    WizardEngine& engine_;
};

WizardEngine::WizardEngine(ModuleState& state, UserInteraction& ui, config::SettingsStore& settings,
                           WizardServices services, QObject* parent)
    : QObject(parent)
    , state_(state)
    , settings_(settings)
    , services_(std::move(services))
    , presenter_(model_, ui)
{
    // A walk's summary counts from the moment "Sauvegarde Auto" is ticked.
    connect(&model_, &WizardModel::autoSaveChanged, this, [this] {
        if (model_.autoSave())
            walk_.clear();
    });
    // Step 3 shows one film: another candidate highlighted after it was read empties it, so
    // that Ajouter cannot save that film's values for the candidate now chosen.
    connect(&model_, &WizardModel::selectedCandidateChanged, this, [this] {
        if (isBusy() || detailCandidate_ < 0 || model_.selectedCandidate() == detailCandidate_)
            return;
        detailCandidate_ = -1;
        clearDetail();
        model_.setDetailShown(false);
        model_.setDefaultButton(DefaultButton::FetchDetails);
    });
}

WizardEngine::~WizardEngine() = default;

QString WizardEngine::pageFile() const
{
    return services_.workFolder + QStringLiteral("/tmp.txt");
}

QString WizardEngine::pictureFile() const
{
    return services_.workFolder + QStringLiteral("/image.jpg");
}

HostApplication& WizardEngine::host()
{
    if (!state_.HostApp)
        throw Error("Aucune application hôte");
    return *state_.HostApp;
}

QString WizardEngine::mappingFile()
{
    return config::MappingFile::inFolder(HostEntries(host()).workFolder()).path();
}

QString WizardEngine::stripTag(const QString& str)
{
    return text::stripTag(tagPattern_, str);
}

// ---------------------------------------------------------------------------------------
// Start-up and shut-down

bool WizardEngine::load()
{
    tags_.forget();
    steps_ = {};
    model_.clearCandidates();
    model_.setStatus(status::kReady);

    catalogue_.reset();
    try {
        catalogue_.emplace(settings_, kAppName, HostEntries(host()).workFolder());
    } catch (const std::exception&) {
        // No host folder to remember anything for: the host's own error is shown below.
    }
    model_.setReplaceExisting(catalogue_ && catalogue_->replacesExisting());

    QStringList names;
    QStringList files;
    for (const config::ScriptEntry& entry : services_.scripts.entries()) {
        names.append(entry.name);
        files.append(entry.path);
    }
    model_.setScripts(names, files);
    if (!model_.scripts().isEmpty()) {
        // The script last used for this catalogue; else the one last used anywhere, by its
        // name (a script added to the user's folder, listed first, moves the others down),
        // then by its position. A stored position that is not a number or names no script
        // selects the first one.
        const QString stored =
            settings_.GetSetting(kAppName, QStringLiteral("Options"), QStringLiteral("NBIndex"), QStringLiteral("0"));
        int index = config::tryToInt16(stored).value_or(0);
        const QString storedName =
            settings_.GetSetting(kAppName, QStringLiteral("Options"), kScriptNameKey, QString());
        if (!storedName.isEmpty() && model_.scripts().contains(storedName))
            index = int(model_.scripts().indexOf(storedName));
        if (catalogue_ && model_.scripts().contains(catalogue_->script()))
            index = int(model_.scripts().indexOf(catalogue_->script()));
        if (index < 0 || index >= model_.scripts().size())
            index = 0;
        model_.setScriptIndex(index);
        const QString selected = services_.scripts.pathOf(model_.scriptText());
        bool loaded = false;
        if (QFileInfo::exists(selected))
            loaded = loadScriptReporting(selected);
        else
            presenter_.refuse(missingFileMessage(selected));
        // The selection is loaded again once the last script is known to exist; a load that
        // failed is not repeated (its message has been shown).
        if (!QFileInfo::exists(state_.ScriptPath))
            presenter_.refuse(missingFileMessage(state_.ScriptPath));
        else if (loaded)
            loadScriptReporting(selected);
    }

    tagPattern_.IgnoreCase(true);
    tagPattern_.Global(true);
    tagPattern_.Multiline(true);

    HostApplication& app = host();
    HostEntries entries(app);
    const int count = entries.count();
    if (count < 1) {
        presenter_.refuse(kEmptyHostList);
        return false;
    }
    for (int row = 0; row < count; ++row) {
        if (entries.isSelected(row))
            state_.CurrentItem = std::int16_t(row + 1);
    }
    // Nothing selected on a first run, or a position left from a longer list: entry 1.
    if (state_.CurrentItem < 1 || state_.CurrentItem > count)
        state_.CurrentItem = 1;
    model_.setTitle(entries.cell(state_.CurrentItem - 1, 0));
    model_.setListEnds(state_.CurrentItem > 1, state_.CurrentItem < count);

    if (services_.pageClient) {
        const HostProxy& proxy = services_.network.proxy;
        if (proxy.use)
            services_.pageClient->setProxy(kTrue, proxy.host, proxy.port);
        else
            services_.pageClient->setProxy(kFalse, {}, {});
        services_.pageClient->setTimeLimit(services_.network.timeLimitMs);
    }

    // Mapping check over Col1 .. the highest field row index (so a one-field script always
    // counts as unmapped).
    QString joined;
    const config::MappingFile mapping(mappingFile());
    for (int j = 1; j <= model_.fieldRowCount() - 1; ++j)
        joined += mapping.columnText(model_.scriptText(), j);
    if (joined.isEmpty()) {
        try {
            // The catalogue changed only if its mapping did.
            if (services_.openMappingDialog && services_.openMappingDialog(model_.scriptText()))
                entries.markChanged();
        } catch (const std::exception& error) {
            reportHostError(error);
        }
    }
    return true;
}

void WizardEngine::unload()
{
    if (closed_)
        return;
    closed_ = true;
    state_.StopDownload = kTrue;
    if (services_.pageClient)
        services_.pageClient->closeSocket();
    settings_.SaveSetting(kAppName, QStringLiteral("Options"), QStringLiteral("NBIndex"),
                          QString::number(model_.scriptIndex()));
    settings_.SaveSetting(kAppName, QStringLiteral("Options"), kScriptNameKey,
                          model_.scriptIndex() >= 0 ? model_.scripts().at(model_.scriptIndex()) : QString());
    if (catalogue_ && !model_.scriptText().isEmpty())
        catalogue_->setScript(model_.scriptText());
    if (services_.requestClose)
        services_.requestClose();
}

bool WizardEngine::reportHostError(const std::exception& error)
{
    presenter_.refuse(QString::fromUtf8(error.what()));
    return false;
}

// ---------------------------------------------------------------------------------------
// Scripts

QString WizardEngine::reportLoadError(const ScriptLoadError& error)
{
    const QString text = error.key.isEmpty()
                             ? QStringLiteral("Le script '%1' n'a pu être chargé : %2.").arg(error.file, error.reason)
                             : QStringLiteral("Le script '%1' n'a pu être chargé : la valeur de \"%2\" %3.")
                                   .arg(error.file, error.key, error.reason);
    presenter_.refuse(text);
    return text;
}

bool WizardEngine::loadScriptReporting(const QString& path)
{
    try {
        loadScript(path);
        scriptLoadError_.clear();
        model_.setCanSearch(true);
        model_.setScriptWarnings(config::lintScriptFile(path));
        presenter_.scriptWarnings(model_.scriptWarnings());
        return true;
    } catch (const ScriptLoadError& error) {
        // A script that did not load is not searched with: its rows and options are not its own.
        scriptLoadError_ = reportLoadError(error);
        model_.setCanSearch(false);
        model_.setScriptWarnings({});
        return false;
    }
}

void WizardEngine::selectScript(int index)
{
    if (isBusy()) {
        // A download is running: the choice is refused and the list shows the current script.
        Q_EMIT model_.scriptIndexChanged();
        return;
    }
    if (model_.scripts().isEmpty())
        return;
    model_.setScriptIndex(index);
    if (model_.scriptIndex() < 0)
        return;
    const QString path = services_.scripts.pathOf(model_.scriptText());
    if (!QFileInfo::exists(path)) {
        presenter_.refuse(missingFileMessage(path));
        return;
    }
    loadScriptReporting(path);
}

void WizardEngine::hideFieldRowsFrom(int k)
{
    for (int row = model_.fieldRowCount() - 1; row >= k; --row)
        model_.setFieldVisible(row, false);
}

void WizardEngine::loadScript(const QString& file)
{
    state_.ScriptPath = file;
    if (const QString problem = config::scriptFileProblem(file); !problem.isEmpty())
        throw ScriptLoadError{file, {}, problem};

    const config::ScriptFile script(file);
    usesGet_ = script.usesPost() ? kFalse : kTrue;
    charset_ = script.charset();
    if (const QString problem = text::charsetProblem(charset_); !charset_.isEmpty() && !problem.isEmpty())
        throw ScriptLoadError{file, QStringLiteral("Charset"), problem};
    if (services_.web)
        services_.web->setUserAgent(script.userAgent());

    const QString http = script.httpVersionText();
    try {
        httpVersion_ = config::toInt16(http);
    } catch (const config::ConversionError& error) {
        throw ScriptLoadError{file, QStringLiteral("HTTP"),
                              QStringLiteral("('%1') n'est pas un nombre entier de 16 bits").arg(http)};
    }

    const QString countText = script.fieldCountText();
    int count = 0;
    try {
        count = config::toInt16(countText);
    } catch (const config::ConversionError&) {
        throw ScriptLoadError{file, QStringLiteral("Count"),
                              QStringLiteral("('%1') n'est pas un nombre entier de 16 bits").arg(countText)};
    }
    count = std::max(count, 0);

    if (count > config::ScriptFile::kMaxFieldCount)
        throw ScriptLoadError{file, QStringLiteral("Count"),
                              QStringLiteral("(%1) dépasse %2").arg(count).arg(config::ScriptFile::kMaxFieldCount)};
    const int highest = model_.fieldRowCount() - 1;
    if (highest < count - 1) {
        for (int k = highest + 1; k <= count - 1; ++k)
            model_.addFieldRow();
    } else {
        hideFieldRowsFrom(count);
    }
    for (int k = 0; k < count; ++k) {
        model_.setFieldVisible(k, true);
        model_.setFieldValue(k, QString());
        model_.setFieldToolTip(k, QString());
        model_.setFieldName(k, script.field(k + 1).name);
        model_.setFieldTicked(k, true);
    }
    loadedCount_ = count;
}

// ---------------------------------------------------------------------------------------
// Navigation

void WizardEngine::next()
{
    navigate(+1);
}

void WizardEngine::previous()
{
    navigate(-1);
}

void WizardEngine::goToEntry(int entry)
{
    if (isBusy() || closed_ || entry == state_.CurrentItem)
        return;
    BusyScope busy(*this);
    navigate(entry - state_.CurrentItem);
}

bool WizardEngine::navigate(int delta)
{
    try {
        return moveToEntry(delta);
    } catch (const std::exception& error) {
        return reportHostError(error);
    }
}

bool WizardEngine::moveToEntry(int delta)
{
    if (closed_)
        return false;
    HostApplication& app = host();
    const bool canMove = delta > 0 ? state_.CurrentItem < app.ItemsCount() : state_.CurrentItem > 1;
    if (!canMove) {
        // Nothing beyond the list's ends (their buttons are off): the wizard stays as it is.
        model_.setStatus(delta > 0 ? kLastEntry : kFirstEntry);
        return false;
    }
    // A step still waiting for the old entry ends as after Stop and writes nothing more.
    state_.StopDownload = kTrue;
    HostEntries entries(app);
    const std::int16_t target = checkedInt16(state_.CurrentItem + delta);
    entries.setSelected(state_.CurrentItem - 1, false);
    state_.CurrentItem = target;
    ++generation_;
    steps_ = {};
    model_.setTitle(entries.cell(target - 1, 0));
    entries.setSelected(target - 1, true);
    model_.setCandidatesShown(false);
    model_.setDetailShown(false);
    clearDetail();
    model_.setDefaultButton(DefaultButton::Search);
    model_.requestFocus(FocusTarget::Title);
    model_.setListEnds(target > 1, target < app.ItemsCount());
    return true;
}

void WizardEngine::clearDetail()
{
    detailCandidate_ = -1;
    for (int k = 0; k < model_.fieldRowCount(); ++k) {
        model_.setFieldValue(k, QString());
        model_.setFieldTicked(k, false);
        model_.setFieldToolTip(k, QString());
        model_.setFieldTarget(k, false, QString(), QString());
    }
    clearPicture();
    model_.setDetailAddress(QString());
    model_.setCanSave(false);
}

void WizardEngine::clearPicture()
{
    model_.setPicture({});
    model_.setPictureError(QString());
    model_.setPictureTicked(false);
    if (QFileInfo::exists(pictureFile()))
        QFile::remove(pictureFile());
}

void WizardEngine::setReplaceExisting(bool replace)
{
    model_.setReplaceExisting(replace);
    if (catalogue_)
        catalogue_->setReplacesExisting(replace);
}

void WizardEngine::stop()
{
    state_.StopDownload = kTrue;
}

void WizardEngine::quit()
{
    state_.StopDownload = kTrue;
    unload();
}

void WizardEngine::openMapping()
{
    if (isBusy() || closed_)
        return;
    BusyScope busy(*this);
    try {
        if (services_.openMappingDialog && services_.openMappingDialog(model_.scriptText()))
            HostEntries(host()).markChanged();
    } catch (const std::exception& error) {
        reportHostError(error);
    }
}

// ---------------------------------------------------------------------------------------
// The steps. Each returns the step that follows it directly (an exact single candidate,
// "Sauvegarde Auto"); runSteps chains them in a loop.

void WizardEngine::search()
{
    runSteps(Step::Search);
}

void WizardEngine::fetchDetails()
{
    if (!isBusy())
        pickedBySearch_ = false;
    runSteps(Step::Detail);
}

void WizardEngine::save()
{
    runSteps(Step::Save);
}

void WizardEngine::runSteps(Step first)
{
    // A second step while one runs (it can only get here from an event handled during a
    // download) is ignored.
    if (isBusy() || closed_)
        return;
    BusyScope busy(*this);
    const bool walking = model_.autoSave();
    walkReachedEnd_ = false;
    Step next = first;
    Step last = Step::None;
    while (next != Step::None && !closed_) {
        last = next;
        switch (next) {
        case Step::Search:
            next = searchStep();
            break;
        case Step::Detail:
            next = detailStep();
            break;
        case Step::Save:
            next = saveStep();
            break;
        case Step::None:
            break;
        }
    }
    if (!walking || closed_)
        return;
    // The entry the walk stopped on before its save (each save records its own).
    if ((last == Step::Search || last == Step::Detail) && steps_.search)
        walk_.record({state_.CurrentItem, model_.title(), outcomeOf(steps_)});
    model_.setWalkPosition(0, 0);
    if (walkReachedEnd_ && services_.showWalkSummary)
        services_.showWalkSummary(walk_);
}

QByteArray WizardEngine::readPageBytes()
{
    QFile file(pageFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString WizardEngine::resendCharset(const QString& title, const CandidateExtraction& found)
{
    if (!charset_.isEmpty() || !found.candidates.empty() || !found.error.isEmpty() || found.stopped)
        return {};
    const bool ascii = std::all_of(title.begin(), title.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii)
        return {};
    const QString declared = text::declaredCharset(readPageBytes());
    return text::isSingleByteCharset(declared) ? declared : QString();
}

void WizardEngine::fetchOnce(const QString& url, PageResult& page)
{
    page = PageResult{};
    page.address = url;
    model_.setDownloading(true);
    try {
        page.code = services_.pageClient->DownloadPage(url, pageFile(), usesGet_, httpVersion_);
    } catch (const std::exception& error) {
        // A fetch that fails outright (a redirect loop, a file that cannot be written, ...)
        // shows why.
        page.failure = QString::fromUtf8(error.what());
    }
    model_.setDownloading(false);
    page.report = services_.pageClient->lastReport();
}

std::optional<Candidate> WizardEngine::directHit(const config::ScriptFile& script, const PageResult& page)
{
    // Only a redirect says the site chose the page: the search's own address, or one the
    // search template could give, is never taken for the film's.
    const net::PageReport& report = page.report;
    if (report.redirects.empty() || report.finalAddress.isEmpty() || report.status < 200 || report.status > 299)
        return std::nullopt;
    const std::optional<QString> link = script.filmLinkOf(report.finalAddress);
    if (!link || script.isSearchAddress(report.finalAddress))
        return std::nullopt;
    return Candidate{*link, pageOwnTitle(text::decodePage(readPageBytes(), charset_), tagPattern_), QString()};
}

CandidateExtraction WizardEngine::searchCandidates(const config::ScriptFile& script, std::uint64_t generation)
{
    const QByteArray bytes = readPageBytes();
    const bool json = text::isJsonPage(bytes) || script.searchUnescapesJson();
    return extractCandidates(text::decodePage(bytes, charset_), script, tagPattern_, analysisGoesOn(generation), json);
}

bool WizardEngine::fetchPage(const QString& url, std::uint64_t generation, PageResult& page)
{
    fetchOnce(url, page);
    // Unattended, a site that asks for patience or refused the connection is given another
    // chance before the walk stops on it; by hand, the person at the screen decides.
    net::RetryCount tries;
    while (model_.autoSave() && page.failure.isEmpty() && stillOn(generation) && !closed_) {
        const net::RetryStep step = net::nextRetry(page.code, page.report, tries, services_.retry, QDateTime::currentDateTimeUtc());
        if (step.kind == net::RetryStep::Kind::GiveUp)
            page.retryNote = step.why;
        if (step.kind != net::RetryStep::Kind::Wait)
            break;
        presenter_.retryWaiting(step.why);
        model_.setDownloading(true);
        const bool waited = services_.pause(step.waitMs, [&] { return state_.StopDownload != 0 || !stillOn(generation) || closed_; });
        model_.setDownloading(false);
        if (!waited)
            break;
        presenter_.fetchStarting();
        fetchOnce(url, page);
    }
    page.connectionError = net::connectionErrorMessage(page.report);
    presenter_.connectionError(page);
    const bool current = stillOn(generation);
    presenter_.fetchEnded(page, current, closed_);
    // An error page still goes through the patterns, but the step says what the site answered.
    // Stop stays offered while the patterns run: a long analysis can be stopped too. A
    // transfer that ended on a connection error before any response has nothing to analyse:
    // the step failed, though the page client counts the transfer as done.
    return page.failure.isEmpty() && current && page.code == 0 && !page.nothingCame();
}

std::function<bool()> WizardEngine::analysisGoesOn(std::uint64_t generation)
{
    return [this, generation] {
        // The event loop turns, as during a download, so that Stop, Next or closing the
        // window are seen within a long match.
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        return stillOn(generation) && state_.StopDownload == 0;
    };
}

void WizardEngine::analysisStopped(std::uint64_t generation)
{
    if (stillOn(generation)) {
        model_.setStopOffered(false);
        presenter_.analysisStopped();
    }
}

WizardEngine::Step WizardEngine::searchStep()
{
    const std::uint64_t generation = generation_;
    steps_.detail.reset();
    if (model_.autoSave()) {
        try {
            model_.setWalkPosition(state_.CurrentItem, host().ItemsCount());
        } catch (const std::exception&) {
            model_.setWalkPosition(state_.CurrentItem, 0); // the search meets the host's failure
        }
    }
    steps_.search = search(generation);
    SearchResult& result = *steps_.search;
    result.status = model_.status();
    if (!result.ranToEnd())
        return Step::None;
    if (result.candidates.size() != 1) {
        // The walk stops here: the status says what the user has to do.
        if (model_.autoSave())
            presenter_.walkStopped(WalkEntry{state_.CurrentItem, model_.title(), outcomeOf(steps_)}.why());
        return Step::None;
    }
    if (unattended() && titleCheck_) {
        result.mismatch = differentTitle(model_.title(), result.candidates.front(), result.directHit);
        if (!result.mismatch.isEmpty()) {
            presenter_.otherFilm(result.mismatch);
            result.status = model_.status();
            return Step::None;
        }
    }
    pickedBySearch_ = true;
    return Step::Detail;
}

SearchResult WizardEngine::search(std::uint64_t generation)
{
    SearchResult result;
    const auto refuse = [&](const QString& why) {
        result.refusal = why;
        return result;
    };
    const QString script = state_.ScriptPath;
    if (script.isEmpty() || !QFileInfo::exists(script)) {
        presenter_.refuse(kNoScript);
        return refuse(kNoScript);
    }
    if (!scriptLoadError_.isEmpty()) {
        presenter_.refuse(scriptLoadError_);
        return refuse(scriptLoadError_);
    }
    if (const QString problem = config::scriptFileProblem(script); !problem.isEmpty())
        return refuse(reportLoadError({script, {}, problem}));
    const QString title = model_.title();
    if (title.isEmpty()) {
        presenter_.refuse(kNothingToSearch);
        return refuse(kNothingToSearch);
    }
    // Such a title would cut the request apart: the page client refuses it with its code 3.
    if (title.contains(u'\n') || title.contains(u'\r') || title.contains(QChar(0))) {
        const QString why = QStringLiteral("Le titre contient un saut de ligne ou un caractère nul : il ne peut pas être envoyé au site.");
        presenter_.refuse(why);
        return refuse(why);
    }
    model_.clearCandidates();
    model_.setCandidatesShown(false);
    landed_.reset();
    detailCandidate_ = -1;
    presenter_.fetchStarting();
    const config::ScriptFile scriptFile(script);
    model_.setStopOffered(true);

    result.page.emplace();
    if (!fetchPage(scriptFile.searchUrl(text::formEncoded(title, charset_)), generation, *result.page)) {
        result.end = stillOn(generation) ? StepEnd::FetchFailed : StepEnd::MovedAway;
        return result;
    }

    tagPattern_.keepGoing(analysisGoesOn(generation));
    CandidateExtraction found = searchCandidates(scriptFile, generation);
    // A site whose form expects its page's charset finds nothing for a title sent in UTF-8;
    // a browser would have sent it in that charset, so the search goes once more that way.
    if (const QString declared = resendCharset(title, found); !declared.isEmpty()) {
        result.resentIn = declared;
        result.page.emplace();
        if (!fetchPage(scriptFile.searchUrl(text::formEncoded(title, declared)), generation, *result.page)) {
            result.end = stillOn(generation) ? StepEnd::FetchFailed : StepEnd::MovedAway;
            return result;
        }
        found = searchCandidates(scriptFile, generation);
    }
    if (found.candidates.empty() && found.error.isEmpty() && !found.stopped) {
        if (std::optional<Candidate> hit = directHit(scriptFile, *result.page)) {
            landed_ = LandedPage{generation, hit->link, *result.page};
            result.directHit = true;
            found.candidates.push_back(std::move(*hit));
        }
    }
    for (const Candidate& candidate : found.candidates)
        model_.addCandidate(candidate);
    result.candidates = std::move(found.candidates);
    if (found.stopped) {
        analysisStopped(generation);
        result.end = stillOn(generation) ? StepEnd::Stopped : StepEnd::MovedAway;
        return result;
    }
    result.patternError = found.error;
    if (!found.error.isEmpty())
        model_.setCandidatesError(found.error);

    model_.setStopOffered(false);
    result.end = StepEnd::Done;
    presenter_.searchEnded(result);
    model_.setCandidatesShown(true);
    model_.setDetailShown(false);
    model_.setDefaultButton(DefaultButton::FetchDetails);
    model_.requestFocus(FocusTarget::Candidates);
    return result;
}

WizardEngine::Step WizardEngine::detailStep()
{
    const std::uint64_t generation = generation_;
    steps_.detail = detail(generation);
    DetailResult& result = *steps_.detail;
    result.status = model_.status();
    const bool picked = std::exchange(pickedBySearch_, false);
    if (!result.ranToEnd())
        return Step::None;
    model_.setCanSave(true);
    model_.setDefaultButton(DefaultButton::Save);
    // A film the search picked alone, of another year than the entry's, is not saved unseen.
    if (picked && unattended()) {
        try {
            result.mismatch = differentYear(result.fields, HostEntries(host()), state_.CurrentItem - 1);
        } catch (const std::exception&) {
            result.mismatch.clear(); // a host that cannot say has nothing to compare; the save reports it
        }
        if (!result.mismatch.isEmpty()) {
            presenter_.otherFilm(result.mismatch);
            result.status = model_.status();
            return Step::None;
        }
    }
    return model_.autoSave() ? Step::Save : Step::None;
}

DetailResult WizardEngine::detail(std::uint64_t generation)
{
    DetailResult result;
    if (model_.candidates().empty()) {
        presenter_.refuse(kNothingToSearch);
        result.refusal = kNothingToSearch;
        return result;
    }
    for (int k = 0; k < model_.fieldRowCount(); ++k) {
        model_.setFieldValue(k, QString());
        model_.setFieldTicked(k, true);
        model_.setFieldToolTip(k, QString());
        model_.setFieldTarget(k, false, QString(), QString());
    }
    // The previous film's picture goes now, whatever follows: a fetch that fails must not
    // leave it to be saved into this entry.
    clearPicture();
    model_.setCanSave(false);
    presenter_.fetchStarting();

    const config::ScriptFile script(state_.ScriptPath);
    // With rows listed but none selected, the first one is used.
    const int selected = model_.selectedCandidate() >= 0 ? model_.selectedCandidate() : 0;
    detailCandidate_ = model_.selectedCandidate() >= 0 ? selected : -1;
    const Candidate& chosen = model_.candidates().at(static_cast<std::size_t>(selected));
    const QString url = script.detailUrl(chosen.link);
    model_.setDetailAddress(url);
    model_.setStopOffered(true);

    if (landed_ && landed_->generation == generation && landed_->link == chosen.link) {
        // The search page is this film's page: the page file holds it still. The step shows
        // the film page's address; the search's result keeps the redirects that led there.
        result.page = landed_->page;
        result.page->address = result.page->report.finalAddress;
        result.page->report.redirects.clear();
        result.reusedSearchPage = true;
        presenter_.fetchEnded(*result.page, true, closed_);
    } else {
        result.page.emplace();
        if (!fetchPage(url, generation, *result.page)) {
            result.end = stillOn(generation) ? StepEnd::FetchFailed : StepEnd::MovedAway;
            result.fields = fieldResults();
            return result;
        }
        landed_.reset(); // the page file now holds another page
    }

    const QByteArray pageBytes = readPageBytes();
    const QString page = text::decodePage(pageBytes, charset_);
    const bool json = text::isJsonPage(pageBytes) || script.filmUnescapesJson();
    tagPattern_.keepGoing(analysisGoesOn(generation));
    const FieldsExtraction fields =
        extractFields(page, script, model_.fieldRowCount(), tagPattern_, analysisGoesOn(generation), json);
    for (std::size_t i = 0; i < fields.fields.size(); ++i) {
        const FieldExtraction& field = fields.fields[i];
        model_.setFieldValue(int(i), field.value);
        model_.setFieldTicked(int(i), field.ticked);
        model_.setFieldToolTip(int(i), field.why);
    }
    const auto stopped = [&] {
        analysisStopped(generation);
        result.end = stillOn(generation) ? StepEnd::Stopped : StepEnd::MovedAway;
        result.fields = fieldResults();
        return result;
    };
    if (fields.stopped) {
        // The rows not read say why they are empty.
        for (int row = int(fields.fields.size()); row < fields.rows && stillOn(generation); ++row) {
            model_.setFieldValue(row, QString());
            model_.setFieldTicked(row, false);
            model_.setFieldToolTip(row, status::kAnalysisStopped);
        }
        return stopped();
    }
    result.fields = fieldResults();
    result.fieldsComplete = true;
    mapFieldsToColumns(result.fields);
    showFieldTargets(result.fields);

    model_.setDetailShown(true);
    presenter_.pictureStarting();

    const net::PageReport& report = result.page->report;
    const PictureAddress address = extractPictureAddress(page, script, analysisGoesOn(generation),
                                                         report.finalAddress.isEmpty() ? result.page->address : report.finalAddress, json);
    if (address.stopped)
        return stopped();
    PictureResult& picture = result.picture.emplace();
    picture.address = address.address;
    picture.addressError = address.error;
    if (!address.error.isEmpty())
        model_.setPictureError(address.error);
    model_.setStopOffered(false);
    PictureStep pictureStep(model_, presenter_, {services_.downloadPicture, services_.decodePicture, pictureFile(),
                                                 pictureOptions(services_.network)});
    const bool pictureDone = pictureStep.run(picture, result.page->httpNote(), state_.StopDownload,
                                             [this, generation] { return stillOn(generation); }, [this] { return closed_; });
    if (!pictureDone) {
        result.end = stillOn(generation) ? StepEnd::Stopped : StepEnd::MovedAway;
        return result;
    }
    result.end = StepEnd::Done;
    return result;
}

std::vector<FieldResult> WizardEngine::fieldResults() const
{
    std::vector<FieldResult> fields;
    for (int k = 0; k < loadedCount_ && k < model_.fieldRowCount(); ++k) {
        const FieldRow& row = model_.fieldRow(k);
        fields.push_back({row.name, row.value, row.ticked, row.toolTip, 0});
    }
    return fields;
}

void WizardEngine::mapFieldsToColumns(std::vector<FieldResult>& fields)
{
    // Where a save would put each field, as the mapping says now; a host that cannot say
    // leaves every field unmapped here (the save reports it).
    try {
        const config::MappingFile mapping(mappingFile());
        const std::int32_t columns = host().ColCount();
        for (std::int32_t c = 1; c <= columns; ++c) {
            const int k = mapping.mappedField(model_.scriptText(), c);
            if (k >= 1 && k <= int(fields.size()) && fields[std::size_t(k - 1)].column == 0)
                fields[std::size_t(k - 1)].column = c;
        }
    } catch (const std::exception&) {
        for (FieldResult& field : fields)
            field.column = 0;
    }
}

void WizardEngine::showFieldTargets(const std::vector<FieldResult>& fields)
{
    // Which column each field fills and what that cell holds now; with a mapping made, a field
    // it leaves out is unticked (its tick would save nothing).
    const bool anyMapped = std::any_of(fields.begin(), fields.end(), [](const FieldResult& f) { return f.column > 0; });
    try {
        const HostEntries entries(host());
        const QStringList captions = entries.captions();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const FieldResult& field = fields[i];
            if (field.column > 0) {
                model_.setFieldTarget(int(i), true, captions.value(field.column - 1), entries.cell(state_.CurrentItem - 1, field.column - 1));
                continue;
            }
            model_.setFieldTarget(int(i), anyMapped, QString(), QString());
            if (anyMapped)
                model_.setFieldTicked(int(i), false);
        }
    } catch (const std::exception&) {
        // A host that cannot say leaves the rows without a target; the save reports its failure.
    }
}

WizardEngine::Step WizardEngine::saveStep()
{
    const std::uint64_t generation = generation_;
    SaveResult& result = lastSave_.emplace();
    result.entry = state_.CurrentItem;
    // Nothing to save before a detail step has filled step 3 for this entry: saving its
    // empty ticked rows would erase the entry's columns.
    if (!model_.canSave()) {
        result.refused = SaveResult::Refusal::NothingToSave;
        return Step::None;
    }
    if (!state_.HostApp) {
        result.refused = SaveResult::Refusal::NoEntry;
        presenter_.saveRefused(result);
        return Step::None;
    }
    SaveRequest request;
    request.row = state_.CurrentItem - 1;
    request.section = model_.scriptText();
    request.fields = &model_.fieldRows();
    request.loadedFields = loadedCount_;
    request.title = model_.title();
    request.pictureFile = model_.pictureTicked() ? pictureFile() : QString();
    // The walk writes over what is there only when the user said it may.
    request.keepFilled = keepFilled_ || (model_.autoSave() && !model_.replaceExisting());
    request.emptyKeepsFilled = unattended_ || model_.autoSave();
    request.askBeforeReplacing = !model_.autoSave();
    request.pictureSync = services_.deferPictureSync ? Sync::Deferred : Sync::Now;
    try {
        request.mappingFile = mappingFile();
    } catch (const std::exception& error) {
        result.refused = SaveResult::Refusal::HostFailed;
        result.refusal = QString::fromUtf8(error.what());
        presenter_.saveRefused(result);
        return Step::None;
    }
    SaveStep step(*state_.HostApp, tags_, [this] { return presenter_.askReplacePicture() != MsgAnswer::No; });
    result = step.run(request);
    if (model_.autoSave())
        walk_.record({state_.CurrentItem, model_.title(), outcomeOf(steps_, &result)});
    if (result.end != StepEnd::Done) {
        presenter_.saveRefused(result);
        if (result.refused == SaveResult::Refusal::MappingChanged && services_.openMappingDialog && stillOn(generation)) {
            try {
                services_.openMappingDialog(model_.scriptText());
            } catch (const std::exception& error) {
                reportHostError(error);
            }
        }
        return Step::None;
    }
    presenter_.saveEnded(result);
    // A save that left something unwritten stays on its entry, as any failed step does.
    if (!stillOn(generation) || result.incomplete())
        return Step::None;
    // The walk goes on only once the move to the next entry has fully succeeded; after the
    // last entry it ends there.
    bool last = false;
    try {
        last = state_.CurrentItem >= host().ItemsCount();
    } catch (const std::exception&) {
        // The move below meets the same failure and shows it.
    }
    result.movedOn = !last && navigate(+1) && !closed_;
    if (last && stillOn(generation)) {
        model_.setStatus(kLastEntrySaved);
        walkReachedEnd_ = model_.autoSave();
    }
    if (!result.movedOn || result.picture == SaveResult::Picture::Declined)
        return Step::None;
    return model_.autoSave() ? Step::Search : Step::None;
}

} // namespace trouvel::wizard
