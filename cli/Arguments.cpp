#include "Arguments.h"

namespace trouvel::cli {

bool Arguments::parse(const QStringList& args)
{
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (optionsEnded || !arg.startsWith(QLatin1String("--")) || arg == QLatin1String("--")) {
            if (arg == QLatin1String("--") && !optionsEnded)
                optionsEnded = true;
            else
                positional_.append(arg);
            continue;
        }
        QString name = arg.mid(2);
        QString value;
        bool inlineValue = false;
        if (const qsizetype eq = name.indexOf(QLatin1Char('=')); eq >= 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
            inlineValue = true;
        }
        if (switches_.contains(name)) {
            if (inlineValue) {
                error_ = QStringLiteral("l'option --%1 ne prend pas de valeur").arg(name);
                return false;
            }
            set_.insert(name);
        } else if (valueOptions_.contains(name)) {
            if (!inlineValue) {
                if (i + 1 >= args.size()) {
                    error_ = QStringLiteral("l'option --%1 attend une valeur").arg(name);
                    return false;
                }
                value = args[++i];
            }
            set_.insert(name);
            values_[name].append(value);
        } else {
            error_ = QStringLiteral("option inconnue : --%1").arg(name);
            return false;
        }
    }
    return true;
}

} // namespace trouvel::cli
