// The number shown in the connection error message: the Windows Sockets number users and
// script authors know ("10061" for a refused connection) where one exists.
#pragma once

#include <QAbstractSocket>

namespace trouvel::net {

// Errors without a Windows Sockets counterpart (TLS handshake, proxy, ...) keep Qt's own
// number, offset by 20000 so that it cannot be taken for one.
int socketErrorNumber(QAbstractSocket::SocketError error);

} // namespace trouvel::net
