#include "wizard/PatternExplanation.h"

#include "text/PatternItems.h"
#include "text/TerminalText.h"

#include <algorithm>
#include <tuple>

namespace trouvel::wizard {

namespace {

constexpr qsizetype kContext = 30; // characters shown on each side
constexpr qsizetype kPieceShown = 40; // a longer piece between two marks is cut in its middle

// Page text on one line: the stored line ends shown as "⏎", other controls escaped.
QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QStringLiteral("⏎"));
    text.replace(QLatin1Char('\n'), QStringLiteral("⏎"));
    return text::escapeControls(text);
}

QString shortened(const QString& piece)
{
    if (piece.size() <= kPieceShown)
        return oneLine(piece);
    return oneLine(piece.left(kPieceShown / 2 - 2)) + QStringLiteral("…") + oneLine(piece.right(kPieceShown / 2 - 2));
}

struct Mark {
    qsizetype at;
    int kind; // 0 closes, 1 opens: at one offset, what ends comes before what begins
    qsizetype order;
    QString text;
};

// The first match, or the last, of pattern in page, with its count; nothing found: count 0.
struct Found {
    int count = 0;
    text::Match match;
};
Found find(const QString& pattern, const QString& page, ReadMatch read, const KeepGoing& keepGoing)
{
    text::RegExp regex = stepPattern(pattern, keepGoing);
    Found found;
    if (!regex.Test(page))
        return found;
    text::Matches matches = regex.Execute(page);
    found.count = int(matches.size());
    if (!matches.empty())
        found.match = read == ReadMatch::First ? matches.front() : matches.back();
    return found;
}

// The longest leading run of the pattern's items that matches in page. A run that matches
// makes every shorter one match where it does, so the runs are searched by halves.
void findPartial(const QString& pattern, const QString& page, const KeepGoing& keepGoing, PatternExplanation& out)
{
    const std::vector<qsizetype> ends = text::patternItemEnds(pattern);
    out.items = int(ends.size());
    if (ends.size() < 2)
        return;
    const auto tryRun = [&](int items) -> Found {
        try {
            return find(pattern.left(ends[size_t(items) - 1]), page, ReadMatch::First, keepGoing);
        } catch (const text::MatchInterrupted&) {
            throw;
        } catch (const text::RegExpError&) {
            return {}; // a run cut inside what only the whole reads (a late back-reference)
        }
    };
    int low = 0; // matches (the empty run)
    int high = out.items; // does not
    Found best;
    while (high - low > 1) {
        const int mid = (low + high) / 2;
        Found found = tryRun(mid);
        if (found.count > 0) {
            low = mid;
            best = std::move(found);
        } else {
            high = mid;
        }
    }
    out.itemsMatched = low;
    const qsizetype runEnd = low > 0 ? ends[size_t(low) - 1] : 0;
    out.matchedPart = pattern.left(runEnd);
    out.failingItem = pattern.mid(runEnd, ends[size_t(low)] - runEnd);
    out.partialMatches = best.count;
    out.partialFrom = best.match.FirstIndex;
    out.partialLength = best.match.Length;
}

} // namespace

PatternExplanation explainPattern(const QString& pattern, const QString& page, const std::vector<int>& keptGroups,
                                  ReadMatch read, KeepGoing keepGoing)
{
    PatternExplanation out;
    try {
        const Found found = find(pattern, page, read, keepGoing);
        out.matches = found.count;
        if (found.count == 0) {
            findPartial(pattern, page, keepGoing, out);
            return out;
        }
        out.from = found.match.FirstIndex;
        out.length = found.match.Length;
        for (const int group : keptGroups) {
            if (group < 1 || group > found.match.SubMatchesCount())
                continue;
            const qsizetype from = found.match.SubMatchIndex(group - 1);
            out.kept.push_back({group, from, from < 0 ? 0 : found.match.SubMatches(group - 1).size()});
        }
    } catch (const text::MatchInterrupted&) {
        throw;
    } catch (const text::RegExpError& error) {
        out.error = error.message();
        out.errorPosition = error.position();
    }
    return out;
}

QString pagePosition(const QString& page, qsizetype offset)
{
    const qsizetype lineStart = page.lastIndexOf(QLatin1Char('\n'), std::max<qsizetype>(0, offset - 1)) + 1;
    const qsizetype line = page.left(offset).count(QLatin1Char('\n')) + 1;
    return QStringLiteral("ligne %1, colonne %2").arg(line).arg(offset - (offset > 0 ? lineStart : 0) + 1);
}

QString pageExcerpt(const QString& page, qsizetype from, qsizetype length, const std::vector<GroupSpan>& groups)
{
    const qsizetype start = std::max<qsizetype>(0, from - kContext);
    const qsizetype end = std::min(page.size(), from + length + kContext);
    std::vector<Mark> marks;
    for (const GroupSpan& g : groups) {
        if (g.from < 0)
            continue;
        marks.push_back({g.from, 1, -g.length, QStringLiteral("⟨%1:").arg(g.group)});
        marks.push_back({g.from + g.length, 0, -g.from, QStringLiteral("⟩")});
    }
    std::sort(marks.begin(), marks.end(), [](const Mark& a, const Mark& b) {
        return std::tie(a.at, a.kind, a.order) < std::tie(b.at, b.kind, b.order);
    });
    QString inside;
    qsizetype at = from;
    for (const Mark& mark : marks) {
        inside += shortened(page.mid(at, mark.at - at)) + mark.text;
        at = mark.at;
    }
    inside += shortened(page.mid(at, from + length - at));
    return (start > 0 ? QStringLiteral("…") : QString()) + oneLine(page.mid(start, from - start)) + QStringLiteral("[") + inside
           + QStringLiteral("]") + oneLine(page.mid(from + length, end - from - length))
           + (end < page.size() ? QStringLiteral("…") : QString());
}

QString explanationText(const PatternExplanation& e, const QString& page)
{
    if (!e.error.isEmpty()) {
        return e.errorPosition >= 0 ? QStringLiteral("motif en erreur, caractère %1 : %2").arg(e.errorPosition + 1).arg(e.error)
                                    : QStringLiteral("motif en erreur : %1").arg(e.error);
    }
    if (e.matches > 0) {
        QString out = pagePosition(page, e.from);
        if (e.matches > 1)
            out += QStringLiteral(" (%1 correspondances, la première)").arg(e.matches);
        return out + QStringLiteral(" : ") + pageExcerpt(page, e.from, e.length, e.kept);
    }
    QString out = QStringLiteral("aucune correspondance dans la page");
    if (e.items < 2)
        return out;
    if (e.itemsMatched == 0)
        return out + QStringLiteral(" ; dès son début, « %1 » n'y figure nulle part").arg(e.failingItem);
    const qsizetype stop = e.partialFrom + e.partialLength;
    out += QStringLiteral(" ; le début « %1 » (%2 éléments sur %3) y correspond").arg(e.matchedPart).arg(e.itemsMatched).arg(e.items);
    if (e.partialMatches > 1)
        out += QStringLiteral(" en %1 endroits").arg(e.partialMatches);
    // A blank item would be invisible between the quotes.
    const QString failing = e.failingItem.trimmed().isEmpty() ? QString(e.failingItem).replace(u' ', u'␠') : e.failingItem;
    return out + QStringLiteral(", mais « %1 » ne suit pas : il s'arrête %2%3 : %4")
                     .arg(failing, e.partialMatches > 1 ? QStringLiteral("au premier, ") : QString(), pagePosition(page, stop),
                          pageExcerpt(page, e.partialFrom, e.partialLength));
}

} // namespace trouvel::wizard
