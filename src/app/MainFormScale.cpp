// The window's size and mode: where it goes on the screen, full screen on a
// key, and the whole factor the page fills the window at.
#include "app/MainForm.h"

#include "app/PageScale.h"
#include "platform/VirtualKeys.h"

#include <QApplication>
#include <QPointer>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>

#include <optional>
#include <vector>

namespace lumeria {

namespace {

// The largest window the reader may drag a window to, in page pixels.
constexpr int kMaxTrackingSize = 5000;

// What a frame takes around the client before the window system has put
// one there, in the screen's pixels at the desktop's own factor: a title bar
// and thin borders.
constexpr QSize kFrameAllowance(16, 48);

QScreen* screenOf(const QWidget& widget)
{
    return widget.screen() ? widget.screen() : QGuiApplication::primaryScreen();
}

// The screen's area in its own pixels, whatever factor windows show at.
QRect nativeGeometry(const QScreen* screen, QRect logical)
{
    const int factor = wholeFactor(screen);
    return QRect(logical.topLeft() * factor, logical.size() * factor);
}

QSize screenSize(const QWidget& widget)
{
    const QScreen* screen = screenOf(widget);
    return screen ? screen->geometry().size() : QSize(640, 480);
}

} // namespace

void TMainForm::placeWindow()
{
    QScreen* screen = screenOf(*this);
    // An automated run compares page pixels, which the size of the screen
    // it happens to run on must not change: it fills only when asked to.
    const ScaleChoice::Kind kind = m_commandLine.scale.kind;
    m_fixedFactor = kind == ScaleChoice::Kind::Factor ||
                    (kind == ScaleChoice::Kind::Publication && !m_commandLine.automate.isEmpty());
    if (screen) {
        int factor = kind == ScaleChoice::Kind::Factor ? m_commandLine.scale.factor : 1;
        if (!m_fixedFactor) {
            // The window opens at the largest factor at which it fits the
            // screen's free area with its frame; full screen fills it all.
            const QSize room = m_screenMode == ScreenMode::FullScreen
                                   ? nativeGeometry(screen, screen->geometry()).size()
                                   : nativeGeometry(screen, screen->availableGeometry()).size() -
                                         kFrameAllowance * wholeFactor(screen);
            factor = largestWholeFactor(room, m_pageSize);
        }
        setWholeFactor(screen, factor);
    }

    const QSize screenArea = screenSize(*this);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    if (m_screenMode == ScreenMode::FullScreen) {
        const PagePlacement placement = placeFullScreen(screenArea, m_pageSize);
        setGeometry(gdi::toQRect(placement.window));
    } else {
        const PagePlacement placement = placeWindowed(screenArea, m_pageSize);
        resize(placement.client);
        const WindowBorder border = publication().settings.Border;
        if (border == WindowBorder::Sizeable)
            setMaximumSize(kMaxTrackingSize, kMaxTrackingSize);
        else
            setFixedSize(placement.client);
    }
    updateScrollRanges();
}

void TMainForm::centreOnScreen()
{
    // The frame is known once the window system has one; centre the whole
    // window, frame included.
    const QSize screen = screenSize(*this);
    const QSize outer = frameGeometry().size();
    move(screen.width() / 2 - outer.width() / 2, screen.height() / 2 - outer.height() / 2);
}

QPoint TMainForm::pageOrigin() const
{
    // Centred in whatever the window gives, as full screen always centred it.
    return centredPageOrigin(viewport()->size(), m_pageSize) -
           QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (!m_changingFactor)
        refitFactor();
    updateScrollRanges();
    followPage();
    viewport()->update();
}

void TMainForm::scrollContentsBy(int, int)
{
    // The backbuffer holds the whole page: scrolling only shows another
    // part of it, and what sits on the page goes with it.
    followPage();
    viewport()->update();
}

void TMainForm::followPage()
{
    const QPoint origin = pageOrigin();
    const QPoint delta = origin - m_placedOrigin;
    m_placedOrigin = origin;
    if (delta.isNull())
        return;
    for (QWidget* child : viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->move(child->pos() + delta);
}

bool TMainForm::fullScreenKey(int virtualKey, uint16_t modifierBits)
{
    const bool f11 = virtualKey == vk::kF1 + 10 && modifierBits == 0;
    const bool altEnter = virtualKey == vk::kReturn && modifierBits == vk::kAltBit;
    if (!f11 && !altEnter)
        return false;
    // A running saver covers the screen whatever the reader presses.
    if (m_commandLine.mode == RunMode::SaverRun)
        return false;
    toggleFullScreen();
    return true;
}

void TMainForm::toggleFullScreen()
{
    QScreen* screen = screenOf(*this);
    if (!screen)
        return;
    const int before = wholeFactor(screen);
    if (m_screenMode == ScreenMode::Windowed) {
        m_windowedGeometry = QRect(geometry().topLeft() * before, geometry().size() * before);
        m_windowedFactor = before;
        m_screenMode = ScreenMode::FullScreen;
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        const QRect whole = nativeGeometry(screen, screen->geometry());
        changeFactor(m_fixedFactor ? before : largestWholeFactor(whole.size(), m_pageSize), whole);
        showFullScreen();
        return;
    }

    m_screenMode = ScreenMode::Windowed;
    const PublicationSettings& s = publication().settings;
    if (windowFlags().testFlag(Qt::FramelessWindowHint) && s.Border != WindowBorder::None) {
        // It started in full screen, where it has no frame; a window needs
        // one to be moved. Changing the flags hides the window.
        setWindowFlags(windowFlags() & ~Qt::FramelessWindowHint);
    }
    if (m_windowedGeometry.isEmpty()) {
        // It has never been a window: it becomes the one it would have
        // opened as.
        setWindowState(Qt::WindowNoState);
        placeWindow();
        show();
        centreOnScreen();
    } else {
        changeFactor(m_windowedFactor, m_windowedGeometry);
        showNormal();
        const int factor = wholeFactor(screen);
        setGeometry(QRect(m_windowedGeometry.topLeft() / factor, m_windowedGeometry.size() / factor));
        if (s.Border == WindowBorder::Sizeable)
            setMaximumSize(kMaxTrackingSize, kMaxTrackingSize);
        else
            setFixedSize(size());
    }
    viewport()->update();
}

void TMainForm::refitFactor()
{
    if (m_fixedFactor || !isVisible())
        return;
    const QScreen* screen = screenOf(*this);
    const int now = wholeFactor(screen);
    const int wanted = largestWholeFactor(size() * now, m_pageSize);
    if (wanted != now)
        changeFactor(wanted);
}

void TMainForm::changeFactor(int factor, std::optional<QRect> nativeClient)
{
    QScreen* screen = screenOf(*this);
    const int before = wholeFactor(screen);
    if (!screen || factor == before)
        return;
    // Where the client will be on the screen, in its pixels: where it is,
    // unless the caller is about to move it (full screen and back).
    const QRect target = nativeClient.value_or(QRect(geometry().topLeft() * before, size() * before));

    // Floating windows, balloons and boxes stay where they were on the
    // page, in page pixels. Their frames are the window system's and do not
    // scale: a frame's corner keeps its page point.
    struct Placed {
        QPointer<QWidget> window;
        QPoint fromPage;
        QPoint frame; // from the frame's corner to the client's, in screen pixels
    };
    const QPoint pageBefore = viewport()->mapToGlobal(pageOrigin());
    std::vector<Placed> others;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible() && window->screen() == screen)
            others.push_back({window, window->frameGeometry().topLeft() - pageBefore,
                              (window->geometry().topLeft() - window->frameGeometry().topLeft()) * before});
    }

    m_changingFactor = true;
    setWholeFactor(screen, factor);
    // The window keeps its size on the screen; Qt kept it in page pixels.
    const QSize client = target.size() / factor;
    const QSize oldArea = viewport()->size();
    if (minimumSize() == maximumSize())
        setFixedSize(client);
    resize(client);
    if (viewport()->size() == oldArea) {
        // The window system kept the size it had, so Qt sends no resize
        // event and the work area would keep its size in page pixels;
        // setting the margins lays the area out again.
        setViewportMargins(viewportMargins());
    }
    m_changingFactor = false;
    updateScrollRanges();
    followPage();
    viewport()->update();

    const QPoint pageNow = target.topLeft() / factor + centredPageOrigin(client, m_pageSize);
    for (const Placed& placed : others) {
        if (!placed.window)
            continue;
        const QSize size = placed.window->size();
        // Qt ignores a size it already holds in page pixels, but the
        // window system still has the old factor's.
        placed.window->resize(size + QSize(1, 0));
        // Qt still holds the frame's margins at the old factor, so the
        // client is placed, below the frame as the window system has it.
        placed.window->setGeometry(QRect(pageNow + placed.fromPage + placed.frame / factor, size));
    }
}

} // namespace lumeria
