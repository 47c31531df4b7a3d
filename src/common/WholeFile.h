// Writing a file for the user so that afterwards it is either whole and new, or the old file
// untouched: the bytes go to a temporary file beside the target with every write checked,
// are synced to the disk, then renamed over the target in one step. Used for everything the
// project writes for the user (catalogues, pictures, Trouvel.ini, copies into a new folder),
// and, unsynced, for the picture a fetch downloads (net/ScratchFile.h).
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

namespace trouvel {

// Why a file operation failed, in French, from its errno ("Plus de place sur le disque").
QString fileErrorReason(int error);

// Now: each file reaches the disk before the call returns. Deferred: written and renamed
// into place, synced later for a whole group at once with syncFileSystem (before the file
// that names the group is written).
enum class Sync { Now, Deferred };

// A fresh name beside target for a version being written: hidden, with this process's id and
// a random ending (".catalogue.csv.trouvel-1234-k3j9x").
QByteArray tempNameBeside(const QByteArray& target);
// Removes the temporary files in folder that writers now gone left behind (a kill in the
// middle of a write); those of running processes, and every other file, stay. Returns how
// many went.
int removeStaleTempFiles(const QString& folder);

// Syncs the file system holding `folder` (the pictures written with Sync::Deferred). "" or why not.
QString syncFileSystem(const QString& folder);

// Through a symbolic link at the target: the file it names is replaced and the link stays
// (a user's file), or the link itself is replaced (a working file, where a planted link must
// lead nowhere).
enum class AtLink { ReplaceNamedFile, ReplaceLink };

class WholeFileWriter {
public:
    explicit WholeFileWriter(const QString& target, Sync sync = Sync::Now, AtLink atLink = AtLink::ReplaceNamedFile);
    ~WholeFileWriter(); // an uncommitted temporary file is removed
    WholeFileWriter(const WholeFileWriter&) = delete;
    WholeFileWriter& operator=(const WholeFileWriter&) = delete;

    bool open();
    bool isOpen() const { return fd_ >= 0; }
    // false on the first write that does not go through entirely; nothing more is written.
    bool write(QByteArrayView bytes);
    // Syncs, closes and renames over the target; false (target untouched) on failure.
    bool commit();
    void cancel();

    // Why the last step failed, in French; "" while none did.
    const QString& reason() const { return reason_; }

private:
    bool fail(int error);

    QString target_;
    Sync sync_;
    AtLink atLink_;
    QByteArray tempPath_;
    int fd_ = -1;
    qint64 written_ = 0;
    qint64 sizeLimit_ = -1; // the process's file size limit (ulimit -f), -1 for none
    QString reason_;
};

// Replaces target with bytes through a WholeFileWriter. "" on success, else the reason.
QString writeWholeFile(const QString& target, QByteArrayView bytes);

// Something written piece by piece: hands each piece to the sink, stops with false as soon as
// the sink refuses one, true once all went.
using PieceSink = std::function<bool(QByteArrayView)>;
using PieceWriter = std::function<bool(const PieceSink&)>;
// The pieces gathered into one array.
QByteArray gatherPieces(const PieceWriter& write);
// Replaces target with the pieces, none of them held beyond its write. "" or why not.
QString writeWholeFileInPieces(const QString& target, const PieceWriter& write);

// Copies source to target through a WholeFileWriter. "" on success, else the reason.
QString copyWholeFile(const QString& source, const QString& target, Sync sync = Sync::Now);

// The same result as copyWholeFile, but where the target's folder is on the source's file
// system, by a second name for the source's file: no byte is written again, and the disk has
// one copy to write back instead of two. The file gets the mode a copy would have. Only for a
// source that is replaced whole (renamed over), never changed in place, since the target
// would change with it. Copies where a link would differ from a copy (another owner or group,
// a folder's default ACL, a security label) or cannot be made.
QString linkOrCopyWholeFile(const QString& source, const QString& target, Sync sync = Sync::Now);

} // namespace trouvel
