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
    QString why;
    if (!failure.isEmpty())
        why = failure;
    else if (code != 0)
        why = report.problem.isEmpty() ? QStringLiteral("Erreur n°%1").arg(code)
                                       : QStringLiteral("Erreur n°%1 : %2").arg(code).arg(report.problem);
    else if (report.status == 0)
        why = connectionError.isEmpty() ? QStringLiteral("pas de réponse HTTP")
                                        : connectionError.simplified(); // the message spans lines
    else if (!report.success())
        why = httpStatusText(report);
    if (!why.isEmpty() && !retryNote.isEmpty())
        why += QStringLiteral(" ; ") + retryNote;
    return why;
}

QString PageResult::httpNote() const
{
    if (code == 0 && failure.isEmpty() && report.status != 0 && !report.success())
        return retryNote.isEmpty() ? QStringLiteral(" (%1)").arg(httpStatusText(report))
                                   : QStringLiteral(" (%1 ; %2)").arg(httpStatusText(report), retryNote);
    return {};
}

} // namespace trouvel::wizard
