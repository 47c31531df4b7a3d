#include "wizard/PictureStore.h"

#include <QFile>
#include <QSaveFile>

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

bool storePicture(const QString& source, const QString& folder, const QString& name, QString* failure)
{
    const QString prefix = QStringLiteral("Erreur lors de la copie de l'image \"%1\" : ").arg(name);
    if (const QString problem = pictureNameProblem(name); !problem.isEmpty()) {
        *failure = prefix + problem;
        return false;
    }
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *failure = prefix + in.errorString();
        return false;
    }
    QSaveFile out(folder + u'/' + name);
    if (!out.open(QIODevice::WriteOnly)) {
        *failure = prefix + out.errorString();
        return false;
    }
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0) {
            *failure = prefix + in.errorString();
            return false; // QSaveFile discards the temporary file
        }
        if (n == 0)
            break;
        if (out.write(buffer, n) != n) {
            *failure = prefix + out.errorString();
            return false;
        }
    }
    if (!out.commit()) {
        *failure = prefix + out.errorString();
        return false;
    }
    return true;
}

} // namespace trouvel::wizard
