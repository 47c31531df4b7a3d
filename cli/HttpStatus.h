// The HTTP status of a stored response, read from its status line.
#pragma once

#include <QByteArray>
#include <QString>

namespace trouvel::cli {

struct HttpStatus {
    int code = 0;   // 0 when the response has no status line
    QString reason;
    bool success() const { return code >= 200 && code < 300; }
};

// From the first line of a response ("HTTP/1.1 503 Service Unavailable").
HttpStatus parseStatusLine(const QByteArray& response);

} // namespace trouvel::cli
