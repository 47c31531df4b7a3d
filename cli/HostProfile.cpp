#include "HostProfile.h"

#include "config/IniFile.h"
#include "net/DownloadWinsock.h"

#include <QDir>
#include <QHostAddress>
#include <QStandardPaths>

namespace trouvel::cli {

QString defaultCadrelleIni()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).filePath(QStringLiteral("Cadrelle.ini"));
}

QString writeProxyProfile(const QString& hostPort, const QString& folder, QString* error)
{
    const qsizetype colon = hostPort.lastIndexOf(QLatin1Char(':'));
    bool ok = false;
    const uint port = colon > 0 ? hostPort.mid(colon + 1).toUInt(&ok) : 0;
    if (!ok || port == 0 || port > 65535) {
        *error = QStringLiteral("--proxy attend HÔTE:PORT, pas « %1 »").arg(hostPort);
        return {};
    }
    const QString path = QDir(folder).filePath(QStringLiteral("Cadrelle.ini"));
    const QString section = QStringLiteral("Internet");
    if (!config::WriteIniString(path, section, QStringLiteral("UseProxy"), QStringLiteral("1"))
        || !config::WriteIniString(path, section, QStringLiteral("HostProxy"), hostPort.left(colon))
        || !config::WriteIniString(path, section, QStringLiteral("PortProxy"), QString::number(port))) {
        *error = QStringLiteral("impossible d'écrire « %1 »").arg(path);
        return {};
    }
    return path;
}

bool isLoopbackAddress(const QString& url)
{
    const auto parts = net::parseAddress(url);
    if (!parts)
        return false;
    QString host = parts->authority.section(QLatin1Char('@'), -1);
    if (host.startsWith(QLatin1Char('[')))
        host = host.mid(1).section(QLatin1Char(']'), 0, 0);
    else
        host = host.section(QLatin1Char(':'), 0, 0);
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace trouvel::cli
