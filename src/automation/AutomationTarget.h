#pragma once

#include "document/Page.h"

#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

class QWidget;

namespace lumeria {

class Variables;

// What automation drives and watches: the player's window as a reader sees
// it, and the few states that tell whether the run is ready for the next
// line. The window implements it; automation reaches nothing else.
class AutomationTarget {
public:
    virtual ~AutomationTarget() = default;

    // The top-level window, and the work area that takes the reader's
    // presses, where the page's (0, 0) lies at pageOrigin().
    virtual QWidget& topWindow() = 0;
    virtual QWidget& workArea() = 0;
    virtual QPoint pageOrigin() const = 0;

    virtual Page_Rec* currentPage() const = 0;
    virtual Variables& variables() = 0;
    virtual QStringList playingMedia() const = 0;
    // Sends an MCI command string as a publication's script would: the
    // result code and the reply's text.
    virtual std::pair<int, QString> mciString(const QString& command) = 0;

    // The first page has reached the screen, not only been asked for.
    virtual bool firstPagePainted() const = 0;
    virtual bool isClosing() const = 0;
    virtual bool scriptRunning() const = 0;
    // A script waits for time to pass or for the reader (Delay, a menu).
    virtual bool waitingForReader() const = 0;
    // A button pressed from the keyboard shows its held look for a moment
    // before its Action runs; input meanwhile would come too early.
    virtual bool pressingButton() const = 0;
    // A print job runs; its progress window is modal but waits for nobody.
    virtual bool printing() const = 0;

    // Menus are answered before they show (nothing when the menu should
    // show), and what shows on the page is told line by line.
    using MenuAnswerer = std::function<std::optional<int>(int x, int y, const QStringList& items)>;
    virtual void setMenuAnswerer(MenuAnswerer answerer) = 0;
    virtual void setEventLog(std::function<void(const QString&)> log) = 0;
};

} // namespace lumeria
