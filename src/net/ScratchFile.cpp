#include "net/ScratchFile.h"

#include "common/WholeFile.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace trouvel::net {

ScratchFile::ScratchFile(const QString& target)
    : target_(target)
{
}

ScratchFile::~ScratchFile() { cancelWriting(); }

bool ScratchFile::fail(int error)
{
    error_ = fileErrorReason(error);
    cancelWriting();
    return false;
}

bool ScratchFile::open()
{
    cancelWriting();
    error_.clear();
    const QByteArray target = QFile::encodeName(target_);
    // Mode 0666 so that the umask decides, as for any new file.
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        tempPath_ = tempNameBeside(target);
        fd_ = ::open(tempPath_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            const int error = errno;
            tempPath_.clear();
            return fail(error);
        }
    }
    if (fd_ < 0) {
        tempPath_.clear();
        return fail(EEXIST);
    }
    return true;
}

qint64 ScratchFile::write(const QByteArray& bytes)
{
    if (fd_ < 0) {
        fail(EBADF);
        return -1;
    }
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail(n < 0 ? errno : ENOSPC);
            return -1;
        }
        data += n;
        left -= n;
    }
    return bytes.size();
}

void ScratchFile::cancelWriting()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.isEmpty()) {
        ::unlink(tempPath_.constData());
        tempPath_.clear();
    }
}

bool ScratchFile::commit()
{
    if (fd_ < 0 && !open())
        return false;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        return fail(errno);
    // rename(2) replaces the target in one step: readers see the old file or the new one.
    if (std::rename(tempPath_.constData(), QFile::encodeName(target_).constData()) != 0)
        return fail(errno);
    tempPath_.clear();
    return true;
}

} // namespace trouvel::net
