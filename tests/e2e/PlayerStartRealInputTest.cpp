// The player with nothing to play, on a desktop of the test's own: real
// clicks on the start window.
#include "ContainerBuilder.h"
#include "e2e/X11Desktop.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using test::pollUntil;
using test::stopProcess;

// Where the start window puts its buttons, in its client area.
const QRect kOpenFileButton(20, 112, 200, 28);
const QRect kTourButton(20, 184, 200, 28);
const QRect kTourNote(232, 184, 208, 28);
const QRect kQuitButton(350, 232, 90, 28);

// Text is black on the buttons and in the note; a button that cannot be
// pressed draws its caption grey.
int blackPixels(const QImage& window, const QRect& area)
{
    int black = 0;
    for (int y = area.top() + 3; y < area.bottom() - 2; ++y)
        for (int x = area.left() + 3; x < area.right() - 2; ++x)
            black += qGray(window.pixel(x, y)) < 40;
    return black;
}

class StartOnDesktop : public test::PlayerOnDesktop {
protected:
    // A copy of the player in PREFIX/bin, with the tour where an installed
    // player keeps it when asked for.
    QString install(const QString& prefix, bool withTour)
    {
        const QString program = file(prefix + QStringLiteral("/bin/lumeria"));
        EXPECT_TRUE(QDir().mkpath(QFileInfo(program).path()));
        EXPECT_TRUE(QFile::copy(QStringLiteral(LUMERIA_PLAYER), program));
        QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
        if (withTour) {
            EXPECT_TRUE(QDir().mkpath(file(prefix + QStringLiteral("/share/lumeria"))));
            EXPECT_TRUE(
                QFile::copy(QStringLiteral(LUMERIA_TOUR), file(prefix + QStringLiteral("/share/lumeria/tour.lum"))));
        }
        return program;
    }

    void launch(const QString& program, const QStringList& args)
    {
        QProcessEnvironment env = m_desktop.environment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), file(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_DATA_DIRS"), file(QStringLiteral("desktop")));
        env.insert(QStringLiteral("TEMP"), file(QStringLiteral("temp")));
        QDir().mkpath(file(QStringLiteral("temp")));
        m_player.setProcessEnvironment(env);
        m_player.setWorkingDirectory(m_dir.path());
        m_player.setStandardOutputFile(file(QStringLiteral("player.out")));
        m_player.setStandardErrorFile(file(QStringLiteral("player.err")));
        m_player.start(program, args);
        ASSERT_TRUE(m_player.waitForStarted());
    }

    // The player's visible window of that title, which becomes the window
    // the test looks at; empty when none shows within the time.
    QString windowTitled(const QString& title, int timeoutMs = 15000)
    {
        QString found;
        pollUntil(
            [&] {
                const std::optional<QByteArray> ids = m_desktop.run(
                    QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                QStringLiteral("--pid"), QString::number(m_player.processId())});
                for (const QByteArray& id : ids ? ids->trimmed().split('\n') : QList<QByteArray>{}) {
                    const std::optional<QByteArray> name = m_desktop.run(
                        QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), QString::fromLatin1(id)});
                    if (name && name->trimmed() == title.toUtf8())
                        found = QString::fromLatin1(id);
                }
                return !found.isEmpty();
            },
            timeoutMs);
        if (!found.isEmpty())
            m_window = found;
        return found;
    }
};

TEST_F(StartOnDesktop, WithoutATourItsButtonCannotBePressed)
{
    launch(install(QStringLiteral("bare"), false), {});
    ASSERT_FALSE(windowTitled(QStringLiteral("Lumeria")).isEmpty())
        << "no start window: " << readFile(QStringLiteral("player.err")).toStdString();
    const QImage shown = page(QStringLiteral("start-without-tour.png"));
    ASSERT_FALSE(shown.isNull());
    EXPECT_GT(blackPixels(shown, kOpenFileButton), 30);
    EXPECT_EQ(blackPixels(shown, kTourButton), 0);
    EXPECT_GT(blackPixels(shown, kTourNote), 30);

    click(kTourButton.center().x(), kTourButton.center().y());
    QThread::msleep(500);
    EXPECT_EQ(m_player.state(), QProcess::Running);
    EXPECT_EQ(windowTitled(QStringLiteral("Lumeria"), 1000), m_window);
    click(kQuitButton.center().x(), kQuitButton.center().y());
    const test::PlayerRun r = finish();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

TEST_F(StartOnDesktop, AClickOnTheTourButtonPlaysTheInstalledTour)
{
    launch(install(QStringLiteral("usr"), true), {});
    const QString start = windowTitled(QStringLiteral("Lumeria"));
    ASSERT_FALSE(start.isEmpty()) << "no start window: " << readFile(QStringLiteral("player.err")).toStdString();
    const QImage shown = page(QStringLiteral("start-with-tour.png"));
    ASSERT_FALSE(shown.isNull());
    EXPECT_GT(blackPixels(shown, kTourButton), 30);
    EXPECT_EQ(blackPixels(shown, kTourNote), 0);

    click(kTourButton.center().x(), kTourButton.center().y());
    ASSERT_FALSE(windowTitled(QStringLiteral("Lumeria Tour")).isEmpty())
        << "the tour did not show: " << readFile(QStringLiteral("player.err")).toStdString();
    // Its first page, from the tour file installed, with the master page's bar.
    pollUntil([&] { return (page(QStringLiteral("tour.png")).pixel(320, 460) & 0xFFFFFF) == 0x808080; }, 5000);
    const QImage tour = page(QStringLiteral("tour.png"));
    ASSERT_EQ(tour.size(), QSize(640, 480));
    EXPECT_EQ(tour.pixel(320, 460) & 0xFFFFFF, 0x808080u);
    stopProcess(m_player);
}

} // namespace
} // namespace lumeria
