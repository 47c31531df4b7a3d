// A working file written beside its target and renamed into place once complete, like
// QSaveFile but without syncing to disk: the fetch files are scratch copies that the next
// fetch replaces anyway, and a sync per picture would dominate an unattended walk.
// A plain new file under a fresh name, created exclusively (a link planted under that name
// is refused, never followed): cheaper than an unnamed file given a name afterwards, which a
// picture per entry pays for in a walk.
#pragma once

#include <QByteArray>
#include <QString>

namespace trouvel::net {

class ScratchFile {
public:
    explicit ScratchFile(const QString& target);
    ~ScratchFile(); // an uncommitted temporary file is removed
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    bool open();
    bool isOpen() const { return fd_ >= 0; }
    // bytes.size() when all went; otherwise -1, and errorString() says why.
    qint64 write(const QByteArray& bytes);
    void cancelWriting();
    // Closes the temporary file and renames it over the target; false (target untouched) on failure.
    bool commit();
    QString errorString() const { return error_; }

private:
    bool fail(int error);

    QString target_;
    QByteArray tempPath_;
    int fd_ = -1;
    QString error_;
};

} // namespace trouvel::net
