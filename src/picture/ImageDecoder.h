// Picture files read with QImageReader (Gui).
#pragma once

#include "picture/Picture.h"

namespace trouvel::picture {

// The picture as step 3 shows it: a large poster is decoded at a reduced size but still read
// to its end, so a broken file is still refused. A picture that is not JPEG (PNG, GIF, WebP)
// is written over the file as JPEG, which the host names every picture; JPEG bytes stay as
// they came.
Picture decodePictureFile(const QString& path);

// Whether the file is a picture, read as decodePictureFile reads it, to the same verdict, for
// a program that shows no picture (the command-line tool). A JPEG is decoded at an eighth of
// its size: every block is still read, only the pixels are not all made. Another format is
// decoded whole and stored as JPEG, as decodePictureFile does.
Picture checkPictureFile(const QString& path);

// Loads the decoder of the likeliest format (JPEG) ahead of the first picture.
void warmPictureDecoder();

} // namespace trouvel::picture
