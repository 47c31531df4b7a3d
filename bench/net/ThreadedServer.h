// An HTTP server on 127.0.0.1 in a thread of its own, so that a client blocking the main
// thread (or a separate process such as curl) can be measured against it.
#pragma once

#include <QByteArray>
#include <QThread>

#include <atomic>

namespace trouvel::net::bench {

struct ServerBehaviour {
    QByteArray response;
    int delayMs = 0;        // before the response is sent
    int closeAfterMs = 0;   // after the response: 0 closes at once, otherwise the idle time-out
};

class ThreadedServer : public QThread {
public:
    explicit ThreadedServer(ServerBehaviour behaviour);
    ~ThreadedServer() override;

    quint16 port() const { return port_.load(); }
    QString url(const QString& path = QStringLiteral("/")) const;

protected:
    void run() override;

private:
    ServerBehaviour behaviour_;
    std::atomic<quint16> port_{0};
};

} // namespace trouvel::net::bench
