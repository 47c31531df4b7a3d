#include "DemoSite.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace trouvel::demo {

namespace {

// One client connection: reads requests as they arrive and answers them in order.
class Connection : public QObject {
public:
    Connection(QTcpSocket* socket, SiteContent& content, int idleTimeoutMs, std::function<void(const HttpRequest&, int)> served)
        : QObject(socket), socket_(socket), content_(content), served_(std::move(served))
    {
        idle_.setSingleShot(true);
        idle_.setInterval(idleTimeoutMs);
        connect(&idle_, &QTimer::timeout, socket_, [this] { socket_->abort(); });
        connect(socket_, &QTcpSocket::readyRead, this, [this] { onReadyRead(); });
        connect(socket_, &QTcpSocket::disconnected, socket_, &QObject::deleteLater);
        idle_.start();
    }

private:
    void onReadyRead()
    {
        if (closing_) {
            socket_->readAll();
            return;
        }
        buffer_ += socket_->readAll();
        idle_.start();
        for (;;) {
            HttpRequest request;
            const ParseResult result = takeRequest(buffer_, request);
            if (result.status == ParseStatus::NeedMore)
                return;
            if (result.status == ParseStatus::Error) {
                HttpResponse response;
                response.status = result.errorCode;
                response.contentType = "text/plain; charset=utf-8";
                response.parts << QByteArray(reasonPhrase(result.errorCode)) + "\n";
                socket_->write(serializeResponse(response, 1, false, false));
                close();
                return;
            }
            const HttpResponse response = content_.respond(request);
            const bool keepAlive = request.keepAlive();
            socket_->write(serializeResponse(response, request.minorVersion, keepAlive, request.method == "HEAD"));
            served_(request, response.status);
            if (!keepAlive) {
                close();
                return;
            }
        }
    }

    void close()
    {
        closing_ = true;
        // A client that never reads what is left to send is dropped when the idle time runs out.
        idle_.start();
        socket_->disconnectFromHost(); // after what is still to be written
    }

    QTcpSocket* socket_;
    SiteContent& content_;
    std::function<void(const HttpRequest&, int)> served_;
    QByteArray buffer_;
    QTimer idle_;
    bool closing_ = false;
};

} // namespace

DemoSite::DemoSite(FilmCatalogue catalogue, QObject* parent) : QObject(parent), content_(std::move(catalogue))
{
    connect(&server_, &QTcpServer::newConnection, this, &DemoSite::acceptConnections);
}

DemoSite::~DemoSite() = default;

bool DemoSite::listen(const SiteOptions& options)
{
    idleTimeoutMs_ = options.idleTimeoutMs;
    return server_.listen(options.address, options.port);
}

quint16 DemoSite::port() const { return server_.serverPort(); }

QString DemoSite::errorString() const { return server_.errorString(); }

QString DemoSite::baseUrl() const
{
    return QStringLiteral("http://%1:%2").arg(server_.serverAddress().toString()).arg(server_.serverPort());
}

void DemoSite::acceptConnections()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        // The connection object is the socket's child and goes with it.
        new Connection(socket, content_, idleTimeoutMs_, [this](const HttpRequest& request, int status) {
            ++requests_;
            Q_EMIT requestServed(request.method, request.target, status);
        });
    }
}

} // namespace trouvel::demo
