// How the steps are shown to the person at the screen: the status line, the message boxes
// and the beeps. The engine tells it where a step is and hands it the step's results; this is
// the one place that decides which text is shown, and when. The window and the command-line
// tool use the same presenter over their own UserInteraction (message boxes, or lines on
// standard error).
#pragma once

#include "common/UserInteraction.h"
#include "wizard/StepResults.h"
#include "wizard/WizardModel.h"

#include <QString>

namespace trouvel::wizard {

// The texts the steps show.
namespace status {
inline const QString kReady = QStringLiteral("Trouvel (sur le net) by Ruvarir");
inline const QString kDownloading = QStringLiteral("Telechargement des donnees en cours...");
inline const QString kAnalysing = QStringLiteral("Analyse des donnees en cours...");
inline const QString kAnalysed = QStringLiteral("Analyse terminee");
inline const QString kAnalysisStopped = QStringLiteral("Analyse interrompue");
inline const QString kPicture = QStringLiteral("Telechargement de l'image en cours...");
inline const QString kDone = QStringLiteral("Terminé");
inline const QString kBadPicture = QStringLiteral("Erreur lors du téléchargement de l'image");
inline const QString kErrorCode = QStringLiteral("Erreur n°");
inline const QString kErrorText = QStringLiteral("Erreur :");
} // namespace status

inline const QString kNoScript = QStringLiteral("Le fichier de script n'existe pas !");
inline const QString kFirstEntry = QStringLiteral("Première entrée de la liste");
inline const QString kLastEntry = QStringLiteral("Dernière entrée de la liste");
inline const QString kLastEntrySaved = QStringLiteral("Dernière entrée enregistrée");
inline const QString kNothingToSearch = QStringLiteral("Rien à chercher");
inline const QString kReplacePicture = QStringLiteral("voulez vous remplacer l'image ?");

class StepPresenter {
public:
    StepPresenter(WizardModel& model, UserInteraction& ui)
        : model_(model)
        , ui_(ui)
    {
    }

    // A step that cannot start, or a failure of the host: its message box.
    void refuse(const QString& message) { ui_.messageBox(message); }
    MsgAnswer askReplacePicture() { return ui_.messageBox(kReplacePicture, MsgButtons::YesNo); }

    // A page fetch starts / ended. `current`: the step's entry is still the current one;
    // `closed`: the window is gone (nothing more is shown on its status line).
    void fetchStarting();
    void connectionError(const PageResult& page);
    void fetchEnded(const PageResult& page, bool current, bool closed);
    // An unattended walk waits before fetching the page again: why (net::RetryStep::why).
    void retryWaiting(const QString& why);
    void analysisStopped();
    // A script loaded with mistakes in it (config::lintScriptFile): said on the status line.
    void scriptWarnings(const QStringList& lines);

    void searchEnded(const SearchResult& result);
    // An unattended walk stops on another film's candidate or year: why (the step's mismatch).
    void otherFilm(const QString& why);
    // The walk stops on an entry it cannot fill alone: what the user has to do (WalkEntry::why).
    void walkStopped(const QString& why);

    void pictureStarting();
    // The fields are all read and the picture is dealt with (or there is none).
    void pictureEnded(const PictureResult& picture, const QString& httpNote);
    // The picture download ended on a move away or a Stop.
    void pictureAbandoned(const PictureResult& picture, bool closed);

    // The save wrote nothing at all (result.refusal), or it ran: a picture not stored is said
    // on the status line, the columns not written in one message box.
    void saveRefused(const SaveResult& result);
    void saveEnded(const SaveResult& result);

private:
    WizardModel& model_;
    UserInteraction& ui_;
};

} // namespace trouvel::wizard
