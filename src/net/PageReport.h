// What a page fetch came to beyond its result code: the redirects, the final address and
// status, a failure in words; and each hop as it went over the wire, for a caller that keeps
// exchanges to replay them.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

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

} // namespace trouvel::net
