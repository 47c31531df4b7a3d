#include "wizard/PictureStore.h"

#include "common/WholeFile.h"

#include <QFile>

namespace trouvel::wizard {

namespace {
constexpr qsizetype kMaxFileNameBytes = 255;
}

QString pictureNameProblem(const QString& name)
{
    // The title part (before ".jpg") must name something: not empty, not "." or "..".
    const QString base = name.endsWith(QStringLiteral(".jpg")) ? name.chopped(4) : name;
    if (base.trimmed().isEmpty() || base == QStringLiteral(".") || base == QStringLiteral(".."))
        return QStringLiteral("titre vide ou réservé");
    if (name.contains(u'/') || name.contains(QChar(u'\0')))
        return QStringLiteral("nom de fichier invalide");
    if (QFile::encodeName(name).size() > kMaxFileNameBytes)
        return QStringLiteral("nom de fichier trop long");
    return {};
}

QString freePictureName(const QString& base, const std::function<bool(const QString& name)>& heldByAnotherEntry)
{
    const QString name = base + QStringLiteral(".jpg");
    if (!heldByAnotherEntry(name))
        return name;
    int next = 2;
    return freePictureName(base, next, heldByAnotherEntry);
}

QString freePictureName(const QString& base, int& next, const std::function<bool(const QString& name)>& heldByAnotherEntry)
{
    for (;; ++next) {
        const QString name = QStringLiteral("%1 (%2).jpg").arg(base).arg(next);
        if (!heldByAnotherEntry(name))
            return name;
    }
}

QString storePicture(const QString& source, const QString& folder, const QString& name, Sync sync)
{
    const QString prefix = QStringLiteral("Erreur lors de la copie de l'image \"%1\" : ").arg(name);
    if (const QString problem = pictureNameProblem(name); !problem.isEmpty())
        return prefix + problem;
    // The work picture is only ever replaced whole, so it may be stored by a second name.
    if (const QString reason = linkOrCopyWholeFile(source, folder + u'/' + name, sync); !reason.isEmpty())
        return prefix + reason;
    return {};
}

} // namespace trouvel::wizard
