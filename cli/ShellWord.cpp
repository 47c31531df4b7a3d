#include "ShellWord.h"

#include <QRegularExpression>

namespace trouvel::cli {

QString shellWord(const QString& text)
{
    // Letters of any script are plain words to the shell; its own characters (a leading ~
    // among them) are not.
    static const QRegularExpression plain(QStringLiteral(R"(^[\w@%+=:,./-]+$)"), QRegularExpression::UseUnicodePropertiesOption);
    if (plain.match(text).hasMatch())
        return text;
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

} // namespace trouvel::cli
