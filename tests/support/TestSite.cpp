#include "support/TestSite.h"

#include <QTcpSocket>

namespace trouvel::wizard::test {

TestSite::TestSite()
{
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QString TestSite::base() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort());
}

void TestSite::page(const QByteArray& path, const QByteArray& body, int status)
{
    pages_.insert(path, {status, body});
}

void TestSite::pageFunction(const QByteArray& prefix, std::function<QByteArray(const QByteArray&)> body)
{
    functions_.append({prefix, std::move(body)});
}

void TestSite::redirect(const QByteArray& path, const QByteArray& location, int status)
{
    redirects_.insert(path, {status, location});
}

void TestSite::hold(const QByteArray& path, std::function<void()> onHeld)
{
    held_.insert(path, std::move(onHeld));
}

void TestSite::answerOnce(const QByteArray& path, const QByteArray& response)
{
    once_.insert(path, response);
}

void TestSite::serve(QTcpSocket* socket)
{
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n") || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    const QByteArray line = request.left(request.indexOf("\r\n"));
    requestLines.append(line);
    const QList<QByteArray> parts = line.split(' ');
    const QByteArray path = parts.size() > 1 ? parts.at(1) : QByteArray();

    if (auto held = held_.find(path); held != held_.end()) {
        if (auto onHeld = held.value())
            onHeld();
        return; // no answer: the client waits until it stops or the socket closes
    }
    if (const QByteArray once = once_.take(path); !once.isEmpty()) {
        socket->write(once);
        socket->disconnectFromHost();
        return;
    }
    if (auto found = redirects_.find(path); found != redirects_.end()) {
        socket->write("HTTP/1.0 " + QByteArray::number(found->first) + " Moved\r\nLocation: " + found->second
                      + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        socket->disconnectFromHost();
        return;
    }
    int status = 404;
    QByteArray body = "not found";
    if (auto found = pages_.find(path); found != pages_.end()) {
        status = found->first;
        body = found->second;
    } else {
        for (const auto& [prefix, function] : functions_) {
            if (path.startsWith(prefix)) {
                status = 200;
                body = function(path);
                break;
            }
        }
    }
    const QByteArray reason = status == 200 ? "OK" : "Not Found";
    socket->write("HTTP/1.0 " + QByteArray::number(status) + " " + reason + "\r\nContent-Type: text/html\r\n"
                  "Connection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}

} // namespace trouvel::wizard::test
