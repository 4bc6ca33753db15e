// The player under real X11 input: clicks that move the window system's
// keyboard focus, double-clicks as the desktop reports them, and the focus
// marker as the screen shows it.
#include "e2e/X11Desktop.h"

#include <gtest/gtest.h>

#include <functional>

namespace lumeria {
namespace {

// Page Desk: two pictures with a vertical bar (tab stops, TabWindows on), a
// field bound to NAME (the third stop: TabButtons is off), a Count button
// and a check box that add an "x" to COUNT and TOGGLES, a text, and Done on
// F2, which adds an "x" to DONE. F2 ends every run of input, so a wait-var
// on DONE knows that all input before it has been taken.
QString desk()
{
    return QStringLiteral(LUMERIA_E2E_DATA "/desk.lum");
}

const QRect kPicture1(10, 10, 81, 51);
const QRect kPicture2(110, 10, 81, 51);

// The dots of a focus marker on the white page: the row two pixels above an
// object, from two pixels left of it to two pixels right.
int markerDots(const QImage& page, const QRect& object)
{
    int dots = 0;
    const int y = object.top() - 2;
    for (int x = object.left() - 2; x <= object.right() + 2; ++x)
        dots += (page.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    return dots;
}

using RealInput = test::PlayerOnDesktop;

// Page Wheel: an article with a vertical bar, the first tab stop
// (TabWindows on), eighteen lines of which about seven show, and Done on F2.
QString wheelPublication()
{
    return QStringLiteral(LUMERIA_E2E_DATA "/wheel.lum");
}

const QRect kArticle(20, 20, 401, 121);

TEST_F(RealInput, TypingReachesTheFieldAfterClicksElsewhereOnThePage)
{
    play(desk(), QStringLiteral("wait-var DONE x\n"
                                "expect-var NAME abcd\n"));
    click(100, 92);
    type(QStringLiteral("ab"));
    click(260, 100); // nothing there
    type(QStringLiteral("c"));
    click(100, 180); // the text
    type(QStringLiteral("d"));
    key(QStringLiteral("F2"));
    const test::PlayerRun r = finish();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

TEST_F(RealInput, ADoubleClickPressesTwice)
{
    play(desk(), QStringLiteral("wait-var DONE x\n"
                                "expect-var COUNT xx\n"
                                "expect-var TOGGLES xx\n"
                                "expect-var CHK\n"));
    doubleClick(50, 135);
    doubleClick(150, 132);
    key(QStringLiteral("F2"));
    const test::PlayerRun r = finish();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

TEST_F(RealInput, TheFocusMarkerFollowsTabAndLeavesNothingBehind)
{
    play(desk(), QStringLiteral("wait-var DONE x\ndump-vars 1.vars\n"
                                "wait-var DONE xx\ndump-vars 2.vars\n"
                                "wait-var DONE xxx\ndump-vars 3.vars\n"
                                "wait-var DONE xxxx\ndump-vars 4.vars\n"
                                "wait-var DONE xxxxx\n"));
    // The first tab stop has the marker as soon as the page shows.
    const QImage start = page(QStringLiteral("start.png"));
    ASSERT_FALSE(start.isNull());
    EXPECT_GT(markerDots(start, kPicture1), 20);
    EXPECT_EQ(markerDots(start, kPicture2), 0);

    auto step = [&](const QString& input, const QString& done) {
        if (input == QLatin1String("bar"))
            click(kPicture2.right() - 6, kPicture2.center().y());
        else
            key(input);
        key(QStringLiteral("F2"));
        EXPECT_TRUE(waitForFile(done + QStringLiteral(".vars")));
        return page(done + QStringLiteral(".png"));
    };
    const QImage second = step(QStringLiteral("Tab"), QStringLiteral("1"));
    EXPECT_EQ(markerDots(second, kPicture1), 0);
    EXPECT_GT(markerDots(second, kPicture2), 20);
    // The field takes the keyboard and shows no marker.
    const QImage field = step(QStringLiteral("Tab"), QStringLiteral("2"));
    EXPECT_EQ(markerDots(field, kPicture1), 0);
    EXPECT_EQ(markerDots(field, kPicture2), 0);
    const QImage wrapped = step(QStringLiteral("Tab"), QStringLiteral("3"));
    EXPECT_GT(markerDots(wrapped, kPicture1), 20);
    EXPECT_EQ(markerDots(wrapped, kPicture2), 0);
    // A press on a picture's bar gives the picture the focus.
    const QImage bar = step(QStringLiteral("bar"), QStringLiteral("4"));
    EXPECT_EQ(markerDots(bar, kPicture1), 0);
    EXPECT_GT(markerDots(bar, kPicture2), 20);

    key(QStringLiteral("F2"));
    const test::PlayerRun r = finish();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

TEST_F(RealInput, AWheelNotchScrollsTheArticleUnderThePointerThreeLines)
{
    QString automation;
    for (int i = 1; i <= 9; ++i)
        automation += QStringLiteral("wait-var DONE %1\ndump-vars %2.vars\n").arg(QString(i, QLatin1Char('x'))).arg(i);
    play(wheelPublication(), automation + QStringLiteral("wait-var DONE xxxxxxxxxx\n"));

    const QPoint over = kArticle.center();
    int done = 0;
    // Input, then F2, then the article as it shows once the player took both.
    auto after = [&](const std::function<void()>& input) {
        input();
        key(QStringLiteral("F2"));
        const QString name = QString::number(++done);
        EXPECT_TRUE(waitForFile(name + QStringLiteral(".vars")));
        return page(name + QStringLiteral(".png")).copy(kArticle);
    };
    // xdotool's --sync waits for the pointer to move, which it does not
    // when it is there already.
    QPoint pointer(-1, -1);
    auto notches = [&](QPoint at, int count, bool down) {
        return [=, this, &pointer] {
            if (at != pointer) {
                ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), m_window,
                                     QStringLiteral("--sync"), QString::number(at.x()), QString::number(at.y())}));
                pointer = at;
            }
            ASSERT_TRUE(xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(count),
                                 QStringLiteral("--delay"), QStringLiteral("60"),
                                 down ? QStringLiteral("5") : QStringLiteral("4")}));
        };
    };
    auto keys = [&](const QString& name, int count) {
        return [=, this] {
            for (int i = 0; i < count; ++i)
                key(name);
        };
    };

