#include "common/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace trouvel {

QString fileErrorReason(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("Plus de place sur le disque");
    case EDQUOT:
        return QStringLiteral("Quota d'espace disque dépassé");
    case EFBIG:
        return QStringLiteral("Fichier trop grand (limite de taille des fichiers atteinte)");
    case EACCES:
    case EPERM:
        return QStringLiteral("Permission refusée");
    case EROFS:
        return QStringLiteral("Système de fichiers en lecture seule");
    case ENOENT:
        return QStringLiteral("Fichier ou dossier introuvable");
    case ENOTDIR:
        return QStringLiteral("Un élément du chemin n'est pas un dossier");
    case EISDIR:
        return QStringLiteral("Un dossier porte ce nom");
    case ENAMETOOLONG:
        return QStringLiteral("Nom de fichier trop long");
    case EIO:
        return QStringLiteral("Erreur d'entrée-sortie sur le disque");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Trop de fichiers ouverts");
    case ENOMEM:
        return QStringLiteral("Mémoire insuffisante");
    default:
        return QStringLiteral("Erreur système n°%1 (%2)").arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

QString syncFileSystem(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return fileErrorReason(errno);
    const int result = ::syncfs(fd);
    const int error = errno;
    ::close(fd);
    return result == 0 ? QString() : fileErrorReason(error);
}

namespace {

// ".<name>.trouvel-" for a target: the start of every temporary name beside it. The target's
// name is shortened so that a name near the 255-byte limit still has one.
QByteArray tempPrefixFor(const QByteArray& fileName)
{
    return '.' + fileName.left(200) + ".trouvel-";
}

} // namespace

QByteArray tempNameBeside(const QByteArray& target)
{
    // Hidden, and named after the writing process, so that one left by a killed run is known
    // for what it is and removed by a later one (removeStaleTempFiles).
    const qsizetype slash = target.lastIndexOf('/');
    return target.left(slash + 1) + tempPrefixFor(target.mid(slash + 1)) + QByteArray::number(qint64(::getpid())) + '-'
           + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
}

int removeStaleTempFiles(const QString& folderPath)
{
    const QDir folder(folderPath);
    int removed = 0;
    for (const QString& name : folder.entryList({QStringLiteral(".*.trouvel-*")}, QDir::Files | QDir::Hidden | QDir::System)) {
        // "<pid>-<random>" after the last ".trouvel-": only a writer that is gone leaves its
        // file to be removed.
        const QByteArray bytes = QFile::encodeName(name);
        const QByteArray rest = bytes.mid(bytes.lastIndexOf(".trouvel-") + 9);
        const qsizetype dash = rest.indexOf('-');
        bool ok = false;
        const qint64 pid = dash > 0 ? rest.left(dash).toLongLong(&ok) : 0;
        const QByteArray random = rest.mid(dash + 1);
        const bool ours = ok && pid > 0 && !random.isEmpty()
                          && std::all_of(random.begin(), random.end(), [](char c) { return std::isdigit(uchar(c)) || std::islower(uchar(c)); });
        if (!ours || ::kill(pid_t(pid), 0) == 0 || errno == EPERM)
            continue;
        removed += QFile::remove(folder.filePath(name)) ? 1 : 0;
    }
    return removed;
}

namespace {

// The folder synced, so that a rename made in it reaches the disk; best effort, as the file
// itself is already synced.
void syncFolder(const QByteArray& folder)
{
    if (const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace

WholeFileWriter::WholeFileWriter(const QString& target, Sync sync, AtLink atLink)
    : target_(target), sync_(sync), atLink_(atLink)
{
    if (atLink == AtLink::ReplaceLink)
        return;
    const QFileInfo info(target);
    if (info.isSymLink())
        target_ = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
}

WholeFileWriter::~WholeFileWriter()
{
    cancel();
}

bool WholeFileWriter::fail(int error)
{
    reason_ = fileErrorReason(error);
    cancel();
    return false;
}

bool WholeFileWriter::open()
{
    cancel();
    reason_.clear();
    written_ = 0;
    const QByteArray target = QFile::encodeName(target_);
    struct stat existing {};
    const int looked = atLink_ == AtLink::ReplaceLink ? ::lstat(target.constData(), &existing) : ::stat(target.constData(), &existing);
    const bool exists = looked == 0 && !S_ISLNK(existing.st_mode);
    if (exists && S_ISDIR(existing.st_mode))
        return fail(EISDIR);
    // Mode 0666 so that the umask decides, as for any new file; an existing file's mode is kept.
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        tempPath_ = tempNameBeside(target);
        fd_ = ::open(tempPath_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            tempPath_.clear();
            return fail(errno);
        }
    }
    if (fd_ < 0) {
        tempPath_.clear();
        return fail(EEXIST);
    }
    if (exists)
        ::fchmod(fd_, existing.st_mode & 07777);
    rlimit limit{};
    sizeLimit_ = ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY ? qint64(limit.rlim_cur) : -1;
    return true;
}

bool WholeFileWriter::write(QByteArrayView bytes)
{
    if (fd_ < 0)
        return reason_.isEmpty() ? fail(EBADF) : false;
    // Past the size limit the kernel would stop the process (SIGXFSZ): refused beforehand.
    if (sizeLimit_ >= 0 && written_ + bytes.size() > sizeLimit_)
        return fail(EFBIG);
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        if (n == 0)
            return fail(ENOSPC);
        data += n;
        left -= n;
        written_ += n;
    }
    return true;
}

bool WholeFileWriter::commit()
{
    if (fd_ < 0)
        return reason_.isEmpty() ? fail(EBADF) : false;
    // Some file systems (NFS, quotas) only report a full disk when the data is synced or closed.
    if (sync_ == Sync::Now && ::fsync(fd_) != 0)
        return fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        return fail(errno);
    const QByteArray target = QFile::encodeName(target_);
    if (::rename(tempPath_.constData(), target.constData()) != 0)
        return fail(errno);
    tempPath_.clear();
    if (sync_ == Sync::Deferred)
        return true;
    syncFolder(QFile::encodeName(QFileInfo(target_).absolutePath()));
    return true;
}

void WholeFileWriter::cancel()
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

QString writeWholeFile(const QString& target, QByteArrayView bytes)
{
    WholeFileWriter writer(target);
    if (writer.open() && writer.write(bytes) && writer.commit())
        return {};
    return writer.reason();
}

QByteArray gatherPieces(const PieceWriter& write)
{
    QByteArray bytes;
    write([&](QByteArrayView piece) {
        bytes.append(piece);
        return true;
    });
    return bytes;
}

QString writeWholeFileInPieces(const QString& target, const PieceWriter& write)
{
    WholeFileWriter writer(target);
    if (writer.open() && write([&](QByteArrayView piece) { return writer.write(piece); }) && writer.commit())
        return {};
    return writer.reason();
}

QString copyWholeFile(const QString& source, const QString& target, Sync sync)
{
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return fileErrorReason(errno);
    WholeFileWriter writer(target, sync);
    QString reason;
    if (writer.open()) {
        char buffer[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(in, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                reason = fileErrorReason(errno);
                break;
            }
            if (n == 0) {
                writer.commit();
                break;
            }
            if (!writer.write(QByteArrayView(buffer, n)))
                break;
        }
    }
    ::close(in);
    if (reason.isEmpty())
        reason = writer.reason();
    return reason;
}

namespace {

// The process's umask, read without setting it: umask(2) only reads by setting, and a file
// another thread created meanwhile would get the wrong mode. -1 when it cannot be read.
int currentUmask()
{
    const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
    ::close(fd);
    if (n <= 0)
        return -1;
    buffer[n] = '\0';
    const char* line = std::strstr(buffer, "\nUmask:");
    if (!line)
        return -1;
    char* end = nullptr;
    const long mask = std::strtol(line + 7, &end, 8);
    return end == line + 7 || mask < 0 || mask > 0777 ? -1 : int(mask);
}

QString syncFile(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        return fileErrorReason(error);
    }
    ::close(fd);
    return {};
}

// Whether the extended attribute is absent (or the file system has none at all).
bool noAttribute(const QByteArray& path, const char* name)
{
    return ::getxattr(path.constData(), name, nullptr, 0) < 0 && (errno == ENODATA || errno == ENOTSUP);
}

// Whether a second name for `source` in `folder` is the file a copy would make there, but for
// its mode (set afterwards): the same owner and group, no default ACL the copy would take, and
// no security label (SELinux) that a copy would take from the folder instead.
bool linkActsAsCopy(const QByteArray& sourcePath, const struct stat& source, const QByteArray& folder)
{
    struct stat dir {};
    if (source.st_uid != ::geteuid() || ::stat(folder.constData(), &dir) != 0)
        return false;
    if ((dir.st_mode & S_ISGID) ? source.st_gid != dir.st_gid : source.st_gid != ::getegid())
        return false;
    return noAttribute(folder, "system.posix_acl_default") && noAttribute(sourcePath, "security.selinux");
}

} // namespace

QString linkOrCopyWholeFile(const QString& source, const QString& target, Sync sync)
{
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(target);
    const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
    struct stat in {}, existing {};
    if (::stat(from.constData(), &in) != 0 || !S_ISREG(in.st_mode))
        return copyWholeFile(source, target, sync);
    const bool exists = ::lstat(to.constData(), &existing) == 0;
    // Through a symbolic link the copy replaces the file it names; over a folder it says why.
    if (exists && !S_ISREG(existing.st_mode))
        return copyWholeFile(source, target, sync);
    // Stored before under this name, and not downloaded again since: nothing to do but the sync.
    if (exists && existing.st_dev == in.st_dev && existing.st_ino == in.st_ino)
        return sync == Sync::Now ? syncFile(to) : QString();
    const int mask = exists ? 0 : currentUmask();
    if (mask < 0 || !linkActsAsCopy(from, in, folder))
        return copyWholeFile(source, target, sync);
    // The mode a copy would have: the replaced file's, or a new file's under the umask.
    const mode_t mode = exists ? existing.st_mode & 07777 : mode_t(0666 & ~mask);
    // A new name that needs no other mode, synced later: given in one step, whole from the
    // start. Synced now, the file reaches the disk before any name shows it.
    if (!exists && sync == Sync::Deferred && (in.st_mode & 07777) == mode) {
        if (::link(from.constData(), to.constData()) == 0)
            return {};
        if (errno != EEXIST)
            return copyWholeFile(source, target, sync);
        // Made meanwhile by someone else: replaced whole, as below.
    }
    QByteArray temp;
    for (int attempt = 0; attempt < 100 && temp.isEmpty(); ++attempt) {
        temp = tempNameBeside(to);
        if (::link(from.constData(), temp.constData()) != 0) {
            const int error = errno;
            temp.clear();
            // Another file system, or one without hard links: the bytes are copied.
            if (error != EEXIST)
                return copyWholeFile(source, target, sync);
        }
    }
    if (temp.isEmpty())
        return copyWholeFile(source, target, sync);
    // The temporary name goes with any failure; the target stays as it was.
    const auto fail = [&temp](QString reason) {
        ::unlink(temp.constData());
        return reason;
    };
    if ((in.st_mode & 07777) != mode && ::chmod(temp.constData(), mode) != 0)
        return fail(fileErrorReason(errno));
    if (sync == Sync::Now)
        if (QString reason = syncFile(temp); !reason.isEmpty())
            return fail(reason);
    if (::rename(temp.constData(), to.constData()) != 0)
        return fail(fileErrorReason(errno));
    if (sync == Sync::Now)
        syncFolder(folder);
    return {};
}

} // namespace trouvel
