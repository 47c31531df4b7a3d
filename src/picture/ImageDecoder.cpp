#include "picture/ImageDecoder.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

namespace trouvel::picture {

Picture decodePictureFile(const QString& path)
{
    constexpr int kShownSide = 480; // the picture box at 200 %, with room to spare
    QImageReader reader(path);
    const QSize size = reader.size();
    // JPEG decodes scaled down at a fraction of the cost. At least a pixel a side: a very
    // long, thin picture would otherwise round to none and be refused.
    if (size.isValid() && (size.width() > kShownSide || size.height() > kShownSide))
        reader.setScaledSize(size.scaled(kShownSide, kShownSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    return {std::make_shared<const QImage>(std::move(image)), {}};
}

Picture checkPictureFile(const QString& path)
{
    QImageReader reader(path);
    const QSize size = reader.size();
    // Only JPEG's decoder scales as it decodes: other formats would be decoded whole and
    // scaled after, which costs more.
    if (size.isValid() && reader.format() == "jpeg")
        reader.setScaledSize(QSize((size.width() + 7) / 8, (size.height() + 7) / 8));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    return {std::make_shared<const QImage>(std::move(image)), {}};
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
