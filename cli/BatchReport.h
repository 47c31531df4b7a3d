// trouvel batch --report FILE: every handled entry's outcome, as CSV or JSON by the file's
// extension, for a spreadsheet or a script to take up where the walk left entries aside.
#pragma once

#include "ResultLog.h"

#include "wizard/WizardModel.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace trouvel::cli {

enum class ReportFormat { Csv, Json };

// By the extension (".csv", ".json", any letter case); nothing for another one.
std::optional<ReportFormat> reportFormatFor(const QString& path);

// A candidate as the list shows it: its descriptions, the blank ones left out, joined by " | ".
QString candidateText(const wizard::Candidate& candidate);

// "rempli", "ambigu", "introuvable", "échec", "image non enregistrée".
QString outcomeName(Outcome outcome);

// The entry's stage; a result decided after the steps has none of its own: an unsaved
// picture is the save's, a failure there (interrupted, incomplete) the detail page's.
QString reportStage(const EntryResult& result);

// CSV: RFC 4180 (CR LF between records, fields quoted when they hold a comma, a quote or a
// line break), a header row, candidates one per line within their field. JSON: an object
// with "entries", each with row (1-based), title, outcome, candidates, stage and reason.
QByteArray formatReport(const ResultLog& entries, ReportFormat format);

// Written whole or not at all; "" or why not.
QString writeReport(const QString& path, const ResultLog& entries);

} // namespace trouvel::cli
