// What each step came to, as a value: the engine fills the model from it, the presenter shows
// it, and the command-line tool prints or reports it. A step that did not run to its end says
// why in French; a step that ran says what it fetched, found and wrote.
#pragma once

#include "net/PageReport.h"
#include "wizard/WizardModel.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace trouvel::wizard {

// One page fetch of a step.
struct PageResult {
    QString address;
    std::int16_t code = 0;   // the page client's result code (net::DownloadCode)
    QString failure;         // the fetch failed outright, without a code ("" when it had one)
    net::PageReport report;  // redirects, final address, HTTP status
    QString connectionError; // the connection error message shown ("" when there was none)
    QString retryNote;       // why an unattended walk did not try it again although it might mend

    // What went wrong, in words ("" when a page with a 2xx status came): the result code, the
    // HTTP status, or no response at all; and why it was not tried again, when it could have been.
    QString problem() const;
    // " (HTTP 404 Not Found)" when an error page came and is analysed all the same, else "".
    QString httpNote() const;
    // The transfer ran (code 0) but no response arrived: a connection refused or reset.
    bool nothingCame() const { return code == 0 && failure.isEmpty() && report.status == 0; }
};

// How a step ended.
enum class StepEnd {
    Done,      // ran to its end
    Refused,   // did not start: `refusal` says why (a message was shown)
    FetchFailed, // its page did not come (a result code, or a failure without one)
    Stopped,   // Stop during the analysis
    MovedAway, // the entry changed or the window closed while it waited
};

struct SearchResult {
    StepEnd end = StepEnd::Refused;
    QString refusal;
    std::optional<PageResult> page;
    std::vector<Candidate> candidates; // those found before a stop, too
    QString patternError;              // why the pattern found nothing ("" when fine)
    QString status;                    // the status line the step ended with
    QString resentIn; // the charset the search was sent once more in ("" when sent once)
    // The site answered with the film page itself (a single hit redirected there): the one
    // candidate is that page, and the detail step reads it without fetching it again.
    bool directHit = false;
    // Unattended, the single candidate is another film's: "titre différent : « … »".
    QString mismatch;
    bool ranToEnd() const { return end == StepEnd::Done; }
};

// One field as the detail step cut it out, and where a save would put it.
struct FieldResult {
    QString name;
    QString value;
    bool ticked = true;
    QString why;    // why the pattern gave nothing ("" when fine)
    int column = 0; // the host column it is mapped to (from 1), 0 for none
};

struct PictureResult {
    QString address;     // "" when the page names no picture
    QString addressError; // PatternImg failed ("PatternImg : <why>")
    bool fetched = false; // a download was made
    QString fetchFailure; // why the download failed ("" when the picture arrived)
    QString unreadable;   // why the file that arrived is no picture ("" when it is one)
    QString storedFrom;   // the format it came in, now stored as JPEG ("" for a JPEG)
    bool shown = false;   // decoded and shown, its box ticked
};

struct DetailResult {
    StepEnd end = StepEnd::Refused;
    QString refusal;
    std::optional<PageResult> page;
    std::vector<FieldResult> fields; // the script's fields, those read before a stop
    bool fieldsComplete = false;     // every field was read
    std::optional<PictureResult> picture; // once the fields were all read
    bool reusedSearchPage = false;   // the page was the search's own (a direct hit), not fetched again
    // Unattended, the film's year is not the entry's: "année différente : …" (nothing saved).
    QString mismatch;
    QString status;
    bool ranToEnd() const { return end == StepEnd::Done; }
};

// A column the save meant to write but could not, and why.
struct ColumnNotWritten {
    int column = 0;  // from 1; 0: the columns could not even be counted
    QString caption; // the column's caption, when the host gave it
    QString reason;
};

struct SaveResult {
    StepEnd end = StepEnd::Refused;
    // Why nothing at all was written: no detail step to save, no such entry in the host, its
    // columns changed since they were mapped (refusal: the message), or a host failure.
    enum class Refusal { None, NothingToSave, NoEntry, MappingChanged, HostFailed };
    Refusal refused = Refusal::None;
    QString refusal;
    int entry = 0;              // the entry saved into (from 1)
    std::vector<int> written;   // columns written (from 1)
    std::vector<ColumnNotWritten> notWritten;
    int kept = 0;               // filled columns left alone (setKeepFilledColumns, or an empty field unattended)
    enum class Picture { None, Stored, Kept, Declined, Failed };
    Picture picture = Picture::None;
    QString pictureName;        // the stored picture's file name, when Stored
    bool pictureIsNew = false;  // no file of that name was there before
    QString pictureFailure;     // why it was not stored, when Failed
    QString markFailure;        // the host could not be told that its list changed
    bool movedOn = false;       // the wizard went on to the next entry
    // Something meant to be written was not (a column, or the host's change mark).
    bool incomplete() const { return !notWritten.empty() || !markFailure.isEmpty(); }
};

// What the steps came to for the current entry so far.
struct EntrySteps {
    std::optional<SearchResult> search;
    std::optional<DetailResult> detail;
};

} // namespace trouvel::wizard
