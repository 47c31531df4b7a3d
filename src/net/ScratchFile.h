// A working file written beside its target and renamed into place once complete, like
// QSaveFile but without syncing to disk: the fetch files are scratch copies that the next
// fetch replaces anyway, and a sync per picture would dominate an unattended walk.
#pragma once

#include <QString>
#include <QTemporaryFile>

namespace trouvel::net {

class ScratchFile {
public:
    explicit ScratchFile(const QString& target);
    ~ScratchFile(); // an uncommitted temporary file is removed

    bool open();
    bool isOpen() const { return temp_.isOpen(); }
    qint64 write(const QByteArray& bytes) { return temp_.write(bytes); }
    void cancelWriting();
    // Closes the temporary file and renames it over the target; false (target untouched) on failure.
    bool commit();
    QString errorString() const { return error_.isEmpty() ? temp_.errorString() : error_; }

private:
    QString target_;
    QTemporaryFile temp_;
    QString error_;
};

} // namespace trouvel::net
