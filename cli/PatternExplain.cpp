#include "PatternExplain.h"

#include "TerminalText.h"

#include "config/IniFile.h"
#include "config/ScriptFile.h"
#include "text/RegExp.h"
#include "text/PageText.h"
#include "text/TextCodec.h"

namespace trouvel::cli {

namespace {

constexpr qsizetype kContext = 30;   // characters shown on each side of a match
constexpr qsizetype kMatchShown = 80; // a longer match is cut in its middle

// Page text on one line: the stored line ends shown as "⏎", other controls escaped.
QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QStringLiteral("⏎"));
    return escapeControls(text);
}

QString excerpt(const QString& page, qsizetype from, qsizetype length)
{
    const qsizetype start = std::max<qsizetype>(0, from - kContext);
    const qsizetype end = std::min(page.size(), from + length + kContext);
    QString match = page.mid(from, length);
    if (match.size() > kMatchShown)
        match = match.left(kMatchShown / 2) + QStringLiteral("…") + match.right(kMatchShown / 2);
    return (start > 0 ? QStringLiteral("…") : QString()) + oneLine(page.mid(start, from - start)) + QStringLiteral("[")
           + oneLine(match) + QStringLiteral("]") + oneLine(page.mid(from + length, end - from - length))
           + (end < page.size() ? QStringLiteral("…") : QString());
}

} // namespace

QString explainMatch(const QString& pattern, const QString& page)
{
    text::RegExp regex;
    regex.Pattern(pattern);
    regex.Global(true);
    regex.Multiline(true);
    regex.IgnoreCase(true);
    try {
        const text::Matches matches = regex.Execute(page);
        if (matches.empty())
            return QStringLiteral("aucune correspondance dans la page");
        const text::Match& first = matches.front();
        const qsizetype lineStart = page.lastIndexOf(QLatin1Char('\n'), first.FirstIndex - 1) + 1;
        const qsizetype line = page.left(first.FirstIndex).count(QLatin1Char('\n')) + 1;
        QString out = QStringLiteral("ligne %1, colonne %2").arg(line).arg(first.FirstIndex - lineStart + 1);
        if (matches.size() > 1)
            out += QStringLiteral(" (%1 correspondances, la première)").arg(matches.size());
        return out + QStringLiteral(" : ") + excerpt(page, first.FirstIndex, first.Length);
    } catch (const text::RegExpError& error) {
        return QStringLiteral("motif en erreur : %1").arg(error.message());
    }
}

QString explainPatterns(const QString& scriptFile, const std::vector<PageFetch>& pages, bool detailRan)
{
    QString out = QStringLiteral("Motifs :\n");
    if (pages.empty())
        return out + QStringLiteral("  aucune page lue\n");
    const auto line = [&out](const QString& label, const QString& pattern, const QString& page) {
        out += QStringLiteral("  %1 : %2\n").arg(label, explainMatch(pattern, page));
    };
    const config::ScriptFile script(scriptFile);
    const QString search = text::decodePage(pages[0].page, script.charset());
    line(QStringLiteral("Recherche (Pattern)"), script.searchPattern(), search);
    if (!detailRan || pages.size() < 2)
        return out;
    const QString detail = text::decodePage(pages[1].page, script.charset());
    const int count = script.fieldCount();
    for (int k = 1; k <= count; ++k) {
        const config::FieldSpec spec = script.field(k);
        const QString label = QStringLiteral("%1 (Match%2)").arg(spec.name).arg(k);
        if (!spec.hasPattern)
            out += QStringLiteral("  %1 : pas de motif\n").arg(label);
        else
            line(label, spec.pattern, detail);
    }
    line(QStringLiteral("Image (PatternImg)"), script.picturePattern(), detail);
    return out;
}

} // namespace trouvel::cli
