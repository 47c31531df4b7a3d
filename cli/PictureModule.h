// The picture decoder for the command-line tool: trouvel-picture.so, loaded on a thread of
// its own (started on another processor: ThreadElsewhere.h) as soon as a session starts, so
// that loading Gui and its libraries overlaps the first page fetches instead of delaying
// every start (`--version`, `help`, a run that finds no picture). The first picture waits
// for the load.
#pragma once

#include "ThreadElsewhere.h"

#include "picture/DecoderModule.h"

#include <QString>

#include <memory>

namespace trouvel::cli {

class PictureModule {
public:
    // Starts loading the module at path.
    explicit PictureModule(QString path);
    ~PictureModule(); // waits for the load; the module stays loaded
    PictureModule(const PictureModule&) = delete;
    PictureModule& operator=(const PictureModule&) = delete;

    // The picture file decoded; when the module could not be loaded, no image and the reason.
    // From the thread that made this object.
    picture::Picture decode(const QString& path);
    // decode as a service; it must not outlive this object.
    picture::PictureDecode decoder() { return [this](const QString& path) { return decode(path); }; }

    // Where the installed (or built) tool's module is: beside the programs' folder.
    static QString besideProgram();

private:
    void waitForLoad();


    std::unique_ptr<ThreadElsewhere> loader_;
    picture::DecodeEntry decode_ = nullptr;
    QString loadError_;
};

} // namespace trouvel::cli
