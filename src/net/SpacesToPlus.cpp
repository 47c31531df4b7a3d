#include "net/Address.h"

namespace trouvel::net {

QString SpacesToPlus(const QString& text)
{
    QString result = text;
    result.replace(QLatin1Char(' '), QLatin1Char('+'));
    return result;
}

} // namespace trouvel::net
