#include "wizard/StepResults.h"

namespace trouvel::wizard {

namespace {

QString httpStatusText(const net::PageReport& report)
{
    return QStringLiteral("HTTP %1 %2").arg(report.status).arg(report.reason).trimmed();
}

} // namespace

QString PageResult::problem() const
{
    if (!failure.isEmpty())
        return failure;
    if (code != 0)
        return report.problem.isEmpty() ? QStringLiteral("Erreur n°%1").arg(code)
                                        : QStringLiteral("Erreur n°%1 : %2").arg(code).arg(report.problem);
    if (report.status == 0)
        return connectionError.isEmpty() ? QStringLiteral("pas de réponse HTTP")
                                         : connectionError.simplified(); // the message spans lines
    if (!report.success())
        return httpStatusText(report);
    return {};
}

QString PageResult::httpNote() const
{
    if (code == 0 && failure.isEmpty() && report.status != 0 && !report.success())
        return QStringLiteral(" (%1)").arg(httpStatusText(report));
    return {};
}

} // namespace trouvel::wizard
