// Catalogue files: UTF-8 CSV, first record the column captions, then one record per entry.
// The entries' Tag (picture file name) is kept in a reserved trailing column, kTagColumn.
#pragma once

#include "Catalogue.h"
#include "common/WholeFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace cadrelle {

// Caption of the reserved last column that holds each entry's Tag.
inline constexpr char16_t kTagColumn[] = u"#Tag";

// The largest catalogue file read: a catalogue at the host's row limit is a few megabytes.
inline constexpr qint64 kMaxCatalogueBytes = 64LL * 1024 * 1024;

// Empty on success; otherwise what went wrong, and catalogue is left as it was.
// A file without a trailing "#Tag" column loads with empty tags; bytes that are not
// valid UTF-8 are read as Windows-1252. Only a regular file of at most kMaxCatalogueBytes is
// read (never a FIFO or a device).
QString loadCatalogue(const QString& path, Catalogue& catalogue);
QString parseCatalogue(const QByteArray& bytes, Catalogue& catalogue);

// Writes through a temporary file renamed over path once complete, so a failed or
// interrupted save leaves the previous file whole. Empty on success, else the reason.
QString saveCatalogue(const QString& path, const Catalogue& catalogue);
QByteArray formatCatalogue(const Catalogue& catalogue);
// The same bytes handed to sink in pieces (whole records, about 64 KiB each); false as soon
// as sink refuses one (then nothing more is handed over).
bool formatCatalogue(const Catalogue& catalogue, const trouvel::PieceSink& sink);

// Whether a Tag names a file directly inside the catalogue's folder: not empty, ".", "..",
// an absolute path, nor anything with a separator ("/", or "\\" from Windows) or a NUL.
bool isTagInFolder(const QString& tag);

} // namespace cadrelle
