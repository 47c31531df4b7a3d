#include "net/NetOptions.h"

namespace trouvel::net {

std::optional<std::uint16_t> parseProxyPort(const QString& text)
{
    bool ok = false;
    const qlonglong port = text.trimmed().toLongLong(&ok);
    if (!ok || port < 0 || port > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(port);
}

QString durationText(int milliseconds)
{
    if (milliseconds < 1000)
        return QStringLiteral("%1 ms").arg(milliseconds);
    if (milliseconds % 1000 == 0)
        return QStringLiteral("%1 s").arg(milliseconds / 1000);
    return QStringLiteral("%1 s").arg(QString::number(milliseconds / 1000.0, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(',')));
}

} // namespace trouvel::net
