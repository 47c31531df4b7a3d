#include "wizard/PageClient.h"

#include "net/PictureDownload.h"
#include "net/SocketPageClient.h"

namespace trouvel::wizard {

namespace {

class NetPageClient : public PageClient {
public:
    NetPageClient(std::int16_t& stopDownload, net::WireObserver wireObserver)
        : dl_(stopDownload)
    {
        dl_.setWireObserver(std::move(wireObserver));
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

std::unique_ptr<PageClient> makeSocketPageClient(std::int16_t& stopDownload, net::WireObserver wireObserver)
{
    return std::make_unique<NetPageClient>(stopDownload, std::move(wireObserver));
}

PictureDownload netPictureDownload()
{
    // One session for all the pictures of this wizard (of the whole walk).
    auto session = std::make_shared<net::PictureSession>();
    return [session](const QString& address, const QString& target, const std::int16_t& stopDownload,
                     const net::NetOptions& options) { return net::DownloadToFile(*session, address, target, stopDownload, options); };
}

} // namespace trouvel::wizard
