#include "StaleFolders.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace trouvel::cli {

namespace {

// "trouvel-<1 to 10 digits>-<6 letters or digits>": the pid; nothing for any other name.
std::optional<qint64> privateFolderPid(const char* name)
{
    constexpr char kPrefix[] = "trouvel-";
    if (std::strncmp(name, kPrefix, sizeof kPrefix - 1) != 0)
        return std::nullopt;
    const char* p = name + sizeof kPrefix - 1;
    qint64 pid = 0;
    int digits = 0;
    for (; *p >= '0' && *p <= '9'; ++p, ++digits)
        pid = pid * 10 + (*p - '0');
    if (digits < 1 || digits > 10 || *p++ != '-')
        return std::nullopt;
    // ASCII letters and digits only, whatever the locale says of other bytes.
    const auto asciiAlnum = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    int tail = 0;
    for (; asciiAlnum(*p); ++p)
        ++tail;
    if (tail != 6 || *p != '\0')
        return std::nullopt;
    return pid;
}

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
    // One look at the folder's names (no status of every entry): it is done at every start.
    const QByteArray rootPath = QFile::encodeName(tempRoot);
    DIR* const folder = ::opendir(rootPath.constData());
    if (!folder)
        return 0;
    std::vector<QByteArray> stale;
    while (const dirent* entry = ::readdir(folder)) {
        const std::optional<qint64> pid = privateFolderPid(entry->d_name);
        if (!pid || (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN))
            continue;
        const QByteArray path = rootPath + '/' + entry->d_name;
        struct stat info {};
        // lstat: a link planted under the name is not followed.
        if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
            continue;
        if (processGone(*pid))
            stale.push_back(path);
    }
    ::closedir(folder);
    int removed = 0;
    for (const QByteArray& path : stale)
        removed += QDir(QFile::decodeName(path)).removeRecursively();
    return removed;
}

} // namespace trouvel::cli
