// A decoded picture as the engine and its model hold it. The image type stays incomplete
// here: the engine passes pictures on without looking inside, so it links no Gui, and the
// command-line tool can load the decoder only when a picture comes.
#pragma once

#include <QString>

#include <functional>
#include <memory>

class QImage;

namespace trouvel::picture {

struct Picture {
    std::shared_ptr<const QImage> image; // null: no picture, or it could not be read
    QString error;                       // why not, when a decoder could say more than "unreadable"
    QString storedFrom;                  // the format rewritten as JPEG in the file ("" when it came as JPEG)
    bool isNull() const { return !image; }
};

// Reads the picture file at path; a Picture with no image when the file is not a picture.
using PictureDecode = std::function<Picture(const QString& path)>;

} // namespace trouvel::picture
