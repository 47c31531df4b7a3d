// The pattern workbench: a script's patterns beside the pages they run over. As the author
// types, every match of the pattern being edited is marked in its page, and the candidates
// and fields the wizard would cut out with the script as edited are listed; the matching
// runs on a thread of its own (MatchWorker). "Rechercher" fetches a title again as `trouvel
// try` does (SiteFetcher); "Enregistrer" writes the edited keys back into the script.
#pragma once

#include "MatchWorker.h"
#include "PageView.h"
#include "PatternForm.h"
#include "ScriptPatterns.h"
#include "SiteFetcher.h"

#include "common/UserInteraction.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTreeWidget;

namespace trouvel::atelier {

class AtelierWindow : public QWidget {
    Q_OBJECT
public:
    // ui: the question asked before closing with edits not saved, and the failures of a save.
    AtelierWindow(QString scriptFile, UserInteraction& ui, FetchSettings fetch, QWidget* parent = nullptr);
    ~AtelierWindow() override;

    // Pages as a fetch leaves them (what "Rechercher" shows; tests hand their own).
    void showSearchPage(const FetchedPage& page);
    void showFilmPage(const FetchedPage& page, const QString& link);
    // "Rechercher" for title: its search page, then the film page of its first candidate.
    void search(const QString& title);
    // The pages a title recorded by `trouvel record` keeps (a folder of SCRIPT.tests),
    // replayed through the same session with no network.
    void openRecorded(const QString& folder);
    // "Enregistrer". false when the file could not be written (the reason was shown).
    bool save();

    const ScriptEdits& edits() const { return edits_; }
    PatternForm& form() { return *form_; }
    PageView& pages() { return *pages_; }

Q_SIGNALS:
    void outcomeShown(); // a matching pass is on screen
    void fetchEnded();   // a reply of the site is on screen

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void keyEdited(int key, const QString& value);
    // A new matching pass for the pattern selected, the edits and the pages as they stand.
    void submitPass();
    PatternJob passFor(int key) const;
    void showOutcome(std::uint64_t pass, const PatternOutcome& outcome);
    void showCandidates(const PatternOutcome& outcome);
    void showFields(const PatternOutcome& outcome);
    void openFilm(const QString& link);
    void showReply(const FetchReply& reply);
    std::unique_ptr<SiteFetcher> makeFetcher(FetchSettings settings);
    SiteFetcher& fetcher();
    void showEdited();

    QString scriptFile_;
    UserInteraction& ui_;
    FetchSettings fetchSettings_;
    QByteArray content_; // the script as read at opening, or last saved
    QString charset_;
    ScriptEdits edits_;
    // The pages the patterns run over, decoded as the steps decode them.
    QString searchText_, filmText_;
    bool searchJson_ = false, filmJson_ = false;
    QString filmAddress_; // where the film page ended
    QString filmLink_;    // the candidate it was read for
    bool openFirstCandidate_ = false; // a search listed no film page: the first candidate's comes next
    int pick_ = 0;           // the candidate that comes next (from 1), that of a recorded title; 0: the first
    bool replaying_ = false; // the pages come from a recorded title, not from the site

    QLineEdit* title_ = nullptr;
    QPushButton* searchButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    PatternForm* form_ = nullptr;
    PageView* pages_ = nullptr;
    QTreeWidget* candidates_ = nullptr;
    QTreeWidget* fields_ = nullptr;
    QLabel* status_ = nullptr;
    std::unique_ptr<MatchWorker> matcher_;
    std::unique_ptr<SiteFetcher> fetcher_; // made at the first fetch
    std::unique_ptr<SiteFetcher> replay_;  // over the recorded title chosen last
};

} // namespace trouvel::atelier
