#include "net/LineEnds.h"

#include <cstring>

namespace trouvel::net {

void appendWithCrLf(QByteArray& out, QByteArrayView received)
{
    const char* p = received.data();
    const char* const end = p + received.size();
    while (p < end) {
        const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        if (!lf) {
            out.append(p, end - p);
            return;
        }
        const char* at = static_cast<const char*>(lf);
        out.append(p, at - p);
        out.append("\r\n", 2);
        p = at + 1;
    }
}

} // namespace trouvel::net
