#include "common/BoundedRead.h"

#include "common/WholeFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trouvel {

namespace {

QString statProblem(const struct stat& st, qint64 maxBytes)
{
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("ce n'est pas un fichier ordinaire");
    if (st.st_size > maxBytes)
        return QStringLiteral("le fichier fait %1 octets, plus que les %2 permis").arg(qint64(st.st_size)).arg(maxBytes);
    return {};
}

QString openProblem(int error)
{
    return error == ENOENT || error == ENOTDIR ? QStringLiteral("le fichier n'existe pas") : fileErrorReason(error);
}

} // namespace

QString regularFileProblem(const QString& path, qint64 maxBytes)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return openProblem(path.isEmpty() ? ENOENT : errno);
    return statProblem(st, maxBytes);
}

FileRead readRegularFile(const QString& path, qint64 maxBytes)
{
    FileRead read;
    if (path.isEmpty()) {
        read.problem = openProblem(ENOENT);
        return read;
    }
    // O_NONBLOCK: opening a FIFO returns at once instead of waiting for a writer; the kind of
    // file is then judged on what was opened, not on a name that may have changed meanwhile.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        read.problem = openProblem(errno);
        return read;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        read.problem = fileErrorReason(errno);
    } else if (read.problem = statProblem(st, maxBytes); read.problem.isEmpty()) {
        // The size may have grown since fstat: read at most one byte past the bound to see it.
        QByteArray bytes;
        bytes.resize(qsizetype(st.st_size) + 1);
        qsizetype got = 0;
        while (read.problem.isEmpty()) {
            if (got == bytes.size()) {
                if (got > maxBytes)
                    break;
                bytes.resize(std::min<qsizetype>(bytes.size() * 2, qsizetype(maxBytes) + 1));
            }
            const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                read.problem = QStringLiteral("lecture impossible : %1").arg(fileErrorReason(errno));
            else if (n == 0)
                break;
            else
                got += n;
        }
        if (read.problem.isEmpty() && got > maxBytes)
            read.problem = QStringLiteral("le fichier fait plus que les %1 octets permis").arg(maxBytes);
        if (read.problem.isEmpty()) {
            bytes.truncate(got);
            read.bytes = std::move(bytes);
        }
    }
    ::close(fd);
    return read;
}

} // namespace trouvel
