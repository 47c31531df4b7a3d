// An HTTP server on 127.0.0.1 for the network tests, in the test's own thread: it captures
// each request as received and answers it with a script of steps.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>

namespace trouvel::net::test {

struct Step {
    enum Kind {
        Send,   // write the bytes at once
        Pieces, // write the bytes one at a time, each on its own turn of the event loop
        Close,  // orderly close
        Reset,  // abortive close: the client sees a connection reset
        Hold,   // keep the connection open and say nothing more (closed by a safety timer)
        Trickle, // write the bytes one at a time, each after intervalMs
    };
    Kind kind = Send;
    QByteArray bytes;
    int intervalMs = 0;
};

Step send(QByteArray bytes);
Step pieces(QByteArray bytes);
Step closeStep();
Step resetStep();
Step holdStep();
Step trickle(QByteArray bytes, int intervalMs);

// A response with a Content-Length header.
QByteArray httpResponse(const QByteArray& body, const QByteArray& status = "200 OK",
                        const QByteArray& extraHeaders = {});

// Accepts plain TCP, or TLS with the test certificate for 127.0.0.1 (tests/net/data).
class TcpOrTlsServer : public QTcpServer {
public:
    bool tls = false;

protected:
    void incomingConnection(qintptr descriptor) override;
};

// Makes the test certificate trusted by every TLS socket of the process, until the returned
// guard goes: a later test may need it unknown.
class TestCertificateTrust {
public:
    TestCertificateTrust();
    ~TestCertificateTrust();
    TestCertificateTrust(const TestCertificateTrust&) = delete;
    TestCertificateTrust& operator=(const TestCertificateTrust&) = delete;

private:
    QSslConfiguration saved_;
};

class LoopbackServer : public QObject {
    Q_OBJECT
public:
    // answerBeforeRequest: start the script as soon as a connection is accepted.
    // tls: the connection is TLS; requests are captured once decrypted.
    explicit LoopbackServer(QList<Step> script = {}, bool answerBeforeRequest = false, bool tls = false);
    ~LoopbackServer() override;

    quint16 port() const { return server_.serverPort(); }
    // "http://127.0.0.1:port" (https for a TLS server) followed by pathAndQuery.
    QString url(const QString& pathAndQuery = QStringLiteral("/")) const;

    void setScript(QList<Step> script) { script_ = std::move(script); }

    // Called once a connection has been accepted, and once its whole request has arrived.
    std::function<void()> onConnection;
    std::function<void()> onRequest;

    QList<QByteArray> requests;  // each connection's request, as received
    int connections = 0;
    bool closedByServer = false; // a Close, Reset or the Hold safety timer closed a connection
    bool closedByClient = false;

    // How long a held connection is kept before the server gives up on the client.
    static constexpr int kHoldSafetyMs = 15000;

private:
    void accept();
    void run(QTcpSocket* socket, qsizetype step, qsizetype offset);

    TcpOrTlsServer server_;
    QList<Step> script_;
    bool answerBeforeRequest_;
    QList<QPointer<QTcpSocket>> sockets_;
};

} // namespace trouvel::net::test
