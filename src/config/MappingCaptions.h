// The captions a host's columns had when they were mapped, kept in Trouvel.ini beside the
// numbered keys ("Caption1", "Caption2", ... next to "Col1", "Col2", ...). Columns are mapped
// by number: once a column is added, removed or moved in the host, the captions no longer
// match and the mapping must be looked at again before anything is written.
#pragma once

#include <QString>
#include <QStringList>

namespace trouvel::config {

// "Caption<column>", column from 1.
QString captionKey(int column);

// Stores captions[i] under Caption<i+1>. "" on success, else why not (French).
QString writeMappingCaptions(const QString& iniFile, const QString& section, const QStringList& captions);

// "" when the host's captions (column 1 first) still match the mapping of `section`, or when
// the mapping has no captions stored (written before they were kept); else a French message
// naming the first column that changed.
QString mappingCaptionsMismatch(const QString& iniFile, const QString& section, const QStringList& captions);

} // namespace trouvel::config
