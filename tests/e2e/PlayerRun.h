#pragma once

// Runs the real lumeria binary headless and collects what it said.
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>

namespace lumeria::test {

// The little-endian bytes of v, for the binary files tests write.
inline QByteArray le(uint32_t v, int size)
{
    QByteArray out;
    for (int i = 0; i < size; ++i)
        out += char((v >> (8 * i)) & 0xFF);
    return out;
}

struct PlayerRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    qint64 peakKb = 0; // VmHWM: the player's resident set at its largest
};

// Waits up to timeoutMs for a started player, reading its peak resident
// set from /proc while it runs (the figure is gone once it has exited).
inline qint64 waitWatchingPeak(QProcess& p, int timeoutMs)
{
    qint64 peakKb = 0;
    QElapsedTimer timer;
    timer.start();
    const QString status = QStringLiteral("/proc/%1/status").arg(p.processId());
    while (!p.waitForFinished(20) && timer.elapsed() < timeoutMs) {
        QFile s(status);
        if (!s.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : s.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                peakKb = std::max(peakKb, line.mid(6).trimmed().split(' ').front().toLongLong());
    }
    return peakKb;
}

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
    const qint64 peakKb = p.waitForStarted() ? waitWatchingPeak(p, 60000) : 0;
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError(), peakKb};
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

// A test that drives the player with --automate, in a folder of its own for
// the automation file, its log and whatever the player writes.
class AutomatedPlayer : public ::testing::Test {
protected:
    QString file(const QString& name) const { return m_dir.filePath(name); }

    PlayerRun automate(const QStringList& args, const QString& script, const QString& screen = {},
                       const QProcessEnvironment& environment = {})
    {
        const QString path = file(QStringLiteral("run.auto"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(script.toUtf8());
        f.close();
        return player(args + QStringList{QStringLiteral("--automate"), path, QStringLiteral("--automate-log"),
                                         file(QStringLiteral("run.log"))},
                      screen, m_dir.path(), environment);
    }

    QStringList logLines() const
    {
        QFile f(file(QStringLiteral("run.log")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QTemporaryDir m_dir;
};

} // namespace lumeria::test
