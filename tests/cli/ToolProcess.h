// The trouvel program run as a child process with its own configuration and cache folders
// under `home`, while the test process goes on serving its sites.
#pragma once

#include <QByteArray>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace trouvel::testsupport {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs trouvel with args to its end (at most 60 s). onErrLine sees each stderr line as it comes.
inline ToolRun runTrouvel(const QStringList& args, const QString& home,
                          const std::function<void(const QString&, QProcess&)>& onErrLine = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    ToolRun run;
    QByteArray errBytes;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::readyReadStandardError, &loop, [&] {
        errBytes += process.readAllStandardError();
        qsizetype eol;
        while ((eol = errBytes.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(errBytes.left(eol));
            run.err += line + QLatin1Char('\n');
            errBytes.remove(0, eol + 1);
            if (onErrLine)
                onErrLine(line, process);
        }
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            loop.quit();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, [&] {
        ADD_FAILURE() << "trouvel did not finish";
        process.kill();
    });
    guard.start(60000);
    process.start(QStringLiteral(TROUVEL_BINARY_DIR "/bin/trouvel"), args);
    loop.exec();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err += QString::fromUtf8(errBytes + process.readAllStandardError());
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace trouvel::testsupport
