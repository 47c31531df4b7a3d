#include "net/LineEnds.h"

#include <cstring>

namespace trouvel::net {

void appendWithCrLf(QByteArray& out, QByteArrayView received)
{
    const char* p = received.data();
    const char* const end = p + received.size();
    // Sized once and filled by plain copies: an append per line costs more than the copy
    // itself on pages of short lines.
    qsizetype lineFeeds = 0;
    for (const char* at = p; (at = static_cast<const char*>(std::memchr(at, '\n', std::size_t(end - at)))); ++at)
        ++lineFeeds;
    const qsizetype before = out.size();
    out.resize(before + received.size() + lineFeeds);
    char* to = out.data() + before;
    while (p < end) {
        const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        const char* const upTo = lf ? static_cast<const char*>(lf) : end;
        std::memcpy(to, p, static_cast<std::size_t>(upTo - p));
        to += upTo - p;
        if (!lf)
            return;
        *to++ = '\r';
        *to++ = '\n';
        p = upTo + 1;
    }
}

} // namespace trouvel::net
