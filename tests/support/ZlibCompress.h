// zlib's own compressor, for test and benchmark servers that answer with compressed bodies:
// windowBits 31 gives gzip, 15 a zlib stream, -15 bare deflate data.
#pragma once

#include <QByteArray>

#include <zlib.h>

namespace trouvel::testsupport {

inline QByteArray zlibCompress(const QByteArray& data, int windowBits)
{
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(data.size()))) + 32, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(out.size() - int(z.avail_out));
    deflateEnd(&z);
    return out;
}

} // namespace trouvel::testsupport
