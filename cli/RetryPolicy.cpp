#include "RetryPolicy.h"

#include "text/TerminalText.h"

#include <QElapsedTimer>

#include <cstdio>
#include <unistd.h>

namespace trouvel::cli {

namespace {

void say(const QString& title, const QString& line)
{
    // Over the progress bar's line, when there is one.
    std::fprintf(stderr, "%strouvel batch : « %s » : %s\n", ::isatty(STDERR_FILENO) ? "\r\033[K" : "",
                 text::escapeControls(title).toUtf8().constData(), text::escapeControls(line).toUtf8().constData());
}

} // namespace

QString readRetryLimits(const Arguments& arguments, RetryLimits* limits)
{
    limits->maxWaitName = QStringLiteral("--max-wait");
    bool ok = true;
    if (arguments.isSet(QStringLiteral("max-wait"))) {
        limits->maxWaitSeconds = arguments.value(QStringLiteral("max-wait")).toInt(&ok);
        if (!ok || limits->maxWaitSeconds < 0 || limits->maxWaitSeconds > 86400)
            return QStringLiteral("--max-wait attend un nombre de secondes (de 0 à 86400)");
    }
    if (arguments.isSet(QStringLiteral("retry-delay"))) {
        limits->backoffMs = arguments.value(QStringLiteral("retry-delay")).toInt(&ok);
        if (!ok || limits->backoffMs < 0 || limits->backoffMs > 600000)
            return QStringLiteral("--retry-delay attend un nombre de millisecondes (de 0 à 600000)");
    }
    return {};
}

RetryStep nextRetry(const PageFetch& fetch, RetryCount& count, const RetryLimits& limits, const QDateTime& now)
{
    if (!fetch.failure.isEmpty())
        return {};
    net::PageReport report;
    report.status = fetch.http.code;
    report.reason = fetch.http.reason;
    report.retryAfter = fetch.retryAfter;
    report.socketError = fetch.socketError;
    return net::nextRetry(fetch.code, report, count, limits, now);
}

EntryResult retryEntry(EntryResult first, const WizardSession& session, const RetryLimits& limits,
                       const std::function<EntryResult()>& attempt, const std::function<bool(std::int64_t ms)>& wait)
{
    EntryResult result = std::move(first);
    RetryCount count;
    while (result.outcome == Outcome::Failed && !session.pageFetches().empty()) {
        const RetryStep step = nextRetry(session.pageFetches().back(), count, limits, QDateTime::currentDateTimeUtc());
        if (step.kind == RetryStep::Kind::None)
            break;
        if (step.kind == RetryStep::Kind::GiveUp) {
            say(result.title, step.why + QStringLiteral(" : entrée en échec"));
            result.retryNote = step.why;
            break;
        }
        say(result.title, step.why);
        // The wait may end early (a timer's slack): what the site asked for is the least.
        QElapsedTimer clock;
        clock.start();
        bool going = true;
        while (going && clock.elapsed() < step.waitMs)
            going = wait(step.waitMs - clock.elapsed());
        if (!going) {
            result.retryNote = QStringLiteral("interrompu pendant l'attente");
            break;
        }
        const QString title = result.title;
        const int row = result.row;
        result = attempt();
        result.title = title;
        result.row = row;
    }
    return result;
}

} // namespace trouvel::cli
