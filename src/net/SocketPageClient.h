// The page client: fetches one page per call over its own TCP (or TLS) connection, with a
// request it writes itself, and stores the response into a file: status line and headers as
// received, the body decoded (chunks joined, gzip or deflate undone), every LF stored as CR LF.
// Redirects are followed; each one's status line and headers come first in the file.
#pragma once

#include "net/NetOptions.h"
#include "net/PageReport.h"
#include "net/Redirect.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

class QTcpSocket;

namespace trouvel::net {

class WebSession;

class SocketPageClient : public QObject {
    Q_OBJECT
public:
    // stopDownload: the module's stop flag, shared with the window.
    // A connection error is not shown here: it is in lastReport() for the caller to show.
    explicit SocketPageClient(std::int16_t& stopDownload, QObject* parent = nullptr);
    ~SocketPageClient() override;

    std::int16_t UseProxy = 0;
    QString ProxyHost;
    QString ProxyPort;

    // Returns one of DownloadCode; throws DownloadError for a failure that has no code.
    std::int16_t DownloadPage(const QString& URL, const QString& SaveAs, const std::int16_t& usesGet,
                              const std::int16_t& HttpVersion);

    // Closes the socket; a transfer waiting on it ends (the window calls this as it unloads).
    void closeSocket();

    void setMaxResponseBytes(qint64 bytes);
    // Milliseconds allowed to set up the connection, and between two received pieces.
    void setTimeLimit(int milliseconds);
    const PageReport& lastReport() const;
    // Told of every hop once it is over (redirects included); empty: nothing is kept.
    void setWireObserver(WireObserver observer);
    // The session whose User-Agent and cookies the requests carry, and which keeps the
    // cookies the responses set (redirects included). Without one, the client keeps its own.
    void setSession(std::shared_ptr<WebSession> session);

private:
    struct Private;
    Private* d;
};

} // namespace trouvel::net
