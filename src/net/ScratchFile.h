// A working file written beside its target and renamed into place once complete, like
// QSaveFile but without syncing to disk: the fetch files are scratch copies that the next
// fetch replaces anyway, and a sync per picture would dominate an unattended walk.
// A plain new file under a fresh name, created exclusively: cheaper than an unnamed file
// given a name afterwards, which a picture per entry pays for in a walk. A link planted at
// the target is replaced, never followed.
#pragma once

#include "common/WholeFile.h"

#include <QByteArray>
#include <QString>

namespace trouvel::net {

class ScratchFile {
public:
    explicit ScratchFile(const QString& target) : writer_(target, Sync::Deferred, AtLink::ReplaceLink) {}

    bool open() { return writer_.open(); }
    bool isOpen() const { return writer_.isOpen(); }
    // bytes.size() when all went; otherwise -1, and errorString() says why.
    qint64 write(const QByteArray& bytes) { return writer_.write(bytes) ? bytes.size() : -1; }
    // Removes the temporary file; the target stays as it was.
    void cancelWriting() { writer_.cancel(); }
    // Closes the temporary file and renames it over the target; false (target untouched) on failure.
    bool commit() { return (writer_.isOpen() || writer_.open()) && writer_.commit(); }
    QString errorString() const { return writer_.reason(); }

private:
    WholeFileWriter writer_;
};

} // namespace trouvel::net
