// The certificate authorities TLS connections trust: the system's store, plus those named
// by SSL_CERT_FILE (a PEM file) and SSL_CERT_DIR (folders of PEM files, separated by ":"),
// as OpenSSL's own tools honour them. Lets a user trust a private authority without root.
#pragma once

#include <QSslConfiguration>

namespace trouvel::net {

// The default configuration, with the authorities of SSL_CERT_FILE and SSL_CERT_DIR added
// when either is set. Read from the environment on each call (cheap when neither is set).
QSslConfiguration tlsConfiguration();

} // namespace trouvel::net
