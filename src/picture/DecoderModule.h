// The entry points of trouvel-picture.so, the decoder as a module of its own: a program that
// links no Gui loads it with dlopen when it first needs a picture.
#pragma once

#include "picture/Picture.h"

namespace trouvel::picture {

using DecodeEntry = Picture (*)(const QString& path);
using WarmEntry = void (*)();

inline constexpr const char* kDecodeEntryName = "trouvelDecodePicture";
inline constexpr const char* kWarmEntryName = "trouvelWarmPictureDecoder";

} // namespace trouvel::picture
