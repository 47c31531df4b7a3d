#include "CliInteraction.h"

#include <cstdio>

namespace trouvel::cli {

MsgAnswer CliInteraction::messageBox(const QString& text, MsgButtons buttons, MsgIcon /*icon*/)
{
    last_ = text;
    MsgAnswer answer = MsgAnswer::Ok;
    if (buttons != MsgButtons::Ok)
        answer = answer_;
    if (!quiet_) {
        QString shown = text;
        shown.replace(QLatin1String("\r\n"), QLatin1String(" "));
        if (buttons != MsgButtons::Ok)
            shown += answer == MsgAnswer::No ? QStringLiteral(" -> non") : QStringLiteral(" -> oui");
        std::fprintf(stderr, "trouvel: %s\n", qPrintable(shown));
    }
    return answer;
}

} // namespace trouvel::cli
