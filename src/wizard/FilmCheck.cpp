#include "wizard/FilmCheck.h"

#include "text/FilmIdentity.h"

#include <cstdlib>

namespace trouvel::wizard {

QString differentTitle(const QString& entryTitle, const Candidate& only, bool directHit)
{
    if (text::namesTitle(entryTitle, only.desc1, directHit ? text::TitleSource::PageTitle : text::TitleSource::Candidate))
        return {};
    if (only.desc1.trimmed().isEmpty())
        return QStringLiteral("titre différent : le site n'en indique aucun");
    return QStringLiteral("titre différent : « %1 »").arg(only.desc1.simplified());
}

bool isYearCaption(const QString& caption)
{
    const QString name = text::comparableTitle(caption);
    return name == QLatin1String("annee") || name.startsWith(QLatin1String("annee ")) || name == QLatin1String("year")
        || name == QLatin1String("an");
}

QString differentYear(const std::vector<FieldResult>& fields, const HostEntries& entries, int row)
{
    const QStringList captions = entries.captions();
    for (const FieldResult& field : fields) {
        if (field.column < 1 || !field.ticked || !isYearCaption(captions.value(field.column - 1)))
            continue;
        const std::optional<int> entryYear = text::yearIn(entries.cell(row, field.column - 1));
        const std::optional<int> filmYear = text::yearIn(field.value);
        if (entryYear && filmYear && std::abs(*entryYear - *filmYear) > 1)
            return QStringLiteral("année différente : la fiche indique %1, le site %2").arg(*entryYear).arg(*filmYear);
    }
    return {};
}

} // namespace trouvel::wizard
