// Text from a catalogue or a page shown on a terminal: control characters (a NUL that would
// end the line, an escape that would drive the terminal) are written out as "\xNN".
#pragma once

#include <QString>

namespace trouvel::text {

QString escapeControls(const QString& text);

} // namespace trouvel::text
