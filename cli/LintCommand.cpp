#include "LintCommand.h"

#include "Arguments.h"
#include "CliText.h"
#include "ScriptFolders.h"
#include "TryCommand.h"

#include "common/BoundedRead.h"
#include "config/Script.h"
#include "config/ScriptLint.h"

#include <QCoreApplication>

#include <cstdio>
#include <optional>

namespace trouvel::cli {

namespace {

std::optional<std::vector<config::LintWarning>> lintFile(const QString& scriptFile, QString* problem)
{
    if (*problem = config::scriptFileProblem(scriptFile); !problem->isEmpty()) {
        *problem = QStringLiteral("script illisible : %1 (%2)").arg(scriptFile, *problem);
        return std::nullopt;
    }
    FileRead read = readRegularFile(scriptFile, config::kMaxScriptBytes);
    if (!read.bytes) {
        *problem = read.problem;
        return std::nullopt;
    }
    return config::lintScript(*read.bytes);
}

void print(std::FILE* to, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}

} // namespace

int runLint(const QStringList& args)
{
    Arguments arguments({}, {QStringLiteral("json")});
    if (!arguments.parse(args) || arguments.positional().isEmpty()) {
        std::fprintf(stderr, "trouvel lint : %s\n%s", arguments.error().isEmpty() ? "SCRIPT attendu" : qPrintable(arguments.error()), kUsage);
        return 2;
    }
    const bool json = arguments.isSet(QStringLiteral("json"));
    int status = 0;
    QStringList objects;
    for (const QString& nameOrFile : arguments.positional()) {
        // A script by name, as try takes it, or a file.
        QString problem;
        const QString scriptFile = findScript(nameOrFile, QCoreApplication::applicationDirPath(), &problem);
        const std::optional<std::vector<config::LintWarning>> warnings =
            scriptFile.isEmpty() ? std::nullopt : lintFile(scriptFile, &problem);
        if (!warnings) {
            std::fprintf(stderr, "trouvel lint : %s\n", qPrintable(problem));
            status = 2;
            continue;
        }
        if (!warnings->empty() && status == 0)
            status = 1;
        if (json) {
            objects << config::lintWarningsJson(*warnings).trimmed();
            continue;
        }
        for (const config::LintWarning& w : *warnings)
            print(stdout, config::lintWarningLine(scriptFile, w) + u'\n');
        if (warnings->empty())
            print(stdout, QStringLiteral("%1 : aucun problème\n").arg(scriptFile));
    }
    if (json) // one array per script, in the order given; a single script gives its array alone
        print(stdout, (objects.size() == 1 ? objects.front() : u'[' + objects.join(QStringLiteral(",\n")) + u']') + u'\n');
    std::fflush(stdout);
    return status;
}

void warnAboutScript(const QString& scriptFile, const char* command)
{
    QString problem;
    const std::optional<std::vector<config::LintWarning>> warnings = lintFile(scriptFile, &problem);
    if (!warnings)
        return; // the command says itself why the file cannot be used
    for (const config::LintWarning& w : *warnings)
        print(stderr, QStringLiteral("trouvel %1 : avertissement : %2\n").arg(QString::fromLatin1(command), config::lintWarningLine(scriptFile, w)));
}

} // namespace trouvel::cli
