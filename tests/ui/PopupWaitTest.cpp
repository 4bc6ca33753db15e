#include "popups/PopupWait.h"
#include "popups/LumeriaBalloon.h"
#include "popups/PopUpBalloonForm.h"
#include "popups/PopUpStickyNoteForm.h"
#include "popups/PopupRequest.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace lumeria {
namespace {

QImage grabbed(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Runs action once the event loop of the wait turns.
void soon(std::function<void()> action)
{
    QTimer::singleShot(0, qApp, std::move(action));
}

struct WaitLog {
    std::vector<QString> calls;
    QWidget* popup = nullptr;
    std::function<void(QWidget*)> then;

    PopupWaitHooks hooks()
    {
        return {[this](QWidget* p) {
                    popup = p;
                    calls.push_back(p->isVisible() ? QStringLiteral("begins shown") : QStringLiteral("begins hidden"));
                    if (then)
                        then(p);
                },
                [this] { calls.push_back(QStringLiteral("ends")); },
                {}};
    }
};

const gdi::Rect kScreen{0, 0, 1024, 768};

// Ends a wait that should have ended long ago with a key, which the test
// then reports as the wrong reason rather than hanging; gone with the test.
class FailSafe {
public:
    FailSafe()
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, qApp, [] {
            QCoreApplication::postEvent(qApp, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
        });
        m_timer.start(10000);
    }

private:
    QTimer m_timer;
};

TEST(PopupWait, AKeyInAnotherWindowEndsTheWaitAndGoesNoFurther)
{
    QLineEdit page;
    page.show();
    page.activateWindow();
    page.setFocus();
    TPopUpStickyNoteForm form;
    form.setText(QStringLiteral("Note"));
    WaitLog log;
    log.then = [&](QWidget*) {
        soon([&] { QCoreApplication::postEvent(&page, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, {}, "a")); });
    };
    FailSafe failSafe;
    EXPECT_EQ(showPopupAndWait(form, {10, 10}, 0, kScreen, log.hooks()), PopupEnd::Key);
    EXPECT_EQ(log.calls, (std::vector<QString>{"begins shown", "ends"}));
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(page.text().isEmpty());
}

// The offscreen platform activates every window it shows, whatever the
// pop-up asks, and leaves no window active when it goes: the page's edit
// field would then never get the keyboard back.
TEST(PopupWait, TheWindowThatWasActiveIsActiveAgainAfterThePopup)
{
    QWidget page;
    auto* field = new QLineEdit(&page);
    page.show();
    page.activateWindow();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &page);
    TPopUpBalloonForm form;
    form.setText(QStringLiteral("Balloon"));
    WaitLog log;
    FailSafe failSafe;
    EXPECT_EQ(showPopupAndWait(form, {10, 10}, 5, kScreen, log.hooks()), PopupEnd::TimeOut);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &page);
    field->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), field);
}

// The reader switching to another program leaves nobody to dismiss the
// pop-up: the wait ends rather than holding the script. The offscreen
// platform has no other program to switch to, so the state change the
// window system would report is announced here.
TEST(PopupWait, TheApplicationGoingInactiveEndsTheWait)
{
    TPopUpStickyNoteForm form;
    form.setText(QStringLiteral("Note"));
    WaitLog log;
    log.then = [&](QWidget*) {
        soon([] {
            emit qApp->applicationStateChanged(Qt::ApplicationActive);
            emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        });
    };
    FailSafe failSafe;
    EXPECT_EQ(showPopupAndWait(form, {10, 10}, 0, kScreen, log.hooks()), PopupEnd::Inactive);
    EXPECT_FALSE(form.isVisible());
}

TEST(PopupWait, ALeftClickOnThePopupEndsItAndOtherClicksDoNot)
{
    QWidget page;
    page.resize(100, 100);
    page.show();
    TPopUpBalloonForm form;
    form.setText(QStringLiteral("Balloon"));
    WaitLog log;
    bool clickedElsewhere = false;
    log.then = [&](QWidget*) {
        soon([&] {
            QTest::mouseClick(&page, Qt::LeftButton, {}, QPoint(5, 5));
            QTest::mouseClick(form.textBalloon(), Qt::RightButton, {}, QPoint(20, 10));
            clickedElsewhere = true;
            soon([&] { QTest::mouseClick(form.textBalloon(), Qt::LeftButton, {}, QPoint(20, 10)); });
        });
    };
    FailSafe failSafe;
    EXPECT_EQ(showPopupAndWait(form, {10, 10}, 0, kScreen, log.hooks()), PopupEnd::Click);
    EXPECT_TRUE(clickedElsewhere);
    EXPECT_FALSE(form.isVisible());
}

