#include "HttpStatus.h"

#include <QFile>
#include <QRegularExpression>

namespace trouvel::cli {

HttpStatus parseStatusLine(const QByteArray& response)
{
    const qsizetype end = response.indexOf('\n');
    const QString line = QString::fromLatin1(end < 0 ? response : response.left(end)).trimmed();
    static const QRegularExpression statusLine(QStringLiteral("^HTTP/\\d(?:\\.\\d)? +(\\d{3})(?: +(.*))?$"));
    const QRegularExpressionMatch m = statusLine.match(line);
    HttpStatus status;
    if (m.hasMatch()) {
        status.code = m.captured(1).toInt();
        status.reason = m.captured(2).trimmed();
    }
    return status;
}


} // namespace trouvel::cli
