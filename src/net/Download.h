// The picture download: copies the resource at an address, byte for byte, into a file,
// through the system's URL service (system proxy settings, no cache, redirects followed).
#pragma once

#include "net/DownloadWinsock.h"

#include <QString>

#include <cstdint>

namespace trouvel::net {

// "" when the target has been written; otherwise a message for the user:
// "La connexion Internet n'a pu etre établie", "Le fichier specifié ne peut être telechargé",
// or "Téléchargement interrompu" when stopDownload was set meanwhile.
// The target is replaced only once the whole resource has arrived.
// Throws DownloadError when the target cannot be written.
QString DownloadToFile(const QString& address, const QString& target, const std::int16_t& stopDownload,
                       qint64 maxBytes = kDefaultMaxDownloadBytes);

} // namespace trouvel::net
