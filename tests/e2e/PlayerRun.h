#pragma once

// Runs the real lumeria binary headless and collects what it said.
#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <optional>

namespace lumeria::test {

struct PlayerRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// screenConfig: an offscreen platform configuration file (its screens and
// their sizes), or empty for the platform's default 800 by 600 screen.
// Relative paths the player writes land in workingFolder when one is given;
// environment adds to or overrides the test's own variables.
inline PlayerRun player(const QStringList& args, const QString& screenConfig = {}, const QString& workingFolder = {},
                        const QProcessEnvironment& environment = {})
{
    QProcess p;
    if (!workingFolder.isEmpty())
        p.setWorkingDirectory(workingFolder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : environment.keys())
        env.insert(name, environment.value(name));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), screenConfig.isEmpty()
                                                      ? QStringLiteral("offscreen")
                                                      : QStringLiteral("offscreen:configfile=") + screenConfig);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LUMERIA_PLAYER), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

// Runs the player on an X server of its own (xvfb-run), as a reader's
// desktop would show it. Empty when xvfb-run is not installed.
inline std::optional<PlayerRun> playerOnX11(const QStringList& args, const QString& workingFolder)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    if (xvfb.isEmpty())
        return std::nullopt;
    QProcess p;
    p.setWorkingDirectory(workingFolder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    p.setProcessEnvironment(env);
    p.start(xvfb, QStringList{QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 800x600x24"),
                              QStringLiteral(LUMERIA_PLAYER)} +
                      args);
    p.waitForFinished(60000);
    return PlayerRun{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                     p.readAllStandardError()};
}

} // namespace lumeria::test
