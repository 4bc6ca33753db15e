#include "popups/LumeriaBalloon.h"
#include "popups/LumeriaStickyNote.h"
#include "popups/PopUpBalloonForm.h"

#include <QImage>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kFace = 0xFFC0C0C0;

QImage grabbed(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A 60 x 40 balloon with a 10-pixel stem, white on the grey face.
QImage balloonImage(TBalloonStemPos side, int stemOffset = 0)
{
    TLumeriaBalloon balloon;
    balloon.resize(60, 40);
    balloon.setStemSize(10);
    balloon.setStemWidth(4);
    balloon.setStemPos(side);
    balloon.setStemOffset(stemOffset);
    return grabbed(balloon);
}

TEST(BalloonStem, BottomStemPointsDownAndOpensIntoTheBody)
{
    const QImage image = balloonImage(TBalloonStemPos::spBottom);
    EXPECT_EQ(image.pixel(30, 39), kBlack); // the tip, on the last row
    EXPECT_EQ(image.pixel(30, 34), kWhite); // inside the stem
    EXPECT_EQ(image.pixel(30, 29), kWhite); // the base line, opened
    EXPECT_EQ(image.pixel(15, 29), kBlack); // the body's bottom outline
    EXPECT_EQ(image.pixel(15, 35), kFace);  // beside the stem
    EXPECT_EQ(image.pixel(30, 15), kWhite); // the body
}

TEST(BalloonStem, TopStemPointsUpFromTheBodysTop)
{
    const QImage image = balloonImage(TBalloonStemPos::spTop);
    EXPECT_EQ(image.pixel(30, 0), kBlack);
    EXPECT_EQ(image.pixel(30, 5), kWhite);
    EXPECT_EQ(image.pixel(30, 10), kWhite);
    EXPECT_EQ(image.pixel(15, 10), kBlack);
    EXPECT_EQ(image.pixel(15, 4), kFace);
}

TEST(BalloonStem, SideStemsPointOutLeftAndRight)
{
    const QImage left = balloonImage(TBalloonStemPos::spLeft);
    EXPECT_EQ(left.pixel(0, 20), kBlack);
    EXPECT_EQ(left.pixel(6, 20), kWhite);
    EXPECT_EQ(left.pixel(10, 20), kWhite);
    EXPECT_EQ(left.pixel(10, 30), kBlack);
    EXPECT_EQ(left.pixel(4, 32), kFace);

    const QImage right = balloonImage(TBalloonStemPos::spRight);
    EXPECT_EQ(right.pixel(54, 20), kWhite);
    EXPECT_EQ(right.pixel(49, 20), kWhite);
    EXPECT_EQ(right.pixel(49, 30), kBlack);
    EXPECT_EQ(right.pixel(55, 32), kFace);
}

TEST(BalloonStem, OffsetMovesTipAndBaseTogether)
{
    const QImage image = balloonImage(TBalloonStemPos::spBottom, -15);
    EXPECT_EQ(image.pixel(15, 39), kBlack);
    EXPECT_EQ(image.pixel(15, 29), kWhite);
    EXPECT_EQ(image.pixel(30, 29), kBlack);
    EXPECT_EQ(image.pixel(30, 35), kFace);
}

TEST(StickyNote, NoteOverAShadowBandInsetFourPixels)
{
    TLumeriaStickyNote note;
    note.resize(50, 30);
    const QImage image = grabbed(note);
    EXPECT_EQ(image.pixel(0, 0), kBlack);
    EXPECT_EQ(image.pixel(49, 24), kBlack); // the note's last row and column
    EXPECT_EQ(image.pixel(10, 10), 0xFFFFFF00u);
    EXPECT_EQ(image.pixel(4, 27), 0xFF808080u);
    EXPECT_EQ(image.pixel(45, 27), 0xFF808080u);
    EXPECT_EQ(image.pixel(3, 27), kFace);
    EXPECT_EQ(image.pixel(46, 27), kFace);
}

// The ink of one colour in a part of an image.
QRect inkOf(const QImage& image, const QRect& area, QRgb ink)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == ink)
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(BalloonForm, SizedToTheTextAndAnEmptyTextKeepsOneLine)
{
    TPopUpBalloonForm one;
    one.setText(QStringLiteral("Word"));
    TPopUpBalloonForm two;
    two.setText(QStringLiteral("Word\rWord"));
    TPopUpBalloonForm empty;
    empty.setText(QString());
    const int line = two.height() - one.height();
    EXPECT_GT(line, 10);
    EXPECT_EQ(one.height(), line + 2 * 8 + 16);
    EXPECT_EQ(one.width(), two.width());
    EXPECT_EQ(empty.height(), one.height());
    EXPECT_GT(empty.width(), 16);
}

TEST(BalloonForm, LinesAreCentredEachOnItsOwnAndTheBlockVertically)
{
    TPopUpBalloonForm form;
    form.setText(QStringLiteral("Hi\rA much longer line"));
    form.textBalloon()->setStemPos(TBalloonStemPos::spBottom);
    const QImage image = grabbed(form);
    const gdi::Rect body = form.textBalloon()->bodyRect();
    const QRect inside(body.left + 3, body.top + 3, body.width() - 6, body.height() - 6);
    const QRect all = inkOf(image, inside, kBlack);
    ASSERT_FALSE(all.isEmpty());
    const int middle = body.top + body.height() / 2;
    const QRect first = inkOf(image, QRect(inside.left(), inside.top(), inside.width(), middle - inside.top()), kBlack);
    const QRect second = inkOf(image, QRect(inside.left(), middle, inside.width(), inside.bottom() - middle), kBlack);
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    EXPECT_LT(first.width(), second.width());
    EXPECT_NEAR(first.center().x(), second.center().x(), 2);
    EXPECT_NEAR(all.center().x(), (body.left + body.right) / 2, 2);
    // The margins above and below the block differ by the glyphs' own
    // bearings only.
    EXPECT_NEAR(all.top() - body.top, body.bottom - 1 - all.bottom(), 6);
}

} // namespace
} // namespace lumeria
