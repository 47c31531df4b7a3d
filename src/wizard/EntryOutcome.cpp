#include "wizard/EntryOutcome.h"

namespace trouvel::wizard {

namespace {

using Kind = EntryOutcome::Kind;

EntryOutcome ofSearch(const SearchResult& search)
{
    const int found = int(search.candidates.size());
    if (search.end == StepEnd::Refused)
        return {Kind::Failed, found, kStageSearch, search.refusal};
    if (search.page && !search.page->problem().isEmpty())
        return {Kind::Failed, found, kStageSearch, QStringLiteral("recherche : ") + search.page->problem()};
    if (search.end != StepEnd::Done)
        return {Kind::Failed, found, kStageSearch, QStringLiteral("recherche interrompue")};
    if (found == 0)
        return {Kind::NotFound, found, {}, search.patternError};
    if (found > 1)
        return {Kind::Ambiguous, found, {}, {}};
    if (!search.mismatch.isEmpty())
        return {Kind::OtherFilm, found, {}, search.mismatch};
    return {Kind::Failed, found, kStageDetail, QStringLiteral("fiche non lue")};
}

EntryOutcome ofPicture(const PictureResult& picture, int found)
{
    if (!picture.fetched)
        return {Kind::Filled, found, {}, QStringLiteral("sans image")};
    if (!picture.fetchFailure.isEmpty())
        return {Kind::Filled, found, kStagePicture, QStringLiteral("image non téléchargée : ") + picture.fetchFailure};
    if (!picture.shown)
        return {Kind::Filled, found, kStagePicture,
                picture.unreadable.isEmpty() ? QStringLiteral("image illisible") : picture.unreadable};
    return {Kind::Filled, found, {}, {}};
}

EntryOutcome ofDetail(const DetailResult& detail, int found)
{
    if (detail.page && !detail.page->problem().isEmpty())
        return {Kind::Failed, found, kStageDetail, QStringLiteral("fiche : ") + detail.page->problem()};
    if (detail.end == StepEnd::Refused || !detail.page)
        return {Kind::Failed, found, kStageDetail, QStringLiteral("fiche non lue")};
    // A detail step that did not run to its end leaves nothing to save.
    if (detail.end != StepEnd::Done || !detail.picture)
        return {Kind::Failed, found, kStageDetail, QStringLiteral("fiche incomplète")};
    if (!detail.mismatch.isEmpty())
        return {Kind::OtherFilm, found, {}, detail.mismatch};
    return ofPicture(*detail.picture, found);
}

EntryOutcome ofSave(const SaveResult& save, EntryOutcome filled)
{
    const auto failed = [&](const QString& why) {
        return EntryOutcome{Kind::Failed, filled.candidates, kStageSave, QStringLiteral("non enregistré : ") + why};
    };
    switch (save.refused) {
    case SaveResult::Refusal::None:
        break;
    case SaveResult::Refusal::NothingToSave:
        return failed(QStringLiteral("rien à enregistrer"));
    case SaveResult::Refusal::NoEntry:
        return failed(QStringLiteral("aucune fiche n°%1").arg(save.entry));
    case SaveResult::Refusal::MappingChanged:
    case SaveResult::Refusal::HostFailed:
        return failed(save.refusal);
    }
    if (save.incomplete()) {
        QStringList parts;
        for (const ColumnNotWritten& column : save.notWritten)
            parts << (column.column == 0 ? QStringLiteral("colonnes : %1").arg(column.reason)
                                         : QStringLiteral("colonne %1 : %2").arg(column.column).arg(column.reason));
        if (!save.markFailure.isEmpty())
            parts << QStringLiteral("modification non notée : %1").arg(save.markFailure);
        return failed(parts.join(QStringLiteral(" ; ")));
    }
    if (save.picture == SaveResult::Picture::Failed)
        return {Kind::PictureNotStored, filled.candidates, kStageSave, save.pictureFailure};
    return filled;
}

} // namespace

EntryOutcome outcomeOf(const EntrySteps& steps, const SaveResult* save)
{
    if (!steps.search)
        return {Kind::Failed, 0, kStageSearch, QStringLiteral("aucune recherche")};
    EntryOutcome outcome = ofSearch(*steps.search);
    const bool searchFailed = outcome.kind == Kind::Failed && outcome.stage == kStageSearch;
    if (steps.detail && !searchFailed)
        outcome = ofDetail(*steps.detail, outcome.candidates);
    if (save && outcome.kind == Kind::Filled)
        outcome = ofSave(*save, std::move(outcome));
    return outcome;
}

} // namespace trouvel::wizard
