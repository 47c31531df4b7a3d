// The page client's response path: any bytes, split into any chunks, as a server sends them.
// Input: one byte that seeds the chunk sizes, then the response bytes.
// The framing, the kept bytes (chunks joined, gzip or deflate undone) and the stored form
// (LF as CR LF) must not depend on where the bytes were split.
#include "FuzzCheck.h"

#include "net/LineEnds.h"
#include "net/ResponseFraming.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace trouvel::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    std::uint32_t seed = data[0] | 1u;
    const QByteArrayView response(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    ResponseFraming whole;
    whole.setMaxStoredBytes(1 << 20);
    QByteArray keptWhole;
    whole.feed(response, &keptWhole);
    QByteArray storedWhole;
    appendWithCrLf(storedWhole, response);

    ResponseFraming split;
    split.setMaxStoredBytes(1 << 20);
    QByteArray keptSplit;
    QByteArray storedSplit;
    qsizetype pos = 0;
    while (pos < response.size()) {
        seed = seed * 1103515245u + 12345u;
        const qsizetype chunk = std::min<qsizetype>(1 + (seed >> 16) % 17, response.size() - pos);
        const QByteArrayView piece = response.sliced(pos, chunk);
        split.feed(piece, &keptSplit);
        appendWithCrLf(storedSplit, piece);
        pos += chunk;
        // Once complete, a client stops reading; the rest would belong to nothing.
        if (split.complete())
            break;
    }
    if (pos == response.size()) {
        // Past the size limit the framing stops where the limit was met, and the fetch fails
        // on it: where it stopped may depend on the pieces.
        check(split.state() == whole.state() || whole.overLimit(), "framing depends on how the bytes were split");
        check(split.truncated() == whole.truncated() || whole.overLimit(), "truncation depends on how the bytes were split");
        check(storedSplit == storedWhole, "stored bytes depend on how the bytes were split");
        // zlib may find a fault at a point that depends on the pieces; the fetch fails then anyway.
        const bool decodeFault = whole.decodeFailed() || split.decodeFailed();
        check(keptSplit == keptWhole || whole.overLimit() || decodeFault, "kept bytes depend on how the bytes were split");
    } else {
        check(whole.complete(), "complete early when split, not when whole");
        check(keptSplit == keptWhole || whole.decodeFailed() || split.decodeFailed(), "kept bytes differ when complete early");
    }
    check(keptWhole.size() <= (1 << 20), "kept bytes past the limit");
    const qsizetype lineFeeds = response.count('\n');
    check(storedWhole.size() == response.size() + lineFeeds, "stored size is not one CR per LF more");
    for (qsizetype i = 0; i < storedWhole.size(); ++i) {
        if (storedWhole[i] == '\n')
            check(i > 0 && storedWhole[i - 1] == '\r', "a LF stored without CR before it");
    }
    return 0;
}
