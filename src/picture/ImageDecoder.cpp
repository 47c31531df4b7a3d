#include "picture/ImageDecoder.h"

#include "picture/PictureFormat.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

#include <algorithm>

namespace trouvel::picture {

namespace {

constexpr int kJpegQuality = 92; // no visible loss on a poster, a third of PNG's size

QString unreadable(const QString& why) { return QStringLiteral("image reçue mais illisible : ") + why; }

// Why the reader gave no picture, naming the format the file is in when its bytes say.
QString unreadableReason(const QImageReader& reader, const QString& format)
{
    if (QFileInfo(reader.fileName()).size() == 0)
        return unreadable(QStringLiteral("le fichier reçu est vide"));
    if (format == QLatin1String("HTML"))
        return unreadable(QStringLiteral("une page HTML est arrivée à la place de l'image"));
    switch (reader.error()) {
    case QImageReader::UnsupportedFormatError:
        return unreadable(format.isEmpty() ? QStringLiteral("format inconnu")
                                           : QStringLiteral("format %1 non pris en charge").arg(format));
    case QImageReader::InvalidDataError:
        return unreadable(QStringLiteral("format %1, image endommagée ou incomplète").arg(format.isEmpty() ? QStringLiteral("inconnu") : format));
    case QImageReader::FileNotFoundError:
        return QStringLiteral("le fichier de l'image est introuvable");
    case QImageReader::DeviceError:
        return QStringLiteral("le fichier de l'image ne peut pas être lu");
    default:
        return unreadable(format.isEmpty() ? QStringLiteral("format inconnu") : QStringLiteral("format %1").arg(format));
    }
}

QString formatOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? pictureFormatName(file.read(kFormatHeadBytes)) : QString();
}

// Transparent parts come out white, as on the page behind them, not the black JPEG would give.
QImage flattened(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage flat = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < flat.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(flat.scanLine(y));
        for (int x = 0; x < flat.width(); ++x) {
            const QRgb c = line[x];
            const int a = qAlpha(c);
            const auto over = [a](int v) { return (v * a + 255 * (255 - a) + 127) / 255; };
            line[x] = qRgb(over(qRed(c)), over(qGreen(c)), over(qBlue(c)));
        }
    }
    return flat.convertToFormat(QImage::Format_RGB32);
}

// The host names every picture .jpg: a picture in another format is written over its file as
// JPEG, whole (a reader never sees half of it). "" when written, else why not.
QString rewriteAsJpeg(const QString& path, const QImage& image, const QString& format)
{
    QSaveFile file(path);
    QImageWriter writer(&file, "jpeg");
    writer.setQuality(kJpegQuality);
    const auto failed = [&](const QString& why) {
        return QStringLiteral("image %1 reçue, mais non enregistrable en JPEG : %2").arg(format, why);
    };
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    if (!writer.write(flattened(image)))
        return failed(writer.errorString());
    if (!file.commit())
        return failed(file.errorString());
    return {};
}

// Reads the whole picture and stores it as JPEG; the picture returned is the one read, not
// the JPEG, so nothing shown has lost quality.
Picture readAndStoreAsJpeg(QImageReader& reader, const QString& path, const QString& format)
{
    QImage image = reader.read();
    if (image.isNull())
        return {nullptr, unreadableReason(reader, format), {}};
    const QString name = format.isEmpty() ? QString::fromLatin1(reader.format()).toUpper() : format;
    if (const QString why = rewriteAsJpeg(path, image, name); !why.isEmpty())
        return {nullptr, why, {}};
    return {std::make_shared<const QImage>(std::move(image)), {}, name};
}

Picture readJpeg(QImageReader& reader)
{
    QImage image = reader.read();
    if (image.isNull())
        return {nullptr, unreadableReason(reader, QStringLiteral("JPEG")), {}};
    return {std::make_shared<const QImage>(std::move(image)), {}, {}};
}

// A reader that goes by the bytes, not by the name: the work file is always called .jpg.
void readByContent(QImageReader& reader) { reader.setDecideFormatFromContent(true); }

} // namespace

Picture decodePictureFile(const QString& path)
{
    constexpr int kShownSide = 480; // the picture box at 200 %, with room to spare
    QImageReader reader;
    readByContent(reader);
    reader.setFileName(path);
    const QSize size = reader.size();
    const bool large = size.isValid() && (size.width() > kShownSide || size.height() > kShownSide);
    const QSize shown = large ? size.scaled(kShownSide, kShownSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)) : size;
    if (reader.format() != "jpeg") {
        Picture picture = readAndStoreAsJpeg(reader, path, formatOf(path));
        if (!picture.isNull() && large)
            picture.image = std::make_shared<const QImage>(picture.image->scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        return picture;
    }
    // JPEG decodes scaled down at a fraction of the cost. At least a pixel a side: a very
    // long, thin picture would otherwise round to none and be refused.
    if (large)
        reader.setScaledSize(shown);
    return readJpeg(reader);
}

Picture checkPictureFile(const QString& path)
{
    QImageReader reader;
    readByContent(reader);
    reader.setFileName(path);
    const QSize size = reader.size();
    // Another format is decoded whole to be stored as JPEG.
    if (reader.format() != "jpeg")
        return readAndStoreAsJpeg(reader, path, formatOf(path));
    // Qt picks the JPEG decoder's scale from how many times the asked size fits in the
    // picture: an eighth rounded down gets its smallest one.
    if (size.isValid())
        reader.setScaledSize(QSize(std::max(1, size.width() / 8), std::max(1, size.height() / 8)));
    return readJpeg(reader);
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
