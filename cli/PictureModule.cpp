#include "PictureModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <dlfcn.h>

namespace trouvel::cli {

PictureModule::PictureModule(QString path)
{
    loader_ = std::make_unique<ThreadElsewhere>([this, path = std::move(path)] {
        // Kept loaded to the end: Qt's libraries are not made to be unloaded.
        void* module = dlopen(QFile::encodeName(path).constData(), RTLD_LAZY | RTLD_LOCAL | RTLD_NODELETE);
        if (!module) {
            loadError_ = QStringLiteral("module de décodage des images non chargé : ") + QString::fromLocal8Bit(dlerror());
            return;
        }
        auto decode = reinterpret_cast<picture::DecodeEntry>(dlsym(module, picture::kDecodeEntryName));
        auto warm = reinterpret_cast<picture::WarmEntry>(dlsym(module, picture::kWarmEntryName));
        if (!decode || !warm) {
            loadError_ = QStringLiteral("module de décodage des images incomplet : ") + path;
            return;
        }
        warm();
        decode_ = decode;
    });
}

PictureModule::~PictureModule() { waitForLoad(); }

void PictureModule::waitForLoad()
{
    if (loader_)
        loader_->join();
}

picture::Picture PictureModule::decode(const QString& path)
{
    waitForLoad();
    if (!decode_)
        return {nullptr, loadError_, {}};
    return decode_(path);
}

QString PictureModule::besideProgram()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/" TROUVEL_PICTURE_MODULE_FROM_BIN "/trouvel-picture.so"));
}

} // namespace trouvel::cli
