#include "FixtureRun.h"

#include "ReplayDownloads.h"
#include "TryCommand.h"

#include <QDir>
#include <QJsonDocument>
#include <QTemporaryDir>

namespace trouvel::cli {

namespace {

// The try --json object, with the picture named as the fixture folder names it (a kept
// picture's path would differ from run to run).
QJsonObject outcomeOf(TryReport report)
{
    if (!report.pictureFile.isEmpty())
        report.pictureFile = pictureFileName(report.pictureAddress);
    return QJsonDocument::fromJson(tryReportJson(report).toUtf8()).object();
}

std::optional<TitleRun> runKeepingPicture(const SessionOptions& options, const QString& title, int pick, QString* error)
{
    QTemporaryDir kept;
    TitleRun run = runTitle(options, title, pick, QDir(kept.path()).filePath(QStringLiteral("image")));
    if (!run.stepsRan) {
        *error = run.error.isEmpty() ? QStringLiteral("les étapes n'ont pas tourné") : run.error;
        return std::nullopt;
    }
    return run;
}

} // namespace

std::optional<Fixture> recordTitle(const SessionOptions& sessionOptions, const QString& title, int pick, QString* error)
{
    SessionOptions options = sessionOptions;
    options.keepWire = true;
    const std::optional<TitleRun> run = runKeepingPicture(options, title, pick, error);
    if (!run)
        return std::nullopt;
    if (run->exitStatus != 0) {
        *error = run->error;
        return std::nullopt;
    }
    Fixture fixture;
    fixture.title = title;
    fixture.pick = pick;
    for (const PageFetch& fetch : run->fetches) {
        RecordedPage page;
        page.get = fetch.get;
        page.address = fetch.address;
        page.code = fetch.code;
        page.failure = fetch.failure;
        page.problem = fetch.problem;
        page.hops = fetch.wire;
        if (!fetch.get && !fetch.wire.empty()) {
            const QByteArray& request = fetch.wire.front().request;
            if (const qsizetype end = request.indexOf("\r\n\r\n"); end >= 0)
                page.body = QString::fromUtf8(request.mid(end + 4));
        }
        fixture.pages.push_back(std::move(page));
        fixture.storedPages.push_back(fetch.page);
    }
    if (!run->pictures.empty()) {
        const PictureFetch& picture = run->pictures.back();
        fixture.picture = RecordedPicture{picture.address, picture.result, picture.bytes.value_or(QByteArray()), picture.bytes.has_value()};
    }
    fixture.outcome = outcomeOf(run->report);
    return fixture;
}

std::optional<QJsonObject> replayTitle(const SessionOptions& sessionOptions, std::shared_ptr<const Fixture> fixture, QString* error,
                                       std::vector<QByteArray>* storedPages)
{
    SessionOptions options = sessionOptions;
    options.pageClient = replayPageClient(fixture);
    options.pictureDownload = replayPictureDownload(fixture);
    const std::optional<TitleRun> run = runKeepingPicture(options, fixture->title, fixture->pick, error);
    if (!run)
        return std::nullopt;
    if (storedPages) {
        for (const PageFetch& fetch : run->fetches)
            storedPages->push_back(fetch.page);
    }
    return outcomeOf(run->report);
}

} // namespace trouvel::cli
