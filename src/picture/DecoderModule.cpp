#include "picture/DecoderModule.h"
#include "picture/ImageDecoder.h"

#include <type_traits>

// Names without C++ mangling, for dlsym; the types on both sides are this build's own.
extern "C" __attribute__((visibility("default"))) trouvel::picture::Picture trouvelDecodePicture(const QString& path)
{
    // The tool shows no picture: it only needs to know that the file reads.
    return trouvel::picture::checkPictureFile(path);
}

extern "C" __attribute__((visibility("default"))) void trouvelWarmPictureDecoder()
{
    trouvel::picture::warmPictureDecoder();
}

// The module's entry points have the types the loader casts them to.
static_assert(std::is_same_v<decltype(&trouvelDecodePicture), trouvel::picture::DecodeEntry>);
static_assert(std::is_same_v<decltype(&trouvelWarmPictureDecoder), trouvel::picture::WarmEntry>);
