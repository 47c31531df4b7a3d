#include "DemoCommand.h"

#include "Arguments.h"
#include "CliText.h"
#include "ShellWord.h"
#include "common/WholeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>

namespace trouvel::cli {

namespace {

const QStringList kDemoFiles{QStringLiteral("demo.csv"), QStringLiteral("Trouvel.ini")};

// The program as the user should type it: its bare name when the PATH leads to the one
// beside trouvel (or there is none beside it), else its path.
QString commandName(const QString& program, const QString& programFolder)
{
    const QFileInfo beside(QDir(programFolder).filePath(program));
    if (!beside.exists())
        return program;
    const QString found = QStandardPaths::findExecutable(program);
    if (!found.isEmpty() && QFileInfo(found).canonicalFilePath() == beside.canonicalFilePath())
        return program;
    return shellWord(beside.absoluteFilePath());
}

} // namespace

QString demoCatalogueFolder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/" TROUVEL_DEMO_FROM_BIN));
}

QString copyDemoCatalogue(const QString& from, const QString& to)
{
    for (const QString& name : kDemoFiles) {
        if (!QFileInfo(QDir(from).filePath(name)).isFile())
            return QStringLiteral("catalogue de démonstration introuvable : %1").arg(QDir(from).filePath(name));
        // The user's own catalogue or mapping is never replaced by the demo's.
        if (QFileInfo::exists(QDir(to).filePath(name)))
            return QStringLiteral("%1 existe déjà : choisissez un autre dossier").arg(QDir(to).filePath(name));
    }
    if (!QDir().mkpath(to))
        return QStringLiteral("impossible de créer le dossier %1").arg(to);
    for (const QString& name : kDemoFiles) {
        if (const QString why = copyWholeFile(QDir(from).filePath(name), QDir(to).filePath(name)); !why.isEmpty())
            return QStringLiteral("%1 : %2").arg(QDir(to).filePath(name), why);
    }
    return {};
}

QString demoInstructions(const QString& catalogue, const QString& programFolder)
{
    return QStringLiteral("Pour l'essayer, lancez le site de démonstration, puis Cadrelle sur la copie (Modules > Trouvel) :\n"
                          "    %1 &\n"
                          "    %2 %3\n")
        .arg(commandName(QStringLiteral("trouvel-demo-site"), programFolder),
             commandName(QStringLiteral("cadrelle"), programFolder), shellWord(catalogue));
}

int runDemo(const QStringList& args)
{
    Arguments arguments({}, {});
    if (!arguments.parse(args) || arguments.positional().size() != 1) {
        std::fprintf(stderr, "trouvel demo : %s\n%s", arguments.error().isEmpty() ? "DOSSIER attendu" : qPrintable(arguments.error()), kUsage);
        return 2;
    }
    const QString folder = QFileInfo(arguments.positional().at(0)).absoluteFilePath();
    if (const QString why = copyDemoCatalogue(demoCatalogueFolder(), folder); !why.isEmpty()) {
        std::fprintf(stderr, "trouvel demo : %s\n", qPrintable(why));
        return 1;
    }
    const QString catalogue = QDir(folder).filePath(QStringLiteral("demo.csv"));
    std::printf("Catalogue de démonstration copié dans %s (demo.csv et ses colonnes associées, Trouvel.ini).\n%s",
                qPrintable(folder), qPrintable(demoInstructions(catalogue, QCoreApplication::applicationDirPath())));
    return 0;
}

} // namespace trouvel::cli
