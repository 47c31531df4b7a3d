#include "wizard/PictureStep.h"

#include <QFile>

namespace trouvel::wizard {

bool PictureStep::run(PictureResult& picture, const QString& httpNote, const std::int16_t& stopDownload,
                      const std::function<bool()>& current, const std::function<bool()>& closed)
{
    if (picture.address.isEmpty()) {
        presenter_.pictureEnded(picture, httpNote);
        model_.setPicture({});
        model_.setPictureTicked(false);
        return true;
    }
    model_.setStopOffered(true);
    picture.fetched = true;
    model_.setDownloading(true);
    try {
        picture.fetchFailure = services_.download(picture.address, services_.file, stopDownload, services_.options);
    } catch (const std::exception& error) {
        picture.fetchFailure = QString::fromUtf8(error.what());
        if (picture.fetchFailure.isEmpty())
            picture.fetchFailure = QStringLiteral("échec du téléchargement");
    }
    model_.setDownloading(false);
    if (!current() || (!picture.fetchFailure.isEmpty() && stopDownload != 0)) {
        // Moved away, closed or stopped by the user: the step ends there.
        presenter_.pictureAbandoned(picture, closed());
        return false;
    }
    model_.setStopOffered(false);
    picture::Picture image;
    if (picture.fetchFailure.isEmpty()) {
        image = services_.decode ? services_.decode(services_.file)
                                 : picture::Picture{nullptr, QStringLiteral("aucun décodeur d'images"), {}};
        picture.unreadable = image.isNull() ? image.error : QString();
        picture.storedFrom = image.storedFrom;
    } else {
        // A poster that answers 404 or arrives cut short: the fields still count.
        model_.setPictureError(picture.fetchFailure);
    }
    picture.shown = !image.isNull();
    if (!image.error.isEmpty() && !picture.shown)
        model_.setPictureError(image.error);
    presenter_.pictureEnded(picture, httpNote);
    if (picture.shown) {
        model_.setPicture(image);
        model_.setPictureTicked(true);
    } else {
        QFile::remove(services_.file);
        model_.setPicture({});
        model_.setPictureTicked(false);
    }
    return true;
}

} // namespace trouvel::wizard
