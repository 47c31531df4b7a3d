// The detail step's picture, once the fields are read: the address the page named is
// downloaded into the work file and read; the picture is shown and ticked, or the step says
// why there is none. The fields count either way.
#pragma once

#include "net/NetOptions.h"
#include "picture/Picture.h"
#include "wizard/PageClient.h"
#include "wizard/StepPresenter.h"
#include "wizard/StepResults.h"
#include "wizard/WizardModel.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace trouvel::wizard {

struct PictureServices {
    const PictureDownload& download;
    const picture::PictureDecode& decode; // empty: every picture is refused as unreadable
    QString file;                         // the work file "image.jpg"
    net::NetOptions options;
};

class PictureStep {
public:
    PictureStep(WizardModel& model, StepPresenter& presenter, PictureServices services)
        : model_(model)
        , presenter_(presenter)
        , services_(std::move(services))
    {
    }

    // picture.address: what the page named ("" for none). false when the step must end here:
    // the entry changed or the window closed during the download (`current`, `closed`), or
    // the user stopped it (stopDownload).
    bool run(PictureResult& picture, const QString& httpNote, const std::int16_t& stopDownload,
             const std::function<bool()>& current, const std::function<bool()>& closed);

private:
    WizardModel& model_;
    StepPresenter& presenter_;
    PictureServices services_;
};

} // namespace trouvel::wizard
