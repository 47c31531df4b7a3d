// What the wizard window shows, held apart from the widgets so that the step logic runs and
// is tested without a display, and the command-line tool can read the same state.
//
// The engine writes it; the window (Form1) mirrors every change into its controls and writes
// the user's edits back through the same setters. Every setter emits its signal only when
// the value really changes, so the two-way binding cannot loop.
#pragma once

#include "picture/Picture.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

namespace trouvel::wizard {

// One row of the candidate list (ListView1): the link (hidden "Lien" column) and two texts.
struct Candidate {
    QString link;
    QString desc1;
    QString desc2;
};

// One field row of step 3: lbl_champ(k), champ(k), update(k).
struct FieldRow {
    QString name;    // lbl_champ caption
    QString value;   // champ text
    bool ticked = true;   // update value (1 ticked)
    bool visible = false;
    QString toolTip; // lbl_champ tool tip: why the field's pattern gave nothing ("" when fine)
    // Where Ajouter puts it, once the film is read: the column's caption ("" for none) and
    // what that cell holds now.
    bool targetKnown = false;
    QString column;
    QString current;
};

// The default button: Chercher, the second Chercher (fetch the chosen film) or Ajouter.
enum class DefaultButton { Search, FetchDetails, Save };
// Where the focus goes: the title box or the candidate list.
enum class FocusTarget { Title, Candidates };

class WizardModel : public QObject {
    Q_OBJECT
public:
    explicit WizardModel(QObject* parent = nullptr);

    // list1: the script names and the selected position (-1 none). scriptText is the combo's
    // text: the selected name, or what the user typed; it names the Trouvel.ini section.
    const QStringList& scripts() const { return scripts_; }
    // The file of each listed script, in the same order: the list's tool tips, which say
    // whose script it is (the user's own or one bundled with the module).
    const QStringList& scriptFiles() const { return scriptFiles_; }
    int scriptIndex() const { return scriptIndex_; }
    const QString& scriptText() const { return scriptText_; }
    void setScripts(const QStringList& names, const QStringList& files = {});
    void setScriptIndex(int index); // also sets scriptText to the name (or "" for -1)
    void setScriptText(const QString& text);

    const QString& title() const { return title_; }
    void setTitle(const QString& text);

    // ListView1 and its selected row (-1 none; adding rows selects the first one).
    const std::vector<Candidate>& candidates() const { return candidates_; }
    int selectedCandidate() const { return selectedCandidate_; }
    void clearCandidates();
    void addCandidate(const Candidate& candidate);
    void setSelectedCandidate(int row);
    // Why the search pattern found nothing although the page was read ("" when fine).
    const QString& candidatesError() const { return candidatesError_; }
    void setCandidatesError(const QString& text);

    const QString& detailAddress() const { return detailAddress_; }
    void setDetailAddress(const QString& text);

    // Field rows: created on demand, never removed; rows beyond the script's count are hidden.
    int fieldRowCount() const { return static_cast<int>(rows_.size()); }
    const FieldRow& fieldRow(int k) const { return rows_.at(static_cast<std::size_t>(k)); }
    const std::vector<FieldRow>& fieldRows() const { return rows_; }
    void addFieldRow(); // a hidden copy of row 0
    void setFieldName(int k, const QString& name);
    void setFieldValue(int k, const QString& value);
    void setFieldTicked(int k, bool ticked);
    void setFieldVisible(int k, bool visible);
    void setFieldToolTip(int k, const QString& text);
    void setFieldTarget(int k, bool known, const QString& column, const QString& current);

    // Img and updateImg. pictureError: why no picture address came out ("" when fine).
    const picture::Picture& picture() const { return picture_; }
    void setPicture(const picture::Picture& picture);
    bool pictureTicked() const { return pictureTicked_; }
    void setPictureTicked(bool ticked);
    const QString& pictureError() const { return pictureError_; }
    void setPictureError(const QString& text);

