#include "picture/ImageDecoder.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <algorithm>

namespace trouvel::picture {

namespace {

// Why the reader gave no picture, in the words the status tooltip and the tool show.
QString unreadableReason(const QImageReader& reader)
{
    if (QFileInfo(reader.fileName()).size() == 0)
        return QStringLiteral("le fichier reçu est vide");
    switch (reader.error()) {
    case QImageReader::UnsupportedFormatError:
        return QStringLiteral("le fichier reçu n'est pas une image d'un format connu");
    case QImageReader::InvalidDataError:
        return QStringLiteral("l'image reçue est endommagée ou incomplète");
    case QImageReader::FileNotFoundError:
        return QStringLiteral("le fichier de l'image est introuvable");
    case QImageReader::DeviceError:
        return QStringLiteral("le fichier de l'image ne peut pas être lu");
    default:
        return QStringLiteral("l'image reçue est illisible");
    }
}

Picture readPicture(QImageReader& reader)
{
    QImage image = reader.read();
    if (image.isNull())
        return {nullptr, unreadableReason(reader)};
    return {std::make_shared<const QImage>(std::move(image)), {}};
}

} // namespace

Picture decodePictureFile(const QString& path)
{
    constexpr int kShownSide = 480; // the picture box at 200 %, with room to spare
    QImageReader reader(path);
    const QSize size = reader.size();
    // JPEG decodes scaled down at a fraction of the cost. At least a pixel a side: a very
    // long, thin picture would otherwise round to none and be refused.
    if (size.isValid() && (size.width() > kShownSide || size.height() > kShownSide))
        reader.setScaledSize(size.scaled(kShownSide, kShownSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    return readPicture(reader);
}

Picture checkPictureFile(const QString& path)
{
    QImageReader reader(path);
    const QSize size = reader.size();
    // Only JPEG's decoder scales as it decodes: other formats would be decoded whole and
    // scaled after, which costs more. Qt picks the decoder's scale from how many times the
    // asked size fits in the picture: an eighth rounded down gets its smallest one.
    if (size.isValid() && reader.format() == "jpeg")
        reader.setScaledSize(QSize(std::max(1, size.width() / 8), std::max(1, size.height() / 8)));
    return readPicture(reader);
}

void warmPictureDecoder()
{
    // Naming the format, with no guessing from the content, makes the reader load that one
    // plug-in (and its library) for the empty buffer, which it then refuses.
    QBuffer empty;
    QImageReader reader(&empty, "jpeg");
    reader.setAutoDetectImageFormat(false);
    (void)reader.canRead();
}

} // namespace trouvel::picture
