// The reader's mouse and keyboard as the window receives them from the
// window system: spontaneous events, which move Qt's focus and come in the
// order a desktop sends them.
#include "MainFormFixture.h"

#include "render/PageRenderer.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

namespace lumeria {
namespace {

// A push button that counts its clicks, a check box that counts its
// toggles, a field bound to NAME, a picture with a vertical bar and a button
// on the Down key; buttons and windows are tab stops.
const char* const kPublication = R"(ScreenWidth=320
ScreenHeight=240
TabButtons=Yes
TabWindows=Yes
ExtractOp=132
MasterPage
PageColor=0
NewPage=Only
PageColor=16777215
ShowMaster=No
ObjectType=3
X1=10
Y1=10
X2=110
Y2=40
FillColor=12632256
LineWidth=1
Style=0
Text=Count
Action=SV "COUNT" "[COUNT]x"
ObjectType=3
X1=10
Y1=60
X2=110
Y2=80
FillColor=16777215
LineWidth=1
Style=2
VarName=CHK
Text=Check
Action=SV "TOGGLES" "[TOGGLES]x"
ObjectType=3
X1=150
Y1=60
X2=300
Y2=85
FillColor=16777215
LineWidth=1
Style=1
MaxLen=20
VarName=NAME
ObjectType=4
X1=150
Y1=120
X2=250
Y2=220
LineWidth=1
FileName=TALL.BMP
WindowFlags=16
ObjectType=3
X1=10
Y1=200
X2=110
Y2=230
FillColor=12632256
LineWidth=1
Style=0
Key=40
Text=Down
Action=SV "ACC" "yes"
)";

QByteArray tallPicture()
{
    QImage image(60, 300, QImage::Format_RGB32);
    image.fill(Qt::green);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

class WindowInput : public test::MainFormFixture {
protected:
    void SetUp() override
    {
        QByteArray text(kPublication);
        text.replace("\n", "\r\n");
        open(text, {{"TALL.BMP", tallPicture(), 2, 60, 300}});
    }

    std::string var(const char* name) { return m_form->engine().variables().get(QLatin1String(name)).toStdString(); }
    QPoint at(int x, int y) const { return m_form->pageOrigin() + QPoint(x, y); }

    // Keys go where the window system sends them: to Qt's focus widget.
    void key(Qt::Key k)
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : m_form.get(), k);
        settle();
    }
    void type(const QString& text)
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClicks(focus ? focus : m_form.get(), text);
        settle();
    }

    // A wheel turned over a widget, as the window system delivers it: to
    // the widget under the pointer, through the application's filters.
    void wheel(QWidget* widget, QPoint point, int delta)
    {
        QWheelEvent event(point, widget->mapToGlobal(point), {}, QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget, &event);
        settle();
    }

    // The page pixels along the top edge of the focus marker's place that
    // are not the page's white: a frame drawn on white leaves black dots.
    int frameDots(const Object_Rec& o)
    {
        const QImage page = m_form->viewport()->grab().toImage();
        const gdi::Rect r = focusMarkerRect(o, m_form->pageOrigin());
        int dots = 0;
        for (int x = r.left; x < r.right; ++x)
            dots += (page.pixel(x, r.top) & 0xFFFFFF) != 0xFFFFFF;
        return dots;
    }
};

TEST_F(WindowInput, AFieldKeepsTheKeyboardWhenThePageAroundItIsClicked)
{
    QTest::mouseClick(m_form->viewport(), Qt::LeftButton, {}, at(200, 70));
    type(QStringLiteral("ab"));
    ASSERT_EQ(var("NAME"), "ab");
    // Presses on the empty page, left and right: neither takes the focus.
    QTest::mouseClick(m_form->viewport(), Qt::LeftButton, {}, at(250, 20));
    type(QStringLiteral("c"));
    QTest::mouseClick(m_form->viewport(), Qt::RightButton, {}, at(290, 150));
    type(QStringLiteral("d"));
    EXPECT_EQ(var("NAME"), "abcd");
}

TEST_F(WindowInput, EveryPressOfADoubleClickIsAPress)
{
    // What a desktop sends for a double-click: the second press arrives as a
    // double-click event.
    auto doubleClick = [&](QPoint p) {
        QTest::mousePress(m_form->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseRelease(m_form->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(m_form->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseRelease(m_form->viewport(), Qt::LeftButton, {}, p);
        settle();
    };
    doubleClick(at(50, 25));
    EXPECT_EQ(var("COUNT"), "xx");
    doubleClick(at(50, 70));
    EXPECT_EQ(var("TOGGLES"), "xx");
    EXPECT_EQ(var("CHK"), "");
}

TEST_F(WindowInput, APressOnAPicturesBarGivesItTheKeys)
{
    QScrollBar* bar = m_form->objectScrollBar(object(3), ScrollAxis::Vertical);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->value(), 0);
    // On the thumb: the bar does not move, only the focus does.
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->width() + 2));
    ASSERT_EQ(bar->value(), 0);
    key(Qt::Key_Down);
    EXPECT_EQ(var("ACC"), "");
    EXPECT_GT(bar->value(), 0);
}

TEST_F(WindowInput, TheWheelScrollsThePictureUnderThePointerThreeStepsANotch)
{
    QScrollBar* bar = m_form->objectScrollBar(object(3), ScrollAxis::Vertical);
    ASSERT_NE(bar, nullptr);
    const int step = bar->singleStep();
    QWidget* area = m_form->viewport();
    wheel(area, at(180, 150), -120);
    EXPECT_EQ(bar->value(), 3 * step);
    // A fine wheel sends thirds of a notch: two move nothing, the third
    // completes the notch.
    wheel(area, at(180, 150), -40);
    wheel(area, at(180, 150), -40);
    EXPECT_EQ(bar->value(), 3 * step);
    wheel(area, at(180, 150), -40);
    EXPECT_EQ(bar->value(), 6 * step);
    wheel(area, at(180, 150), 120);
    EXPECT_EQ(bar->value(), 3 * step);
    // On the bar itself the turn is the picture's too, and counted once.
    wheel(bar, QPoint(bar->width() / 2, bar->height() / 2), -120);
    EXPECT_EQ(bar->value(), 6 * step);
    // The steps are the bar's, not the Down key's accelerator.
    EXPECT_EQ(var("ACC"), "");
}

TEST_F(WindowInput, TheWheelOverThePlainPageMovesNothing)
{
    QScrollBar* bar = m_form->objectScrollBar(object(3), ScrollAxis::Vertical);
    ASSERT_NE(bar, nullptr);
    const QImage before = m_form->viewport()->grab().toImage();
    // Beside the picture, and over a button: a part of a notch there does
    // not count toward the picture later either.
    wheel(m_form->viewport(), at(280, 20), -120);
    wheel(m_form->viewport(), at(50, 25), -80);
    EXPECT_EQ(m_form->viewport()->grab().toImage(), before);
    wheel(m_form->viewport(), at(180, 150), -80);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(var("COUNT"), "");
}

TEST_F(WindowInput, TheFocusMarkerShowsOnTheFirstStopAndMovesWithTab)
{
    const Object_Rec& count = object(0);
    const Object_Rec& check = object(1);
    EXPECT_GT(frameDots(count), 10);
    key(Qt::Key_Tab);
    EXPECT_EQ(frameDots(count), 0);
    EXPECT_GT(frameDots(check), 10);
    // The field takes the keyboard instead of a frame; Tab leaves nothing.
    key(Qt::Key_Tab);
    EXPECT_EQ(frameDots(check), 0);
    EXPECT_EQ(frameDots(object(2)), 0);
}

} // namespace
} // namespace lumeria
