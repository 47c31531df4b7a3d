#include "ScriptPatterns.h"

#include "common/BoundedRead.h"
#include "common/WholeFile.h"
#include "config/FileContentCache.h"
#include "config/IniFile.h"
#include "config/Script.h"
#include "config/ScriptFile.h"

#include <algorithm>

namespace trouvel::atelier {

namespace {

const QString kSearchPage = QStringLiteral("SearchPage");
const QString kFilmPage = QStringLiteral("FilmPage");

} // namespace

std::vector<PatternKey> patternKeys(const QString& path)
{
    const QByteArray content = readRegularFile(path, config::kMaxScriptBytes).bytes.value_or(QByteArray());
    const auto read = [&](PatternRole role, const QString& section, const QString& key, int field = 0,
                          const QString& absent = {}) {
        return PatternKey{role, section, key, field, config::iniLookup(content, section, key, absent)};
    };
    std::vector<PatternKey> keys{
        read(PatternRole::Search, kSearchPage, QStringLiteral("Pattern")),
        read(PatternRole::Link, kSearchPage, QStringLiteral("Link")),
        read(PatternRole::ShortText, kSearchPage, QStringLiteral("ShortText")),
        read(PatternRole::LongText, kSearchPage, QStringLiteral("LongText")),
    };
    // As many rows as the wizard shows.
    const int count = std::min(config::ScriptFile(path).fieldCount(), config::ScriptFile::kMaxFieldCount);
    for (int k = 1; k <= count; ++k)
        keys.push_back(read(PatternRole::Field, kFilmPage, QStringLiteral("Match%1").arg(k), k, config::ScriptFile::kAbsentField));
    keys.push_back(read(PatternRole::Picture, kFilmPage, QStringLiteral("PatternImg")));
    return keys;
}

FieldParts fieldParts(const QString& value)
{
    const qsizetype bar = value.indexOf(u'|');
    if (bar < 0)
        return {value, {}, false};
    return {value.left(bar), value.mid(bar + 1), true};
}

QString fieldValue(const QString& name, const QString& pattern, bool bar)
{
    if (!bar && pattern.isEmpty())
        return name;
    return name + u'|' + pattern;
}

ScriptEdits::ScriptEdits(std::vector<PatternKey> keys) : keys_(std::move(keys))
{
    for (const PatternKey& key : keys_)
        values_.push_back(key.stored);
}

int ScriptEdits::changedCount() const
{
    int n = 0;
    for (int i = 0; i < size(); ++i)
        n += changed(i) ? 1 : 0;
    return n;
}

int ScriptEdits::indexOf(PatternRole role) const
{
    for (int i = 0; i < size(); ++i)
        if (keys_[std::size_t(i)].role == role)
            return i;
    return -1;
}

int ScriptEdits::indexOfField(int field) const
{
    for (int i = 0; i < size(); ++i)
        if (keys_[std::size_t(i)].role == PatternRole::Field && keys_[std::size_t(i)].field == field)
            return i;
    return -1;
}

QByteArray ScriptEdits::applyTo(const QByteArray& content) const
{
    QByteArray out = content;
    for (int i = 0; i < size(); ++i)
        if (changed(i))
            out = config::iniUpdate(out, keys_[std::size_t(i)].section, keys_[std::size_t(i)].key, value(i));
    return out;
}

void ScriptEdits::markSaved()
{
    for (int i = 0; i < size(); ++i)
        keys_[std::size_t(i)].stored = values_[std::size_t(i)];
}

QString saveEdits(const QString& path, ScriptEdits& edits)
{
    for (int i = 0; i < edits.size(); ++i) {
        const PatternKey& key = edits.keys()[std::size_t(i)];
        if (edits.changed(i) && !config::iniCanStore(key.section, key.key, edits.value(i)))
            return QStringLiteral("%1 ne peut pas être enregistré tel quel (saut de ligne ou caractère invalide)").arg(key.key);
    }
    if (edits.changedCount() == 0)
        return {};
    // The file as it is now, so that lines changed elsewhere meanwhile stay as they are.
    const FileRead current = readRegularFile(path, config::kMaxScriptBytes);
    if (!current.bytes)
        return QStringLiteral("Lecture impossible : %1").arg(current.problem);
    const QByteArray updated = edits.applyTo(*current.bytes);
    if (updated != *current.bytes) {
        const QString reason = writeWholeFile(path, updated);
        config::forgetFileContent(path);
        if (!reason.isEmpty())
            return reason;
    }
    edits.markSaved();
    return {};
}

} // namespace trouvel::atelier
