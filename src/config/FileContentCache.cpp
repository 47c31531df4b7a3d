#include "config/FileContentCache.h"

#include "common/BoundedRead.h"

#include <QFile>
#include <QHash>

#include <ctime>
#include <mutex>
#include <sys/stat.h>

namespace trouvel::config {

namespace {

constexpr qsizetype kKeptFiles = 16;
constexpr time_t kRacySeconds = 3;

struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    bool operator==(const Stamp& o) const
    {
        return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec
               && modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec
               && changed.tv_nsec == o.changed.tv_nsec;
    }
};

struct Kept {
    Stamp stamp;
    QByteArray content;
};

std::mutex g_mutex;
QHash<QString, Kept>& kept()
{
    static QHash<QString, Kept> files;
    return files;
}

std::optional<QByteArray> readNow(const QString& path)
{
    return readRegularFile(path, kMaxProfileBytes).bytes;
}

} // namespace

std::optional<QByteArray> fileContent(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    const Stamp stamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    // File times only move every few milliseconds (or seconds, on some file systems): a file
    // changed that recently could change again under the same times, so it is read afresh.
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_sec - st.st_mtim.tv_sec < kRacySeconds)
        return readNow(path);
    {
        const std::lock_guard lock(g_mutex);
        if (auto found = kept().constFind(path); found != kept().cend() && found->stamp == stamp)
            return found->content;
    }
    std::optional<QByteArray> content = readNow(path);
    // Kept only if it still is what was looked at (not rewritten while being read).
    if (content && content->size() == st.st_size) {
        const std::lock_guard lock(g_mutex);
        if (kept().size() >= kKeptFiles)
            kept().clear();
        kept().insert(path, Kept{stamp, *content});
    }
    return content;
}

void forgetFileContent(const QString& path)
{
    const std::lock_guard lock(g_mutex);
    kept().remove(path);
}

} // namespace trouvel::config
