#pragma once

// The real player on an X server of the test's own, with a window manager,
// driven by real input: xdotool sends it through the server's XTEST
// extension, so the player gets what a reader's desktop sends (focus moved
// by clicks, double-clicks as such), which Qt events made up inside the
// player do not show.
#include "e2e/PlayerRun.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QRandomGenerator>
#include <QSize>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <iostream>
#include <optional>

namespace lumeria::test {

// Waits for a condition by looking again every few milliseconds.
template <typename Condition>
bool pollUntil(Condition done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return done();
        QThread::msleep(20);
    }
    return true;
}

inline void stopProcess(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

// Xvfb on a display of its own, and openbox on it.
class X11Desktop {
public:
    // The programs the desktop needs that are not installed.
    static QStringList missingTools()
    {
        QStringList missing;
        for (const char* tool : {"Xvfb", "openbox", "xdotool", "xprop", "xwininfo", "import"}) {
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                missing << QLatin1String(tool);
        }
        return missing;
    }

    X11Desktop() = default;
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;
    ~X11Desktop()
    {
        stopProcess(m_windowManager);
        stopProcess(m_server);
    }

    // Before start(); 800 by 600 unless set.
    void setScreenSize(QSize size) { m_screenSize = size; }

    // folder: where the logs and the window manager's settings are written.
    bool start(const QString& folder, QString& error)
    {
        // A display someone else took meanwhile fails; another one will do.
        for (int attempt = 1; attempt <= 3; ++attempt) {
            if (startServer(folder, error) && startWindowManager(folder, error))
                return true;
            std::cerr << "X11 desktop, attempt " << attempt << ": " << error.toStdString() << '\n';
            for (const char* name : {"/xvfb.log", "/openbox.log"}) {
                QFile log(folder + QLatin1String(name));
                if (log.open(QIODevice::ReadOnly))
                    std::cerr << name << ": " << log.readAll().toStdString() << '\n';
            }
            stopProcess(m_windowManager);
            stopProcess(m_server);
        }
        return false;
    }

    // The test's environment, with this desktop's display.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        return env;
    }

    // Runs an X client to its end; its standard output, or nothing when it
    // failed or took longer than timeoutMs.
    std::optional<QByteArray> run(const QString& program, const QStringList& args, int timeoutMs = 10000) const
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(program, args);
        if (!p.waitForFinished(timeoutMs)) {
            stopProcess(p);
            return std::nullopt;
        }
        if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return std::nullopt;
        return p.readAllStandardOutput();
    }

private:
    static bool ended(QProcess& process)
    {
        process.waitForFinished(0);
        return process.state() == QProcess::NotRunning;
    }

    // A display number of its own: -displayfd would pick the lowest free
    // one, which servers started at the same moment (tests side by side, a
    // soak) race for, now and then leaving a display no client can open.
    bool startServer(const QString& folder, QString& error)
    {
        const QString log = folder + QStringLiteral("/xvfb.log");
        int number = 0;
        do
            number = 100 + int(QRandomGenerator::global()->bounded(800));
        while (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)) ||
               QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)));
        m_display = QStringLiteral(":%1").arg(number);
        m_server.setStandardOutputFile(log, QIODevice::Append);
        m_server.setStandardErrorFile(log, QIODevice::Append);
        // -noreset: a server resets when its last client leaves, and the
        // next one to come (openbox after xprop) may find it closed.
        m_server.start(QStringLiteral("Xvfb"),
                       {m_display, QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("%1x%2x24").arg(m_screenSize.width()).arg(m_screenSize.height()),
                        QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")});
        const bool answers = pollUntil(
            [&] {
                return ended(m_server) ||
                       run(QStringLiteral("xprop"),
                           {QStringLiteral("-root"), QStringLiteral("-len"), QStringLiteral("0")}, 2000)
                           .has_value();
            },
            10000);
        if (!answers || ended(m_server)) {
            error = QStringLiteral("Xvfb on %1 did not start, see %2").arg(m_display, log);
            return false;
        }
        return true;
    }

    bool startWindowManager(const QString& folder, QString& error)
    {
        const QString log = folder + QStringLiteral("/openbox.log");
        // Clicks focus and raise, new windows take the focus, and no key is
        // the window manager's. A plain button bound in the "Frame" context
        // would catch every click on the client too and never pass it on.
        const QString config = folder + QStringLiteral("/openbox.xml");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly)) {
            error = QStringLiteral("cannot write ") + config;
            return false;
        }
        file.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <desktops><number>1</number></desktops>
  <keyboard></keyboard>
  <mouse>
    <context name="Client">
      <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
    </context>
  </mouse>
</openbox_config>
)");
        file.close();
        m_windowManager.setProcessEnvironment(environment());
        m_windowManager.setStandardOutputFile(log, QIODevice::Append);
        m_windowManager.setStandardErrorFile(log, QIODevice::Append);
        m_windowManager.start(QStringLiteral("openbox"),
                              {QStringLiteral("--sm-disable"), QStringLiteral("--config-file"), config});
        // A window manager that runs names its check window on the root.
        const bool managed = pollUntil(
            [&] {
                const std::optional<QByteArray> out =
                    run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
                return (out && out->contains("window id")) || ended(m_windowManager);
            },
            10000);
        if (!managed || ended(m_windowManager)) {
            error = QStringLiteral("openbox did not start on %1, see %2").arg(m_display, log);
            return false;
        }
        return true;
    }

    QProcess m_server;
    QProcess m_windowManager;
    QString m_display;
    QSize m_screenSize{800, 600};
};

