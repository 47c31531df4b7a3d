#include "ThreadedServer.h"

#include <QEventLoop>
#include <QPointer>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace trouvel::net::bench {

namespace {
QSemaphore* listening = nullptr;
}

ThreadedServer::ThreadedServer(ServerBehaviour behaviour) : behaviour_(std::move(behaviour))
{
    QSemaphore ready;
    listening = &ready;
    start();
    ready.acquire();
    listening = nullptr;
}

ThreadedServer::~ThreadedServer()
{
    quit();
    wait();
}

QString ThreadedServer::url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

void ThreadedServer::run()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    port_ = server.serverPort();
    const ServerBehaviour behaviour = behaviour_;
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server, behaviour] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            socket->setParent(&server);
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, buffer, behaviour] {
                const bool had = buffer->contains("\r\n\r\n");
                *buffer += socket->readAll();
                if (had || !buffer->contains("\r\n\r\n"))
                    return;
                QPointer<QTcpSocket> guard(socket);
                QTimer::singleShot(behaviour.delayMs, Qt::PreciseTimer, socket, [guard, behaviour] {
                    if (!guard)
                        return;
                    guard->write(behaviour.response);
                    if (behaviour.closeAfterMs == 0) {
                        guard->disconnectFromHost();
                        return;
                    }
                    QTimer::singleShot(behaviour.closeAfterMs, Qt::PreciseTimer, guard, [guard] {
                        if (guard)
                            guard->disconnectFromHost();
                    });
                });
            });
        }
    });
    listening->release();
    exec();
}

} // namespace trouvel::net::bench