TEST(PopupWait, ADisplayTimeEndsItAndMinusOneEndsItAtOnce)
{
    TPopUpStickyNoteForm form;
    form.setText(QStringLiteral("Note"));
    WaitLog log;
    FailSafe failSafe;
    EXPECT_EQ(showPopupAndWait(form, {10, 10}, 5, kScreen, log.hooks()), PopupEnd::TimeOut);
    EXPECT_FALSE(form.isVisible());

    WaitLog once;
    EXPECT_EQ(showPopupAndWait(form, {10, 10}, -1, kScreen, once.hooks()), PopupEnd::Immediate);
    EXPECT_EQ(once.calls, (std::vector<QString>{"begins shown", "ends"}));
    EXPECT_FALSE(form.isVisible());
}

TEST(PopupWait, ThePopupIsPulledOntoTheScreenAndTheEndHookRunsOnAnException)
{
    TPopUpStickyNoteForm form;
    form.setText(QStringLiteral("Note"));
    WaitLog log;
    log.then = [](QWidget*) { throw std::runtime_error("window failed"); };
    EXPECT_THROW(showPopupAndWait(form, {1020, 760}, 0, kScreen, log.hooks()), std::runtime_error);
    EXPECT_EQ(log.calls, (std::vector<QString>{"begins shown", "ends"}));
    EXPECT_EQ(form.pos(), QPoint(1024 - form.width(), 768 - form.height()));
    EXPECT_FALSE(form.isVisible());
}

TEST(PopupWait, APopupDeletedWhileWaitingEndsTheWaitCleanly)
{
    auto* form = new TPopUpStickyNoteForm;
    form->setText(QStringLiteral("Note"));
    WaitLog log;
    log.then = [](QWidget* popup) { popup->deleteLater(); };
    FailSafe failSafe;
    EXPECT_EQ(showPopupAndWait(*form, {10, 10}, 0, kScreen, log.hooks()), PopupEnd::Closed);
    EXPECT_EQ(log.calls, (std::vector<QString>{"begins shown", "ends"}));
}

DecodedPicture solidPicture(int width, int height, QRgb colour, PictureTransparency transparency)
{
    DecodedPicture picture;
    picture.image = QImage(width, height, QImage::Format_RGB32);
    picture.image.fill(colour);
    picture.transparency = transparency;
    picture.sourceDepth = 24;
    return picture;
}

struct TransitionCall {
    gdi::Rect area;
    int speed = 0;
    int effect = 0;
};

struct PictureRun {
    PopupContext context;
    std::vector<QString> asked;
    std::vector<TransitionCall> transitions;
    QPoint shownAt;
    QRgb shownPixel = 0;
    bool shown = false;

    explicit PictureRun(std::optional<DecodedPicture> picture)
    {
        context.reference = gdi::Rect::fromSize(100, 50, 640, 480);
        context.screen = kScreen;
        context.loadPicture = [this, picture](const QString& file) {
            asked.push_back(file);
            return picture;
        };
        context.runTransition = [this](gdi::Canvas& canvas, const gdi::Rect& area, const gdi::Surface& image, int speed,
                                       int effect, const std::function<void(const gdi::Rect&)>& present) {
            transitions.push_back({area, speed, effect});
            canvas.bitBlt(area, image.view(), QPoint(0, 0));
            present(area);
        };
        context.onWaitBegins = [this](QWidget* popup) {
            shown = true;
            shownAt = popup->pos();
            shownPixel = grabbed(*popup).pixel(3, 3);
            soon([popup] { QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(1, 1)); });
        };
    }
};

TEST(PopupImage, AMissingPictureFailsAndShowsNothing)
{
    PictureRun run(std::nullopt);
    EXPECT_FALSE(showPopupImage(run.context, -1, -1, QStringLiteral("GONE.BMP"), 0, 3, 2));
    EXPECT_EQ(run.asked, (std::vector<QString>{"GONE.BMP"}));
    EXPECT_FALSE(run.shown);

    PictureRun empty(DecodedPicture{});
    EXPECT_FALSE(showPopupImage(empty.context, -1, -1, QStringLiteral("EMPTY.BMP"), 0, 3, 2));
    EXPECT_FALSE(empty.shown);

    PopupContext noLoader;
    EXPECT_FALSE(showPopupImage(noLoader, 0, 0, QStringLiteral("A.BMP"), 0, 0, 0));
}

