// trouvel try SCRIPT TITLE: the search for one title, and the detail and picture steps when
// one candidate is named, reported as text or as one JSON object.
#pragma once

#include "HttpStatus.h"
#include "net/DownloadWinsock.h"
#include "wizard/WizardModel.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace trouvel::cli {

struct StepReport {
    QString address;
    int code = 0;
    HttpStatus http;  // of the final response
    std::vector<net::RedirectHop> redirects;
    QString finalAddress; // after the redirects
    QString status; // the last status text the step showed
};

struct TryReport {
    StepReport search;
    std::vector<wizard::Candidate> candidates;
    QString candidatesError; // the search pattern's error, "" when it compiled
    bool detailRan = false;
    StepReport detail;
    std::vector<wizard::FieldRow> fields;
    QString pictureAddress;
    QString pictureFile;  // "" when no picture was kept
    QString pictureResult; // what the download answered ("" for success), when it ran
    bool pictureFetched = false;
    QString pictureError; // PatternImg's error
    QStringList messages; // message boxes shown
};

QString tryReportJson(const TryReport& report);
QString tryReportText(const TryReport& report);

// Runs the command; returns the exit status.
int runTry(const QStringList& args);

} // namespace trouvel::cli
