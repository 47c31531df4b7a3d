#include "LoopbackServer.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QTimer>

#include <sys/socket.h>

namespace trouvel::net::test {

Step send(QByteArray bytes) { return {Step::Send, std::move(bytes)}; }
Step pieces(QByteArray bytes) { return {Step::Pieces, std::move(bytes)}; }
Step closeStep() { return {Step::Close, {}}; }
Step resetStep() { return {Step::Reset, {}}; }
Step holdStep() { return {Step::Hold, {}}; }
Step trickle(QByteArray bytes, int intervalMs) { return {Step::Trickle, std::move(bytes), intervalMs}; }

QByteArray httpResponse(const QByteArray& body, const QByteArray& status, const QByteArray& extraHeaders)
{
    return "HTTP/1.1 " + status + "\r\nContent-Type: text/html\r\n" + extraHeaders
        + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

namespace {

// True once the request holds its headers and, after them, its announced body; a POST from
// the page client ends with one more CR LF that its Content-Length does not count.
bool requestComplete(const QByteArray& request)
{
    const qsizetype headerEnd = request.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return false;
    qint64 length = 0;
    for (const QByteArray& line : request.left(headerEnd).split('\n')) {
        if (line.toLower().startsWith("content-length:"))
            length = line.mid(15).trimmed().toLongLong();
    }
    if (request.startsWith("POST "))
        length += 2;
    return request.size() >= headerEnd + 4 + length;
}

QByteArray testData(const char* name)
{
    QFile file(QStringLiteral(TROUVEL_TEST_DATA_DIR "/data/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", name);
    return file.readAll();
}

} // namespace

TestCertificateTrust::TestCertificateTrust() : saved_(QSslConfiguration::defaultConfiguration())
{
    QSslConfiguration config = saved_;
    config.addCaCertificate(QSslCertificate(testData("loopback-cert.pem")));
    QSslConfiguration::setDefaultConfiguration(config);
}

TestCertificateTrust::~TestCertificateTrust() { QSslConfiguration::setDefaultConfiguration(saved_); }

void TcpOrTlsServer::incomingConnection(qintptr descriptor)
{
    if (!tls) {
        QTcpServer::incomingConnection(descriptor);
        return;
    }
    auto* socket = new QSslSocket(this);
    socket->setSocketDescriptor(descriptor);
    socket->setLocalCertificate(QSslCertificate(testData("loopback-cert.pem")));
    socket->setPrivateKey(QSslKey(testData("loopback-key.pem"), QSsl::Rsa));
    socket->startServerEncryption();
    addPendingConnection(socket);
}

LoopbackServer::LoopbackServer(QList<Step> script, bool answerBeforeRequest, bool tls)
    : script_(std::move(script)), answerBeforeRequest_(answerBeforeRequest)
{
    server_.tls = tls;
    connect(&server_, &QTcpServer::newConnection, this, &LoopbackServer::accept);
    if (!server_.listen(QHostAddress::LocalHost, 0))
        qFatal("loopback server cannot listen: %s", qPrintable(server_.errorString()));
}

LoopbackServer::~LoopbackServer()
{
    for (const QPointer<QTcpSocket>& socket : sockets_) {
        if (socket)
            socket->abort();
    }
}

QString LoopbackServer::url(const QString& pathAndQuery) const
{
    return QStringLiteral("%1://127.0.0.1:%2%3")
        .arg(server_.tls ? QLatin1String("https") : QLatin1String("http"))
        .arg(port())
        .arg(pathAndQuery);
}

void LoopbackServer::accept()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        sockets_.append(socket);
        ++connections;
        requests.append(QByteArray());
        const qsizetype index = requests.size() - 1;
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, index] {
            const bool wasComplete = requestComplete(requests[index]);
            requests[index] += socket->readAll();
            if (!wasComplete && requestComplete(requests[index])) {
                if (onRequest)
                    onRequest();
                if (!answerBeforeRequest_)
                    run(socket, 0, 0);
            }
        });
        connect(socket, &QTcpSocket::disconnected, this, [this] { closedByClient = !closedByServer; });
        if (onConnection)
            onConnection();
        if (answerBeforeRequest_)
            run(socket, 0, 0);
    }
}

void LoopbackServer::run(QTcpSocket* socket, qsizetype stepIndex, qsizetype offset)
{
    QPointer<QTcpSocket> guard(socket);
    for (qsizetype i = stepIndex; i < script_.size(); ++i, offset = 0) {
        if (!guard || guard->state() != QAbstractSocket::ConnectedState)
            return;
        const Step& step = script_[i];
        switch (step.kind) {
        case Step::Send:
            socket->write(step.bytes);
            socket->flush();
            break;
        case Step::Pieces:
        case Step::Trickle:
            // One byte now, the next one on a later turn of the event loop (or after the interval).
            if (offset >= step.bytes.size())
                break;
            socket->write(step.bytes.mid(offset, 1));
            socket->flush();
            QTimer::singleShot(step.kind == Step::Trickle ? step.intervalMs : 0, this, [this, guard, i, offset] {
                if (guard)
                    run(guard, i, offset + 1);
            });
            return;
        case Step::Close:
            closedByServer = true;
            socket->disconnectFromHost();
            return;
        case Step::Reset: {
            closedByServer = true;
            const linger abortive{1, 0};
            ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive,
                         sizeof abortive);
            socket->abort();
            return;
        }
        case Step::Hold:
            QTimer::singleShot(kHoldSafetyMs, this, [this, guard] {
                if (guard && guard->state() == QAbstractSocket::ConnectedState) {
                    closedByServer = true;
                    guard->disconnectFromHost();
                }
            });
            return;
        }
    }
}

} // namespace trouvel::net::test
