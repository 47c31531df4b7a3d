// The page client: fetches one page per call over its own TCP (or TLS) connection, with a
// request it writes itself, and stores the response into a file: status line and headers as
// received, the body decoded (chunks joined, gzip or deflate undone), every LF stored as CR LF.
// Redirects are followed; each one's status line and headers come first in the file.
#pragma once

#include "net/NetOptions.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

class QTcpSocket;

namespace trouvel::net {

// Result codes of DownloadPage.
enum DownloadCode : std::int16_t {
    kDownloadDone = 0,          // the transfer ran (closed by the server, complete, or a socket error shown)
    kDownloadNoSocket = 1,      // no socket
    kDownloadProxyIncomplete = 2,
    kDownloadBadAddress = 3,    // the address does not match the address pattern (or carries CR, LF, NUL)
    kDownloadStopped = 4,       // StopDownload was set during the transfer
    kDownloadTimedOut = 5,      // no connection, or no byte of the response, within the time limit
};

// Followed at most this many redirects per fetch; one more is a failure.
constexpr int kMaxRedirects = 10;

struct RedirectHop {
    int status = 0;
    QString reason;
    QString from; // the address that answered
    QString to;   // where it sent us, resolved
};

// What the last DownloadPage call came to, beyond its result code.
struct PageReport {
    std::vector<RedirectHop> redirects;
    QString finalAddress;
    int status = 0;  // of the final response; 0 when no status line arrived
    QString reason;
    QString problem; // a failure in words, for a time-out or a failed redirect
    QByteArray retryAfter; // the final response's Retry-After header, as received
    int socketError = 0;   // the number of the connection error (10061 refused, 10054 reset), or 0
    QString socketErrorText; // and what the socket said of it
    bool success() const { return status >= 200 && status < 300; }
};

// The message the user is shown for the last fetch's connection error ("" when there was none).
QString connectionErrorMessage(const PageReport& report);

// One hop of a fetch as it went over the wire, for a caller that keeps exchanges to replay
// them: the request as sent and the response bytes as read (before any framing or decoding).
struct WireExchange {
    QString address;
    QByteArray request;
    QByteArray response;
};
using WireObserver = std::function<void(const WireExchange&)>;

// A failure that leaves DownloadPage without a code (the target file cannot be opened,
// the proxy port is not a number, the response exceeds the size limit, a redirect loop, ...).
class DownloadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where a redirect from `from` with this Location header value leads, resolved and encoded.
QString redirectTarget(const QString& from, const QByteArray& location);

// Every " " replaced by "+"; nothing else is encoded.
QString SpacesToPlus(const QString& text);

// The parts of an address, as the address pattern cuts them out.
struct AddressParts {
    QString scheme;
    QString authority;
    QString path;
    QString query; // after SpacesToPlus
};
// Nothing when the address does not match the address pattern (empty, begins with "&").
std::optional<AddressParts> parseAddress(const QString& url);

// The request bytes for an address, exactly as sent. keptBody: a POST body carried over a
// 307 or 308 redirect (the address's own query then goes into the request line).
QByteArray buildRequest(const AddressParts& address, bool methodGet, bool http11, bool viaProxy,
                        const QByteArray* keptBody = nullptr);

class cDownloadWinsock : public QObject {
    Q_OBJECT
public:
    // stopDownload: the module's stop flag, shared with the window.
    // A connection error is not shown here: it is in lastReport() for the caller to show.
    explicit cDownloadWinsock(std::int16_t& stopDownload, QObject* parent = nullptr);
    ~cDownloadWinsock() override;

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

private:
    struct Private;
    Private* d;
};

} // namespace trouvel::net
