// Writing JSON by hand, so that keys come out in the documented order.
#pragma once

#include <QString>

namespace trouvel::cli {

// text as a JSON string literal, quotes included.
QString jsonString(const QString& text);

} // namespace trouvel::cli
