#include "config/ScriptFile.h"

#include "config/Convert.h"
#include "config/FileContentCache.h"
#include "config/IniFile.h"

#include <QStringList>

#include <algorithm>

namespace trouvel::config {

namespace {

const QString kOptions = QStringLiteral("Options");
const QString kSearchPage = QStringLiteral("SearchPage");
const QString kFilmPage = QStringLiteral("FilmPage");
const QString kImgPage = QStringLiteral("ImgPage");
const QString kUrl = QStringLiteral("Url");

} // namespace

ScriptFile::ScriptFile(QString path)
    : path_(std::move(path))
{
}

QString ScriptFile::read(const QString& section, const QString& key, const QString& absent) const
{
    return ReadIniString(path_, section, key, absent);
}

QString ScriptFile::methodText() const
{
    return read(kOptions, QStringLiteral("Methode"), QStringLiteral("0"));
}

bool ScriptFile::usesPost() const
{
    return IniFlag(methodText());
}

QString ScriptFile::httpVersionText() const
{
    return read(kOptions, QStringLiteral("HTTP"), QStringLiteral("0"));
}

QString ScriptFile::userAgent() const
{
    return read(kOptions, QStringLiteral("UserAgent")).trimmed();
}

QString ScriptFile::charset() const
{
    return read(kOptions, QStringLiteral("Charset")).trimmed();
}

QString ScriptFile::searchUrl(const QString& title) const
{
    return fillTemplate(read(kSearchPage, kUrl), title);
}

QString ScriptFile::searchPattern() const
{
    return read(kSearchPage, QStringLiteral("Pattern"));
}

int ScriptFile::linkGroup() const
{
    return groupIndex(read(kSearchPage, QStringLiteral("Link"), QStringLiteral("-1"))).value_or(-1);
}

int ScriptFile::shortTextGroup() const
{
    return groupIndex(read(kSearchPage, QStringLiteral("ShortText"), QStringLiteral("-1"))).value_or(-1);
}

int ScriptFile::longTextGroup() const
{
    return groupIndex(read(kSearchPage, QStringLiteral("LongText"), QStringLiteral("-1"))).value_or(-1);
}

QString ScriptFile::detailUrl(const QString& link) const
{
    return fillTemplate(read(kFilmPage, kUrl), link);
}

std::optional<QString> ScriptFile::filmLinkOf(const QString& address) const
{
    return templateText(read(kFilmPage, kUrl), address);
}

bool ScriptFile::isSearchAddress(const QString& address) const
{
    return templateText(read(kSearchPage, kUrl), address).has_value();
}

QString ScriptFile::fieldCountText() const
{
    return read(kFilmPage, QStringLiteral("Count"), QStringLiteral("0"));
}

int ScriptFile::fieldCount() const
{
    return std::max<int>(tryToInt16(fieldCountText()).value_or(0), 0);
}

QString ScriptFile::fieldText(int k, const QString& absent) const
{
    return read(kFilmPage, QStringLiteral("Match%1").arg(k), absent);
}

QString ScriptFile::fieldText(const QString& number, const QString& absent) const
{
    return read(kFilmPage, QStringLiteral("Match") + number, absent);
}

QStringList ScriptFile::fieldFallbacks(int k) const
{
    QStringList patterns;
    for (int m = 2; m <= kMaxAlternatives; ++m) {
        const QString key = QStringLiteral("Match%1.%2").arg(k).arg(m);
        // A missing key and an empty one differ: only a missing one ends the list.
        const QString pattern = read(kFilmPage, key, QStringLiteral("\n"));
        if (pattern == QLatin1String("\n"))
            break;
        patterns << pattern;
    }
    return patterns;
}

std::optional<QString> ScriptFile::joinSeparator(int k) const
{
    const std::optional<QByteArray> content = fileContent(path_);
    if (!content)
        return std::nullopt;
    return iniValueAsWritten(*content, kFilmPage, QStringLiteral("Join%1").arg(k));
}

QStringList ScriptFile::fieldNames() const
{
    QStringList names;
    const int count = std::min(fieldCount(), kMaxFieldCount);
    for (int k = 1; k <= count; ++k)
        names << field(k).name;
    return names;
}

bool ScriptFile::searchUnescapesJson() const
{
    return read(kSearchPage, QStringLiteral("Unescape")).trimmed().compare(QLatin1String("json"), Qt::CaseInsensitive) == 0;
}

bool ScriptFile::filmUnescapesJson() const
{
    return read(kFilmPage, QStringLiteral("Unescape")).trimmed().compare(QLatin1String("json"), Qt::CaseInsensitive) == 0;
}

QString ScriptFile::picturePattern() const
{
    return read(kFilmPage, QStringLiteral("PatternImg"));
}

QString ScriptFile::pictureUrl(const QString& found) const
{
    return fillTemplate(read(kImgPage, kUrl), found);
}

} // namespace trouvel::config
