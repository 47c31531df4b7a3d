// The picture download: copies the resource at an address, byte for byte, into a file,
// through Qt's URL service (no cache, redirects followed) and the walk's web session, through
// the host's proxy when it names one and by the proxy variables (http_proxy, no_proxy, ...)
// otherwise.
#pragma once

#include "net/SocketPageClient.h"
#include "net/NetOptions.h"
#include "net/WebSession.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace trouvel::net {

// "" when the target has been written; otherwise a message for the user:
// "La connexion Internet n'a pu etre établie", "Le fichier specifié ne peut être telechargé"
// followed by the reason in brackets (HTTP status, certificate problem, time-out, ...),
// or "Téléchargement interrompu" when stopDownload was set meanwhile.
// The target is replaced only once the whole resource has arrived.
// Throws DownloadError when the target cannot be written.
// The request carries the session's User-Agent and cookies; the cookies set on the way are kept.
QString DownloadToFile(WebSession& session, const QString& address, const QString& target,
                       const std::int16_t& stopDownload, const NetOptions& options = {});
// The same through a session of its own.
QString DownloadToFile(const QString& address, const QString& target, const std::int16_t& stopDownload,
                       const NetOptions& options = {});

} // namespace trouvel::net
