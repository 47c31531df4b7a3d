#include "Arguments.h"

#include <QCommandLineParser>

namespace trouvel::cli {

bool Arguments::parse(const QStringList& args)
{
    QCommandLineParser parser;
    // "-pick 2" reads as "--pick 2"; no option has a one-letter name to compact.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const QString& name : valueOptions_)
        parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("valeur")));
    for (const QString& name : switches_)
        parser.addOption(QCommandLineOption(name));

    // The parser takes the first element for the program's name.
    if (!parser.parse(QStringList{QStringLiteral("trouvel")} + args)) {
        error_ = describeError(args, parser.unknownOptionNames());
        return false;
    }
    positional_ = parser.positionalArguments();
    for (const QString& name : parser.optionNames()) {
        set_.insert(name);
        if (valueOptions_.contains(name) && !values_.contains(name))
            values_.insert(name, parser.values(name));
    }
    return true;
}

// QCommandLineParser's own messages are in the user's language and name the option as
// typed; ours are French and always name it with "--".
QString Arguments::describeError(const QStringList& args, const QStringList& unknownNames) const
{
    if (!unknownNames.isEmpty())
        return QStringLiteral("option inconnue : --%1").arg(unknownNames.first());
    for (const QString& arg : args) {
        if (arg == QLatin1String("--"))
            break;
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        if (arg.startsWith(QLatin1Char('-')) && eq > 0) {
            const QString name = arg.left(eq).remove(0, arg.startsWith(QLatin1String("--")) ? 2 : 1);
            if (switches_.contains(name))
                return QStringLiteral("l'option --%1 ne prend pas de valeur").arg(name);
        }
    }
    // The only other failure: a value option last, with nothing after it.
    QString last = args.value(args.size() - 1);
    last.remove(0, last.startsWith(QLatin1String("--")) ? 2 : 1);
    return QStringLiteral("l'option --%1 attend une valeur").arg(last);
}

} // namespace trouvel::cli
