// Helpers shared by the network tests.
#pragma once

#include "net/WebSession.h"

#include "net/SocketPageClient.h"
#include "net/LineEnds.h"

#include <QByteArray>
#include <QFile>
#include <QHostAddress>
#include <QStringList>
#include <QTcpServer>

#include <gtest/gtest.h>

namespace trouvel::net::test {

// The connection error message of the client's last fetch, as a list of what would be shown.
inline QStringList connectionMessages(const SocketPageClient& client)
{
    const QString message = connectionErrorMessage(client.lastReport());
    return message.isEmpty() ? QStringList{} : QStringList{message};
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Received bytes as the page client stores them (every LF as CR LF).
inline QByteArray stored(const QByteArray& raw)
{
    QByteArray out;
    appendWithCrLf(out, raw);
    return out;
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// A loopback port nobody listens on: connecting to it is refused.
inline quint16 closedPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

// The five header lines of every POST, as the page client sends them.
inline const QByteArray kPostHeaders =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-powerpoint, "
    "application/vnd.ms-excel, application/msword, */*\r\n"
    "Accept-Language: fr\r\n"
    "Content-Type: application/x-www-form-urlencoded\r\n"
    "Accept-Encoding: gzip, deflate\r\n"
    "User-Agent: Mozilla/4.0 (compatible; MSIE 5.0; Windows 98; DigExt)\r\n";

// What every GET sends after Host, with the client's own User-Agent.
inline QByteArray getHeaders(const QByteArray& userAgent = defaultUserAgent())
{
    return "User-Agent: " + userAgent
           + "\r\nAccept: text/html,application/xhtml+xml,application/json;q=0.9,*/*;q=0.8\r\n"
             "Accept-Language: fr-FR,fr;q=0.9\r\nAccept-Encoding: gzip, deflate\r\n";
}

} // namespace trouvel::net::test
