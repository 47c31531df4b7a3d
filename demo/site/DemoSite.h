// The demo film site's HTTP server: answers HTTP/1.0 and HTTP/1.1 on a loopback port,
// keeping HTTP/1.1 connections open between requests and closing idle ones.
#pragma once

#include "SiteContent.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include <memory>

namespace trouvel::demo {

constexpr quint16 kDefaultPort = 8737;

struct SiteOptions {
    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = kDefaultPort; // 0: any free port
    int idleTimeoutMs = 15000;   // an open connection with no request for this long is closed
};

class DemoSite : public QObject {
    Q_OBJECT
public:
    explicit DemoSite(FilmCatalogue catalogue, QObject* parent = nullptr);
    ~DemoSite() override;

    // false when the port cannot be bound (errorString() says why).
    bool listen(const SiteOptions& options);
    quint16 port() const;
    QString errorString() const;
    // "http://127.0.0.1:PORT"
    QString baseUrl() const;

    SiteContent& content() { return content_; }
    // Requests answered since the start.
    qint64 requestCount() const { return requests_; }

Q_SIGNALS:
    void requestServed(const QByteArray& method, const QByteArray& target, int status);

private:
    void acceptConnections();

    SiteContent content_;
    QTcpServer server_;
    int idleTimeoutMs_ = 15000;
    qint64 requests_ = 0;
};

} // namespace trouvel::demo
