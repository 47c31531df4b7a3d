#include "config/MappingCaptions.h"

#include "config/Convert.h"
#include "config/IniFile.h"
#include "config/MappingFile.h"

#include <QHash>

namespace trouvel::config {

QString captionKey(int column)
{
    return QStringLiteral("Caption%1").arg(column);
}

QString writeMappingCaptions(const QString& iniFile, const QString& section, const QStringList& captions)
{
    for (int c = 1; c <= captions.size(); ++c) {
        if (QString reason = writeIniValue(iniFile, section, captionKey(c), captions.at(c - 1)); !reason.isEmpty())
            return reason;
    }
    return {};
}

namespace {

struct StoredColumn {
    QString caption;
    QString value;
    bool mapped = false;
};

std::vector<StoredColumn> storedColumns(const QString& iniFile, const QString& section)
{
    // A missing key reads as this marker, which no caption can hold (no line breaks in INI).
    const QString absent = QStringLiteral("\n");
    const MappingFile mapping(iniFile);
    std::vector<StoredColumn> stored;
    for (int c = 1;; ++c) {
        QString caption = ReadIniString(iniFile, section, captionKey(c), absent);
        if (caption == absent)
            break;
        stored.push_back({std::move(caption), mapping.columnText(section, c), mapping.mappedField(section, c) > 0});
    }
    return stored;
}

} // namespace

ColumnChanges compareColumns(const QString& iniFile, const QString& section, const QStringList& captions)
{
    const std::vector<StoredColumn> stored = storedColumns(iniFile, section);
    ColumnChanges changes;
    changes.captionsStored = !stored.empty();
    changes.columns.resize(std::size_t(captions.size()));
    if (!changes.captionsStored) {
        const MappingFile mapping(iniFile);
        for (qsizetype j = 0; j < captions.size(); ++j) {
            ColumnChange& column = changes.columns[std::size_t(j)];
            column.caption = captions.at(j);
            column.storedColumn = int(j) + 1;
            column.storedCaption = captions.at(j);
            column.value = mapping.columnText(section, int(j) + 1);
            column.mapped = mapping.mappedField(section, int(j) + 1) > 0;
        }
        return changes;
    }
    // The same caption, k-th occurrence to k-th occurrence.
    QHash<QString, QList<int>> byCaption;
    for (int i = 0; i < int(stored.size()); ++i)
        byCaption[stored[std::size_t(i)].caption].append(i);
    std::vector<int> matchOf(std::size_t(captions.size()), -1);
    std::vector<bool> storedUsed(stored.size(), false);
    for (qsizetype j = 0; j < captions.size(); ++j) {
        const auto found = byCaption.find(captions.at(j));
        if (found == byCaption.end())
            continue;
        QList<int>& candidates = *found;
        if (!candidates.isEmpty()) {
            matchOf[std::size_t(j)] = candidates.takeFirst();
            storedUsed[std::size_t(matchOf[std::size_t(j)])] = true;
        }
    }
    // A stored column gone from a place that now holds a caption never stored: renamed there.
    for (qsizetype j = 0; j < captions.size(); ++j) {
        const std::size_t i = std::size_t(j);
        if (matchOf[i] < 0 && i < stored.size() && !storedUsed[i] && !byCaption.contains(captions.at(j))) {
            matchOf[i] = int(i);
            storedUsed[i] = true;
        }
    }
    for (qsizetype j = 0; j < captions.size(); ++j) {
        ColumnChange& column = changes.columns[std::size_t(j)];
        column.caption = captions.at(j);
        const int i = matchOf[std::size_t(j)];
        if (i < 0) {
            column.kind = ColumnChange::Kind::New;
            continue;
        }
        const StoredColumn& was = stored[std::size_t(i)];
        column.kind = was.caption != captions.at(j) ? ColumnChange::Kind::Renamed
                      : i != j                      ? ColumnChange::Kind::Moved
                                                    : ColumnChange::Kind::Same;
        column.storedColumn = i + 1;
        column.storedCaption = was.caption;
        column.value = was.value;
        column.mapped = was.mapped;
    }
    for (std::size_t i = 0; i < stored.size(); ++i)
        if (!storedUsed[i])
            changes.deleted.push_back({int(i) + 1, stored[i].caption, stored[i].value, stored[i].mapped});
    return changes;
}

QString ColumnChanges::firstMappedChange() const
{
    for (const DeletedColumn& column : deleted)
        if (column.mapped)
            return QStringLiteral("la colonne « %1 » a été supprimée").arg(column.caption);
    for (std::size_t j = 0; j < columns.size(); ++j) {
        const ColumnChange& column = columns[j];
        if (column.mapped && column.kind == ColumnChange::Kind::Renamed)
            return QStringLiteral("la colonne %1 « %2 » a été renommée « %3 »").arg(column.storedColumn).arg(column.storedCaption, column.caption);
    }
    for (std::size_t j = 0; j < columns.size(); ++j) {
        const ColumnChange& column = columns[j];
        if (column.mapped && column.kind == ColumnChange::Kind::Moved)
            return QStringLiteral("la colonne « %1 » est passée de la place %2 à la place %3")
                .arg(column.storedCaption)
                .arg(column.storedColumn)
                .arg(j + 1);
    }
    return {};
}

QString mappingCaptionsMismatch(const QString& iniFile, const QString& section, const QStringList& captions)
{
    const ColumnChanges changes = compareColumns(iniFile, section, captions);
    const QString firstChange = changes.firstMappedChange();
    if (!changes.captionsStored || firstChange.isEmpty())
        return {};
    return QStringLiteral("Les colonnes du catalogue ont changé depuis que la correspondance du script « %1 » a été faite "
                          "(%2). Vérifiez la correspondance des colonnes : rien n'a été enregistré.")
        .arg(section, firstChange);
}

} // namespace trouvel::config
