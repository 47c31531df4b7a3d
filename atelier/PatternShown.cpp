#include "PatternShown.h"

#include "config/Script.h"

#include <algorithm>

namespace trouvel::atelier {

namespace {

// The group a number key names, from 1; 0 for none.
int keptGroup(const QString& value)
{
    const std::optional<int> index = config::groupIndex(value);
    return index && *index >= 0 ? *index + 1 : 0;
}

} // namespace

PatternShown patternShown(const ScriptEdits& edits, int key)
{
    PatternShown shown;
    const QString& value = edits.value(key);
    switch (edits.keys()[std::size_t(key)].role) {
    case PatternRole::Search:
        // The three groups a candidate is made of.
        for (const PatternRole number : {PatternRole::Link, PatternRole::ShortText, PatternRole::LongText})
            if (const int group = keptGroup(edits.value(edits.indexOf(number))); group > 0)
                shown.kept.push_back(group);
        std::sort(shown.kept.begin(), shown.kept.end());
        shown.kept.erase(std::unique(shown.kept.begin(), shown.kept.end()), shown.kept.end());
        shown.pattern = value;
        break;
    case PatternRole::Link:
    case PatternRole::ShortText:
    case PatternRole::LongText:
        shown.pattern = edits.value(edits.indexOf(PatternRole::Search));
        if (const int group = keptGroup(value); group > 0)
            shown.kept.push_back(group);
        break;
    case PatternRole::Field:
        shown.pattern = config::splitFieldSpec(value).pattern;
        shown.kept = {1};
        shown.onFilmPage = true;
        break;
    case PatternRole::Picture:
        shown.pattern = value;
        shown.kept = {1};
        shown.onFilmPage = true;
        shown.read = wizard::ReadMatch::Last; // the last match names the picture
        break;
    }
    return shown;
}

QString cutWarning(const QString& pattern)
{
    const qsizetype bar = pattern.indexOf(u'|');
    if (bar < 0)
        return {};
    return QStringLiteral("Le motif contient « | » (caractère %1) : l'assistant ne lit que ce qui le précède, « %2 ». "
                          "Pour le caractère « | » lui-même, écrivez \\x7C.")
        .arg(bar + 1)
        .arg(pattern.left(bar));
}

} // namespace trouvel::atelier
