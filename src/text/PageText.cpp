#include "text/PageText.h"

#include "text/FormCharset.h"
#include "text/StoredPage.h"
#include "text/TextCodec.h"

#include <QStringDecoder>

namespace trouvel::text {

QString pageCharset(const QByteArray& storedPage, const QString& scriptCharset)
{
    const QString declared = declaredCharset(storedPage);
    return declared.isEmpty() ? scriptCharset.trimmed().toLower() : declared;
}

QString decodePage(const QByteArray& storedPage, const QString& scriptCharset)
{
    const QString charset = pageCharset(storedPage, scriptCharset);
    if (charset.isEmpty() || charset == QLatin1String("utf-8") || charset == QLatin1String("utf8"))
        return decodeText(storedPage);
    QStringDecoder decoder(pageConverterName(charset).constData());
    if (!decoder.isValid())
        return decodeText(storedPage);
    const qsizetype bodyAt = finalHead(storedPage).bodyAt;
    QString text = decodeText(QByteArray::fromRawData(storedPage.constData(), bodyAt));
    text += decoder(QByteArrayView(storedPage).sliced(bodyAt));
    return text;
}

} // namespace trouvel::text
