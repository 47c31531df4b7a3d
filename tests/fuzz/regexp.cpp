// The regular-expression service: any pattern, any subject, every combination of options.
// Input: one byte of options, the pattern up to the first NUL byte, then the subject.
// An invalid pattern or a match that gives up is an error, which is fine; a crash, a hang or
// a match that does not describe the subject is not. A small subject is matched by the
// interpreter on a pattern's first walks and by the JIT later: both must find the same.
#include "FuzzCheck.h"

#include "text/RegExp.h"
#include "text/TextCodec.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace trouvel::text;

namespace {


bool sameMatches(const Matches& a, const Matches& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].FirstIndex != b[i].FirstIndex || a[i].Length != b[i].Length || a[i].SubMatchesCount() != b[i].SubMatchesCount())
            return false;
        for (qsizetype j = 0; j < a[i].SubMatchesCount(); ++j)
            if (a[i].SubMatches(j) != b[i].SubMatches(j))
                return false;
    }
    return true;
}

void checkMatches(const Matches& matches, const QString& subject)
{
    qsizetype previousEnd = 0;
    for (const Match& m : matches) {
        check(m.FirstIndex >= 0 && m.Length >= 0 && m.FirstIndex + m.Length <= subject.size(), "match outside the subject");
        check(m.Value == subject.mid(m.FirstIndex, m.Length), "match value is not the subject's text");
        check(m.FirstIndex >= previousEnd, "matches overlap or go backwards");
        previousEnd = m.FirstIndex + m.Length;
        for (qsizetype j = 0; j < m.SubMatchesCount(); ++j)
            (void)m.SubMatches(j);
        bool threw = false;
        try {
            (void)m.SubMatches(m.SubMatchesCount());
        } catch (const RegExpError&) {
            threw = true;
        }
        check(threw, "sub-match beyond the last group did not raise an error");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const std::uint8_t options = data[0];
    const QByteArray rest(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const qsizetype nul = rest.indexOf('\0');
    const QString pattern = decodeText(nul < 0 ? rest : rest.left(nul));
    const QString subject = decodeText(nul < 0 ? QByteArray() : rest.mid(nul + 1));

    RegExp re;
    re.Pattern(pattern);
    re.Global(options & 1);
    re.IgnoreCase(options & 2);
    re.Multiline(options & 4);
    try {
        re.compile();
    } catch (const RegExpError&) {
        return 0;
    }
    try {
        const bool found = re.Test(subject);
        const Matches matches = re.Execute(subject);
        check(found == !matches.empty(), "Test and Execute disagree");
        check(re.Global() || matches.size() <= 1, "more than one match without Global");
        checkMatches(matches, subject);
        const QString replaced = re.Replace(subject, QStringLiteral("<>"));
        if (matches.empty())
            check(replaced == subject, "Replace changed a subject without matches");
        // Past its first walks (16) the pattern is matched by the JIT, where it can run it.
        // Walks over the empty string cost nothing, even for a pattern that backtracks hard.
        for (int walk = 0; walk < 16; ++walk)
            (void)re.Test(QString());
        check(sameMatches(re.Execute(subject), matches), "the JIT and the interpreter disagree");
    } catch (const RegExpError&) {
        // Backtracking limits reached: reported, not hung.
    }
    return 0;
}
