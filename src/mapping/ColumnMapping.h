// The column mapping without its windows: which script field fills each host column, as
// Trouvel.ini stores it (section: the script's name in the wizard's list, keys Col1, Col2, ...
// holding the field number), the chooser's list of fields, and the text the chooser hands
// back to the mapping dialog through its Tag.
#pragma once

#include "config/MappingCaptions.h"

#include <trouvel/Trouvel.h>

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace trouvel::mapping {

// Tag text meaning "leave the row as it is".
QString noChangeAnswer();          // "(#-_-#)"
// Chooser entry 0: the column is left unchanged by the saving step.
QString leaveAsIsEntry();          // "(laisser tel quel)"

// One row of frm3's list: a host column and the field mapped to it.
struct MappingRow {
    QString columnName; // the host column's caption
    QString nb;         // the stored mapping value: a field number, "0", or empty
    QString contenu;    // the mapped field's label
    bool operator==(const MappingRow&) const = default;
};

// <tmpfolder>/Trouvel.ini
QString settingsFile(const HostApplication& host);

// Label shown for field `nb` of the script: the name part of FilmPage/"Match"+nb, "??" when
// the key is missing. An empty nb looks up the key "Match" itself.
QString mappedFieldLabel(const QString& scriptPath, const QString& nb);

// The host's captions, column 1 first (ColCount taken as a 16-bit integer). Errors of the
// host are passed on; a column count beyond 16 bits throws config::ConversionError.
QStringList hostCaptions(HostApplication& host);

// One row per host caption, each with the value stored for its column and the label of that
// field. A column moved since the mapping was made keeps its field (the captions stored beside
// the Col keys say where it went); a new one has none; a deleted one's field is mapped no more.
std::vector<MappingRow> mappingRows(const config::ColumnChanges& changes, const QStringList& captions, const QString& scriptPath);
std::vector<MappingRow> loadMappingRows(HostApplication& host, const QString& iniFile, const QString& section,
                                        const QString& scriptPath);

// Why each row is marked (one text per host column, "" for one as it was) and what the
// mapping lost ("" when no mapped column was deleted), in the dialog's words.
struct ChangeMarks {
    QStringList rows;
    QString deleted;
};
ChangeMarks changeMarks(const config::ColumnChanges& changes, const QString& scriptPath);

// Stores every row's value under Col<i> (i from 1), empty values included, and each row's
// column caption under Caption<i>, in one write of the file. "" when all were written, else
// why not (in French), the file left as it was.
QString writeMappingRows(const QString& iniFile, const QString& section, const std::vector<MappingRow>& rows);

// The chooser's entries: "(laisser tel quel)", then the label of each field 1 to Count, a
// single blank for a missing "Match" key so that positions stay field numbers. A Count that
// is not a number (or below 1) gives the first entry only.
QStringList chooserEntries(const QString& scriptPath);

// What the chooser hands back for the entry at `position` showing `text`.
QString chooserAnswer(int position, const QString& text);

// A row's new value and label, read from the chooser's answer.
struct MappingChoice {
    QString nb;
    QString contenu;
    bool operator==(const MappingChoice&) const = default;
};
// Nothing for "(#-_-#)" or for any text that is not an answer (no "|" in it).
std::optional<MappingChoice> parseChooserAnswer(const QString& tag);

} // namespace trouvel::mapping
