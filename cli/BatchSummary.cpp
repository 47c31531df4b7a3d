#include "BatchSummary.h"

#include "text/TerminalText.h"

namespace trouvel::cli {

QString outcomeText(const EntryResult& r)
{
    switch (r.outcome) {
    case Outcome::Filled: return r.detail.isEmpty() ? QStringLiteral("rempli") : QStringLiteral("rempli (%1)").arg(r.detail);
    case Outcome::Ambiguous: return QStringLiteral("ambigu, %1 candidats").arg(r.candidates);
    case Outcome::NotFound: return QStringLiteral("introuvable");
    case Outcome::Failed: return QStringLiteral("échec : %1").arg(r.detail);
    case Outcome::PictureNotStored: return QStringLiteral("rempli, image non enregistrée : %1").arg(r.detail);
    case Outcome::OtherFilm: return r.detail;
    }
    return {};
}

int BatchSummary::count(Outcome outcome) const
{
    int n = 0;
    for (std::size_t i = 0; i < entries.size(); ++i)
        n += entries.outcomeAt(i) == outcome;
    return n;
}

namespace {

bool pictureMissing(const EntryResult& r)
{
    return r.outcome == Outcome::Filled && r.stage == wizard::kStagePicture;
}

} // namespace

int BatchSummary::picturesMissing() const
{
    int n = 0;
    for (const EntryResult& r : entries)
        n += pictureMissing(r);
    return n;
}

void BatchSummary::write(const std::function<void(const QString&)>& line) const
{
    // Titles and reasons come from the catalogue and the pages: shown with their controls escaped.
    const auto listed = [&](Outcome outcome, const auto& text) {
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries.outcomeAt(i) == outcome) {
                const EntryResult r = entries.at(i);
                line(QStringLiteral("  %1. %2\n").arg(r.row + 1).arg(text::escapeControls(text(r))));
            }
    };
    line(QStringLiteral("Entrées traitées : %1%2\n").arg(entries.size()).arg(interrupted ? QStringLiteral(" (interrompu)") : QString()));
    line(QStringLiteral("Remplies : %1\n").arg(count(Outcome::Filled) + count(Outcome::PictureNotStored)));
    if (const int n = count(Outcome::PictureNotStored); n > 0) {
        line(QStringLiteral("Images non enregistrées : %1\n").arg(n));
        listed(Outcome::PictureNotStored, [](const EntryResult& r) { return r.title + QStringLiteral(" : ") + r.detail; });
    }
    if (const int n = picturesMissing(); n > 0) {
        line(QStringLiteral("Images non téléchargées : %1\n").arg(n));
        for (const EntryResult& r : entries)
            if (pictureMissing(r))
                line(QStringLiteral("  %1. %2\n").arg(r.row + 1).arg(text::escapeControls(r.title + QStringLiteral(" : ") + r.detail)));
    }
    line(QStringLiteral("Ambiguës : %1\n").arg(count(Outcome::Ambiguous)));
    listed(Outcome::Ambiguous, [](const EntryResult& r) { return QStringLiteral("%1 : %2 candidats").arg(r.title).arg(r.candidates); });
    if (const int n = count(Outcome::OtherFilm); n > 0) {
        line(QStringLiteral("Autre film trouvé : %1\n").arg(n));
        listed(Outcome::OtherFilm, [](const EntryResult& r) { return r.title + QStringLiteral(" : ") + r.detail; });
    }
    line(QStringLiteral("Introuvables : %1\n").arg(count(Outcome::NotFound)));
    listed(Outcome::NotFound, [](const EntryResult& r) { return r.title; });
    line(QStringLiteral("Échecs : %1\n").arg(count(Outcome::Failed)));
    listed(Outcome::Failed, [](const EntryResult& r) { return r.title + QStringLiteral(" : ") + r.detail; });
}

QString BatchSummary::text() const
{
    QString out;
    write([&](const QString& line) { out += line; });
    return out;
}

} // namespace trouvel::cli
