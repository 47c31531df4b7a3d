// Byte strings laid end to end in one buffer, each after its length: 7 bits a byte, low bits
// first, the high bit set when more follow. Records packed this way cost their bytes and a
// byte or two each, where separate strings cost a header and an allocation apiece.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace trouvel::packed {

inline void appendLength(QByteArray& out, quint64 length)
{
    do {
        const char low = char(length & 0x7f);
        length >>= 7;
        out.append(length ? char(low | 0x80) : low);
    } while (length);
}

inline quint64 readLength(const QByteArray& in, qsizetype& at)
{
    quint64 length = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = quint8(in.at(at++));
        length |= quint64(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return length;
    }
}

inline void appendField(QByteArray& out, QByteArrayView bytes)
{
    appendLength(out, quint64(bytes.size()));
    out.append(bytes);
}

// The field that starts at `at`; `at` moves past it.
inline QByteArrayView readField(const QByteArray& in, qsizetype& at)
{
    const auto length = qsizetype(readLength(in, at));
    const QByteArrayView bytes(in.constData() + at, length);
    at += length;
    return bytes;
}

} // namespace trouvel::packed
