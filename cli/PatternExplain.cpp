#include "PatternExplain.h"

#include "config/ScriptFile.h"
#include "text/PageText.h"
#include "wizard/PatternExplanation.h"

#include <algorithm>

namespace trouvel::cli {

namespace {

// The groups a search keeps: Link, ShortText and LongText, from 1.
std::vector<int> searchGroups(const config::ScriptFile& script)
{
    std::vector<int> groups;
    for (const int index : {script.linkGroup(), script.shortTextGroup(), script.longTextGroup()}) {
        if (index >= 0 && std::find(groups.begin(), groups.end(), index + 1) == groups.end())
            groups.push_back(index + 1);
    }
    std::sort(groups.begin(), groups.end());
    return groups;
}

} // namespace

QString explainPatterns(const QString& scriptFile, const std::vector<PageFetch>& pages, bool detailRan)
{
    QString out = QStringLiteral("Motifs :\n");
    if (pages.empty())
        return out + QStringLiteral("  aucune page lue\n");
    const auto line = [&out](const QString& label, const QString& pattern, const QString& page, const std::vector<int>& kept,
                             wizard::ReadMatch read = wizard::ReadMatch::First) {
        out += QStringLiteral("  %1 : %2\n").arg(label, wizard::explanationText(wizard::explainPattern(pattern, page, kept, read), page));
    };
    const config::ScriptFile script(scriptFile);
    const QString search = text::decodePage(pages[0].page, script.charset());
    line(QStringLiteral("Recherche (Pattern)"), script.searchPattern(), search, searchGroups(script));
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
            line(label, spec.pattern, detail, {1});
        const QStringList fallbacks = script.fieldFallbacks(k);
        for (qsizetype m = 0; m < fallbacks.size(); ++m)
            line(QStringLiteral("%1 (Match%2.%3)").arg(spec.name).arg(k).arg(m + 2), fallbacks[m], detail, {1});
    }
    line(QStringLiteral("Image (PatternImg)"), script.picturePattern(), detail, {1}, wizard::ReadMatch::Last);
    return out;
}

QStringList explainFieldDrift(const QString& scriptFile, const QString& fieldName, const QByteArray& recordedPage,
                              const QByteArray& livePage)
{
    const config::ScriptFile script(scriptFile);
    const int k = script.fieldNames().indexOf(fieldName) + 1;
    if (k == 0)
        return {};
    const QString pattern = script.field(k).pattern;
    const auto explained = [&](const QByteArray& stored) {
        const QString page = text::decodePage(stored, script.charset());
        return wizard::explanationText(wizard::explainPattern(pattern, page, {1}), page);
    };
    return {QStringLiteral("enregistré : %1").arg(explained(recordedPage)), QStringLiteral("en direct  : %1").arg(explained(livePage))};
}

} // namespace trouvel::cli
