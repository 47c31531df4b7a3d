#include "picture/ImageDecoder.h"

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trouvel::picture;

namespace {

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// The left half transparent, the right half opaque blue (wide enough for JPEG's blocks).
QImage halfClear()
{
    QImage image(32, 16, QImage::Format_ARGB32);
    image.fill(qRgba(0, 0, 0, 0));
    for (int y = 0; y < 16; ++y)
        for (int x = 16; x < 32; ++x)
            image.setPixel(x, y, qRgba(0, 0, 255, 255));
    return image;
}

QImage solid(QRgb colour)
{
    QImage image(16, 8, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A 1x1 GIF, index 0 red (Qt writes no GIF).
const QByteArray kRedGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\xff\xff\xff,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;", 35);

bool near(QColor a, QColor b) { return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 30; }

struct StoredCase {
    const char* name;
    QByteArray bytes;
    const char* storedFrom; // "" for a JPEG left as it came
    QRgb firstPixel;        // of the file as stored
};

class StoredPicture : public ::testing::TestWithParam<StoredCase> {};

// What the host finds in the .jpg file: JPEG bytes, the same picture.
TEST_P(StoredPicture, IsJpegOnDiskForBothReaders)
{
    const StoredCase& row = GetParam();
    if (row.bytes.isEmpty())
        GTEST_SKIP() << "no encoder for this format here";
    for (const auto read : {&decodePictureFile, &checkPictureFile}) {
        QTemporaryDir dir;
        const QString path = dir.filePath("image.jpg");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(row.bytes);
        file.close();

        const Picture picture = read(path);
        ASSERT_FALSE(picture.isNull()) << picture.error.toStdString();
        EXPECT_EQ(picture.storedFrom, QString::fromLatin1(row.storedFrom));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray stored = file.readAll();
        if (*row.storedFrom == 0) {
            EXPECT_EQ(stored, row.bytes) << "JPEG bytes are kept as they came";
        }
        ASSERT_TRUE(stored.startsWith("\xff\xd8\xff"));
        const QImage back = QImage::fromData(stored, "jpeg");
        EXPECT_TRUE(near(back.pixelColor(0, 0), QColor(row.firstPixel))) << back.pixelColor(0, 0).name().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, StoredPicture,
    ::testing::Values(StoredCase{"Jpeg", encoded(solid(qRgb(200, 30, 30)), "jpeg"), "", qRgb(200, 30, 30)},
                      StoredCase{"PngTransparentGoesWhite", encoded(halfClear(), "png"), "PNG", qRgb(255, 255, 255)},
                      StoredCase{"Gif", kRedGif, "GIF", qRgb(255, 0, 0)},
                      StoredCase{"WebP",
                                 QImageReader::supportedImageFormats().contains("webp") ? encoded(solid(qRgb(20, 160, 40)), "webp") : QByteArray(),
                                 "WebP", qRgb(20, 160, 40)}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedCase {
    const char* name;
    QByteArray bytes;
    const char* reason;
};

class RefusedPicture : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedPicture, NamesWhatCame)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("image.jpg");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(GetParam().bytes);
    file.close();
    const Picture picture = decodePictureFile(path);
    EXPECT_TRUE(picture.isNull());
    EXPECT_EQ(picture.error, QString::fromUtf8(GetParam().reason));
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, RefusedPicture,
    ::testing::Values(
        RefusedCase{"Avif", QByteArray("\0\0\0\x1c" "ftypavif\0\0\0\0avifmif1miaf", 28) + QByteArray(64, 'x'),
                    "image reçue mais illisible : format AVIF non pris en charge"},
        RefusedCase{"HtmlPage", "<!DOCTYPE html><html><body>Not found</body></html>",
                    "image reçue mais illisible : une page HTML est arrivée à la place de l'image"},
        RefusedCase{"Unknown", "0123456789abcdef0123456789abcdef", "image reçue mais illisible : format inconnu"},
        RefusedCase{"Empty", "", "image reçue mais illisible : le fichier reçu est vide"},
        RefusedCase{"PngCutShort", encoded(solid(qRgb(1, 2, 3)), "png").left(60),
                    "image reçue mais illisible : format PNG, image endommagée ou incomplète"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
