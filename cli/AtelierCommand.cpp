#include "AtelierCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace trouvel::cli {

QString atelierProgram(const QString& toolFolder)
{
    return QDir::cleanPath(toolFolder + QStringLiteral("/" TROUVEL_ATELIER_FROM_BIN "/trouvel-atelier"));
}

QString missingDisplay()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(name))
            return {};
    return QStringLiteral("aucun affichage : ni DISPLAY ni WAYLAND_DISPLAY n'est défini, et l'atelier est une fenêtre");
}

int runAtelier(const QStringList& args)
{
    const QString program = atelierProgram(QCoreApplication::applicationDirPath());
    if (!QFileInfo(program).isExecutable()) {
        std::fprintf(stderr, "trouvel atelier : la fenêtre de l'atelier est introuvable (%s) : installez-la avec trouvel\n",
                     qPrintable(program));
        return 2;
    }
    if (const QString why = missingDisplay(); !why.isEmpty()) {
        std::fprintf(stderr, "trouvel atelier : %s\n", qPrintable(why));
        return 2;
    }
    std::vector<QByteArray> words{QFile::encodeName(program)};
    for (const QString& arg : args)
        words.push_back(arg.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::fflush(stdout);
    ::execv(argv[0], argv.data());
    std::fprintf(stderr, "trouvel atelier : %s ne démarre pas : %s\n", qPrintable(program), std::strerror(errno));
    return 2;
}

} // namespace trouvel::cli
