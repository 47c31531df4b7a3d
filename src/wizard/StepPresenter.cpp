#include "wizard/StepPresenter.h"

#include "net/SocketPageClient.h"

namespace trouvel::wizard {

namespace {

// A reason written to follow other words ("le site …"), as the start of a status line.
QString sentence(const QString& reason)
{
    return reason.left(1).toUpper() + reason.mid(1);
}

} // namespace

void StepPresenter::fetchStarting()
{
    model_.setStatus(status::kDownloading);
}

void StepPresenter::connectionError(const PageResult& page)
{
    if (!page.connectionError.isEmpty())
        ui_.messageBox(page.connectionError, MsgButtons::Ok, MsgIcon::Warning);
    else if (page.code == net::kDownloadTimedOut && !page.report.problem.isEmpty())
        // A site that never answers is told as a refused connection is, not on the status line alone.
        ui_.messageBox(page.report.problem, MsgButtons::Ok, MsgIcon::Warning);
}

void StepPresenter::fetchEnded(const PageResult& page, bool current, bool closed)
{
    if (closed)
        return;
    if (!page.failure.isEmpty()) {
        model_.setStatus(status::kErrorText + page.failure);
        return;
    }
    if (!current) {
        // Moved away meanwhile: the fetch was stopped for the entry it was made for.
        model_.setStatus(status::kErrorCode + QString::number(page.code != 0 ? int(page.code) : int(net::kDownloadStopped)));
        return;
    }
    if (page.code == net::kDownloadStopped) {
        // The user's own Stop: no error of the site.
        model_.setStatus(status::kAnalysisStopped);
        return;
    }
    if (page.nothingCame()) {
        const QString& socket = page.report.socketErrorText;
        model_.setStatus(status::kErrorText + u' '
                         + (socket.isEmpty() ? page.problem() : QStringLiteral("la connexion a échoué (%1)").arg(socket)));
        return;
    }
    if (page.code != 0) {
        const QString& problem = page.report.problem;
        model_.setStatus(status::kErrorCode + QString::number(page.code)
                         + (problem.isEmpty() ? QString() : QStringLiteral(" : ") + problem));
        return;
    }
    model_.setStatus(status::kAnalysing);
}

void StepPresenter::retryWaiting(const QString& why)
{
    model_.setStatus(sentence(why));
}

void StepPresenter::analysisStopped()
{
    model_.setStatus(status::kAnalysisStopped);
}

void StepPresenter::scriptWarnings(const QStringList& lines)
{
    if (lines.isEmpty())
        return;
    model_.setStatus(QStringLiteral("Script : %1 problème(s), détail dans l'infobulle ; %2")
                         .arg(lines.size())
                         .arg(lines.front()));
}

void StepPresenter::searchEnded(const SearchResult& result)
{
    model_.setStatus(status::kAnalysed + (result.page ? result.page->httpNote() : QString()));
    if (result.candidates.size() != 1) {
        ui_.beep();
        ui_.beep();
    }
}

void StepPresenter::otherFilm(const QString& why)
{
    model_.setStatus(sentence(why) + QStringLiteral(" : rien n'a été enregistré"));
    ui_.beep();
    ui_.beep();
}

void StepPresenter::walkStopped(const QString& why)
{
    model_.setStatus(why);
}

void StepPresenter::pictureStarting()
{
    model_.setStatus(status::kPicture);
}

namespace {

// Which part failed: the download (its reason in brackets) or the decoding of what came.
QString pictureStatus(const PictureResult& picture)
{
    if (picture.shown)
        return status::kDone;
    if (!picture.fetchFailure.isEmpty()) {
        // "Le fichier specifié ne peut être telechargé (HTTP 404 Not Found)": its reason only.
        const QString& failure = picture.fetchFailure;
        const qsizetype bracket = failure.indexOf(QStringLiteral(" ("));
        if (bracket > 0 && failure.startsWith(QStringLiteral("Le fichier specifié")))
            return status::kBadPicture + failure.mid(bracket);
        return status::kBadPicture + QStringLiteral(" : ") + failure.left(1).toLower() + failure.mid(1);
    }
    if (picture.unreadable.isEmpty())
        return status::kBadPicture;
    return sentence(picture.unreadable);
}

} // namespace

void StepPresenter::pictureEnded(const PictureResult& picture, const QString& httpNote)
{
    if (!picture.fetched) {
        // No picture named: the status stays on the picture's unless the page was an error page.
        if (!httpNote.isEmpty())
            model_.setStatus(status::kAnalysed + httpNote);
        return;
    }
    model_.setStatus(pictureStatus(picture) + httpNote);
}

void StepPresenter::pictureAbandoned(const PictureResult& picture, bool closed)
{
    if (closed)
        return;
    model_.setStatus(status::kErrorText
                     + (picture.fetchFailure.isEmpty() ? QStringLiteral("Téléchargement interrompu") : picture.fetchFailure));
}

void StepPresenter::saveRefused(const SaveResult& result)
{
    switch (result.refused) {
    case SaveResult::Refusal::None:
    case SaveResult::Refusal::NothingToSave:
        return;
    case SaveResult::Refusal::NoEntry:
        model_.setStatus(QStringLiteral("Aucune fiche n°%1 : rien n'a été enregistré").arg(result.entry));
        return;
    case SaveResult::Refusal::MappingChanged:
        model_.setStatus(QStringLiteral("Correspondance des colonnes à vérifier : rien n'a été enregistré"));
        ui_.messageBox(result.refusal);
        return;
    case SaveResult::Refusal::HostFailed:
        ui_.messageBox(result.refusal);
        return;
    }
}

void StepPresenter::saveEnded(const SaveResult& result)
{
    if (result.picture == SaveResult::Picture::Failed)
        model_.setStatus(result.pictureFailure);
    if (!result.incomplete())
        return;
    QString text = QStringLiteral("La fiche n°%1 n'a pas été entièrement enregistrée :").arg(result.entry);
    for (const ColumnNotWritten& column : result.notWritten) {
        if (column.column == 0)
            text += QStringLiteral("\r\n- aucune colonne : %1").arg(column.reason);
        else if (column.caption.isEmpty())
            text += QStringLiteral("\r\n- colonne %1 : %2").arg(column.column).arg(column.reason);
        else
            text += QStringLiteral("\r\n- colonne %1 (« %2 ») : %3").arg(column.column).arg(column.caption, column.reason);
    }
    if (!result.markFailure.isEmpty())
        text += QStringLiteral("\r\n- l'application n'a pas pu noter la modification : %1").arg(result.markFailure);
    model_.setStatus(QStringLiteral("Fiche n°%1 : enregistrement incomplet").arg(result.entry));
    ui_.messageBox(text);
}

} // namespace trouvel::wizard
