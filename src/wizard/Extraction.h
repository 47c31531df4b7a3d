// Cutting a step's results out of a page with the script's patterns: the candidates of a
// search page, the fields and the picture address of a film page. Each result says why
// nothing came out where a pattern failed, and whether the analysis was stopped (the
// keep-going check said no). The steps put these results into the model.
#pragma once

#include "config/ScriptFile.h"
#include "text/RegExp.h"
#include "wizard/WizardModel.h"

#include <QString>

#include <functional>
#include <vector>

namespace trouvel::wizard {

using KeepGoing = std::function<bool()>;

// A pattern as the steps run it: global, multi-line, letter case ignored.
text::RegExp stepPattern(const QString& pattern, KeepGoing keepGoing);

struct CandidateExtraction {
    std::vector<Candidate> candidates; // those found before a stop, too
    QString error;                     // the pattern is invalid or a match gave up ("" fine)
    bool stopped = false;
};
// tagPattern strips the markup of the two descriptions (the window's reg2).
// json: the values cut out are JSON strings (a JSON page, or Unescape=json), unescaped first.
CandidateExtraction extractCandidates(const QString& page, const config::ScriptFile& script, text::RegExp& tagPattern,
                                      KeepGoing keepGoing, bool json = false);

// The most matches a JoinN field gathers.
inline constexpr int kMaxJoined = 50;

struct FieldExtraction {
    QString value;
    bool ticked = true;
    QString why; // why the pattern gave nothing ("" when fine, or when it simply did not match)
};
struct FieldsExtraction {
    std::vector<FieldExtraction> fields; // fields 1..rows, those after a stop left out
    int rows = 0;                        // the fields to read: min(Count, rowLimit)
    bool stopped = false;                // fields.size() is where the analysis stopped
};
// Fields 1..min(count, rowLimit) of the script: each from MatchN, else from the first of its
// fall-backs (MatchN.2, ...) that gives a value; with JoinN, every match joined.
FieldsExtraction extractFields(const QString& page, const config::ScriptFile& script, int rowLimit,
                               text::RegExp& tagPattern, KeepGoing keepGoing, bool json = false);

// The title a film page gives itself, as a reader sees it: its og:title, else its <title>;
// "" when it has neither.
QString pageOwnTitle(const QString& page, text::RegExp& tagPattern);

struct PictureAddress {
    QString address; // "" when the page names no picture
    QString error;   // "PatternImg : <why>" when the pattern failed, or why the address cannot be fetched
    bool stopped = false;
};
// The last match of PatternImg in the [ImgPage] Url, resolved against pageAddress (the film
// page's final address) as resolvePictureAddress says.
PictureAddress extractPictureAddress(const QString& page, const config::ScriptFile& script, KeepGoing keepGoing,
                                     const QString& pageAddress = {}, bool json = false);

// The filled picture address as a browser reads an <img src> of the page at pageAddress: an
// absolute address as it stands; a root-relative ("/img/9.jpg"), protocol-relative
// ("//cdn.example/9.jpg") or relative one resolved against the page; a "data:" reference
// (a lazy-loading placeholder, the picture inside the page) refused with its reason.
PictureAddress resolvePictureAddress(const QString& filled, const QString& pageAddress);

} // namespace trouvel::wizard
