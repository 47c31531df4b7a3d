#include "ResultLog.h"

#include "common/LengthPrefixed.h"

#include <stdexcept>

namespace trouvel::cli {

namespace {

using packed::appendField;
using packed::appendLength;
using packed::readField;
using packed::readLength;

void appendText(QByteArray& out, const QString& text)
{
    appendField(out, text.toUtf8());
}

QString readText(const QByteArray& in, qsizetype& at)
{
    return QString::fromUtf8(readField(in, at));
}

} // namespace

ResultLog::ResultLog(std::initializer_list<EntryResult> results)
{
    reserve(results.size());
    for (const EntryResult& r : results)
        push_back(r);
}

// Laid out as: outcome (one byte), row, candidates, title, detail, stage, retry note, the
// number of candidate texts and each of them.
void ResultLog::push_back(const EntryResult& r)
{
    if (quint64(bytes_.size()) > UINT32_MAX)
        throw std::length_error("ResultLog: more than 4 GiB of results");
    starts_.push_back(std::uint32_t(bytes_.size()));
    bytes_.append(char(r.outcome));
    appendLength(bytes_, quint32(r.row));
    appendLength(bytes_, quint32(r.candidates));
    appendText(bytes_, r.title);
    appendText(bytes_, r.detail);
    appendText(bytes_, r.stage);
    appendText(bytes_, r.retryNote);
    appendLength(bytes_, quint64(r.candidateTexts.size()));
    for (const QString& text : r.candidateTexts)
        appendText(bytes_, text);
}

Outcome ResultLog::outcomeAt(std::size_t index) const
{
    return Outcome(bytes_.at(qsizetype(starts_.at(index))));
}

EntryResult ResultLog::at(std::size_t index) const
{
    qsizetype at = qsizetype(starts_.at(index));
    EntryResult r;
    r.outcome = Outcome(bytes_.at(at++));
    r.row = int(quint32(readLength(bytes_, at)));
    r.candidates = int(quint32(readLength(bytes_, at)));
    r.title = readText(bytes_, at);
    r.detail = readText(bytes_, at);
    r.stage = readText(bytes_, at);
    r.retryNote = readText(bytes_, at);
    const auto texts = qsizetype(readLength(bytes_, at));
    r.candidateTexts.reserve(texts);
    for (qsizetype i = 0; i < texts; ++i)
        r.candidateTexts.append(readText(bytes_, at));
    return r;
}

void ResultLog::clear()
{
    bytes_.clear();
    starts_.clear();
}

} // namespace trouvel::cli
