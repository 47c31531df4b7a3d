#include "wizard/WalkSummary.h"

#include <algorithm>

namespace trouvel::wizard {

using Kind = EntryOutcome::Kind;

QString WalkEntry::why() const
{
    switch (outcome.kind) {
    case Kind::Ambiguous:
        return QStringLiteral("%1 candidats : choisissez").arg(outcome.candidates);
    case Kind::NotFound:
        return QStringLiteral("aucun résultat pour « %1 »").arg(title);
    case Kind::Filled:
        return outcome.reason.isEmpty() ? QStringLiteral("rempli") : QStringLiteral("rempli, %1").arg(outcome.reason);
    case Kind::PictureNotStored:
        return QStringLiteral("rempli, image non enregistrée : %1").arg(outcome.reason);
    case Kind::OtherFilm:
    case Kind::Failed:
        return outcome.reason;
    }
    return {};
}

void WalkSummary::record(WalkEntry entry)
{
    const auto same = std::find_if(entries_.begin(), entries_.end(), [&](const WalkEntry& e) { return e.entry == entry.entry; });
    if (same != entries_.end())
        *same = std::move(entry);
    else
        entries_.push_back(std::move(entry));
}

int WalkSummary::filled() const
{
    return int(std::count_if(entries_.begin(), entries_.end(), [](const WalkEntry& e) { return e.filled(); }));
}

int WalkSummary::withoutPicture() const
{
    return int(std::count_if(entries_.begin(), entries_.end(), [](const WalkEntry& e) {
        return e.outcome.kind == Kind::PictureNotStored || (e.outcome.kind == Kind::Filled && !e.outcome.reason.isEmpty());
    }));
}

int WalkSummary::count(Kind kind) const
{
    return int(std::count_if(entries_.begin(), entries_.end(), [&](const WalkEntry& e) { return e.outcome.kind == kind; }));
}

QString WalkSummary::countsText() const
{
    QStringList parts;
    const int filledCount = filled();
    const int missing = withoutPicture();
    parts << (missing > 0 ? QStringLiteral("%1 remplie(s) (%2 sans image)").arg(filledCount).arg(missing)
                          : QStringLiteral("%1 remplie(s)").arg(filledCount));
    const auto add = [&](Kind kind, const char* text) {
        if (const int n = count(kind); n > 0)
            parts << QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(text));
    };
    add(Kind::Ambiguous, "ambiguë(s)");
    add(Kind::NotFound, "introuvable(s)");
    add(Kind::OtherFilm, "autre film");
    add(Kind::Failed, "en échec");
    return QStringLiteral("%1 entrée(s) : %2").arg(entries_.size()).arg(parts.join(QStringLiteral(", ")));
}

} // namespace trouvel::wizard
