// The tour, played as a new reader meets it: every page turns without a
// message, and the pages that compute, write files and turn themselves do
// what they say. The coordinates are those of the tour's RUNTIME.PUB.
#include "e2e/PlayerRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using test::PlayerRun;

class PlayerTour : public test::AutomatedPlayer {
protected:
    // Plays the tour from the page named, with a data folder of the test's
    // own, so drive C: is a folder the test can look into.
    PlayerRun tour(const QString& page, const QString& script)
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataFolder());
        return automate({QStringLiteral(LUMERIA_TOUR), QStringLiteral("--page"), page}, script, {}, env);
    }

    QString dataFolder() const { return file(QStringLiteral("data")); }
    QString driveC() const { return dataFolder() + QStringLiteral("/lumeria/drives/c"); }
};

TEST_F(PlayerTour, EveryPageTurnsWithoutAMessage)
{
    QString script;
    for (int i = 1; i < 35; ++i)
        script += QStringLiteral("key PgDn\n");
    script += QStringLiteral("expect-page The end\n"
                             "key F2\n"
                             "expect-page Contents\n"
                             "# Back where I was: the page Contents was entered from\n"
                             "click 320 416\n"
                             "expect-page The end\n"
                             "key Home\n"
                             "expect-page Welcome\n");
    const PlayerRun r = tour(QStringLiteral("Welcome"), script);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(logLines(), QStringList()) << logLines().join(QLatin1Char('\n')).toStdString();
}

TEST_F(PlayerTour, TheCalculatorWorksOutWhatIsPressedAndTyped)
{
    // The keypad's columns start at x 40, 98, 156, 214, 272 and its rows at
    // y 172, 206, 240, 274, 308, each key 54 by 30; = spans y 342 to 372,
    // the radio button of 0 decimals is at 104, 382.
    const PlayerRun r = tour(QStringLiteral("Calculator"), QStringLiteral("expect-var DEC 2\n"
                                                                          "click 110 392\n"
                                                                          "expect-var DEC 0\n"
                                                                          "# ( 1 + 2 ) * 1 4 =\n"
                                                                          "click 240 187\n"
                                                                          "click 67 255\n"
                                                                          "click 298 289\n"
                                                                          "click 125 255\n"
                                                                          "click 298 187\n"
                                                                          "click 240 255\n"
                                                                          "click 67 255\n"
                                                                          "click 67 221\n"
                                                                          "expect-var EXPR (1+2)*14\n"
                                                                          "click 180 357\n"
                                                                          "expect-var RESULT 42\n"
                                                                          "# the key <- takes the last character\n"
                                                                          "click 183 289\n"
                                                                          "expect-var EXPR (1+2)*1\n"
                                                                          "# C, then typed into the field\n"
                                                                          "click 298 255\n"
                                                                          "expect-var EXPR\n"
                                                                          "click 180 120\n"
                                                                          "type SQRT(2^10)+2\n"
                                                                          "key Enter\n"
                                                                          "expect-var RESULT 34\n"
                                                                          "click 480 186\n"
                                                                          "click 298 255\n"
                                                                          "click 180 120\n"
                                                                          "type 1/0\n"
                                                                          "key Enter\n"
                                                                          "expect-var RESULT Error\n"
                                                                          "dump-vars vars.txt\n"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    QFile vars(file(QStringLiteral("vars.txt")));
    ASSERT_TRUE(vars.open(QIODevice::ReadOnly));
    // The times table of 34 is a While loop of ten Math lines.
    EXPECT_TRUE(vars.readAll().contains("TABLE=1 x 34 = 34|2 x 34 = 68|3 x 34 = 102|4 x 34 = 136|5 x 34 = 170|"
                                        "6 x 34 = 204|7 x 34 = 238|8 x 34 = 272|9 x 34 = 306|10 x 34 = 340|\n"));
}

TEST_F(PlayerTour, TheGuestBookIsWrittenIntoTheReadersOwnFolder)
{
    // Name at 130..330 and words at 420..600, y 110..134; Sign at 40..150,
    // Remove the oldest at 40..190 y 178..206.
    const PlayerRun r = tour(QStringLiteral("Guest book"), QStringLiteral("expect-var COUNT 0\n"
                                                                          "expect-var GUESTS Nobody has signed yet.\n"
                                                                          "click 230 122\n"
                                                                          "type Ada\n"
                                                                          "click 510 122\n"
                                                                          "type Hello from the test\n"
                                                                          "key Enter\n"
                                                                          "expect-var COUNT 1\n"
                                                                          "expect-var GUESTWORDS\n"
                                                                          "click 95 156\n"
                                                                          "expect-var COUNT 2\n"
                                                                          "click 115 192\n"
                                                                          "expect-var COUNT 1\n"
                                                                          "click 510 122\n"
                                                                          "type Again\n"
                                                                          "click 95 156\n"
                                                                          "expect-var COUNT 2\n"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(logLines(), QStringList());
    QFile book(driveC() + QStringLiteral("/LUMERIA/GUESTS.TXT"));
    ASSERT_TRUE(book.open(QIODevice::ReadOnly)) << book.fileName().toStdString();
    const QList<QByteArray> lines = book.readAll().split('\n');
    // Lines ended by CR LF: the first signature was removed, the one
    // without words stays, then the last.
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].endsWith(" Ada was here.\r")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(" Ada: Again\r")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].isEmpty());
    // Nothing is written beside the tour.
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(QStringLiteral(LUMERIA_TOUR)).dir().filePath(QStringLiteral("LUMERIA"))));
}

TEST_F(PlayerTour, TheTransitionsPageTurnsThroughAllFifteen)
{
    // Each effect page adds its name to TURNED and stays half a second after
    // its effect, so the run is waited for in parts of less than ten seconds.
    const PlayerRun r =
        tour(QStringLiteral("Transitions"),
             QStringLiteral("click 320 308\n"
                            "wait-var EFFECTS 5\n"
                            "wait-var EFFECTS 10\n"
                            "wait-var EFFECTS 15\n"
                            "wait-var SHOWALL\n"
                            "expect-page Transitions\n"
                            "expect-var TURNED Dissolve, Slide Left, Slide Right, Slide Up, Slide Down, "
                            "Explode, Implode, Weave Horizontal, Weave Vertical, Split Horizontal, "
                            "Split Vertical, Wipe Left, Wipe Right, Wipe Up, Wipe Down\n"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(logLines(), QStringList());
}

TEST_F(PlayerTour, StopEndsTheTurningOnThePageItWasPressedOn)
{
    // Stop turning is at 400..540, 360..390 on every effect page.
    const PlayerRun r = tour(QStringLiteral("Transitions"), QStringLiteral("click 320 308\n"
                                                                           "wait-var EFFECTS 8\n"
                                                                           "click 470 375\n"
                                                                           "wait 1500\n"
                                                                           "expect-page Weave Horizontal\n"
                                                                           "expect-var EFFECTS 8\n"
                                                                           "expect-var SHOWALL\n"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

} // namespace
} // namespace lumeria
