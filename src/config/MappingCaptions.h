// The captions a host's columns had when they were mapped, kept in Trouvel.ini beside the
// numbered keys ("Caption1", "Caption2", ... next to "Col1", "Col2", ...). Columns are mapped
// by number: once a column is added, removed or moved in the host, the captions no longer
// match and the mapping must be looked at again before anything is written.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace trouvel::config {

// "Caption<column>", column from 1.
QString captionKey(int column);

// Stores captions[i] under Caption<i+1>. "" on success, else why not (French).
QString writeMappingCaptions(const QString& iniFile, const QString& section, const QStringList& captions);

// How the host's columns stand now against those the mapping of a section was made for:
// each column now is the stored column of the same caption (moved when its number changed),
// or a stored column renamed in place, or a new one; stored columns found nowhere were deleted.
struct ColumnChange {
    enum class Kind { Same, Moved, Renamed, New };
    Kind kind = Kind::Same;
    QString caption;       // the host's caption now
    int storedColumn = 0;  // the column it was, from 1 (0 for a new one)
    QString storedCaption; // its caption then
    QString value;         // the Col value it carries over ("" for a new column)
    bool mapped = false;   // that value names a field
};
struct DeletedColumn {
    int column = 0; // from 1, as stored
    QString caption;
    QString value;
    bool mapped = false;
};
struct ColumnChanges {
    bool captionsStored = false;        // false: a mapping written before captions were kept
    std::vector<ColumnChange> columns;  // one per host column now, column 1 first
    std::vector<DeletedColumn> deleted; // stored columns no host column stands for now
    // The first change to a column the mapping writes into, in words ("la colonne « Acteurs »
    // a été supprimée"); "" when every mapped column is where it was.
    QString firstMappedChange() const;
};
// Compares what Trouvel.ini holds for section with the host's captions (column 1 first).
// Captions repeated in the host are matched in order.
ColumnChanges compareColumns(const QString& iniFile, const QString& section, const QStringList& captions);

// "" when the host's captions (column 1 first) still match the mapping of `section`, or when
// the mapping has no captions stored (written before they were kept); else a French message
// naming the first mapped column that changed.
QString mappingCaptionsMismatch(const QString& iniFile, const QString& section, const QStringList& captions);

} // namespace trouvel::config
