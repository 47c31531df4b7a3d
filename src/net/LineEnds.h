// Received bytes as the page client stores them: every LF (byte 10) written as CR LF,
// also where a CR already precedes it. A LF is one byte, so pieces convert independently.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace trouvel::net {

void appendWithCrLf(QByteArray& out, QByteArrayView received);

} // namespace trouvel::net
