// The picture download: copies the resource at an address, byte for byte, into a file,
// through Qt's URL service (no cache, redirects followed), through the host's proxy when it
// names one and by the proxy variables (http_proxy, no_proxy, ...) otherwise.
#pragma once

#include "net/SocketPageClient.h"
#include "net/NetOptions.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class QNetworkAccessManager;

namespace trouvel::net {

// The network access manager the picture downloads share, so that one walk reuses its
// connections (and Qt's HTTP thread) instead of setting up a new one for every picture.
// Used from the thread that made it.
class PictureSession {
public:
    PictureSession();
    ~PictureSession();
    PictureSession(const PictureSession&) = delete;
    PictureSession& operator=(const PictureSession&) = delete;

    // The manager, set to go through `proxy` (the host's) or, without one, the proxy the
    // environment names (EnvironmentProxy.h); changed only when the choice changes.
    QNetworkAccessManager& manager(const std::optional<ProxySetting>& proxy);

private:
    std::unique_ptr<QNetworkAccessManager> manager_;
    bool configured_ = false;
    std::optional<ProxySetting> proxy_;
};

// "" when the target has been written; otherwise a message for the user:
// "La connexion Internet n'a pu etre établie", "Le fichier specifié ne peut être telechargé"
// followed by the reason in brackets (HTTP status, certificate problem, time-out, ...),
// or "Téléchargement interrompu" when stopDownload was set meanwhile.
// The target is replaced only once the whole resource has arrived.
// Throws DownloadError when the target cannot be written.
QString DownloadToFile(PictureSession& session, const QString& address, const QString& target,
                       const std::int16_t& stopDownload, const NetOptions& options = {});
// The same through a session of its own.
QString DownloadToFile(const QString& address, const QString& target, const std::int16_t& stopDownload,
                       const NetOptions& options = {});

} // namespace trouvel::net
