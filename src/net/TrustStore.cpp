#include "net/TrustStore.h"

#include <QDir>
#include <QMutex>
#include <QSslCertificate>

namespace trouvel::net {

namespace {

QList<QSslCertificate> certificatesNamedByEnvironment(const QByteArray& file, const QByteArray& dirs)
{
    QList<QSslCertificate> found;
    if (!file.isEmpty())
        found += QSslCertificate::fromPath(QFile::decodeName(file), QSsl::Pem);
    for (const QByteArray& dir : dirs.split(':')) {
        if (dir.isEmpty())
            continue;
        const QDir folder(QFile::decodeName(dir));
        for (const QString& name : folder.entryList(QDir::Files | QDir::Readable))
            found += QSslCertificate::fromPath(folder.filePath(name), QSsl::Pem);
    }
    return found;
}

} // namespace

QSslConfiguration tlsConfiguration()
{
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    const QByteArray file = qgetenv("SSL_CERT_FILE");
    const QByteArray dirs = qgetenv("SSL_CERT_DIR");
    if (file.isEmpty() && dirs.isEmpty())
        return config;

    // Loading the system store and the named files costs milliseconds: once per setting.
    // Naming authorities turns off the on-demand loading of the system's, so they are listed too.
    static QMutex mutex;
    static QByteArray cachedKey;
    static QList<QSslCertificate> cached;
    const QByteArray key = file + '\0' + dirs;
    {
        QMutexLocker lock(&mutex);
        if (cachedKey != key || cached.isEmpty()) {
            cached = QSslConfiguration::systemCaCertificates() + certificatesNamedByEnvironment(file, dirs);
            cachedKey = key;
        }
    }
    QList<QSslCertificate> authorities = config.caCertificates();
    {
        QMutexLocker lock(&mutex);
        authorities += cached;
    }
    config.setCaCertificates(authorities);
    return config;
}

} // namespace trouvel::net
