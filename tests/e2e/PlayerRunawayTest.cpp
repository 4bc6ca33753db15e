// A script that never waits for the reader: after --script-timeout seconds
// the player asks whether to stop it. Yes stops it as Esc would and the
// player takes the next click; No lets it run as long again. Scripts that
// wait now and then are never asked.
#include "e2e/X11Desktop.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

// Page Main: Loop (an endless label loop counting N), Patient (waits 200 ms
// twelve times, then PATIENT=done), While (an endless While counting W),
// Nested (goes to page Spin, whose entry script never ends, then would set
// BACK), and on the master page Next, which adds an "x" to AFTER.
QString runaway()
{
    return QStringLiteral(LUMERIA_E2E_DATA "/runaway.lum");
}

const QString kQuestion = QStringLiteral(R"(dialog "Runaway" "Ce script ne répond plus. L'arrêter ?" "Oui|Non")");

using Runaway = test::AutomatedPlayer;

TEST_F(Runaway, YesStopsTheScriptNoLetsItRunAndWaitingScriptsAreNeverAsked)
{
    const test::PlayerRun r = automate({runaway(), QStringLiteral("--script-timeout"), QStringLiteral("1")},
                                       QStringLiteral("answer 1\n"
                                                      "click 50 25\n"
                                                      "click 200 25\n"
                                                      "expect-var AFTER x\n"
                                                      "answer 2\n"
                                                      "answer 1\n"
                                                      "click 50 25\n"
                                                      "click 200 25\n"
                                                      "expect-var AFTER xx\n"
                                                      "click 50 65\n"
                                                      "wait-var PATIENT done\n"
                                                      "answer 1\n"
                                                      "click 50 105\n"
                                                      "expect-var WHILEEND\n"
                                                      "answer 1\n"
                                                      "click 50 145\n"
                                                      "expect-page Spin\n"
                                                      "expect-var BACK\n"
                                                      "click 200 25\n"
                                                      "expect-var AFTER xxx\n"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    // Loop: yes; loop again: no, then yes; Patient: not asked in its 2.4 s;
    // While: yes; Nested: yes ends the page's script and the one that
    // showed the page.
    const QStringList expected{kQuestion + QStringLiteral(" -> 1"), kQuestion + QStringLiteral(" -> 2"),
                               kQuestion + QStringLiteral(" -> 1"), kQuestion + QStringLiteral(" -> 1"),
                               kQuestion + QStringLiteral(" -> 1")};
    EXPECT_EQ(logLines().join(QLatin1Char('\n')).toStdString(), expected.join(QLatin1Char('\n')).toStdString());
}

// The value of a variable in a dump-vars file.
QString dumped(const QByteArray& vars, const QString& name)
{
    for (const QByteArray& line : vars.split('\n')) {
        if (line.startsWith(name.toUtf8() + '='))
            return QString::fromUtf8(line.mid(name.size() + 1));
    }
    return {};
}

using RunawayOnDesktop = test::PlayerOnDesktop;

TEST_F(RunawayOnDesktop, TheQuestionShowsAndTheReadersYesStopsTheLoop)
{
    play(runaway(),
         // LOOPS is set as the loop starts, and the automation, held while
         // the loop runs, goes on once the question is up.
         QStringLiteral("answer reader\n"
                        "wait-var LOOPS x\n"
                        "wait-var AFTER x\n"
                        "dump-vars first.vars\n"
                        "wait 500\n"
                        "dump-vars second.vars\n"),
         {QStringLiteral("--script-timeout"), QStringLiteral("1")});
    click(50, 25);

    // The box is a second window of the player's, over the first.
    QString box;
    const bool shown = test::pollUntil(
        [&] {
            const std::optional<QByteArray> out = m_desktop.run(
                QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                            QStringLiteral("--pid"), QString::number(m_player.processId())});
            for (const QByteArray& id : out ? out->trimmed().split('\n') : QList<QByteArray>{}) {
                if (!id.isEmpty() && QString::fromLatin1(id) != m_window)
                    box = QString::fromLatin1(id);
            }
            return !box.isEmpty();
        },
        10000);
    ASSERT_TRUE(shown) << "no question showed: " << readFile(QStringLiteral("player.err")).toStdString();
    // Painted before it is looked at: the sanitized player is slow.
    QThread::msleep(700);
    ASSERT_TRUE(m_desktop.run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                                         file(QStringLiteral("question.png"))}));
    const QRect question = geometry(box);
    EXPECT_GT(question.width(), 150);

    // Its first button, Oui, has the keyboard.
    ASSERT_TRUE(xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), box}));
    key(QStringLiteral("Return"));
    ASSERT_TRUE(test::pollUntil(
        [&] {
            return !m_desktop.run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), box})
                        .value_or("")
                        .contains("IsViewable");
        },
        5000));
    ASSERT_TRUE(xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), m_window}));
    click(200, 25);
    ASSERT_TRUE(waitForFile(QStringLiteral("second.vars")));
    const test::PlayerRun r = finish();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();

    // The loop counted while it ran and not once after Oui.
    const QString first = dumped(readFile(QStringLiteral("first.vars")), QStringLiteral("N"));
    EXPECT_GT(first.toInt(), 0);
    EXPECT_EQ(dumped(readFile(QStringLiteral("second.vars")), QStringLiteral("N")), first);
}

} // namespace
} // namespace lumeria
