#include "BatchOptions.h"

#include "Arguments.h"
#include "BatchReport.h"
#include "CliText.h"
#include "HostProfile.h"
#include "ScriptFolders.h"
#include "TryCommand.h"

#include "config/Script.h"
#include "config/ScriptFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

namespace trouvel::cli {

namespace {

std::nullopt_t fail(const QString& message)
{
    std::fprintf(stderr, "trouvel batch : %s\n", message.toUtf8().constData());
    return std::nullopt;
}

} // namespace

std::optional<BatchOptions> parseBatchOptions(const QStringList& args)
{
    Arguments arguments({QStringLiteral("script"), QStringLiteral("map"), QStringLiteral("from"), QStringLiteral("delay"), QStringLiteral("proxy"),
                         QStringLiteral("timeout"), QStringLiteral("checkpoint"), QStringLiteral("checkpoint-seconds"), QStringLiteral("max-wait"),
                         QStringLiteral("retry-delay"), QStringLiteral("report"), QStringLiteral("cookies")},
                        {QStringLiteral("dry-run"), QStringLiteral("yes"), QStringLiteral("no"), QStringLiteral("resume"), QStringLiteral("ask"),
                         QStringLiteral("only-empty"), QStringLiteral("accept-different-title")});
    if (!arguments.parse(args) || arguments.positional().size() != 1 || !arguments.isSet(QStringLiteral("script"))) {
        std::fprintf(stderr, "trouvel batch : %s\n%s",
                     arguments.error().isEmpty() ? "CATALOGUE.csv et --script attendus" : qPrintable(arguments.error()), kUsage);
        return std::nullopt;
    }
    BatchOptions options;
    options.dryRun = arguments.isSet(QStringLiteral("dry-run"));
    options.resume = arguments.isSet(QStringLiteral("resume"));
    options.onlyEmpty = arguments.isSet(QStringLiteral("only-empty"));
    options.acceptDifferentTitle = arguments.isSet(QStringLiteral("accept-different-title"));
    options.cataloguePath = QFileInfo(arguments.positional().at(0)).absoluteFilePath();
    QString problem;
    options.script = findScript(arguments.value(QStringLiteral("script")), QCoreApplication::applicationDirPath(), &problem);
    if (options.script.isEmpty())
        return fail(problem);
    if (arguments.isSet(QStringLiteral("from")))
        options.fromText = arguments.value(QStringLiteral("from"));
    // Checkpoints: the catalogue written every so many entries and at least every so many
    // seconds, so that a killed run loses at most that much work. 0 turns either off.
    WalkSettings& walk = options.walk;
    for (auto [name, target] : {std::pair{"checkpoint", &walk.checkpointEntries}, std::pair{"checkpoint-seconds", &walk.checkpointSeconds}}) {
        if (!arguments.isSet(QString::fromLatin1(name)))
            continue;
        bool ok = false;
        *target = arguments.value(QString::fromLatin1(name)).toInt(&ok);
        if (!ok || *target < 0)
            return fail(QStringLiteral("--%1 attend un nombre positif ou nul").arg(QString::fromLatin1(name)));
    }
    walk.ask = arguments.isSet(QStringLiteral("ask"));
    if (walk.ask && (!::isatty(STDIN_FILENO) || !::isatty(STDERR_FILENO)))
        return fail(QStringLiteral("--ask demande un terminal (entrée et sortie d'erreur)"));
    if (options.resume && (arguments.isSet(QStringLiteral("from")) || options.dryRun))
        return fail(QStringLiteral("--resume ne se combine ni avec --from ni avec --dry-run"));

    SessionOptions& session = options.session;
    session.scriptFile = options.script;
    session.yesNoAnswer = arguments.isSet(QStringLiteral("no")) ? MsgAnswer::No : MsgAnswer::Yes;
    session.quietMessages = true;     // every entry's outcome says what its steps met
    session.deferPictureSync = true;  // synced once, before the catalogue that names them
    session.keepPages = false;
    if (QString error; !networkOptionsFrom(arguments, &session.network, &error) || !webSessionFrom(arguments, &session.web, &error))
        return fail(error);

    walk.delayMs = isLoopbackAddress(config::ScriptFile(options.script).searchUrl(QString())) ? 0 : 1000;
    if (arguments.isSet(QStringLiteral("delay"))) {
        bool ok = false;
        walk.delayMs = arguments.value(QStringLiteral("delay")).toInt(&ok);
        if (!ok || walk.delayMs < 0)
            return fail(QStringLiteral("--delay attend un nombre de millisecondes"));
    }
    if (const QString error = readRetryLimits(arguments, &walk.retry); !error.isEmpty())
        return fail(error);
    options.reportPath = arguments.value(QStringLiteral("report"));
    if (arguments.isSet(QStringLiteral("report")) && !reportFormatFor(options.reportPath))
        return fail(QStringLiteral("--report attend un fichier .csv ou .json, pas « %1 »").arg(options.reportPath));
    options.maps = arguments.values(QStringLiteral("map"));
    return options;
}

} // namespace trouvel::cli
