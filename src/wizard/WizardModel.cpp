#include "wizard/WizardModel.h"

namespace trouvel::wizard {

namespace {
// Assigns and tells whether anything changed.
template <typename T>
bool assign(T& target, const T& value)
{
    if (target == value)
        return false;
    target = value;
    return true;
}
} // namespace

WizardModel::WizardModel(QObject* parent)
    : QObject(parent)
{
    // Row 0 is part of the window's design; the others are copies made by script loading.
    FieldRow designed;
    designed.visible = true;
    rows_.push_back(designed);
}

void WizardModel::setScripts(const QStringList& names, const QStringList& files)
{
    const bool namesChanged = assign(scripts_, names);
    if (assign(scriptFiles_, files) || namesChanged)
        Q_EMIT scriptsChanged();
}

void WizardModel::setScriptIndex(int index)
{
    if (index < -1 || index >= scripts_.size())
        index = -1;
    const bool changed = assign(scriptIndex_, index);
    setScriptText(index >= 0 ? scripts_.at(index) : QString());
    if (changed)
        Q_EMIT scriptIndexChanged();
}

void WizardModel::setScriptText(const QString& text)
{
    if (assign(scriptText_, text))
        Q_EMIT scriptTextChanged();
}

void WizardModel::setTitle(const QString& text)
{
    if (assign(title_, text))
        Q_EMIT titleChanged();
}

void WizardModel::clearCandidates()
{
    candidates_.clear();
    selectedCandidate_ = -1;
    candidatesError_.clear();
    Q_EMIT candidatesChanged();
    Q_EMIT selectedCandidateChanged();
    Q_EMIT candidatesErrorChanged();
}

void WizardModel::addCandidate(const Candidate& candidate)
{
    candidates_.push_back(candidate);
    Q_EMIT candidatesChanged();
    // The list control selects its first row as soon as it has one.
    if (selectedCandidate_ < 0) {
        selectedCandidate_ = 0;
        Q_EMIT selectedCandidateChanged();
    }
}

void WizardModel::setSelectedCandidate(int row)
{
    if (row < -1 || row >= static_cast<int>(candidates_.size()))
        row = -1;
    if (assign(selectedCandidate_, row))
        Q_EMIT selectedCandidateChanged();
}

void WizardModel::setCandidatesError(const QString& text)
{
    if (assign(candidatesError_, text))
        Q_EMIT candidatesErrorChanged();
}

void WizardModel::setDetailAddress(const QString& text)
{
    if (assign(detailAddress_, text))
        Q_EMIT detailAddressChanged();
}

void WizardModel::addFieldRow()
{
    FieldRow copy;
    copy.name = rows_.front().name;
    copy.visible = false;
    rows_.push_back(copy);
    Q_EMIT fieldRowAdded(fieldRowCount() - 1);
}

void WizardModel::setFieldName(int k, const QString& name)
{
    if (assign(row(k).name, name))
        Q_EMIT fieldRowChanged(k);
}

void WizardModel::setFieldValue(int k, const QString& value)
{
    if (assign(row(k).value, value))
        Q_EMIT fieldRowChanged(k);
}

void WizardModel::setFieldTicked(int k, bool ticked)
{
    if (assign(row(k).ticked, ticked))
        Q_EMIT fieldRowChanged(k);
}

void WizardModel::setFieldVisible(int k, bool visible)
{
    if (assign(row(k).visible, visible))
        Q_EMIT fieldRowChanged(k);
}

void WizardModel::setFieldToolTip(int k, const QString& text)
{
    if (assign(row(k).toolTip, text))
        Q_EMIT fieldRowChanged(k);
}

void WizardModel::setFieldTarget(int k, bool known, const QString& column, const QString& current)
{
    FieldRow& r = row(k);
    const bool changed = assign(r.targetKnown, known);
    const bool columnChanged = assign(r.column, column);
    if (assign(r.current, current) || changed || columnChanged)
        Q_EMIT fieldRowChanged(k);
}

void WizardModel::setPicture(const picture::Picture& picture)
{
    if (picture.isNull() && picture_.isNull())
        return;
    picture_ = picture;
    Q_EMIT pictureChanged();
}

void WizardModel::setPictureTicked(bool ticked)
{
    if (assign(pictureTicked_, ticked))
        Q_EMIT pictureTickedChanged();
}

void WizardModel::setPictureError(const QString& text)
{
    if (assign(pictureError_, text))
        Q_EMIT pictureErrorChanged();
}

void WizardModel::setWalkPosition(int entry, int count)
{
    const bool moved = assign(walkEntry_, entry);
    if (assign(walkCount_, count) || moved)
        Q_EMIT walkPositionChanged();
}

void WizardModel::setListEnds(bool canGoBack, bool canGoForward)
{
    const bool back = assign(canGoBack_, canGoBack);
    if (assign(canGoForward_, canGoForward) || back)
        Q_EMIT listEndsChanged();
}

void WizardModel::setReplaceExisting(bool ticked)
{
    if (assign(replaceExisting_, ticked))
        Q_EMIT replaceExistingChanged();
}

void WizardModel::setAutoSave(bool ticked)
{
    if (assign(auto_, ticked))
        Q_EMIT autoSaveChanged();
}

void WizardModel::setStatus(const QString& text)
{
    if (assign(status_, text))
        Q_EMIT statusChanged();
}

void WizardModel::setScriptWarnings(const QStringList& lines)
{
    if (assign(scriptWarnings_, lines))
        Q_EMIT scriptWarningsChanged();
}

void WizardModel::setCanSearch(bool can)
{
    if (assign(canSearch_, can))
        Q_EMIT canSearchChanged();
}

void WizardModel::setCanSave(bool can)
{
    if (assign(canSave_, can))
        Q_EMIT canSaveChanged();
}

void WizardModel::setStopOffered(bool visible)
{
    if (assign(btStopVisible_, visible))
        Q_EMIT stopOfferedChanged();
}

void WizardModel::setCandidatesShown(bool visible)
{
    if (assign(etape2_, visible))
        Q_EMIT framesChanged();
}

void WizardModel::setDetailShown(bool visible)
{
    if (assign(etape3_, visible))
        Q_EMIT framesChanged();
}

void WizardModel::setDefaultButton(DefaultButton button)
{
    if (assign(defaultButton_, button))
        Q_EMIT defaultButtonChanged();
}

void WizardModel::setDownloading(bool on)
{
    if (assign(downloading_, on))
        Q_EMIT downloadingChanged();
}

} // namespace trouvel::wizard
