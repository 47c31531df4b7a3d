// What a failed transfer of Qt's URL service (the picture download) is called in a message:
// French words for the reply's error code and, on a secure connection, for its certificate
// problems, instead of Qt's own texts (English where no translation names them).
#pragma once

#include <QList>
#include <QNetworkReply>
#include <QSslError>
#include <QString>

namespace trouvel::net {

// The reason for `error` on a transfer from `host`; the certificate problems the connection met,
// when they are the cause. Never empty.
QString replyErrorText(QNetworkReply::NetworkError error, const QString& host, const QList<QSslError>& tlsErrors = {});

// One certificate problem in words.
QString tlsErrorText(QSslError::SslError error);

} // namespace trouvel::net
