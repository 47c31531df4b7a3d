// The format a picture file is in, read from its first bytes: what the messages name when a
// picture cannot be read, including the formats no decoder here reads.
#pragma once

#include <QByteArray>
#include <QString>

namespace trouvel::picture {

// How many leading bytes pictureFormatName needs.
inline constexpr int kFormatHeadBytes = 32;

// "JPEG", "PNG", "GIF", "WebP", "AVIF", "HEIF", "BMP", "TIFF", "ICO", "SVG", "HTML" (a page
// sent in place of the picture), or "" when the bytes say nothing known.
QString pictureFormatName(const QByteArray& head);

} // namespace trouvel::picture