    const QImage top = page(QStringLiteral("top.png")).copy(kArticle);
    ASSERT_FALSE(top.isNull());
    const QImage notch = after(notches(over, 1, true));
    EXPECT_NE(notch, top);
    // Two lines back up is not yet the top, three are: a notch went down no
    // more than three lines and more than two.
    EXPECT_NE(after(keys(QStringLiteral("Up"), 2)), top);
    EXPECT_EQ(after(keys(QStringLiteral("Up"), 1)), top);
    // And three lines down show what the notch showed.
    EXPECT_EQ(after(keys(QStringLiteral("Down"), 3)), notch);
    // Up goes back as far: two notches down, one up, then three lines up
    // meet the first notch again.
    const QImage two = after(notches(over, 2, true));
    EXPECT_NE(two, notch);
    const QImage back = after(notches(over, 1, false));
    EXPECT_NE(back, two);
    EXPECT_NE(back, notch);
    EXPECT_EQ(after(keys(QStringLiteral("Up"), 3)), notch);
    // Beside the article the page has nothing to scroll.
    EXPECT_EQ(after(notches(QPoint(480, 100), 2, true)), notch);
    EXPECT_EQ(after(notches(QPoint(480, 100), 2, false)), notch);

    key(QStringLiteral("F2"));
    const test::PlayerRun r = finish();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

} // namespace
} // namespace lumeria
