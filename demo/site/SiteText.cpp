#include "SiteText.h"

#include "text/TextCodec.h"

namespace trouvel::demo {

QHash<QString, QString> parseForm(const QByteArray& data)
{
    QHash<QString, QString> form;
    for (const QByteArray& pair : data.split('&')) {
        if (pair.isEmpty())
            continue;
        const qsizetype eq = pair.indexOf('=');
        QByteArray name = eq < 0 ? pair : pair.left(eq);
        QByteArray value = eq < 0 ? QByteArray() : pair.mid(eq + 1);
        name.replace('+', ' ');
        value.replace('+', ' ');
        const QString key = text::decodeText(QByteArray::fromPercentEncoding(name));
        if (!form.contains(key))
            form.insert(key, text::decodeText(QByteArray::fromPercentEncoding(value)));
    }
    return form;
}

QString searchKey(const QString& text)
{
    QString folded = text;
    folded.replace(QChar(0x0153), QLatin1String("oe")).replace(QChar(0x0152), QLatin1String("OE"));
    folded.replace(QChar(0x00E6), QLatin1String("ae")).replace(QChar(0x00C6), QLatin1String("AE"));
    folded = folded.normalized(QString::NormalizationForm_KD).toCaseFolded();
    QString key;
    key.reserve(folded.size());
    bool blank = true; // no blank at the start
    for (const QChar c : folded) {
        if (c.isMark())
            continue;
        if (c.isLetterOrNumber()) {
            key += c;
            blank = false;
        } else if (!blank) {
            key += QLatin1Char(' ');
            blank = true;
        }
    }
    if (key.endsWith(QLatin1Char(' ')))
        key.chop(1);
    return key;
}

QString htmlEscape(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '&': out += QLatin1String("&amp;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        default: out += c;
        }
    }
    return out;
}

QString htmlEntities(const QString& text)
{
    static const QHash<QChar, QLatin1String> entities = {
        {QChar(0x00E0), QLatin1String("&agrave;")}, {QChar(0x00E2), QLatin1String("&acirc;")},
        {QChar(0x00E7), QLatin1String("&ccedil;")}, {QChar(0x00E9), QLatin1String("&eacute;")},
        {QChar(0x00E8), QLatin1String("&egrave;")}, {QChar(0x00EA), QLatin1String("&ecirc;")},
        {QChar(0x00EB), QLatin1String("&euml;")},   {QChar(0x00EE), QLatin1String("&icirc;")},
        {QChar(0x00EF), QLatin1String("&iuml;")},   {QChar(0x00F4), QLatin1String("&ocirc;")},
        {QChar(0x00F9), QLatin1String("&ugrave;")}, {QChar(0x00A0), QLatin1String("&nbsp;")},
    };
    const QString escaped = htmlEscape(text);
    QString out;
    out.reserve(escaped.size() + 16);
    for (const QChar c : escaped) {
        const auto it = entities.constFind(c);
        if (it != entities.constEnd())
            out += *it;
        else
            out += c;
    }
    return out;
}

} // namespace trouvel::demo
