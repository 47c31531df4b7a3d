#include "wizard/PageClient.h"

#include "net/PictureDownload.h"
#include "net/SocketPageClient.h"

namespace trouvel::wizard {

namespace {

class NetPageClient : public PageClient {
public:
    NetPageClient(std::int16_t& stopDownload, std::shared_ptr<net::WebSession> session, net::WireObserver wireObserver)
        : dl_(stopDownload)
    {
        dl_.setWireObserver(std::move(wireObserver));
        dl_.setSession(std::move(session));
    }

    void setProxy(std::int16_t useProxy, const QString& host, const QString& port) override
    {
        dl_.UseProxy = useProxy;
        if (useProxy != 0) {
            dl_.ProxyHost = host;
            dl_.ProxyPort = port;
        }
    }

    std::int16_t DownloadPage(const QString& url, const QString& saveAs, std::int16_t methodeGet,
                              std::int16_t httpVersion) override
    {
        return dl_.DownloadPage(url, saveAs, methodeGet, httpVersion);
    }

    void setTimeLimit(int milliseconds) override { dl_.setTimeLimit(milliseconds); }

    void closeSocket() override { dl_.closeSocket(); }

    net::PageReport lastReport() const override { return dl_.lastReport(); }

private:
    net::SocketPageClient dl_;
};

} // namespace

std::unique_ptr<PageClient> makeSocketPageClient(std::int16_t& stopDownload, std::shared_ptr<net::WebSession> session,
                                                 net::WireObserver wireObserver)
{
    return std::make_unique<NetPageClient>(stopDownload, std::move(session), std::move(wireObserver));
}

PictureDownload netPictureDownload(std::shared_ptr<net::WebSession> session)
{
    if (!session)
        session = std::make_shared<net::WebSession>();
    return [session](const QString& address, const QString& target, const std::int16_t& stopDownload,
                     const net::NetOptions& options) { return net::DownloadToFile(*session, address, target, stopDownload, options); };
}

} // namespace trouvel::wizard
