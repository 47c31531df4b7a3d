#include "text/TerminalText.h"

namespace trouvel::text {

QString escapeControls(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            out += QStringLiteral("\\x") + QString::number(unsigned(u), 16).toUpper().rightJustified(2, u'0');
        else
            out += c;
    }
    return out;
}

} // namespace trouvel::text