TEST(PopupImage, ABitmapIsRevealedWithItsEffectCentredOnThePage)
{
    PictureRun run(solidPicture(100, 80, 0xFF0000FF, PictureTransparency::ColourKey));
    FailSafe failSafe;
    EXPECT_TRUE(showPopupImage(run.context, -1, -1, QStringLiteral("PIC.BMP"), 0, 6, 4));
    ASSERT_EQ(run.transitions.size(), 1u);
    EXPECT_EQ(run.transitions[0].area, (gdi::Rect{0, 0, 100, 80}));
    EXPECT_EQ(run.transitions[0].effect, 6);
    EXPECT_EQ(run.transitions[0].speed, 4);
    EXPECT_EQ(run.shownAt, QPoint(100 + 270, 50 + 200));
    EXPECT_EQ(run.shownPixel, 0xFF0000FFu);
}

TEST(PopupImage, IconsAndMetafilesIgnoreTheEffectButStillShow)
{
    PictureRun icon(solidPicture(32, 32, 0xFF00FF00, PictureTransparency::AlphaMask));
    FailSafe failSafe;
    EXPECT_TRUE(showPopupImage(icon.context, 0, 0, QStringLiteral("ICON.ICO"), 0, 6, 4));
    EXPECT_TRUE(icon.transitions.empty());
    EXPECT_EQ(icon.shownPixel, 0xFF00FF00u);

    PictureRun metafile(solidPicture(40, 30, 0xFFFF0000, PictureTransparency::ColourKey));
    EXPECT_TRUE(showPopupImage(metafile.context, 0, 0, QStringLiteral("drawing.wmf"), 0, 6, 4));
    EXPECT_TRUE(metafile.transitions.empty());
    EXPECT_EQ(metafile.shownPixel, 0xFFFF0000u);

    // No effect, or no transition engine, shows a bitmap plainly.
    PictureRun plain(solidPicture(40, 30, 0xFFFF0000, PictureTransparency::ColourKey));
    EXPECT_TRUE(showPopupImage(plain.context, 0, 0, QStringLiteral("A.BMP"), 0, 0, 4));
    EXPECT_TRUE(plain.transitions.empty());
    plain.context.runTransition = nullptr;
    EXPECT_TRUE(showPopupImage(plain.context, 0, 0, QStringLiteral("A.BMP"), 0, 6, 4));
    EXPECT_EQ(plain.shownPixel, 0xFFFF0000u);
}

TEST(PopupImage, AFailingEffectStillShowsThePicture)
{
    PictureRun run(solidPicture(40, 30, 0xFF00FFFF, PictureTransparency::ColourKey));
    run.context.runTransition = [](gdi::Canvas&, const gdi::Rect&, const gdi::Surface&, int, int,
                                   const std::function<void(const gdi::Rect&)>&) {
        throw std::runtime_error("effect failed");
    };
    FailSafe failSafe;
    EXPECT_TRUE(showPopupImage(run.context, 0, 0, QStringLiteral("A.BMP"), 0, 6, 4));
    EXPECT_EQ(run.shownPixel, 0xFF00FFFFu);
}

TEST(PopupImage, ALargePictureKeepsItsRightAndBottomOnTheScreen)
{
    PictureRun run(solidPicture(300, 200, 0xFF123456, PictureTransparency::ColourKey));
    EXPECT_TRUE(showPopupImage(run.context, 800, 700, QStringLiteral("BIG.BMP"), 0, 0, 0));
    EXPECT_EQ(run.shownAt, QPoint(1024 - 300, 768 - 200));
}

TEST(StickyNoteRequest, CentredOnTheReferenceAndEndedByItsDisplayTime)
{
    PopupContext context;
    context.reference = gdi::Rect::fromSize(100, 50, 640, 480);
    context.screen = kScreen;
    QRect shown;
    int ends = 0;
    context.onWaitBegins = [&](QWidget* popup) { shown = popup->geometry(); };
    context.onWaitEnds = [&] { ++ends; };
    FailSafe failSafe;
    showStickyNote(context, -1, -1, QStringLiteral("Centred"), 5);
    EXPECT_EQ(ends, 1);
    EXPECT_NEAR(shown.center().x(), 100 + 320, 1);
    EXPECT_NEAR(shown.center().y(), 50 + 240, 1);
}

TEST(BalloonRequest, StemsDownToTheAskedPointAndEndsOnAKey)
{
    PopupContext context;
    context.screen = kScreen;
    QRect shown;
    TBalloonStemPos stem = TBalloonStemPos::spLeft;
    context.onWaitBegins = [&](QWidget* popup) {
        shown = popup->geometry();
        stem = popup->findChild<TLumeriaBalloon*>()->stemPos();
        soon([popup] { QCoreApplication::postEvent(popup, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, {})); });
    };
    FailSafe failSafe;
    showBalloon(context, QStringLiteral("Hello"), 500, 400);
    EXPECT_EQ(stem, TBalloonStemPos::spBottom);
    EXPECT_EQ(shown.bottom() + 1, 400);
    EXPECT_NEAR(shown.center().x(), 500, 1);
}

} // namespace
} // namespace lumeria
