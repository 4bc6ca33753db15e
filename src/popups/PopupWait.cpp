#include "popups/PopupWait.h"

#include "popups/PopupPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <optional>
#include <utility>

namespace lumeria {

namespace {

// Watches the whole application while one pop-up waits: the pop-up does not
// take the keyboard, so keys reach whichever window has it and must be caught
// on their way there.
class WaitWatcher : public QObject {
public:
    WaitWatcher(QWidget& popup, QEventLoop& loop, std::function<bool(const QKeyEvent&)> keptKey)
        : m_popup(&popup), m_loop(loop), m_keptKey(std::move(keptKey))
    {
    }

    void end(PopupEnd why)
    {
        if (m_end)
            return;
        m_end = why;
        m_loop.quit();
    }
    std::optional<PopupEnd> ended() const { return m_end; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (!m_keptKey || !m_keptKey(*static_cast<QKeyEvent*>(event)))
                end(PopupEnd::Key);
            return true;
        case QEvent::MouseButtonRelease:
            // Only the left button clicks, as it is for every other control.
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && isOnPopup(watched))
                end(PopupEnd::Click);
            break;
        case QEvent::Quit: end(PopupEnd::Closed); break;
        default: break;
        }
        return false;
    }

private:
    bool isOnPopup(QObject* watched) const
    {
        const auto* widget = qobject_cast<const QWidget*>(watched);
        return widget && m_popup && (widget == m_popup || m_popup->isAncestorOf(widget));
    }

    QPointer<QWidget> m_popup;
    QEventLoop& m_loop;
    std::function<bool(const QKeyEvent&)> m_keptKey;
    std::optional<PopupEnd> m_end;
};

// Hides the pop-up and calls onWaitEnds however the wait is left, an
// exception included: the window's idle return must never stay suspended,
// nor a pop-up stay on screen after its command. When the platform
// activated the pop-up all the same (the offscreen one does), the window
// that had the activation gets it back: otherwise no window is active and
// the page's edit field never gets the keyboard again.
class WaitScope {
public:
    WaitScope(QWidget& popup, const PopupWaitHooks& hooks)
        : m_popup(&popup), m_hooks(hooks), m_active(QApplication::activeWindow())
    {
    }
    ~WaitScope()
    {
        if (m_popup) {
            const bool tookActivation = QApplication::activeWindow() == m_popup;
            m_popup->hide();
            if (tookActivation && m_active && m_active != m_popup && m_active->isVisible())
                m_active->activateWindow();
        }
        if (m_hooks.onWaitEnds)
            m_hooks.onWaitEnds();
    }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

    bool popupAlive() const { return !m_popup.isNull(); }

private:
    QPointer<QWidget> m_popup;
    const PopupWaitHooks& m_hooks;
    QPointer<QWidget> m_active;
};

// Keeps the grab of another of our widgets on the pop-up during the wait
// and gives it up after.
class GrabScope {
public:
    explicit GrabScope(QWidget& popup) : m_popup(&popup)
    {
        if (QWidget* grabber = QWidget::mouseGrabber(); grabber && grabber != &popup) {
            grabber->releaseMouse();
            popup.grabMouse();
            m_grabbed = true;
        }
    }
    ~GrabScope()
    {
        if (m_grabbed && m_popup)
            m_popup->releaseMouse();
    }
    GrabScope(const GrabScope&) = delete;
    GrabScope& operator=(const GrabScope&) = delete;

private:
    QPointer<QWidget> m_popup;
    bool m_grabbed = false;
};

} // namespace

PopupEnd showPopupAndWait(QWidget& popup, QPoint topLeft, int displayTime, const gdi::Rect& screen,
                          const PopupWaitHooks& hooks)
{
    popup.setAttribute(Qt::WA_ShowWithoutActivating);
    popup.move(keepOnScreenRightBottom(topLeft, popup.size(), screen));

    WaitScope scope(popup, hooks);
    popup.show();
    if (hooks.onWaitBegins)
        hooks.onWaitBegins(&popup);

    PopupEnd why = PopupEnd::Immediate;
    if (scope.popupAlive() && displayTime != -1 && !QCoreApplication::closingDown()) {
        QEventLoop loop;
        WaitWatcher watcher(popup, loop, hooks.keptKey);
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, [&watcher] { watcher.end(PopupEnd::TimeOut); });
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, &loop, [&watcher] { watcher.end(PopupEnd::Closed); });
        QObject::connect(&popup, &QObject::destroyed, &loop, [&watcher] { watcher.end(PopupEnd::Closed); });
        QObject::connect(qApp, &QGuiApplication::applicationStateChanged, &loop,
                         [&watcher](Qt::ApplicationState state) {
                             if (state != Qt::ApplicationActive)
                                 watcher.end(PopupEnd::Inactive);
                         });
        if (displayTime > 0)
            timer.start(displayTime);

        GrabScope grab(popup);
        qApp->installEventFilter(&watcher);
        loop.exec();
        qApp->removeEventFilter(&watcher);
        timer.stop();
        // A loop left by QCoreApplication::exit() never saw a reason.
        why = watcher.ended().value_or(PopupEnd::Closed);
    }
    return why;
}

} // namespace lumeria
