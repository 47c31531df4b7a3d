#include "net/ScratchFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace trouvel::net {

ScratchFile::ScratchFile(const QString& target)
    : target_(target), temp_(target + QStringLiteral(".XXXXXX"))
{
    temp_.setAutoRemove(true);
}

ScratchFile::~ScratchFile() = default;

bool ScratchFile::open()
{
    return temp_.open();
}

void ScratchFile::cancelWriting()
{
    temp_.close();
    if (!temp_.fileName().isEmpty()) // never opened: nothing to remove
        temp_.remove();
}

bool ScratchFile::commit()
{
    if (!temp_.isOpen() && !open())
        return false;
    if (!temp_.flush()) {
        cancelWriting();
        return false;
    }
    temp_.close();
    // rename(2) replaces the target in one step: readers see the old file or the new one.
    if (std::rename(QFile::encodeName(temp_.fileName()).constData(), QFile::encodeName(target_).constData()) != 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        temp_.remove();
        return false;
    }
    temp_.setAutoRemove(false);
    return true;
}

} // namespace trouvel::net
