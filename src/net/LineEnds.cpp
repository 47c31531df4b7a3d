#include "net/LineEnds.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace trouvel::net {

namespace {

// From p up to end, a CR before every LF; returns where the output ends.
char* convertBytes(const char* p, const char* const end, char* to)
{
    for (; p < end; ++p) {
        if (*p == '\n')
            *to++ = '\r';
        *to++ = *p;
    }
    return to;
}

} // namespace

void appendWithCrLf(QByteArray& out, QByteArrayView received)
{
    // Room for the worst case (every byte a LF), cut back at the end: one pass over the bytes,
    // sixteen at a time where the processor allows, instead of a search per line.
    const qsizetype before = out.size();
    out.resize(before + 2 * received.size());
    const char* p = received.data();
    const char* const end = p + received.size();
    char* to = out.data() + before;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lf)));
        if (mask == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to), block);
            p += 16;
            to += 16;
            continue;
        }
        const char* const blockEnd = p + 16;
        const char* const blockStart = p;
        for (; mask != 0; mask &= mask - 1) {
            const char* const lfAt = blockStart + std::countr_zero(mask);
            std::memcpy(to, p, std::size_t(lfAt - p));
            to += lfAt - p;
            *to++ = '\r';
            *to++ = '\n';
            p = lfAt + 1;
        }
        std::memcpy(to, p, std::size_t(blockEnd - p));
        to += blockEnd - p;
        p = blockEnd;
    }
#endif
    to = convertBytes(p, end, to);
    out.resize(to - out.constData());
}

} // namespace trouvel::net
