#include "PatternRun.h"

#include "config/FileContentCache.h"
#include "config/ScriptFile.h"
#include "text/RegExp.h"

#include <QFile>

namespace trouvel::atelier {

namespace {

// Every match of the pattern shown, or its explanation when it has none.
void markMatches(const PatternJob& job, const QString& page, const wizard::KeepGoing& keepGoing, PatternOutcome& out)
{
    if (job.pattern.isEmpty()) {
        out.explanation.error = QStringLiteral("motif vide : il correspond partout sans rien découper");
        out.explanationText = out.explanation.error;
        return;
    }
    text::RegExp regex = wizard::stepPattern(job.pattern, keepGoing);
    text::Matches matches;
    try {
        matches = regex.Execute(page);
    } catch (const text::MatchInterrupted&) {
        throw;
    } catch (const text::RegExpError& error) {
        out.explanation.error = error.message();
        out.explanation.errorPosition = error.position();
        out.explanationText = wizard::explanationText(out.explanation, page);
        return;
    }
    out.matches = int(matches.size());
    if (matches.empty()) {
        out.explanation = wizard::explainPattern(job.pattern, page, job.kept, job.read, keepGoing);
        out.explanationText = wizard::explanationText(out.explanation, page);
        return;
    }
    const auto keptOf = [&](const text::Match& match) {
        std::vector<wizard::GroupSpan> groups;
        for (const int group : job.kept) {
            if (group < 1 || group > match.SubMatchesCount())
                continue;
            const qsizetype from = match.SubMatchIndex(group - 1);
            groups.push_back({group, from, from < 0 ? 0 : match.SubMatches(group - 1).size()});
        }
        return groups;
    };
    for (std::size_t i = 0; i < matches.size() && i < std::size_t(kMaxHighlights); ++i)
        out.shown.push_back({matches[i].FirstIndex, matches[i].Length, keptOf(matches[i])});
    // The match the step reads, described as try --explain describes it.
    const text::Match& read = job.read == wizard::ReadMatch::First ? matches.front() : matches.back();
    out.explanation.matches = out.matches;
    out.explanation.from = read.FirstIndex;
    out.explanation.length = read.Length;
    out.explanation.kept = keptOf(read);
    out.explanationText = wizard::explanationText(out.explanation, page);
}

bool writeScratch(const QString& path, const QByteArray& content)
{
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
    file.close();
    config::forgetFileContent(path);
    return written;
}

} // namespace

PatternOutcome runPatterns(const PatternJob& job, const QString& scratchFile, const wizard::KeepGoing& keepGoing)
{
    PatternOutcome out;
    out.onFilmPage = job.onFilmPage;
    const QString& page = job.onFilmPage ? job.filmPage : job.searchPage;
    try {
        out.noPage = page.isEmpty();
        if (!out.noPage)
            markMatches(job, page, keepGoing, out);
        if (!writeScratch(scratchFile, job.script)) {
            out.candidatesError = QStringLiteral("copie de travail du script impossible à écrire : %1").arg(scratchFile);
            return out;
        }
    } catch (const text::MatchInterrupted&) {
        out.stopped = true;
        return out;
    }
    const config::ScriptFile script(scratchFile);
    // The wizard's tag pattern (its reg2), for the descriptions and the field values.
    text::RegExp tags;
    tags.IgnoreCase(true);
    tags.Global(true);
    tags.Multiline(true);
    tags.keepGoing(keepGoing);
    if (!job.searchPage.isEmpty()) {
        const wizard::CandidateExtraction found = wizard::extractCandidates(
            job.searchPage, script, tags, keepGoing, job.searchIsJson || script.searchUnescapesJson());
        out.candidates = found.candidates;
        out.candidatesError = found.error;
        out.stopped = found.stopped;
    }
    if (!job.filmPage.isEmpty() && !out.stopped) {
        const bool json = job.filmIsJson || script.filmUnescapesJson();
        try {
            const wizard::FieldsExtraction fields =
                wizard::extractFields(job.filmPage, script, config::ScriptFile::kMaxFieldCount, tags, keepGoing, json);
            for (std::size_t i = 0; i < fields.fields.size(); ++i) {
                const wizard::FieldExtraction& f = fields.fields[i];
                out.fields.push_back({script.field(int(i) + 1).name, f.value, f.ticked, f.why});
            }
            out.stopped = fields.stopped;
        } catch (const text::MatchInterrupted&) {
            out.stopped = true; // from the tag pattern, between two fields
        }
        if (!out.stopped) {
            out.picture = wizard::extractPictureAddress(job.filmPage, script, keepGoing, job.filmAddress, json);
            out.stopped = out.picture.stopped;
        }
    }
    return out;
}

} // namespace trouvel::atelier
