#include "picture/PictureFormat.h"

namespace trouvel::picture {

namespace {

// The brand of an ISO media file ("ftypavif" at offset 4), as AVIF and HEIF name themselves.
QString isoMediaFormat(const QByteArray& head)
{
    if (head.size() < 12 || head.mid(4, 4) != "ftyp")
        return {};
    const QByteArray brand = head.mid(8, 4);
    if (brand == "avif" || brand == "avis")
        return QStringLiteral("AVIF");
    if (brand == "heic" || brand == "heix" || brand == "mif1" || brand == "msf1" || brand == "hevc")
        return QStringLiteral("HEIF");
    return {};
}

// Markup where the picture should be: an error or a login page answered with 200.
QString markupFormat(const QByteArray& head)
{
    QByteArray start = head.trimmed().toLower();
    if (start.startsWith("\xef\xbb\xbf"))
        start = start.mid(3);
    if (start.startsWith("<svg") || (start.startsWith("<?xml") && head.contains("svg")))
        return QStringLiteral("SVG");
    if (start.startsWith("<!doctype html") || start.startsWith("<html") || start.startsWith("<head")
        || start.startsWith("<body") || start.startsWith("<!--"))
        return QStringLiteral("HTML");
    return {};
}

} // namespace

QString pictureFormatName(const QByteArray& head)
{
    if (head.startsWith("\xff\xd8\xff"))
        return QStringLiteral("JPEG");
    if (head.startsWith("\x89PNG\r\n\x1a\n"))
        return QStringLiteral("PNG");
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return QStringLiteral("GIF");
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
        return QStringLiteral("WebP");
    if (head.startsWith("BM"))
        return QStringLiteral("BMP");
    if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4)))
        return QStringLiteral("TIFF");
    if (head.startsWith(QByteArray("\0\0\1\0", 4)))
        return QStringLiteral("ICO");
    if (const QString iso = isoMediaFormat(head); !iso.isEmpty())
        return iso;
    return markupFormat(head);
}

} // namespace trouvel::picture
