// The two downloads the steps make, as services handed to the wizard engine: the page client
// (the window's DL) and the picture download. The window binds them to the network layer;
// tests and tools may bind them to anything that behaves the same.
#pragma once

#include "net/PageReport.h"
#include "net/NetOptions.h"
#include "net/WebSession.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace trouvel::wizard {

class PageClient {
public:
    virtual ~PageClient() = default;
    // The host's proxy settings, given once at load.
    virtual void setProxy(std::int16_t useProxy, const QString& host, const QString& port) = 0;
    // Milliseconds allowed to connect, and between two received pieces.
    virtual void setTimeLimit(int milliseconds) = 0;
    // Fetches url into the file saveAs; a result code 0..5 (net::DownloadCode). Waits by
    // running the event loop. Throws (any std::exception) for a failure that has no code.
    // Shows nothing: a connection error is in lastReport() for the caller to show.
    virtual std::int16_t DownloadPage(const QString& url, const QString& saveAs, std::int16_t methodeGet,
                                      std::int16_t httpVersion) = 0;
    // Ends a waiting fetch; called as the window unloads.
    virtual void closeSocket() = 0;
    // The last fetch's redirects, final address and status, and a failure in words.
    virtual net::PageReport lastReport() const = 0;
};

// "" when target was written, else a message for the user. May throw (any std::exception)
// when the download fails outright. stopDownload is the module flag, read while waiting;
// options carry the host's proxy (the page client's) and the time limit.
using PictureDownload = std::function<QString(const QString& address, const QString& target,
                                              const std::int16_t& stopDownload, const net::NetOptions& options)>;

// The network layer's client (SocketPageClient) behind PageClient, sharing the stop flag and
// the web session; wireObserver, when set, is told of every hop as it went over the wire.
std::unique_ptr<PageClient> makeSocketPageClient(std::int16_t& stopDownload, std::shared_ptr<net::WebSession> session,
                                                 net::WireObserver wireObserver = {});
// net::DownloadToFile through the session.
PictureDownload netPictureDownload(std::shared_ptr<net::WebSession> session);

} // namespace trouvel::wizard
