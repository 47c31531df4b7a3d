#include "StaleFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace trouvel::cli {

namespace {

bool processGone(qint64 pid)
{
    // EPERM: the process exists but belongs to someone else.
    return pid > 0 && pid <= INT32_MAX && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

QString privateFolderTemplate(const QString& tempRoot)
{
    return QDir(tempRoot).filePath(QStringLiteral("trouvel-%1-XXXXXX").arg(::getpid()));
}

int removeStalePrivateFolders(const QString& tempRoot)
{
    static const QRegularExpression name(QStringLiteral("^trouvel-([0-9]{1,10})-[A-Za-z0-9]{6}$"));
    const QDir root(tempRoot);
    int removed = 0;
    for (const QString& entry : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QRegularExpressionMatch match = name.match(entry);
        if (!match.hasMatch())
            continue;
        const QString path = root.filePath(entry);
        struct stat info {};
        // lstat: a link planted under the name is not followed.
        if (::lstat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
            continue;
        if (!processGone(match.captured(1).toLongLong()))
            continue;
        if (QDir(path).removeRecursively())
            ++removed;
    }
    return removed;
}

} // namespace trouvel::cli
