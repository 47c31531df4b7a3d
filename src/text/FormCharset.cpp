#include "text/FormCharset.h"

#include "text/StoredPage.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

namespace trouvel::text {

namespace {

// The WHATWG reading of the Latin-1 labels: what browsers encode a form with.
QByteArray converterName(const QString& charset)
{
    const QString name = charset.trimmed().toLower();
    if (name == QLatin1String("iso-8859-1") || name == QLatin1String("iso8859-1") || name == QLatin1String("latin1")
        || name == QLatin1String("l1") || name == QLatin1String("us-ascii") || name == QLatin1String("ascii"))
        return QByteArrayLiteral("windows-1252");
    return name.toLatin1();
}

bool isUnicodeCharset(const QString& charset)
{
    const QString name = charset.trimmed().toLower();
    return name.startsWith(QLatin1String("utf")) || name.startsWith(QLatin1String("ucs"));
}

void appendPercent(QString& out, QByteArrayView bytes)
{
    static const char kHex[] = "0123456789ABCDEF";
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        out += QLatin1Char('%');
        out += QLatin1Char(kHex[c >> 4]);
        out += QLatin1Char(kHex[c & 15]);
    }
}

bool isTokenChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
        || c == ':' || c == '.' || c == '+';
}

// The value after "charset=" in text, or empty.
QString charsetParameter(QByteArrayView text)
{
    const QByteArray lower = text.toByteArray().toLower();
    qsizetype at = lower.indexOf("charset");
    while (at >= 0) {
        qsizetype p = at + 7;
        while (p < lower.size() && (lower[p] == ' ' || lower[p] == '\t'))
            ++p;
        if (p < lower.size() && lower[p] == '=') {
            ++p;
            while (p < lower.size() && (lower[p] == ' ' || lower[p] == '\t' || lower[p] == '"' || lower[p] == '\''))
                ++p;
            const qsizetype start = p;
            while (p < lower.size() && isTokenChar(lower[p]))
                ++p;
            if (p > start)
                return QString::fromLatin1(lower.sliced(start, p - start));
        }
        at = lower.indexOf("charset", at + 7);
    }
    return {};
}

} // namespace

QString charsetProblem(const QString& name)
{
    if (QStringEncoder(converterName(name).constData()).isValid())
        return {};
    return QStringLiteral("le jeu de caractères « %1 » est inconnu (par exemple : utf-8, iso-8859-1, windows-1252)").arg(name);
}

bool isSingleByteCharset(const QString& name)
{
    if (name.isEmpty() || isUnicodeCharset(name))
        return false;
    QStringDecoder decoder(converterName(name).constData());
    if (!decoder.isValid())
        return false;
    // Every byte of the upper half on its own a character: no lead bytes, no shift states.
    QByteArray upper;
    for (int b = 0x80; b <= 0xFF; ++b)
        upper += char(b);
    const QString decoded = decoder(upper);
    return decoded.size() == upper.size();
}

QString formEncoded(const QString& text, const QString& charset)
{
    QStringEncoder encoder(converterName(charset.isEmpty() ? QStringLiteral("utf-8") : charset).constData());
    QStringDecoder decoder(converterName(charset.isEmpty() ? QStringLiteral("utf-8") : charset).constData());
    const bool recode = !charset.isEmpty() && encoder.isValid() && decoder.isValid();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const char32_t code = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()
                                  ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1))
                                  : text.at(i).unicode();
        const qsizetype length = code > 0xFFFF ? 2 : 1;
        const QStringView character = QStringView(text).sliced(i, length);
        i += length;
        // What would end the value or the query, or start an escape, is sent as itself.
        if (code < 0x80 && QStringView(u"&#+%=?").contains(QChar(code))) {
            out += QStringLiteral("%%1").arg(quint32(code), 2, 16, QLatin1Char('0')).toUpper();
            continue;
        }
        if (code < 0x80 || !recode) {
            out += character;
            continue;
        }
        const QByteArray bytes = encoder(character);
        // A character the charset lacks comes out as a substitute; a browser sends "&#N;".
        if (!encoder.hasError() && QString(decoder(bytes)) == character)
            appendPercent(out, bytes);
        else
            out += QStringLiteral("%26%23") + QString::number(quint32(code)) + QStringLiteral("%3B");
        encoder.resetState();
        decoder.resetState();
    }
    return out;
}

QByteArray pageConverterName(const QString& charset)
{
    return converterName(charset);
}

QString declaredCharset(const QByteArray& storedPage)
{
    const StoredHead head = finalHead(storedPage);
    if (!head.complete)
        return {};
    const QByteArray type = headerValue(head, "content-type").toLower();
    if (const QString found = charsetParameter(type); !found.isEmpty())
        return found;
    const qsizetype at = head.bodyAt;
    const QByteArrayView body = QByteArrayView(storedPage).sliced(at);
    if (body.startsWith("\xEF\xBB\xBF"))
        return QStringLiteral("utf-8");
    if (body.startsWith("\xFE\xFF"))
        return QStringLiteral("utf-16be");
    if (body.startsWith("\xFF\xFE"))
        return QStringLiteral("utf-16le");
    // As browsers do, only the top of the body is looked at for a <meta>.
    constexpr qsizetype kMetaWindow = 1024;
    const QByteArray top = storedPage.sliced(at, std::min(kMetaWindow, storedPage.size() - at)).toLower();
    qsizetype meta = top.indexOf("<meta");
    while (meta >= 0) {
        const qsizetype close = top.indexOf('>', meta);
        const QByteArrayView tag = QByteArrayView(top).sliced(meta, (close < 0 ? top.size() : close) - meta);
        if (const QString found = charsetParameter(tag); !found.isEmpty())
            return found;
        meta = top.indexOf("<meta", meta + 5);
    }
    return {};
}

} // namespace trouvel::text
