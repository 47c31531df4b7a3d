#include "net/RetryPolicy.h"

#include "net/RetryAfter.h"

#include <QLocale>

namespace trouvel::net {

namespace {

constexpr int kRefused = 10061;
constexpr int kReset = 10054;

QString statusText(const PageReport& report)
{
    return QStringLiteral("HTTP %1 %2").arg(report.status).arg(report.reason).trimmed();
}

QString secondsText(std::int64_t ms)
{
    return QLocale(QLocale::French).toString(double(ms) / 1000, 'g', 4) + QStringLiteral(" s");
}

} // namespace

RetryStep nextRetry(std::int16_t code, const PageReport& report, RetryCount& count, const RetryLimits& limits,
                    const QDateTime& now)
{
    // A time-out (a non-zero code) is final.
    if (code != kDownloadDone)
        return {};
    const int status = report.status;
    if (status == 429 || status == 503) {
        const std::optional<std::int64_t> seconds = retryAfterSeconds(report.retryAfter, now);
        if (!seconds)
            return {};
        const std::int64_t left = limits.maxWaitSeconds - count.waitedSeconds;
        if (count.asked >= limits.askedRetries)
            return {RetryStep::Kind::GiveUp, 0,
                    QStringLiteral("le site demande encore d'attendre après %1 attentes").arg(count.asked)};
        // Waiting the bound out and failing then would only lose time.
        if (*seconds > left) {
            QString why = QStringLiteral("le site demande d'attendre %1 s, au-delà des %2 s permis").arg(*seconds).arg(left);
            if (!limits.maxWaitName.isEmpty())
                why += QStringLiteral(" (%1)").arg(limits.maxWaitName);
            return {RetryStep::Kind::GiveUp, 0, why};
        }
        ++count.asked;
        count.waitedSeconds += *seconds;
        return {RetryStep::Kind::Wait, *seconds * 1000,
                QStringLiteral("le site demande d'attendre %1 s (%2), nouvel essai ensuite").arg(*seconds).arg(statusText(report))};
    }
    if (status != 0 || (report.socketError != kRefused && report.socketError != kReset))
        return {};
    const QString what = report.socketError == kRefused ? QStringLiteral("connexion refusée") : QStringLiteral("connexion coupée");
    if (count.connection >= limits.connectionRetries)
        return {RetryStep::Kind::GiveUp, 0, QStringLiteral("%1 après %2 nouveaux essais").arg(what).arg(count.connection)};
    const std::int64_t ms = std::int64_t(limits.backoffMs) << count.connection;
    ++count.connection;
    return {RetryStep::Kind::Wait, ms,
            QStringLiteral("%1, nouvel essai dans %2 (%3/%4)").arg(what, secondsText(ms)).arg(count.connection).arg(limits.connectionRetries)};
}

} // namespace trouvel::net
