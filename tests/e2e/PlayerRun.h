#pragma once

// Runs the real lumeria binary headless and collects what it said.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace lumeria::test {

struct PlayerRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// screenConfig: an offscreen platform configuration file (its screens and
// their sizes), or empty for the platform's default 800 by 600 screen.
// Relative paths the player writes land in workingFolder when one is given.
inline PlayerRun player(const QStringList& args, const QString& screenConfig = {}, const QString& workingFolder = {})
{
    QProcess p;
    if (!workingFolder.isEmpty())
        p.setWorkingDirectory(workingFolder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), screenConfig.isEmpty()
                                                      ? QStringLiteral("offscreen")
                                                      : QStringLiteral("offscreen:configfile=") + screenConfig);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LUMERIA_PLAYER), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

} // namespace lumeria::test
