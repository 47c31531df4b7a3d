// trouvel batch's command line, read and checked before the catalogue is opened.
#pragma once

#include "BatchWalk.h"
#include "WizardSession.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace trouvel::cli {

struct BatchOptions {
    QString cataloguePath; // absolute
    QString script;        // the script file found for --script
    QString fromText;      // --from as given, "" when absent (checked against the catalogue)
    bool dryRun = false;
    bool resume = false;
    bool onlyEmpty = false;
    bool acceptDifferentTitle = false;
    QString reportPath;
    QStringList maps;      // --map COLUMN=FIELD, in order
    SessionOptions session;
    WalkSettings walk;
};

// The options, or nothing with the message printed (exit status 2).
std::optional<BatchOptions> parseBatchOptions(const QStringList& args);

} // namespace trouvel::cli
