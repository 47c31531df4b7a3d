#include "wizard/Extraction.h"

#include "text/CharacterReferences.h"
#include "text/JsonText.h"
#include "text/TextCleanup.h"

#include <QRegularExpression>
#include <QUrl>

namespace trouvel::wizard {

namespace {

// What a reader of the page sees of a captured fragment: the tag and blank cleanup, then
// every character reference it left ("Tom &amp; Lola", "L&#039;Été").
QString readable(text::RegExp& tagPattern, const QString& captured, bool json)
{
    return text::decodeCharacterReferences(text::stripTag(tagPattern, json ? text::jsonUnescaped(captured) : captured));
}

// An address cut out of the page, as a browser reads it from an attribute (or a JSON string).
QString address(const QString& captured, bool json)
{
    return text::decodeCharacterReferences(json ? text::jsonUnescaped(captured) : captured, text::ReferenceContext::Attribute);
}

// What one match of a field gives: its group 1 as a reader sees it. A pattern without a
// capture group gives nothing.
QString fieldText(const text::Match& match, text::RegExp& tagPattern, bool json)
{
    return match.SubMatchesCount() > 0 ? readable(tagPattern, match.SubMatches(0), json) : QString();
}

// Every match's text, in page order, the empty ones and repeats left out.
QString joined(const text::Matches& matches, const QString& separator, text::RegExp& tagPattern, bool json)
{
    QStringList values;
    for (const text::Match& match : matches) {
        const QString value = fieldText(match, tagPattern, json);
        if (!value.isEmpty() && !values.contains(value))
            values << value;
        if (values.size() == kMaxJoined)
            break;
    }
    return values.join(separator);
}

// The field from the first of its patterns that gives a value. A pattern that matches with an
// empty value still ticks the field when no later one gives more, as a single pattern does.
FieldExtraction fieldValue(const QString& page, const QStringList& patterns, const std::optional<QString>& joinWith,
                           text::RegExp& regex, text::RegExp& tagPattern, bool json)
{
    std::optional<FieldExtraction> matchedEmpty;
    QString why;
    for (const QString& pattern : patterns) {
        try {
            regex.Pattern(pattern);
            if (!regex.Test(page))
                continue;
            const text::Matches matches = regex.Execute(page);
            FieldExtraction field;
            if (!matches.empty())
                field.value = joinWith ? joined(matches, *joinWith, tagPattern, json) : fieldText(matches.front(), tagPattern, json);
            if (!field.value.isEmpty())
                return field;
            if (!matchedEmpty)
                matchedEmpty = field;
        } catch (const text::MatchInterrupted&) {
            throw;
        } catch (const text::RegExpError& error) {
            if (why.isEmpty())
                why = QStringLiteral("Motif \"%1\" : %2").arg(pattern, error.message());
        }
    }
    if (matchedEmpty)
        return *matchedEmpty;
    return FieldExtraction{{}, false, why};
}

} // namespace

QString pageOwnTitle(const QString& page, text::RegExp& tagPattern)
{
    // The attributes in either order; the site's name is usually not in og:title.
    static const QRegularExpression ogTitle(
        QStringLiteral("<meta\\s(?=[^>]*\\bproperty\\s*=\\s*[\"']og:title[\"'])[^>]*\\bcontent\\s*=\\s*(\"([^\"]*)\"|'([^']*)')"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression title(QStringLiteral("<title[^>]*>([\\s\\S]*?)</title>"), QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = ogTitle.match(page); m.hasMatch()) {
        const QString value = m.captured(2).isNull() ? m.captured(3) : m.captured(2);
        if (!value.trimmed().isEmpty())
            return readable(tagPattern, value, false);
    }
    if (const QRegularExpressionMatch m = title.match(page); m.hasMatch())
        return readable(tagPattern, m.captured(1), false);
    return {};
}

text::RegExp stepPattern(const QString& pattern, KeepGoing keepGoing)
{
    text::RegExp regex;
    regex.keepGoing(std::move(keepGoing));
    regex.Pattern(pattern);
    regex.Global(true);
    regex.Multiline(true);
    regex.IgnoreCase(true);
    return regex;
}

CandidateExtraction extractCandidates(const QString& page, const config::ScriptFile& script, text::RegExp& tagPattern,
                                      KeepGoing keepGoing, bool json)
{
    CandidateExtraction result;
    text::RegExp regex = stepPattern(script.searchPattern(), std::move(keepGoing));
    try {
        if (!regex.Test(page))
            return result;
        for (const text::Match& match : regex.Execute(page)) {
            Candidate row;
            // The group numbers are read for every match, as the page is cut.
            const int link = script.linkGroup();
            const int shortText = script.shortTextGroup();
            const int longText = script.longTextGroup();
            // A group the pattern does not have leaves its cell empty.
            if (link >= 0 && link < match.SubMatchesCount())
                row.link = address(match.SubMatches(link), json);
            if (shortText >= 0 && shortText < match.SubMatchesCount())
                row.desc1 = readable(tagPattern, match.SubMatches(shortText), json);
            if (longText >= 0 && longText < match.SubMatchesCount())
                row.desc2 = readable(tagPattern, match.SubMatches(longText), json);
            result.candidates.push_back(std::move(row));
        }
    } catch (const text::MatchInterrupted&) {
        result.stopped = true;
    } catch (const text::RegExpError& error) {
        // An invalid pattern or a match that gave up adds no (further) candidate.
        result.error = error.message();
    }
    return result;
}

FieldsExtraction extractFields(const QString& page, const config::ScriptFile& script, int rowLimit,
                               text::RegExp& tagPattern, KeepGoing keepGoing, bool json)
{
    FieldsExtraction result;
    result.rows = std::min(script.fieldCount(), rowLimit);
    text::RegExp regex = stepPattern(QString(), std::move(keepGoing));
    for (int k = 1; k <= result.rows; ++k) {
        const config::FieldSpec spec = script.field(k);
        FieldExtraction field;
        if (!spec.hasPattern) {
            field.ticked = false;
            field.why = QStringLiteral("Pas de motif : la valeur de \"Match%1\" ne contient pas de \"|\"").arg(k);
            result.fields.push_back(field);
            continue;
        }
        try {
            field = fieldValue(page, QStringList{spec.pattern} + script.fieldFallbacks(k), script.joinSeparator(k), regex, tagPattern, json);
        } catch (const text::MatchInterrupted&) {
            result.stopped = true;
            return result;
        }
        result.fields.push_back(field);
    }
    return result;
}

PictureAddress resolvePictureAddress(const QString& filled, const QString& pageAddress)
{
    const QString address = filled.trimmed();
    if (address.startsWith(QLatin1String("data:"), Qt::CaseInsensitive))
        return {{}, QStringLiteral("l'image est une adresse data: (incluse dans la page, souvent une image d'attente "
                                   "avant le chargement de la vraie) : le motif PatternImg doit viser la vraie adresse"),
                false};
    const QUrl url(address);
    if (address.isEmpty() || pageAddress.isEmpty() || !url.scheme().isEmpty())
        return {address, {}, false};
    return {QUrl(pageAddress).resolved(url).toString(QUrl::FullyEncoded), {}, false};
}

PictureAddress extractPictureAddress(const QString& page, const config::ScriptFile& script, KeepGoing keepGoing,
                                     const QString& pageAddress, bool json)
{
    PictureAddress result;
    try {
        text::RegExp regex = stepPattern(script.picturePattern(), std::move(keepGoing));
        if (regex.Test(page)) {
            // The last match names the picture.
            for (const text::Match& match : regex.Execute(page)) {
                if (match.SubMatchesCount() > 0)
                    result.address = script.pictureUrl(address(match.SubMatches(0), json));
            }
            const PictureAddress resolved = resolvePictureAddress(result.address, pageAddress);
            result.address = resolved.address;
            result.error = resolved.error;
        }
    } catch (const text::MatchInterrupted&) {
        result.stopped = true;
    } catch (const text::RegExpError& error) {
        result.address.clear();
        result.error = QStringLiteral("PatternImg : %1").arg(error.message());
    }
    return result;
}

} // namespace trouvel::wizard
