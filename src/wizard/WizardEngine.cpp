#include "wizard/WizardEngine.h"

#include "config/Convert.h"
#include "config/IniFile.h"
#include "config/MappingCaptions.h"
#include "config/MappingFile.h"
#include "config/Script.h"
#include "config/ScriptFile.h"
#include "text/TextCleanup.h"
#include "text/TextCodec.h"
#include "wizard/Extraction.h"
#include "wizard/HostEntries.h"
#include "wizard/PictureStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHashFunctions>

#include <limits>

namespace trouvel::wizard {

namespace {

std::uint64_t tagHash(const std::string& tag)
{
    return qHash(QByteArrayView(tag.data(), qsizetype(tag.size())), 0);
}

const QString kAppName = QStringLiteral("Trouvel");
const QString kStatusReady = QStringLiteral("Trouvel (sur le net) by Ruvarir");
const QString kStatusDownloading = QStringLiteral("Telechargement des donnees en cours...");
const QString kStatusAnalysing = QStringLiteral("Analyse des donnees en cours...");
const QString kStatusAnalysed = QStringLiteral("Analyse terminee");
const QString kStatusAnalysisStopped = QStringLiteral("Analyse interrompue");
const QString kStatusPicture = QStringLiteral("Telechargement de l'image en cours...");
const QString kStatusDone = QStringLiteral("Terminé");
const QString kStatusBadPicture = QStringLiteral("Erreur lors du téléchargement de l'image");
const QString kErrorCode = QStringLiteral("Erreur n°");
const QString kErrorText = QStringLiteral("Erreur :");
const QString kNoScript = QStringLiteral("Le fichier de script n'existe pas !");
const QString kNothingToSearch = QStringLiteral("Rien à chercher");
const QString kReplacePicture = QStringLiteral("voulez vous remplacer l'image ?");
const QString kEmptyHostList = QStringLiteral("La liste ne contient aucune fiche.");

// Vertical step between field rows, and the 16-bit limit their placement must respect.
constexpr int kRowStepTwips = 300;

// Before any search for the entry.
EntryOutcome noSearchYet()
{
    return {EntryOutcome::Kind::Failed, 0, kStageSearch, QStringLiteral("aucune recherche")};
}

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
    , ui_(ui)
    , settings_(settings)
    , services_(std::move(services))
{
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
    knownTagHashes_.clear();
    outcome_ = noSearchYet();
    searchFailed_ = false;
    model_.clearCandidates();
    model_.setStatus(kStatusReady);

    model_.setScripts(config::listScripts(services_.pluginFolder));
    if (!model_.scripts().isEmpty()) {
        // A stored position that is not a number or names no script selects the first one.
        const QString stored =
            settings_.GetSetting(kAppName, QStringLiteral("Options"), QStringLiteral("NBIndex"), QStringLiteral("0"));
        int index = config::tryToInt16(stored).value_or(0);
        if (index < 0 || index >= model_.scripts().size())
            index = 0;
        model_.setScriptIndex(index);
        const QString selected = config::scriptPath(services_.pluginFolder, model_.scriptText());
        bool loaded = false;
        if (QFileInfo::exists(selected))
            loaded = loadScriptReporting(selected);
        else
            ui_.messageBox(missingFileMessage(selected));
        // The selection is loaded again once the last script is known to exist; a load that
        // failed is not repeated (its message has been shown).
        if (!QFileInfo::exists(state_.ScriptPath))
            ui_.messageBox(missingFileMessage(state_.ScriptPath));
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
        ui_.messageBox(kEmptyHostList);
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

    const QString hostIni = QString::fromStdString(app.CadrelleIni());
    const QString internet = QStringLiteral("Internet");
    const bool useProxy = config::IniFlag(
        config::ReadIniString(hostIni, internet, QStringLiteral("UseProxy"), QStringLiteral("0")));
    netOptions_.proxy.reset();
    if (useProxy) {
        const QString proxyHost = config::ReadIniString(hostIni, internet, QStringLiteral("HostProxy"), {});
        const QString proxyPort = config::ReadIniString(hostIni, internet, QStringLiteral("PortProxy"), {});
        if (services_.pageClient)
            services_.pageClient->setProxy(kTrue, proxyHost, proxyPort);
        // The picture goes the page's way; an incomplete proxy already stops the page fetch.
        if (const auto port = net::parseProxyPort(proxyPort); port && !proxyHost.isEmpty())
            netOptions_.proxy = net::ProxySetting{proxyHost, *port};
    } else if (services_.pageClient) {
        services_.pageClient->setProxy(kFalse, {}, {});
    }
    // Seconds, decimals allowed; missing or out of range: the default.
    bool validLimit = false;
    const double seconds = settings_.GetSetting(kAppName, QStringLiteral("Options"), QLatin1String(kTimeOutKey), QString())
                               .toDouble(&validLimit);
    validLimit = validLimit && seconds >= 0.001 && seconds <= 3600;
    netOptions_.timeLimitMs = validLimit ? std::max(1, int(seconds * 1000 + 0.5)) : net::kDefaultTimeLimitMs;
    if (services_.pageClient)
        services_.pageClient->setTimeLimit(netOptions_.timeLimitMs);

    // Mapping check over Col1 .. the highest field row index (so a one-field script always
    // counts as unmapped).
    QString joined;
    const config::MappingFile mapping(mappingFile());
    for (int j = 1; j <= model_.fieldRowCount() - 1; ++j)
        joined += mapping.columnText(model_.scriptText(), j);
    if (joined.isEmpty()) {
        try {
            if (services_.openMappingDialog)
                services_.openMappingDialog(model_.scriptText());
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
    if (services_.requestClose)
        services_.requestClose();
}

bool WizardEngine::reportHostError(const std::exception& error)
{
    ui_.messageBox(QString::fromUtf8(error.what()));
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
    ui_.messageBox(text);
    return text;
}

bool WizardEngine::loadScriptReporting(const QString& path)
{
    try {
        loadScript(path);
        return true;
    } catch (const ScriptLoadError& error) {
        reportLoadError(error);
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
    const QString path = config::scriptPath(services_.pluginFolder, model_.scriptText());
    if (!QFileInfo::exists(path)) {
        ui_.messageBox(missingFileMessage(path));
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

    const int highest = model_.fieldRowCount() - 1;
    if (highest < count - 1) {
        for (int k = highest + 1; k <= count - 1; ++k) {
            // The row's offset is a 16-bit number of twips: row 110 cannot be placed.
            if (kRowStepTwips * k > std::numeric_limits<std::int16_t>::max())
                throw ScriptLoadError{file, QStringLiteral("Count"),
                                      QStringLiteral("(%1) dépasse %2").arg(count).arg(config::ScriptFile::kMaxFieldCount)};
            model_.addFieldRow();
        }
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
        state_.StopDownload = kTrue;
        unload();
        return false;
    }
    // A step still waiting for the old entry ends as after Stop and writes nothing more.
    state_.StopDownload = kTrue;
    HostEntries entries(app);
    const std::int16_t target = checkedInt16(state_.CurrentItem + delta);
    entries.setSelected(state_.CurrentItem - 1, false);
    state_.CurrentItem = target;
    ++generation_;
    outcome_ = noSearchYet();
    searchFailed_ = false;
    model_.setTitle(entries.cell(target - 1, 0));
    entries.setSelected(target - 1, true);
    model_.setCandidatesShown(false);
    model_.setDetailShown(false);
    clearDetail();
    model_.setDefaultButton(DefaultButton::Search);
    model_.requestFocus(FocusTarget::Title);
    return true;
}

void WizardEngine::clearDetail()
{
    for (int k = 0; k < model_.fieldRowCount(); ++k) {
        model_.setFieldValue(k, QString());
        model_.setFieldTicked(k, false);
        model_.setFieldToolTip(k, QString());
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
        if (services_.openMappingDialog)
            services_.openMappingDialog(model_.scriptText());
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
    Step next = first;
    while (next != Step::None && !closed_) {
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
}

QString WizardEngine::readPage()
{
    QFile file(pageFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return text::decodeText(file.readAll());
}

bool WizardEngine::fetchPage(const QString& url, std::uint64_t generation)
{
    std::int16_t code = 0;
    httpNote_.clear();
    fetchProblem_.clear();
    QString connectionError;
    try {
        model_.setDownloading(true);
        code = services_.pageClient->DownloadPage(url, pageFile(), usesGet_, httpVersion_);
        model_.setDownloading(false);
        connectionError = showConnectionError();
    } catch (const std::exception& error) {
        // A fetch that fails outright (a redirect loop, a file that cannot be written, ...)
        // shows why.
        model_.setDownloading(false);
        showConnectionError();
        fetchProblem_ = QString::fromUtf8(error.what());
        if (!closed_)
            model_.setStatus(kErrorText + QString::fromUtf8(error.what()));
        return false;
    }
    const net::PageReport report = services_.pageClient->lastReport();
    if (code != 0)
        fetchProblem_ = report.problem.isEmpty() ? QStringLiteral("Erreur n°%1").arg(code)
                                                 : QStringLiteral("Erreur n°%1 : %2").arg(code).arg(report.problem);
    else if (report.status != 0 && !report.success())
        fetchProblem_ = QStringLiteral("HTTP %1 %2").arg(report.status).arg(report.reason).trimmed();
    else if (report.status == 0)
        fetchProblem_ = connectionError.isEmpty() ? QStringLiteral("pas de réponse HTTP")
                                                  : connectionError.simplified(); // the message spans lines
    if (!stillOn(generation)) {
        // Moved away or closed meanwhile: the fetch was stopped for this entry.
        if (!closed_)
            model_.setStatus(kErrorCode + QString::number(code != 0 ? code : 4));
        return false;
    }
    if (code != 0) {
        model_.setStatus(kErrorCode + QString::number(code)
                         + (report.problem.isEmpty() ? QString() : QStringLiteral(" : ") + report.problem));
        return false;
    }
    // An error page still goes through the patterns, but the step says what the site answered.
    if (report.status != 0 && !report.success())
        httpNote_ = QStringLiteral(" (%1)").arg(QStringLiteral("HTTP %1 %2").arg(report.status).arg(report.reason).trimmed());
    // Stop stays offered while the patterns run: a long analysis can be stopped too.
    model_.setStatus(kStatusAnalysing);
    return true;
}

QString WizardEngine::showConnectionError()
{
    const QString message = net::connectionErrorMessage(services_.pageClient->lastReport());
    if (!message.isEmpty())
        ui_.messageBox(message);
    return message;
}

EntryOutcome WizardEngine::outcome() const
{
    EntryOutcome outcome = outcome_;
    outcome.candidates = int(model_.candidates().size());
    return outcome;
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
        model_.setStatus(kStatusAnalysisStopped);
    }
}

WizardEngine::Step WizardEngine::searchStep()
{
    const std::uint64_t generation = generation_;
    outcome_ = noSearchYet();
    searchFailed_ = false;
    const QString script = state_.ScriptPath;
    if (script.isEmpty() || !QFileInfo::exists(script)) {
        outcome_.reason = kNoScript;
        ui_.messageBox(kNoScript);
        return Step::None;
    }
    if (const QString problem = config::scriptFileProblem(script); !problem.isEmpty()) {
        outcome_.reason = reportLoadError({script, {}, problem});
        return Step::None;
    }
    const QString title = model_.title();
    if (title.isEmpty()) {
        outcome_.reason = kNothingToSearch;
        ui_.messageBox(kNothingToSearch);
        return Step::None;
    }
    model_.clearCandidates();
    model_.setCandidatesShown(false);
    model_.setStatus(kStatusDownloading);
    const config::ScriptFile scriptFile(script);
    const QString url = scriptFile.searchUrl(title);
    model_.setStopOffered(true);

    const bool fetched = fetchPage(url, generation);
    if (!fetchProblem_.isEmpty()) {
        // The patterns still run on an error page, but the entry's outcome is this failure.
        searchFailed_ = true;
        outcome_ = {EntryOutcome::Kind::Failed, 0, kStageSearch, QStringLiteral("recherche : ") + fetchProblem_};
    }
    if (!fetched)
        return Step::None;

    const QString page = readPage();
    tagPattern_.keepGoing(analysisGoesOn(generation));
    const CandidateExtraction found = extractCandidates(page, scriptFile, tagPattern_, analysisGoesOn(generation));
    for (const Candidate& candidate : found.candidates)
        model_.addCandidate(candidate);
    if (found.stopped) {
        analysisStopped(generation);
        return Step::None;
    }
    if (!found.error.isEmpty())
        model_.setCandidatesError(found.error);

    model_.setStopOffered(false);
    model_.setStatus(kStatusAnalysed + httpNote_);
    model_.setCandidatesShown(true);
    model_.setDetailShown(false);
    model_.setDefaultButton(DefaultButton::FetchDetails);
    model_.requestFocus(FocusTarget::Candidates);
    if (!searchFailed_) {
        const std::size_t found = model_.candidates().size();
        outcome_.kind = found == 0 ? EntryOutcome::Kind::NotFound
                        : found > 1 ? EntryOutcome::Kind::Ambiguous
                                    : EntryOutcome::Kind::Failed;
        outcome_.stage = found == 1 ? kStageDetail : QString();
        outcome_.reason = found == 0 ? model_.candidatesError() : found == 1 ? QStringLiteral("fiche non lue") : QString();
    }
    if (model_.candidates().size() == 1)
        return Step::Detail;
    ui_.beep();
    ui_.beep();
    return Step::None;
}

WizardEngine::Step WizardEngine::detailStep()
{
    const std::uint64_t generation = generation_;
    // A search that failed keeps its outcome; otherwise the detail step's own counts.
    const auto detailOutcome = [this](EntryOutcome outcome) {
        if (!searchFailed_)
            outcome_ = std::move(outcome);
    };
    detailOutcome({EntryOutcome::Kind::Failed, 0, kStageDetail, QStringLiteral("fiche non lue")});
    if (model_.candidates().empty()) {
        ui_.messageBox(kNothingToSearch);
        return Step::None;
    }
    for (int k = 0; k < model_.fieldRowCount(); ++k) {
        model_.setFieldValue(k, QString());
        model_.setFieldTicked(k, true);
        model_.setFieldToolTip(k, QString());
    }
    // The previous film's picture goes now, whatever follows: a fetch that fails must not
    // leave it to be saved into this entry.
    clearPicture();
    model_.setCanSave(false);
    model_.setStatus(kStatusDownloading);

    const config::ScriptFile script(state_.ScriptPath);
    // With rows listed but none selected, the first one is used.
    const int selected = model_.selectedCandidate() >= 0 ? model_.selectedCandidate() : 0;
    const QString url = script.detailUrl(model_.candidates().at(static_cast<std::size_t>(selected)).link);
    model_.setDetailAddress(url);
    model_.setStopOffered(true);

    const bool fetched = fetchPage(url, generation);
    if (!fetchProblem_.isEmpty())
        detailOutcome({EntryOutcome::Kind::Failed, 0, kStageDetail, QStringLiteral("fiche : ") + fetchProblem_});
    else
        detailOutcome({EntryOutcome::Kind::Filled, 0, {}, QStringLiteral("sans image")});
    if (!fetched)
        return Step::None;

    const QString page = readPage();
    tagPattern_.keepGoing(analysisGoesOn(generation));
    const FieldsExtraction fields =
        extractFields(page, script, model_.fieldRowCount(), tagPattern_, analysisGoesOn(generation));
    for (std::size_t i = 0; i < fields.fields.size(); ++i) {
        const FieldExtraction& field = fields.fields[i];
        model_.setFieldValue(int(i), field.value);
        model_.setFieldTicked(int(i), field.ticked);
        model_.setFieldToolTip(int(i), field.why);
    }
    if (fields.stopped) {
        // The rows not read say why they are empty.
        for (int row = int(fields.fields.size()); row < fields.rows && stillOn(generation); ++row) {
            model_.setFieldValue(row, QString());
            model_.setFieldTicked(row, false);
            model_.setFieldToolTip(row, kStatusAnalysisStopped);
        }
        analysisStopped(generation);
        return Step::None;
    }

    model_.setDetailShown(true);
    model_.setStatus(kStatusPicture);

    const PictureAddress picture = extractPictureAddress(page, script, analysisGoesOn(generation));
    if (picture.stopped) {
        analysisStopped(generation);
        return Step::None;
    }
    const QString address = picture.address;
    if (!picture.error.isEmpty())
        model_.setPictureError(picture.error);
    model_.setStopOffered(false);

    if (address.isEmpty()) {
        if (!httpNote_.isEmpty())
            model_.setStatus(kStatusAnalysed + httpNote_);
        model_.setPicture({});
        model_.setPictureTicked(false);
    } else {
        model_.setStopOffered(true);
        QString result;
        try {
            model_.setDownloading(true);
            result = services_.downloadPicture(address, pictureFile(), state_.StopDownload, netOptions_);
            model_.setDownloading(false);
        } catch (const std::exception& error) {
            model_.setDownloading(false);
            result = QString::fromUtf8(error.what());
            if (result.isEmpty())
                result = QStringLiteral("échec du téléchargement");
        }
        if (outcome_.kind == EntryOutcome::Kind::Filled) {
            // The fields count without the picture; the reason is noted.
            outcome_.stage = result.isEmpty() ? QString() : kStagePicture;
            outcome_.reason = result.isEmpty() ? QString() : QStringLiteral("image non téléchargée : ") + result;
        }
        if (!stillOn(generation)) {
            if (!closed_)
                model_.setStatus(kErrorText + (result.isEmpty() ? QStringLiteral("Téléchargement interrompu") : result));
            return Step::None;
        }
        if (!result.isEmpty() && state_.StopDownload != 0) {
            // Stopped by the user: the step ends there.
            model_.setStatus(kErrorText + result);
            return Step::None;
        }
        model_.setStopOffered(false);
        picture::Picture image;
        if (result.isEmpty()) {
            image = services_.decodePicture ? services_.decodePicture(pictureFile())
                                             : picture::Picture{nullptr, QStringLiteral("aucun décodeur d'images")};
        } else {
            // A poster that answers 404 or arrives cut short: the fields still count.
            model_.setPictureError(result);
        }
        if (image.isNull()) {
            if (outcome_.kind == EntryOutcome::Kind::Filled && result.isEmpty()) {
                outcome_.stage = kStagePicture;
                outcome_.reason = QStringLiteral("image illisible");
                if (!image.error.isEmpty())
                    outcome_.reason += QStringLiteral(" : ") + image.error;
            }
            if (!image.error.isEmpty())
                model_.setPictureError(image.error);
            model_.setStatus(kStatusBadPicture + httpNote_);
            QFile::remove(pictureFile());
            model_.setPicture({});
            model_.setPictureTicked(false);
        } else {
            model_.setStatus(kStatusDone + httpNote_);
            model_.setPicture(image);
            model_.setPictureTicked(true);
        }
    }

    model_.setCanSave(true);
    model_.setDefaultButton(DefaultButton::Save);
    return model_.autoSave() ? Step::Save : Step::None;
}

bool WizardEngine::tagHeldByAnotherEntry(const QString& name)
{
    // The Tags are read from the host once and then kept up to date here (the steps are the
    // only writers while the wizard is open): asking the host for every Tag at every save
    // made a walk quadratic in the length of the list. Only their hashes are kept, and a
    // match is confirmed with the host, so a long list is not held twice.
    const HostEntries entries(host());
    const int count = entries.count();
    if (knownTagHashes_.size() != std::size_t(count)) {
        knownTagHashes_.clear();
        knownTagHashes_.reserve(std::size_t(count));
        for (int row = 0; row < count; ++row)
            knownTagHashes_.push_back(tagHash(entries.tag(row)));
    }
    const std::string wanted = name.toStdString();
    const std::uint64_t hash = tagHash(wanted);
    for (std::size_t row = 0; row < knownTagHashes_.size(); ++row) {
        if (int(row) + 1 != state_.CurrentItem && knownTagHashes_[row] == hash && entries.tag(int(row)) == wanted)
            return true;
    }
    return false;
}

WizardEngine::Step WizardEngine::saveStep()
{
    const std::uint64_t generation = generation_;
    pictureStoreFailure_.clear();
    keptColumns_ = 0;
    keptPicture_ = false;
    // Nothing to save before a detail step has filled step 3 for this entry: saving its
    // empty ticked rows would erase the entry's columns.
    if (!model_.canSave())
        return Step::None;
    if (!state_.HostApp || !HostEntries(*state_.HostApp).reachable(state_.CurrentItem - 1)) {
        model_.setStatus(QStringLiteral("Aucune fiche n°%1 : rien n'a été enregistré").arg(state_.CurrentItem));
        return Step::None;
    }
    HostEntries entries(*state_.HostApp);
    const int current = state_.CurrentItem - 1;

    // Columns are mapped by number: once the host's columns changed, nothing is written
    // until the mapping has been looked at again.
    try {
        const QString mismatch = config::mappingCaptionsMismatch(mappingFile(), model_.scriptText(), entries.captions());
        if (!mismatch.isEmpty()) {
            model_.setStatus(QStringLiteral("Correspondance des colonnes à vérifier : rien n'a été enregistré"));
            ui_.messageBox(mismatch);
            if (services_.openMappingDialog && stillOn(generation))
                services_.openMappingDialog(model_.scriptText());
            return Step::None;
        }
    } catch (const std::exception& error) {
        reportHostError(error);
        return Step::None;
    }

    // Columns, one by one: a failing host member or mapping value skips that column only.
    try {
        const std::int32_t colCount = state_.HostApp->ColCount();
        const config::MappingFile mapping(mappingFile());
        for (std::int32_t c = 1; c <= colCount; ++c) {
            try {
                const int k = mapping.mappedField(model_.scriptText(), c);
                if (k < 1 || k > loadedCount_ || k > model_.fieldRowCount())
                    continue;
                const FieldRow& row = model_.fieldRow(k - 1);
                if (!row.ticked)
                    continue;
                if (keepFilled_) {
                    if (!entries.cell(current, c - 1).trimmed().isEmpty()) {
                        ++keptColumns_;
                        continue;
                    }
                }
                entries.setCell(current, c - 1, row.value);
            } catch (const std::exception&) {
                // This column only is left as it was.
            }
        }
    } catch (const std::exception&) {
        // No column count: no column is written, the picture still is.
    }

    bool hasPicture = false;
    try {
        hasPicture = !entries.tag(current).empty();
    } catch (const std::exception&) {
        // A Tag that cannot be read counts as no picture.
    }
    // Kept: not stored at all, so no picture file is left that no entry names.
    keptPicture_ = keepFilled_ && hasPicture && model_.pictureTicked() && QFileInfo::exists(pictureFile());
    if (model_.pictureTicked() && QFileInfo::exists(pictureFile()) && !keptPicture_) {
        if (hasPicture && !model_.autoSave()) {
            if (ui_.messageBox(kReplacePicture, MsgButtons::YesNo) == MsgAnswer::No) {
                try {
                    entries.markChanged();
                } catch (const std::exception&) {
                    // The host's own save prompt is only a reminder.
                }
                if (stillOn(generation))
                    navigate(+1);
                return Step::None;
            }
        }
        QString name;
        try {
            name = freePictureName(text::stripFileName(model_.title()),
                                   [this](const QString& candidate) { return tagHeldByAnotherEntry(candidate); });
        } catch (const std::exception& error) {
            reportHostError(error);
            return Step::None;
        }
        const QString failure =
            storePicture(pictureFile(), entries.workFolder(), name, services_.deferPictureSync ? Sync::Deferred : Sync::Now);
        if (failure.isEmpty()) {
            try {
                entries.setTag(current, name.toStdString());
                if (current >= 0 && std::size_t(current) < knownTagHashes_.size())
                    knownTagHashes_[std::size_t(current)] = tagHash(name.toStdString());
            } catch (const std::exception&) {
                // The picture is stored but not named: the entry keeps its old Tag.
            }
        } else {
            pictureStoreFailure_ = failure;
            model_.setStatus(failure);
        }
    }

    try {
        entries.markChanged();
    } catch (const std::exception&) {
        // The host's own save prompt is only a reminder.
    }
    if (!stillOn(generation))
        return Step::None;
    // The walk goes on only once the move to the next entry has fully succeeded.
    if (!navigate(+1) || closed_)
        return Step::None;
    return model_.autoSave() ? Step::Search : Step::None;
}

} // namespace trouvel::wizard
