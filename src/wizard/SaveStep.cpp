#include "wizard/SaveStep.h"

#include "config/MappingCaptions.h"
#include "config/MappingFile.h"
#include "text/TextCleanup.h"
#include "wizard/PictureStore.h"

#include <QFileInfo>
#include <QHashFunctions>

namespace trouvel::wizard {

namespace {

std::uint64_t tagHash(const std::string& tag)
{
    return qHash(QByteArrayView(tag.data(), qsizetype(tag.size())), 0);
}

QString reasonOf(const std::exception& error)
{
    const QString text = QString::fromUtf8(error.what());
    return text.isEmpty() ? QStringLiteral("erreur de l'application hôte") : text;
}

} // namespace

void TagIndex::read(const HostEntries& entries)
{
    const int count = entries.count();
    if (hashes_.size() == std::size_t(count))
        return;
    forget();
    hashes_.reserve(std::size_t(count));
    rows_.reserve(std::size_t(count));
    // Entries without a picture are not indexed: no name is looked up as "", and a long list
    // of them would make one slot of the index as long as the list.
    for (int row = 0; row < count; ++row) {
        const std::string tag = entries.tag(row);
        hashes_.push_back(tag.empty() ? 0 : tagHash(tag));
        if (!tag.empty())
            rows_.emplace(hashes_.back(), row);
    }
}

void TagIndex::forget()
{
    hashes_.clear();
    rows_.clear();
    nextNumber_.clear();
}

bool TagIndex::heldByAnotherEntry(const HostEntries& entries, int currentRow, const QString& name)
{
    read(entries);
    const std::string wanted = name.toStdString();
    const auto [first, last] = rows_.equal_range(tagHash(wanted));
    for (auto it = first; it != last; ++it) {
        if (it->second != currentRow && entries.tag(it->second) == wanted)
            return true;
    }
    return false;
}

QString TagIndex::freeName(const HostEntries& entries, int currentRow, const QString& base)
{
    const QString plain = base + QStringLiteral(".jpg");
    if (!heldByAnotherEntry(entries, currentRow, plain))
        return plain;
    // The entry's own numbered picture of this title is replaced in place.
    const QString own = QString::fromStdString(entries.tag(currentRow));
    const QString numbered = base + QStringLiteral(" (");
    if (own.startsWith(numbered) && own.endsWith(QStringLiteral(").jpg")))
        return own;
    int& next = nextNumber_[base];
    next = std::max(next, 2);
    QString name = freePictureName(base, next, [&](const QString& candidate) { return heldByAnotherEntry(entries, currentRow, candidate); });
    return name;
}

void TagIndex::stored(int row, const std::string& tag)
{
    if (row < 0 || std::size_t(row) >= hashes_.size())
        return;
    const auto [first, last] = rows_.equal_range(hashes_[std::size_t(row)]);
    for (auto it = first; it != last; ++it) {
        if (it->second == row) {
            rows_.erase(it);
            break;
        }
    }
    hashes_[std::size_t(row)] = tag.empty() ? 0 : tagHash(tag);
    if (!tag.empty())
        rows_.emplace(hashes_[std::size_t(row)], row);
}

SaveResult SaveStep::run(const SaveRequest& request)
{
    SaveResult result;
    result.entry = request.row + 1;
    HostEntries entries(host_);
    if (!entries.reachable(request.row)) {
        result.refused = SaveResult::Refusal::NoEntry;
        return result;
    }
    // Columns are mapped by number: once the host's columns changed, nothing is written
    // until the mapping has been looked at again.
    try {
        result.refusal = config::mappingCaptionsMismatch(request.mappingFile, request.section, entries.captions());
        if (!result.refusal.isEmpty()) {
            result.refused = SaveResult::Refusal::MappingChanged;
            return result;
        }
    } catch (const std::exception& error) {
        result.refused = SaveResult::Refusal::HostFailed;
        result.refusal = reasonOf(error);
        return result;
    }

    result.end = StepEnd::Done;
    writeColumns(request, result);
    storeEntryPicture(request, result);
    try {
        entries.markChanged();
    } catch (const std::exception& error) {
        result.markFailure = reasonOf(error);
    }
    return result;
}

void SaveStep::writeColumns(const SaveRequest& request, SaveResult& result)
{
    HostEntries entries(host_);
    std::int32_t colCount = 0;
    try {
        colCount = host_.ColCount();
    } catch (const std::exception& error) {
        result.notWritten.push_back({0, {}, reasonOf(error)});
        return;
    }
    const config::MappingFile mapping(request.mappingFile);
    const std::vector<FieldRow>& rows = *request.fields;
    for (std::int32_t c = 1; c <= colCount; ++c) {
        // A failing host member or mapping value leaves that column only as it was.
        try {
            const int k = mapping.mappedField(request.section, c);
            if (k < 1 || k > request.loadedFields || k > int(rows.size()))
                continue;
            const FieldRow& row = rows[std::size_t(k - 1)];
            if (!row.ticked)
                continue;
            const bool keep = request.keepFilled || (request.emptyKeepsFilled && row.value.trimmed().isEmpty());
            if (keep && !entries.cell(request.row, c - 1).trimmed().isEmpty()) {
                ++result.kept;
                continue;
            }
            entries.setCell(request.row, c - 1, row.value);
            result.written.push_back(c);
        } catch (const std::exception& error) {
            QString caption;
            try {
                caption = entries.captions().value(c - 1);
            } catch (const std::exception&) {
                // The column is named by its number alone.
            }
            result.notWritten.push_back({c, caption, reasonOf(error)});
        }
    }
}

void SaveStep::storeEntryPicture(const SaveRequest& request, SaveResult& result)
{
    if (request.pictureFile.isEmpty() || !QFileInfo::exists(request.pictureFile))
        return;
    HostEntries entries(host_);
    const auto failed = [&](const QString& why) {
        result.picture = SaveResult::Picture::Failed;
        result.pictureFailure = why;
    };
    bool hasPicture = false;
    try {
        hasPicture = !entries.tag(request.row).empty();
    } catch (const std::exception& error) {
        // Whether the entry has a picture of its own is not known: it is not replaced.
        failed(QStringLiteral("image non enregistrée : ") + reasonOf(error));
        return;
    }
    // Kept: not stored at all, so no picture file is left that no entry names.
    if (request.keepFilled && hasPicture) {
        result.picture = SaveResult::Picture::Kept;
        return;
    }
    if (hasPicture && request.askBeforeReplacing && replacePicture_ && !replacePicture_()) {
        result.picture = SaveResult::Picture::Declined;
        return;
    }
    QString name;
    try {
        name = tags_.freeName(entries, request.row, text::stripFileName(request.title));
    } catch (const std::exception& error) {
        failed(QStringLiteral("image non enregistrée : ") + reasonOf(error));
        return;
    }
    result.pictureIsNew = !QFileInfo::exists(entries.workFolder() + u'/' + name);
    if (const QString failure = storePicture(request.pictureFile, entries.workFolder(), name, request.pictureSync);
        !failure.isEmpty()) {
        failed(failure);
        return;
    }
    try {
        entries.setTag(request.row, name.toStdString());
        tags_.stored(request.row, name.toStdString());
        result.picture = SaveResult::Picture::Stored;
        result.pictureName = name;
    } catch (const std::exception& error) {
        failed(QStringLiteral("image enregistrée sous « %1 » mais non associée à la fiche : %2").arg(name, reasonOf(error)));
    }
}

} // namespace trouvel::wizard
