// The player under real X11 input: clicks that move the window system's
// keyboard focus, double-clicks as the desktop reports them, and the focus
// marker as the screen shows it.
#include "e2e/X11Desktop.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace lumeria