// A test that plays a publication on its own desktop. The player runs an
// automation file whose first line tells the test that the first page is
// on screen; its further lines check what the test's input did, usually
// after a wait-var on a variable that the test's last input sets. Skipped
// only when a program the desktop needs is missing.
class PlayerOnDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QStringList missing = X11Desktop::missingTools();
        if (!missing.isEmpty())
            GTEST_SKIP() << "real X11 input needs " << missing.join(QStringLiteral(", ")).toStdString();
        QString error;
        m_desktop.setScreenSize(screenSize());
        ASSERT_TRUE(m_desktop.start(m_dir.path(), error)) << error.toStdString();
    }

    void TearDown() override
    {
        stopProcess(m_player);
        // Kept to be looked at when a test failed, or when asked for.
        if (HasFailure() || qEnvironmentVariableIsSet("LUMERIA_KEEP_TEST_FILES")) {
            m_dir.setAutoRemove(false);
            std::cerr << "screenshots and logs kept in " << m_dir.path().toStdString() << '\n';
        }
    }

    // The desktop's screen, for a test that needs another one.
    virtual QSize screenSize() const { return {800, 600}; }

    QString file(const QString& name) const { return m_dir.filePath(name); }

    // Starts the player and waits until its first page is up and its window
    // has the keyboard; args follow the automation file, environment adds
    // to the player's.
    void play(const QString& publication, const QString& automation, const QStringList& args = {},
              const QProcessEnvironment& environment = {})
    {
        QFile script(file(QStringLiteral("run.auto")));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("dump-vars ready.vars\n" + automation.toUtf8());
        script.close();
        QProcessEnvironment env = m_desktop.environment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        for (const QString& name : environment.keys())
            env.insert(name, environment.value(name));
        m_player.setProcessEnvironment(env);
        m_player.setWorkingDirectory(m_dir.path());
        m_player.setStandardOutputFile(file(QStringLiteral("player.out")));
        m_player.setStandardErrorFile(file(QStringLiteral("player.err")));
        m_player.start(QStringLiteral(LUMERIA_PLAYER),
                       QStringList{publication, QStringLiteral("--automate"), script.fileName()} + args);
        // A loaded runner once took just over ten seconds to the first page
        // of a one-page publication; what follows keeps its own timeouts.
        ASSERT_TRUE(waitForFile(QStringLiteral("ready.vars"), 30000))
            << "the first page never showed: " << readFile(QStringLiteral("player.err")).toStdString();
        const std::optional<QByteArray> windows =
            m_desktop.run(QStringLiteral("xdotool"),
                          {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                           QStringLiteral("--pid"), QString::number(m_player.processId())});
        ASSERT_TRUE(windows && !windows->trimmed().isEmpty()) << "the player's window was not found";
        m_window = QString::fromLatin1(windows->trimmed().split('\n').first());
        ASSERT_TRUE(xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), m_window}));
    }

    bool xdotool(const QStringList& args) { return m_desktop.run(QStringLiteral("xdotool"), args).has_value(); }

    // Page points: the page fills the window's client area from its corner.
    void click(int x, int y, int count = 1)
    {
        ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), m_window,
                             QStringLiteral("--sync"), QString::number(x), QString::number(y)}));
        // Well inside any desktop's double-click time, so two make one.
        ASSERT_TRUE(xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(count),
                             QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")}));
    }
    void doubleClick(int x, int y) { click(x, y, 2); }
    void key(const QString& name) { ASSERT_TRUE(xdotool({QStringLiteral("key"), name})); }
    void type(const QString& text)
    {
        ASSERT_TRUE(xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text}));
    }

    bool waitForFile(const QString& name, int timeoutMs = 10000)
    {
        // A player that ended will write nothing more.
        return pollUntil(
                   [&] {
                       if (QFile::exists(file(name)))
                           return true;
                       m_player.waitForFinished(0);
                       return m_player.state() == QProcess::NotRunning;
                   },
                   timeoutMs) &&
               QFile::exists(file(name));
    }

    // A window's client area on the screen, from xwininfo, since
    // xdotool's geometry of a framed window is off by the frame; empty when
    // it cannot be read.
    QRect geometry(const QString& window)
    {
        const std::optional<QByteArray> info =
            m_desktop.run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
        QRect area;
        for (const QByteArray& raw : info ? info->split('\n') : QList<QByteArray>{}) {
            const QByteArray line = raw.trimmed();
            const int value = line.mid(line.lastIndexOf(':') + 1).trimmed().toInt();
            if (line.startsWith("Absolute upper-left X:"))
                area.moveLeft(value);
            else if (line.startsWith("Absolute upper-left Y:"))
                area.moveTop(value);
            else if (line.startsWith("Width:"))
                area.setWidth(value);
            else if (line.startsWith("Height:"))
                area.setHeight(value);
        }
        return area;
    }

    // The whole screen as the X server holds it, and the page's part of it.
    QImage page(const QString& name)
    {
        const QString path = file(name);
        if (!m_desktop.run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path}))
            return {};
        const QRect area = geometry(m_window);
        if (area.isEmpty())
            return {};
        return QImage(path).copy(area);
    }

    // Waits for the player to end (its automation's last line) and says
    // how it went.
    PlayerRun finish()
    {
        if (!m_player.waitForFinished(15000))
            stopProcess(m_player);
        return {m_player.exitStatus() == QProcess::NormalExit ? m_player.exitCode() : -1,
                readFile(QStringLiteral("player.out")), readFile(QStringLiteral("player.err"))};
    }

    QByteArray readFile(const QString& name) const
    {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    X11Desktop m_desktop;
    QProcess m_player;
    QString m_window;
};

} // namespace lumeria::test
