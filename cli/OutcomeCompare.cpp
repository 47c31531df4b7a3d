#include "OutcomeCompare.h"

#include "text/TerminalText.h"

#include <QJsonArray>
#include <QRegularExpression>

#include <functional>

namespace trouvel::cli {

namespace {

constexpr qsizetype kShown = 100; // longer values are cut in a report line

QString quoted(const QString& text)
{
    const QString shown = text.size() > kShown ? text.left(kShown) + QStringLiteral("…") : text;
    return QStringLiteral("« %1 »").arg(text::escapeControls(shown));
}

QString scalarText(const QJsonValue& value)
{
    if (value.isString())
        return value.toString();
    if (value.isBool())
        return value.toBool() ? QStringLiteral("oui") : QStringLiteral("non");
    if (value.isDouble())
        return QString::number(value.toInteger());
    return {};
}

QString redirectsText(const QJsonValue& value)
{
    QStringList hops;
    for (const QJsonValue& hop : value.toArray())
        hops << QStringLiteral("%1 → %2").arg(hop[QStringLiteral("status")].toInt()).arg(hop[QStringLiteral("to")].toString());
    return hops.isEmpty() ? QStringLiteral("aucune") : hops.join(QStringLiteral(", "));
}

QString candidateText(const QJsonValue& c)
{
    return QStringLiteral("[%1] %2 | %3")
        .arg(c[QStringLiteral("link")].toString(), c[QStringLiteral("desc1")].toString(), c[QStringLiteral("desc2")].toString());
}

struct StepKey {
    const char* key;
    const char* label;
};
constexpr StepKey kStepKeys[] = {
    {"address", "adresse"}, {"code", "code"}, {"http", "statut HTTP"}, {"final", "adresse finale"}, {"status", "état"}};

// The part of the step both comparisons share: status, code, addresses and redirects.
void compareStep(const QString& label, const QJsonObject& before, const QJsonObject& after, bool withStatusText, QStringList& out)
{
    for (const StepKey& k : kStepKeys) {
        const QString key = QLatin1String(k.key);
        if (!withStatusText && (key == QLatin1String("status") || key == QLatin1String("address")))
            continue;
        if (before[key] != after[key])
            out << QStringLiteral("%1, %2 : %3 → %4").arg(label, QString::fromUtf8(k.label), quoted(scalarText(before[key])), quoted(scalarText(after[key])));
    }
    if (before[QStringLiteral("redirects")] != after[QStringLiteral("redirects")])
        out << QStringLiteral("%1, redirections : %2 → %3")
                   .arg(label, redirectsText(before[QStringLiteral("redirects")]), redirectsText(after[QStringLiteral("redirects")]));
}

QJsonObject fieldNamed(const QJsonArray& fields, const QString& name)
{
    for (const QJsonValue& f : fields)
        if (f[QStringLiteral("name")].toString() == name)
            return f.toObject();
    return {};
}

// Fields by name, the recorded ones first: onBoth(name, before, after), onGone, onNew.
void walkFields(const QJsonArray& before, const QJsonArray& after,
                const std::function<void(const QString&, const QJsonObject&, const QJsonObject&)>& onBoth, QStringList& out)
{
    for (const QJsonValue& f : before) {
        const QString name = f[QStringLiteral("name")].toString();
        const QJsonObject now = fieldNamed(after, name);
        if (now.isEmpty())
            out << QStringLiteral("champ « %1 » absent").arg(name);
        else
            onBoth(name, f.toObject(), now);
    }
    for (const QJsonValue& f : after)
        if (fieldNamed(before, f[QStringLiteral("name")].toString()).isEmpty())
            out << QStringLiteral("champ « %1 » nouveau").arg(f[QStringLiteral("name")].toString());
}

} // namespace

QString valueShape(const QString& value)
{
    static const QRegularExpression markup(QStringLiteral("<[A-Za-z/!][^>]*>"));
    static const QRegularExpression year(QStringLiteral("^\\d{4}$"));
    static const QRegularExpression digits(QStringLiteral("^[\\d\\s.,:/-]+$"));
    const QString v = value.trimmed();
    if (v.isEmpty())
        return QStringLiteral("vide");
    if (markup.match(v).hasMatch())
        return QStringLiteral("balises");
    if (year.match(v).hasMatch())
        return QStringLiteral("année");
    if (digits.match(v).hasMatch())
        return QStringLiteral("chiffres");
    return QStringLiteral("texte");
}

QStringList outcomeChanges(const QJsonObject& recorded, const QJsonObject& now)
{
    QStringList out;
    const QJsonObject searchBefore = recorded[QStringLiteral("search")].toObject();
    const QJsonObject searchAfter = now[QStringLiteral("search")].toObject();
    compareStep(QStringLiteral("recherche"), searchBefore, searchAfter, true, out);
    const QJsonArray cBefore = searchBefore[QStringLiteral("candidates")].toArray();
    const QJsonArray cAfter = searchAfter[QStringLiteral("candidates")].toArray();
    for (qsizetype i = 0; i < std::max(cBefore.size(), cAfter.size()); ++i) {
        if (i >= cAfter.size())
            out << QStringLiteral("candidat %1 disparu : %2").arg(i + 1).arg(quoted(candidateText(cBefore[i])));
        else if (i >= cBefore.size())
            out << QStringLiteral("candidat %1 nouveau : %2").arg(i + 1).arg(quoted(candidateText(cAfter[i])));
        else if (cBefore[i] != cAfter[i])
            out << QStringLiteral("candidat %1 : %2 → %3").arg(i + 1).arg(quoted(candidateText(cBefore[i])), quoted(candidateText(cAfter[i])));
    }

    const QJsonValue dBefore = recorded[QStringLiteral("detail")];
    const QJsonValue dAfter = now[QStringLiteral("detail")];
    if (dBefore.isObject() != dAfter.isObject()) {
        out << (dBefore.isObject() ? QStringLiteral("fiche : lue → non lue") : QStringLiteral("fiche : non lue → lue"));
        return out;
    }
    if (!dBefore.isObject())
        return out;
    const QJsonObject before = dBefore.toObject();
    const QJsonObject after = dAfter.toObject();
    compareStep(QStringLiteral("fiche"), before, after, true, out);
    walkFields(before[QStringLiteral("fields")].toArray(), after[QStringLiteral("fields")].toArray(),
               [&out](const QString& name, const QJsonObject& b, const QJsonObject& a) {
                   if (b[QStringLiteral("value")] != a[QStringLiteral("value")])
                       out << QStringLiteral("champ « %1 » : %2 → %3")
                                  .arg(name, quoted(b[QStringLiteral("value")].toString()), quoted(a[QStringLiteral("value")].toString()));
                   if (b[QStringLiteral("ticked")] != a[QStringLiteral("ticked")])
                       out << QStringLiteral("champ « %1 » : %2").arg(name, a[QStringLiteral("ticked")].toBool() ? QStringLiteral("non coché → coché")
                                                                                                       : QStringLiteral("coché → non coché"));
               },
               out);
    const QJsonObject pBefore = before[QStringLiteral("picture")].toObject();
    const QJsonObject pAfter = after[QStringLiteral("picture")].toObject();
    if (pBefore[QStringLiteral("address")] != pAfter[QStringLiteral("address")])
        out << QStringLiteral("image, adresse : %1 → %2")
                   .arg(quoted(pBefore[QStringLiteral("address")].toString()), quoted(pAfter[QStringLiteral("address")].toString()));
    if (pBefore[QStringLiteral("file")] != pAfter[QStringLiteral("file")])
        out << QStringLiteral("image, fichier : %1 → %2")
                   .arg(quoted(pBefore[QStringLiteral("file")].toString()), quoted(pAfter[QStringLiteral("file")].toString()));
    return out;
}

QStringList outcomeDrift(const QJsonObject& recorded, const QJsonObject& live, QStringList* driftedFields)
{
    QStringList out;
    const QJsonObject searchBefore = recorded[QStringLiteral("search")].toObject();
    const QJsonObject searchAfter = live[QStringLiteral("search")].toObject();
    compareStep(QStringLiteral("recherche"), searchBefore, searchAfter, false, out);
    QStringList links;
    for (const QJsonValue& c : searchAfter[QStringLiteral("candidates")].toArray())
        links << c[QStringLiteral("link")].toString();
    for (const QJsonValue& c : searchBefore[QStringLiteral("candidates")].toArray())
        if (!links.contains(c[QStringLiteral("link")].toString()))
            out << QStringLiteral("candidat disparu : %1").arg(quoted(candidateText(c)));

    const QJsonValue dBefore = recorded[QStringLiteral("detail")];
    const QJsonValue dAfter = live[QStringLiteral("detail")];
    if (!dBefore.isObject())
        return out;
    if (!dAfter.isObject()) {
        out << QStringLiteral("fiche non lue");
        return out;
    }
    const QJsonObject before = dBefore.toObject();
    const QJsonObject after = dAfter.toObject();
    compareStep(QStringLiteral("fiche"), before, after, false, out);
    walkFields(before[QStringLiteral("fields")].toArray(), after[QStringLiteral("fields")].toArray(),
               [&out, driftedFields](const QString& name, const QJsonObject& b, const QJsonObject& a) {
                   const QString was = b[QStringLiteral("value")].toString();
                   const QString is = a[QStringLiteral("value")].toString();
                   const QString shapeWas = valueShape(was);
                   const QString shapeIs = valueShape(is);
                   if (shapeWas == shapeIs || shapeWas == QLatin1String("vide"))
                       return;
                   if (driftedFields)
                       *driftedFields << name;
                   if (shapeIs == QLatin1String("vide"))
                       out << QStringLiteral("champ « %1 » vide (était %2)").arg(name, quoted(was));
                   else
                       out << QStringLiteral("champ « %1 » : forme changée (%2 → %3) : %4 → %5").arg(name, shapeWas, shapeIs, quoted(was), quoted(is));
               },
               out);
    const QJsonObject pBefore = before[QStringLiteral("picture")].toObject();
    const QJsonObject pAfter = after[QStringLiteral("picture")].toObject();
    if (!pBefore[QStringLiteral("address")].toString().isEmpty() && pAfter[QStringLiteral("address")].toString().isEmpty())
        out << QStringLiteral("image : plus d'adresse (était %1)").arg(quoted(pBefore[QStringLiteral("address")].toString()));
    else if (!pBefore[QStringLiteral("file")].toString().isEmpty() && pAfter[QStringLiteral("file")].toString().isEmpty())
        out << QStringLiteral("image : non reçue");
    return out;
}

} // namespace trouvel::cli
