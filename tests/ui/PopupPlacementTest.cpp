#include "popups/PopupPlacement.h"

#include <gtest/gtest.h>

namespace lumeria {
namespace {

const gdi::Rect kScreen{0, 0, 800, 600};
const QSize kBalloon(100, 50);

TEST(BalloonPlacement, SitsAboveThePointWithTheStemDownAndTheTipOnIt)
{
    const BalloonPlacement p = placeBalloon({300, 200}, kBalloon, kScreen, {});
    EXPECT_EQ(p.topLeft, QPoint(250, 150));
    EXPECT_EQ(p.stemPos, TBalloonStemPos::spBottom);
    EXPECT_EQ(p.stemOffset, 0);
}

TEST(BalloonPlacement, NearTheTopFlipsBelowThePointWithTheStemUp)
{
    const BalloonPlacement p = placeBalloon({300, 20}, kBalloon, kScreen, {});
    EXPECT_EQ(p.stemPos, TBalloonStemPos::spTop);
    EXPECT_EQ(p.topLeft, QPoint(250, 20));
    // Exactly the balloon's height above the top still fits above.
    EXPECT_EQ(placeBalloon({300, 50}, kBalloon, kScreen, {}).stemPos, TBalloonStemPos::spBottom);
}

TEST(BalloonPlacement, AtEitherSideTheBodyMovesInAndTheTipStaysOnX)
{
    const BalloonPlacement right = placeBalloon({795, 300}, kBalloon, kScreen, {});
    EXPECT_EQ(right.topLeft.x(), 700);
    // The stem's tip is at the body's middle plus the offset.
    EXPECT_EQ(right.topLeft.x() + kBalloon.width() / 2 + right.stemOffset, 795);

    const BalloonPlacement left = placeBalloon({10, 300}, kBalloon, kScreen, {});
    EXPECT_EQ(left.topLeft.x(), 0);
    EXPECT_EQ(left.stemOffset, 10 - 50);
}

TEST(BalloonPlacement, BelowTheScreenIsPulledUp)
{
    const BalloonPlacement p = placeBalloon({300, 900}, kBalloon, kScreen, {});
    EXPECT_EQ(p.topLeft.y(), 550);
    EXPECT_EQ(p.stemPos, TBalloonStemPos::spBottom);
}

TEST(BalloonPlacement, MinusOneTakesThePointerOnThatAxisOnly)
{
    EXPECT_EQ(placeBalloon({-1, 300}, kBalloon, kScreen, {400, 10}).topLeft, QPoint(350, 250));
    EXPECT_EQ(placeBalloon({200, -1}, kBalloon, kScreen, {400, 310}).topLeft, QPoint(150, 260));
    EXPECT_EQ(placeBalloon({-1, -1}, kBalloon, kScreen, {400, 310}).topLeft, QPoint(350, 260));
}

TEST(BalloonPlacement, AScreenRightOfAnotherKeepsItsOwnEdges)
{
    const gdi::Rect second{800, 0, 1600, 600};
    const BalloonPlacement p = placeBalloon({810, 300}, kBalloon, second, {});
    EXPECT_EQ(p.topLeft.x(), 800);
    EXPECT_EQ(p.stemOffset, 810 - 800 - 50);
}

const gdi::Rect kPage = gdi::Rect::fromSize(100, 50, 640, 480);

TEST(StickyNotePlacement, MinusOneCentresOnTheReference)
{
    EXPECT_EQ(placeStickyNote(kPage, -1, -1, {200, 100}, kScreen), QPoint(100 + 220, 50 + 190));
    EXPECT_EQ(placeStickyNote(kPage, 10, -1, {200, 100}, kScreen), QPoint(110, 240));
    EXPECT_EQ(placeStickyNote(kPage, -1, 7, {200, 100}, kScreen), QPoint(320, 57));
}

TEST(StickyNotePlacement, LargerThanTheReferenceMeetsItsCorner)
{
    const gdi::Rect small = gdi::Rect::fromSize(100, 50, 80, 40);
    EXPECT_EQ(placeStickyNote(small, -1, -1, {200, 100}, kScreen), QPoint(100, 50));
    // Other negative offsets do the same.
    EXPECT_EQ(placeStickyNote(kPage, -30, -2, {200, 100}, kScreen), QPoint(100, 50));
}

TEST(StickyNotePlacement, OffsetsPastTheScreenArePulledBack)
{
    EXPECT_EQ(placeStickyNote(kPage, 700, 580, {200, 100}, kScreen), QPoint(100 + 600, 50 + 500));
}

TEST(PopupImagePlacement, MinusOneCentresOnThePageSurfaceNotTheScreen)
{
    EXPECT_EQ(placePopupImage(kPage, -1, -1, {100, 80}), QPoint(100 + 270, 50 + 200));
    EXPECT_EQ(placePopupImage(kPage, 5, -1, {100, 80}), QPoint(105, 250));
    // A picture larger than the page is centred too, overhanging both sides.
    EXPECT_EQ(placePopupImage(kPage, -1, 0, {700, 80}), QPoint(100 - 30, 50));
}

TEST(PopupOnScreen, OnlyTheRightAndBottomEdgesArePulledBack)
{
    EXPECT_EQ(keepOnScreenRightBottom({700, 500}, {200, 150}, kScreen), QPoint(600, 450));
    EXPECT_EQ(keepOnScreenRightBottom({-20, -10}, {200, 150}, kScreen), QPoint(-20, -10));
    // Larger than the screen: the right and bottom edges win.
    EXPECT_EQ(keepOnScreenRightBottom({0, 0}, {1000, 700}, kScreen), QPoint(-200, -100));
}

} // namespace
} // namespace lumeria
