#include "net/SocketErrorNumber.h"

namespace trouvel::net {

int socketErrorNumber(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return 10061; // WSAECONNREFUSED
    case QAbstractSocket::RemoteHostClosedError:
        return 10054; // WSAECONNRESET
    case QAbstractSocket::HostNotFoundError:
        return 11001; // WSAHOST_NOT_FOUND
    case QAbstractSocket::SocketAccessError:
        return 10013; // WSAEACCES
    case QAbstractSocket::SocketResourceError:
        return 10055; // WSAENOBUFS
    case QAbstractSocket::SocketTimeoutError:
        return 10060; // WSAETIMEDOUT
    case QAbstractSocket::DatagramTooLargeError:
        return 10040; // WSAEMSGSIZE
    case QAbstractSocket::NetworkError:
        return 10050; // WSAENETDOWN
    case QAbstractSocket::AddressInUseError:
        return 10048; // WSAEADDRINUSE
    case QAbstractSocket::SocketAddressNotAvailableError:
        return 10049; // WSAEADDRNOTAVAIL
    case QAbstractSocket::UnsupportedSocketOperationError:
        return 10045; // WSAEOPNOTSUPP
    default:
        return 20000 + static_cast<int>(error);
    }
}

} // namespace trouvel::net
