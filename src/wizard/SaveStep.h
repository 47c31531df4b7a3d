// The save step: the mapped columns of the current entry get the ticked fields, the picture
// is stored beside the catalogue under a name no other entry holds, and the host is told its
// list changed. Every column or picture that could not be written is in the result with why;
// moving on to the next entry is the engine's.
#pragma once

#include "common/WholeFile.h"
#include "wizard/HostEntries.h"
#include "wizard/StepResults.h"

#include <trouvel/Trouvel.h>

#include <QHash>
#include <QString>

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

namespace trouvel::wizard {

// Which entries hold which picture name. The host's Tags are read once and then kept up to
// date by the saves, which are their only writers while the wizard is open: asking the host
// for every Tag at every save made a walk quadratic in the length of the list. Only hashes
// are kept (a match is confirmed with the host, so a long list is not held twice), indexed so
// that a name is looked up in constant time; and the numbered names already handed out for a
// title are remembered, so that a title met hundreds of times does not try each of them again.
class TagIndex {
public:
    // A name for the picture of entry currentRow titled `base` that no other entry holds:
    // "base.jpg", the entry's own numbered name of that title, or the next free "base (n).jpg".
    QString freeName(const HostEntries& entries, int currentRow, const QString& base);
    void stored(int row, const std::string& tag);
    void forget();

private:
    bool heldByAnotherEntry(const HostEntries& entries, int currentRow, const QString& name);
    void read(const HostEntries& entries);

    std::vector<std::uint64_t> hashes_; // row 0 first; 0 for no picture
    std::unordered_multimap<std::uint64_t, int> rows_; // hash -> rows holding it
    QHash<QString, int> nextNumber_; // base -> the number after the last one handed out
};

struct SaveRequest {
    int row = 0;             // the entry, from 0
    QString section;         // the script's Trouvel.ini section
    QString mappingFile;
    const std::vector<FieldRow>* fields = nullptr; // step 3's rows, field k at k - 1
    int loadedFields = 0;    // rows of the script loaded last
    QString title;           // names the picture
    QString pictureFile;     // the downloaded picture, "" when none is ticked
    bool keepFilled = false; // leave non-blank columns and an existing picture alone
    bool emptyKeepsFilled = false; // an empty field leaves a non-blank column alone (nobody saw it)
    bool askBeforeReplacing = true; // an entry's own picture is replaced only on Yes
    Sync pictureSync = Sync::Now;
};

class SaveStep {
public:
    // ask: the replace question; a No keeps the entry's picture and ends the save.
    SaveStep(HostApplication& host, TagIndex& tags, std::function<bool()> replacePicture)
        : host_(host)
        , tags_(tags)
        , replacePicture_(std::move(replacePicture))
    {
    }
    SaveResult run(const SaveRequest& request);

private:
    void writeColumns(const SaveRequest& request, SaveResult& result);
    void storeEntryPicture(const SaveRequest& request, SaveResult& result);

    HostApplication& host_;
    TagIndex& tags_;
    std::function<bool()> replacePicture_;
};

} // namespace trouvel::wizard
