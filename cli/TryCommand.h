// trouvel try SCRIPT TITLE: the search for one title, and the detail and picture steps when
// one candidate is named, reported as text or as one JSON object.
#pragma once

#include "Arguments.h"
#include "HttpStatus.h"
#include "WizardSession.h"
#include "net/SocketPageClient.h"
#include "wizard/WizardModel.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace trouvel::cli {

struct StepReport {
    QString address;
    int code = 0;
    HttpStatus http;  // of the final response
    std::vector<net::RedirectHop> redirects;
    QString finalAddress; // after the redirects
    QString status; // the last status text the step showed
    // What went on the wire for the first hop, when it was kept: the request line, the
    // address as encoded, a POST's body.
    QString sentLine;
    QString sentAddress;
    QString sentBody;
};

struct TryReport {
    StepReport search;
    QString resentIn; // the charset the search went in a second time, "" when it went once
    bool directHit = false; // the search was redirected to the film page, read as the detail page
    bool detailReused = false; // the detail step read the search's page instead of fetching it
    std::vector<wizard::Candidate> candidates;
    QString candidatesError; // the search pattern's error, "" when it compiled
    bool detailRan = false;
    StepReport detail;
    std::vector<wizard::FieldResult> fields;
    QString pictureAddress;
    QString pictureFile;  // "" when no picture was kept
    QString pictureResult; // what the download answered ("" for success), when it ran
    bool pictureFetched = false;
    QString pictureStoredFrom; // the format it came in when it was stored as JPEG
    QString pictureError; // PatternImg's error, or why the picture did not come or is unreadable
};

QString tryReportJson(const TryReport& report);
QString tryReportText(const TryReport& report);

// The steps of `try` for one title, over a session of their own.
struct TitleRun {
    bool stepsRan = false; // the wizard started and searched
    int exitStatus = 0;    // 1: the wizard did not start or a fetch failed; 2: the session, the script or --pick was wrong
    QString error;         // why, in words
    bool errorShown = false; // the error was shown already (as the wizard's message)
    TryReport report;
    std::vector<PageFetch> fetches; // search first
    std::vector<PictureFetch> pictures;
};
// pick: the candidate to open when the search lists several (from 1; 0: none).
// keepPictureAs: where the picture is copied ("" to leave it).
TitleRun runTitle(const SessionOptions& options, const QString& title, int pick, const QString& keepPictureAs);

// What try, record and check share of their command lines: --pick's value (nothing when it
// is not a number from 1), --timeout, --yes/--no (nothing, with the error shown, when wrong).
std::optional<int> parsePick(const QString& text);
std::optional<SessionOptions> sessionOptionsFrom(const Arguments& arguments, const char* command,
                                                const picture::PictureDecode& decodePicture);

// Runs the command; returns the exit status.
// decodePicture: how pictures are read; empty: each session loads the decoder module itself.
int runTry(const QStringList& args, const picture::PictureDecode& decodePicture = {});

} // namespace trouvel::cli
