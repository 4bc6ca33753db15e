#include "RenderTestSupport.h"

#include "render/TextBlock.h"

#include <map>

namespace lumeria::test {
namespace {

class ButtonTest : public PainterFixture {
protected:
    void SetUp() override
    {
        PainterFixture::SetUp();
        context.recordedPictureSize = [this](const QString& name) -> std::optional<QSize> {
            const auto it = recorded.find(name);
            if (it == recorded.end())
                return std::nullopt;
            return it->second;
        };
    }

    Object_Rec button(ButtonStyle style, int x1, int y1, int x2, int y2, int lineWidth = 1)
    {
        Object_Rec o = objectAt(ObjectKind::Button, x1, y1, x2, y2);
        o.LineWidth = lineWidth;
        o.FillColor = int32_t(kFace);
        o.button()->Style = static_cast<uint8_t>(style);
        o.button()->Font = QStringLiteral("Arial");
        o.button()->FontSize = 10;
        return o;
    }

    std::map<QString, QSize> recorded;
};

TEST_F(ButtonTest, RaisedBevelIsTwoPixelsWhiteAndShadow)
{
    paint(button(ButtonStyle::Push, 0, 0, 20, 12));
    EXPECT_EQ(at(0, 0), kBlack);
    EXPECT_EQ(at(1, 1), kWhite);
    EXPECT_EQ(at(2, 2), kWhite);
    EXPECT_EQ(at(1, 9), kWhite);
    EXPECT_EQ(at(1, 10), kShadow);
    EXPECT_EQ(at(18, 1), kShadow);
    EXPECT_EQ(at(17, 2), kShadow);
    EXPECT_EQ(at(17, 9), kShadow);
    EXPECT_EQ(at(3, 3), kFace);
    EXPECT_EQ(at(16, 8), kFace);
    EXPECT_EQ(at(19, 11), kBlack);
}

TEST_F(ButtonTest, PressedBevelIsShadowAlongTopAndLeftOnly)
{
    Object_Rec o = button(ButtonStyle::Push, 0, 0, 20, 12);
    o.button()->State = 1;
    paint(o);
    EXPECT_EQ(at(1, 1), kShadow);
    EXPECT_EQ(at(2, 9), kShadow);
    EXPECT_EQ(at(17, 2), kShadow);
    EXPECT_EQ(at(3, 3), kFace);
    EXPECT_EQ(at(18, 10), kFace);
    EXPECT_EQ(at(18, 1), kShadow);
}

TEST_F(ButtonTest, WithoutOutlineThereIsNoBevel)
{
    Object_Rec o = button(ButtonStyle::Push, 0, 0, 20, 12, 0);
    paint(o);
    EXPECT_EQ(countOf(surface, kShadow), 0);
    EXPECT_EQ(at(0, 0), kFace);
}

TEST_F(ButtonTest, BevelOfAFlatButtonStaysOffItsOutline)
{
    for (uint8_t state : {0, 1}) {
        resize(20, 20);
        Object_Rec o = button(ButtonStyle::Push, 0, 0, 20, 3);
        o.button()->State = state;
        paint(o);
        for (int x = 0; x < 20; ++x) {
            EXPECT_EQ(at(x, 0), kBlack) << x;
            EXPECT_EQ(at(x, 2), kBlack) << x;
            EXPECT_EQ(at(x, 3), kWhite) << x;
        }
    }
}

TEST_F(ButtonTest, PressedButtonShowsItsDownImageShiftedByTwo)
{
    pictures[QStringLiteral("UP.BMP")] = solidPicture(4, 4, kRed);
    pictures[QStringLiteral("DOWN.BMP")] = solidPicture(4, 4, kBlue);
    Object_Rec o = button(ButtonStyle::Push, 0, 0, 20, 12);
    o.button()->Align = 2;
    o.button()->UpImage = QStringLiteral("UP.BMP");
    paint(o);
    // Centred: x = 10 - 2, y = 6 - 2.
    EXPECT_EQ(at(8, 4), kRed);
    EXPECT_EQ(at(11, 7), kRed);
    EXPECT_EQ(at(12, 7), kFace);
    EXPECT_EQ(countOf(surface, kRed), 16);

    resize(20, 20);
    o.button()->State = 1;
    paint(o);
    EXPECT_EQ(at(10, 6), kRed);
    EXPECT_EQ(at(13, 9), kRed);
    EXPECT_EQ(at(9, 5), kFace);
    EXPECT_EQ(countOf(surface, kRed), 16);

    resize(20, 20);
    o.button()->DownImage = QStringLiteral("DOWN.BMP");
    paint(o);
    EXPECT_EQ(at(10, 6), kBlue);
    EXPECT_EQ(countOf(surface, kRed), 0);
    EXPECT_EQ(countOf(surface, kBlue), 16);
}

TEST_F(ButtonTest, ImagePlacementFollowsAlign)
{
    pictures[QStringLiteral("UP.BMP")] = solidPicture(4, 4, kRed);
    Object_Rec o = button(ButtonStyle::Push, 0, 0, 30, 12);
    o.button()->UpImage = QStringLiteral("UP.BMP");
    paint(o);
    EXPECT_EQ(at(6, 4), kRed); // three bevels in from the left
    EXPECT_EQ(at(5, 4), kFace);

    resize(30, 20);
    o.button()->Align = 4;
    paint(o);
    // 30 - outline - three bevels - 4.
    EXPECT_EQ(at(19, 4), kRed);
    EXPECT_EQ(at(22, 4), kRed);
    EXPECT_EQ(at(18, 4), kFace);
    EXPECT_EQ(at(23, 4), kFace);
}

TEST_F(ButtonTest, MissingImageIsAPlaceholderOfTheRecordedSize)
{
    recorded[QStringLiteral("GONE.BMP")] = QSize(6, 6);
    Object_Rec o = button(ButtonStyle::Push, 0, 0, 20, 12);
    o.button()->Align = 2;
    o.button()->UpImage = QStringLiteral("GONE.BMP");
    paint(o);
    // At (7, 3), 6 x 6: outline, both diagonals, white between.
    EXPECT_EQ(at(7, 3), kBlack);
    EXPECT_EQ(at(12, 8), kBlack);
    EXPECT_EQ(at(9, 3), kBlack);
    EXPECT_EQ(at(9, 5), kBlack);
    EXPECT_EQ(at(8, 7), kBlack);
    EXPECT_EQ(at(11, 5), kWhite);
    EXPECT_EQ(at(13, 3), kFace);
}

TEST_F(ButtonTest, TransparentImageTakesTheFillColourOrShowsTheBackground)
{
    DecodedPicture p = solidPicture(4, 4, kGreen);
    setPicturePixel(p, 0, 3, kMagenta);
    setPicturePixel(p, 2, 1, kMagenta);
    pictures[QStringLiteral("T.BMP")] = p;
    Object_Rec o = button(ButtonStyle::Push, 0, 0, 20, 12, 0);
    o.FillColor = int32_t(kYellow);
    o.button()->Align = 2;
    o.button()->TransImages = true;
    o.button()->UpImage = QStringLiteral("T.BMP");
    paint(o);
    EXPECT_EQ(at(8, 7), kYellow);
    EXPECT_EQ(at(10, 5), kYellow);
    EXPECT_EQ(at(9, 5), kGreen);
    EXPECT_EQ(countOf(surface, kMagenta), 0);

    resize(20, 20, kBlue);
    o.FillPattern = 1;
    paint(o);
    EXPECT_EQ(at(8, 7), kBlue);
    EXPECT_EQ(at(10, 5), kBlue);
    EXPECT_EQ(at(9, 5), kGreen);

    resize(20, 20, kBlue);
    o.button()->TransImages = false;
    paint(o);
    EXPECT_EQ(at(8, 7), kMagenta);
}

TEST_F(ButtonTest, TextBesideAnImageKeepsClearOfIt)
{
    resize(120, 40);
    pictures[QStringLiteral("UP.BMP")] = solidPicture(10, 10, kRed);
    Object_Rec o = button(ButtonStyle::Push, 0, 0, 120, 40);
    o.button()->UpImage = QStringLiteral("UP.BMP");
    o.button()->Text = QStringLiteral("MMM");
    paint(o);
    const gdi::Rect red{3, 15, 13, 25};
    EXPECT_EQ(at(red.left, red.top), kRed);
    EXPECT_EQ(at(red.right - 1, red.bottom - 1), kRed);
    // The text starts after the image and the gap.
    const int firstText = boundsOf(surface, kBlack, {3, 3, 117, 37}).left;
    EXPECT_GE(firstText, red.right + 4);
    EXPECT_LT(firstText, red.right + 10);

    // Align 2: image above the text, both centred.
    resize(120, 40);
    o.button()->Align = 2;
    paint(o);
    const gdi::Rect text = boundsOf(surface, kBlack, {3, 3, 117, 37});
    const gdi::Rect image = boundsOf(surface, kRed, {3, 3, 117, 37});
    ASSERT_FALSE(image.isEmpty());
    ASSERT_FALSE(text.isEmpty());
    EXPECT_LE(image.bottom + 4, text.top);
    EXPECT_NEAR(image.left + image.right, 120, 2);
    EXPECT_NEAR(text.left + text.right, 120, 4);
}

TEST_F(ButtonTest, AlignFourPutsTheTextLeftOfTheImage)
{
    resize(120, 40);
    pictures[QStringLiteral("UP.BMP")] = solidPicture(10, 10, kRed);
    Object_Rec o = button(ButtonStyle::Push, 0, 0, 120, 40);
    o.button()->UpImage = QStringLiteral("UP.BMP");
    o.button()->Text = QStringLiteral("MMM");
    o.button()->Align = 4;
    paint(o);
    const gdi::Rect text = boundsOf(surface, kBlack, {3, 3, 117, 37});
    const gdi::Rect image = boundsOf(surface, kRed);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_EQ(image.height(), 10);
    EXPECT_EQ(image.width(), 10);
    EXPECT_LE(text.right + 4, image.left);
    EXPECT_GE(text.right + 8, image.left);
    EXPECT_NEAR(text.left + image.right, 120, 4); // the pair is centred
}

TEST_F(ButtonTest, TextAloneIsCentredAndMovesWithThePress)
{
    resize(100, 40);
    Object_Rec o = button(ButtonStyle::Push, 0, 0, 100, 40);
    o.button()->Text = QStringLiteral("MM");
    o.button()->TextColor = int32_t(kBlue);
    o.button()->Align = 2;
    paint(o);
    const gdi::Rect up = boundsOf(surface, kBlue);
    ASSERT_FALSE(up.isEmpty());
    EXPECT_NEAR(up.left + up.right, 100, 4);
    EXPECT_NEAR(up.top + up.bottom, 40, 6);

    resize(100, 40);
    o.button()->State = 1;
    paint(o);
    EXPECT_EQ(boundsOf(surface, kBlue), up.translated(2, 2));
}

TEST_F(ButtonTest, EditFieldIsSunkenWithItsTextFiveInside)
{
    resize(60, 20);
    Object_Rec o = button(ButtonStyle::EditField, 0, 0, 60, 16);
    o.FillColor = int32_t(kWhite);
    o.button()->EditText = QStringLiteral("MM");
    paint(o);
    EXPECT_EQ(at(0, 0), kBlack);
    EXPECT_EQ(at(1, 1), kShadow);
    EXPECT_EQ(at(1, 13), kShadow);
    EXPECT_EQ(at(30, 1), kShadow);
    EXPECT_EQ(at(30, 14), kFace);
    EXPECT_EQ(at(58, 7), kFace);
    const gdi::Rect text = boundsOf(surface, kBlack, {2, 2, 58, 14});
    ASSERT_FALSE(text.isEmpty());
    EXPECT_GE(text.left, 6);
    EXPECT_LE(text.left, 8);
    EXPECT_NEAR(text.top + text.bottom, 16, 4);
}

TEST_F(ButtonTest, WrappedEditFieldShowsWholeLinesOnly)
{
    resize(60, 40);
    Object_Rec o = button(ButtonStyle::EditField, 0, 0, 60, 40);
    o.FillColor = int32_t(kWhite);
    o.button()->WordWrap = true;
    o.button()->EditText = QStringLiteral("MM MM MM MM MM MM MM MM");
    paint(o);
    const int lineHeight = objectFont(QStringLiteral("Arial"), 10, 0).height();
    const int shown = (40 - 4) / lineHeight * lineHeight;
    for (int y = 2 + shown; y < 38; ++y) {
        for (int x = 2; x < 58; ++x)
            ASSERT_NE(at(x, y), kBlack) << x << "," << y;
    }
    EXPECT_GT(countOf(surface, kBlack), 60 * 2 + 40 * 2);
}

class CheckGlyph : public ButtonTest {};

TEST_F(CheckGlyph, CheckBoxStatesAndEdges)
{
    resize(40, 13);
    Object_Rec o = button(ButtonStyle::CheckBox, 0, 0, 40, 13);
    o.FillColor = int32_t(kRed); // no frame shape, so never filled
    paint(o);
    EXPECT_EQ(at(0, 0), kShadow);
    EXPECT_EQ(at(1, 1), kBlack);
    EXPECT_EQ(at(12, 12), kWhite);
    EXPECT_EQ(at(11, 5), kFace);
    EXPECT_EQ(at(5, 7), kWhite);
    EXPECT_EQ(countOf(surface, kRed), 0);
    EXPECT_EQ(at(20, 6), kWhite);

    o.button()->State = 1;
    paint(o);
    EXPECT_EQ(at(5, 7), kBlack);
    EXPECT_EQ(at(9, 3), kBlack);
    EXPECT_EQ(at(2, 2), kWhite);

    resize(40, 13);
    o.button()->State = 2;
    paint(o);
    EXPECT_EQ(at(2, 2), kFace);
    EXPECT_EQ(at(5, 7), kFace);
}

TEST_F(CheckGlyph, RadioButtonShowsItsDotWhenSetAndGreyWhenHeld)
{
    resize(40, 13);
    Object_Rec o = button(ButtonStyle::RadioButton, 0, 0, 40, 13);
    paint(o);
    EXPECT_EQ(at(5, 5), kWhite);
    EXPECT_EQ(at(0, 0), kWhite); // round: corners untouched
    EXPECT_EQ(at(0, 5), kShadow);
    EXPECT_EQ(at(11, 5), kWhite);

    o.button()->State = 1;
    paint(o);
    EXPECT_EQ(at(5, 5), kBlack);
    EXPECT_EQ(at(6, 6), kBlack);
    EXPECT_EQ(at(3, 5), kWhite);

    resize(40, 13);
    o.button()->State = 2;
    paint(o);
    EXPECT_EQ(at(5, 5), kFace);
    EXPECT_EQ(at(3, 5), kFace);
}

TEST_F(CheckGlyph, AlignPlacesTheBoxAndTheLabel)
{
    resize(100, 60);
    Object_Rec o = button(ButtonStyle::CheckBox, 10, 10, 90, 50);
    o.button()->Text = QStringLiteral("MM");
    o.button()->TextColor = int32_t(kBlue);
    paint(o);
    // Box at (X1, cy - 6) = (10, 24); label from X1 + 17.
    EXPECT_EQ(at(10, 24), kShadow);
    EXPECT_EQ(at(22, 36), kWhite);
    gdi::Rect blue = boundsOf(surface, kBlue);
    ASSERT_FALSE(blue.isEmpty());
    EXPECT_GE(blue.left, 27);
    EXPECT_LE(blue.left, 30);
    EXPECT_NEAR(blue.top + blue.bottom, 60, 6);

    resize(100, 60);
    o.button()->Align = 4;
    paint(o);
    // Box at (X2 - 13, cy - 6); label ends 17 left of X2.
    EXPECT_EQ(at(77, 24), kShadow);
    EXPECT_EQ(at(89, 36), kWhite);
    blue = boundsOf(surface, kBlue);
    ASSERT_FALSE(blue.isEmpty());
    EXPECT_LE(blue.right, 73);
    EXPECT_GE(blue.right, 69);

    resize(100, 60);
    o.button()->Align = 2;
    paint(o);
    // Box centred above the label.
    const int lh = objectFont(QStringLiteral("Arial"), 10, 0).height();
    const int boxTop = 30 - (lh + 17) / 2;
    EXPECT_EQ(at(44, boxTop), kShadow);
    EXPECT_EQ(at(56, boxTop + 12), kWhite);
    blue = boundsOf(surface, kBlue);
    ASSERT_FALSE(blue.isEmpty());
    EXPECT_GE(blue.top, boxTop + 17);
    EXPECT_NEAR(blue.left + blue.right, 100, 4);
}

} // namespace
} // namespace lumeria::test
