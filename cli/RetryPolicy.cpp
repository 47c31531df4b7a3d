#include "RetryPolicy.h"

#include "TerminalText.h"

#include "net/RetryAfter.h"

#include <QElapsedTimer>
#include <QLocale>

#include <cstdio>
#include <unistd.h>

namespace trouvel::cli {

namespace {

constexpr int kRefused = 10061;
constexpr int kReset = 10054;

QString statusText(const PageFetch& fetch)
{
    return QStringLiteral("HTTP %1 %2").arg(fetch.http.code).arg(fetch.http.reason).trimmed();
}

QString secondsText(std::int64_t ms)
{
    return QLocale(QLocale::French).toString(double(ms) / 1000, 'g', 4) + QStringLiteral(" s");
}

void say(const QString& title, const QString& line)
{
    // Over the progress bar's line, when there is one.
    std::fprintf(stderr, "%strouvel batch : « %s » : %s\n", ::isatty(STDERR_FILENO) ? "\r\033[K" : "",
                 escapeControls(title).toUtf8().constData(), escapeControls(line).toUtf8().constData());
}

} // namespace

QString readRetryLimits(const Arguments& arguments, RetryLimits* limits)
{
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
    // A time-out (a non-zero code) or a failure without a code is final.
    if (fetch.code != 0 || !fetch.failure.isEmpty())
        return {};
    const int status = fetch.http.code;
    if (status == 429 || status == 503) {
        const std::optional<std::int64_t> seconds = net::retryAfterSeconds(fetch.retryAfter, now);
        if (!seconds)
            return {};
        const std::int64_t left = limits.maxWaitSeconds - count.waitedSeconds;
        if (count.asked >= limits.askedRetries)
            return {RetryStep::Kind::GiveUp, 0,
                    QStringLiteral("le site demande encore d'attendre après %1 attentes").arg(count.asked)};
        // Waiting the bound out and failing then would only lose time.
        if (*seconds > left)
            return {RetryStep::Kind::GiveUp, 0,
                    QStringLiteral("le site demande d'attendre %1 s, au-delà des %2 s permis (--max-wait)").arg(*seconds).arg(left)};
        ++count.asked;
        count.waitedSeconds += *seconds;
        return {RetryStep::Kind::Wait, *seconds * 1000,
                QStringLiteral("le site demande d'attendre %1 s (%2), nouvel essai ensuite").arg(*seconds).arg(statusText(fetch))};
    }
    if (status != 0 || (fetch.socketError != kRefused && fetch.socketError != kReset))
        return {};
    const QString what = fetch.socketError == kRefused ? QStringLiteral("connexion refusée") : QStringLiteral("connexion coupée");
    if (count.connection >= limits.connectionRetries)
        return {RetryStep::Kind::GiveUp, 0, QStringLiteral("%1 après %2 nouveaux essais").arg(what).arg(count.connection)};
    const std::int64_t ms = std::int64_t(limits.backoffMs) << count.connection;
    ++count.connection;
    return {RetryStep::Kind::Wait, ms,
            QStringLiteral("%1, nouvel essai dans %2 (%3/%4)").arg(what, secondsText(ms)).arg(count.connection).arg(limits.connectionRetries)};
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
