// Storing the downloaded picture into the host's working folder under a name made from the
// entry's title.
#pragma once

#include "common/WholeFile.h"

#include <QString>

#include <functional>

namespace trouvel::wizard {

// Why a name cannot be used as a picture file inside the folder ("" when it can): a title
// part (before ".jpg") that is empty, "." or "..", a path separator or NUL, or a name longer
// than 255 bytes on disk.
QString pictureNameProblem(const QString& name);

// The picture name for an entry titled as stripFileName gives `base`: "base.jpg", or else the
// first of "base (2).jpg", "base (3).jpg", ... that no other entry's Tag names, so that a
// picture never replaces another entry's.
QString freePictureName(const QString& base, const std::function<bool(const QString& name)>& heldByAnotherEntry);
// The first of "base (next).jpg", "base (next + 1).jpg", ... that no other entry holds; next
// is left at its number.
QString freePictureName(const QString& base, int& next, const std::function<bool(const QString& name)>& heldByAnotherEntry);

// Copies source to folder/name, replacing a file of that name. The copy is written to a
// temporary file beside the target and renamed over it, so an old picture is never left
// half-written. "" when copied, else a status text saying why not.
// With Sync::Deferred the caller syncs the folder's file system before naming the picture
// in a file of its own (see syncFileSystem).
QString storePicture(const QString& source, const QString& folder, const QString& name, Sync sync = Sync::Now);

} // namespace trouvel::wizard
