// The HTTP status of a page fetch's final response.
#pragma once

#include <QString>

namespace trouvel::cli {

struct HttpStatus {
    int code = 0;   // 0 when the response has no status line
    QString reason;
    bool success() const { return code >= 200 && code < 300; }
};

} // namespace trouvel::cli