    bool autoSave() const { return auto_; } // "Sauvegarde Auto"
    void setAutoSave(bool ticked);
    // While "Sauvegarde Auto" walks: the entry it is on and the list's length (0, 0 otherwise).
    int walkEntry() const { return walkEntry_; }
    int walkCount() const { return walkCount_; }
    void setWalkPosition(int entry, int count);
    // Whether there is an entry before / after the current one (btPrecedent, btSuivant).
    bool canGoBack() const { return canGoBack_; }
    bool canGoForward() const { return canGoForward_; }
    void setListEnds(bool canGoBack, bool canGoForward);
    // "Remplacer les valeurs existantes": the walk may write over filled cells and pictures.
    bool replaceExisting() const { return replaceExisting_; }
    void setReplaceExisting(bool ticked);

    const QString& status() const { return status_; } // stbar
    void setStatus(const QString& text);
    // What is wrong in the loaded script, one line each ("" list when nothing).
    const QStringList& scriptWarnings() const { return scriptWarnings_; }
    void setScriptWarnings(const QStringList& lines);

    bool stopOffered() const { return btStopVisible_; }
    void setStopOffered(bool visible);
    // "Chercher" is offered while the selected script is loaded.
    bool canSearch() const { return canSearch_; }
    void setCanSearch(bool can);
    // "Ajouter" is offered once a detail step has run for the current entry.
    bool canSave() const { return canSave_; }
    void setCanSave(bool can);

    bool candidatesShown() const { return etape2_; }
    bool detailShown() const { return etape3_; }
    void setCandidatesShown(bool visible);
    void setDetailShown(bool visible);

    DefaultButton defaultButton() const { return defaultButton_; }
    void setDefaultButton(DefaultButton button);

    // True while a page or picture download waits; the window greys nothing but the engine
    // ignores a second step meanwhile.
    bool downloading() const { return downloading_; }
    void setDownloading(bool on);

    void requestFocus(FocusTarget target) { Q_EMIT focusRequested(target); }

Q_SIGNALS:
    void scriptsChanged();
    void scriptIndexChanged();
    void scriptTextChanged();
    void titleChanged();
    void candidatesChanged();
    void selectedCandidateChanged();
    void candidatesErrorChanged();
    void detailAddressChanged();
    void fieldRowAdded(int k);
    void fieldRowChanged(int k);
    void pictureChanged();
    void pictureTickedChanged();
    void pictureErrorChanged();
    void autoSaveChanged();
    void replaceExistingChanged();
    void listEndsChanged();
    void walkPositionChanged();
    void statusChanged();
    void stopOfferedChanged();
    void canSaveChanged();
    void canSearchChanged();
    void scriptWarningsChanged();
    void framesChanged();
    void defaultButtonChanged();
    void downloadingChanged();
    void focusRequested(trouvel::wizard::FocusTarget target);

private:
    FieldRow& row(int k) { return rows_.at(static_cast<std::size_t>(k)); }

    QStringList scripts_;
    QStringList scriptFiles_;
    int scriptIndex_ = -1;
    QString scriptText_;
    QString title_;
    std::vector<Candidate> candidates_;
    int selectedCandidate_ = -1;
    QString candidatesError_;
    QString detailAddress_;
    std::vector<FieldRow> rows_;
    picture::Picture picture_;
    bool pictureTicked_ = false;
    QString pictureError_;
    bool auto_ = false;
    bool replaceExisting_ = false;
    bool canGoBack_ = false;
    int walkEntry_ = 0;
    int walkCount_ = 0;
    bool canGoForward_ = false;
    QString status_;
    QStringList scriptWarnings_;
    bool btStopVisible_ = false;
    bool canSave_ = false;
    bool canSearch_ = true;
    bool etape2_ = false;
    bool etape3_ = false;
    DefaultButton defaultButton_ = DefaultButton::Search;
    bool downloading_ = false;
};

} // namespace trouvel::wizard
