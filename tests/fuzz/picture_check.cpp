// The picture check of the detail step: any bytes as "image.jpg", read as the wizard reads
// the downloaded picture (QImageReader on the file, format from the content). A broken or
// hostile picture must give a null image, never a crash or a huge allocation; the window's
// decoding and the command-line tool's cheaper check must agree on every input.
#include "picture/ImageDecoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

QString pictureFile()
{
    // A private folder, removed with the process when the fuzzer ends.
    static const QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/trouvel-fuzz-picture-XXXXXX"));
    static const QString path = folder.filePath(QStringLiteral("image.jpg"));
    return path;
}

// Qt's decoders carry no coverage instrumentation; these branches tell the fuzzer apart the
// formats and outcomes, so inputs of every format stay in its corpus.
void feedback(const QByteArray& format, const QImageReader& reader, const QImage& image)
{
    static volatile int sink = 0;
    if (format == "jpeg")
        sink = sink + 1;
    else if (format == "png")
        sink = sink + 2;
    else if (format == "gif")
        sink = sink + 3;
    else if (format == "bmp")
        sink = sink + 4;
    else if (format == "ico")
        sink = sink + 5;
    else if (!format.isEmpty())
        sink = sink + 6;
    switch (reader.error()) {
    case QImageReader::UnknownError: sink = sink + 7; break;
    case QImageReader::FileNotFoundError: sink = sink + 8; break;
    case QImageReader::DeviceError: sink = sink + 9; break;
    case QImageReader::UnsupportedFormatError: sink = sink + 10; break;
    case QImageReader::InvalidDataError: sink = sink + 11; break;
    }
    if (!image.isNull())
        sink = sink + (image.width() > 64 ? 12 : 13);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Image format plug-ins (JPEG, GIF) are found through the application's library paths.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    {
        QFile f(pictureFile());
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    QImageReader reader(pictureFile());
    const QByteArray format = reader.format(); // detected from the content, before reading
    const QImage image = reader.read();
    feedback(format, reader, image);
    if (std::getenv("TROUVEL_FUZZ_VERBOSE"))
        fprintf(stderr, "format %s, %dx%d, %s\n", format.constData(), image.width(), image.height(),
                qPrintable(reader.errorString()));
    if (!image.isNull() && (image.width() <= 0 || image.height() <= 0)) {
        fprintf(stderr, "check failed: a picture without size\n");
        std::abort();
    }
    // The window's decoding and the tool's cheaper check come to the same verdict.
    const bool shown = !trouvel::picture::decodePictureFile(pictureFile()).isNull();
    const bool checked = !trouvel::picture::checkPictureFile(pictureFile()).isNull();
    if (shown != checked) {
        fprintf(stderr, "check failed: shown %d, checked %d\n", int(shown), int(checked));
        std::abort();
    }
    return 0;
}
