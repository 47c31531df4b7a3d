// A small web site on 127.0.0.1 for the wizard tests: search, detail and picture pages
// answered as HTTP/1.0 responses ended by closing the connection. A path can be held open
// without an answer, so that a test acts while a step is waiting inside a download.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTcpServer>

#include <functional>

namespace trouvel::wizard::test {

class TestSite : public QObject {
    Q_OBJECT
public:
    TestSite();
    QString base() const; // "http://127.0.0.1:<port>"

    // Route by path (query and all): body served with status 200 (or the given status).
    void page(const QByteArray& path, const QByteArray& body, int status = 200);
    // Requests for a path that starts with prefix are served by the function.
    void pageFunction(const QByteArray& prefix, std::function<QByteArray(const QByteArray& path)> body);
    // Requests for path are sent to location with this status (and an empty body).
    void redirect(const QByteArray& path, const QByteArray& location, int status = 301);
    // The next request for path gets these response bytes as they stand (then the route again).
    void answerOnce(const QByteArray& path, const QByteArray& response);
    // Requests for this path get no answer; onHeld runs once such a request has arrived.
    void hold(const QByteArray& path, std::function<void()> onHeld);

    QList<QByteArray> requestLines; // "GET /path HTTP/1.x" of every request, in order

private:
    void serve(class QTcpSocket* socket);

    QTcpServer server_;
    QHash<QByteArray, QPair<int, QByteArray>> pages_;
    QList<QPair<QByteArray, std::function<QByteArray(const QByteArray&)>>> functions_;
    QHash<QByteArray, std::function<void()>> held_;
    QHash<QByteArray, QByteArray> once_;
    QHash<QByteArray, QPair<int, QByteArray>> redirects_;
};

} // namespace trouvel::wizard::test
