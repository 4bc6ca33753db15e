#pragma once

#include "app/CommandLine.h"
#include "automation/AutomationTarget.h"
#include "input/Cursors.h"
#include "input/FindController.h"
#include "input/InputController.h"
#include "input/InteractionHost.h"
#include "input/ObjectScrollBarWidgets.h"
#include "media/MediaEnvironment.h"
#include "platform/gdi/Rect.h"
#include "popups/PopupRequest.h"
#include "print/PrintService.h"
#include "render/PageLayout.h"
#include "render/PageRenderer.h"
#include "render/PageView.h"
#include "render/SharedPalette.h"
#include "script/ScriptEngine.h"
#include "script/ScriptHost.h"
#include "text/windows/FloatingWindows.h"

#include <QAbstractScrollArea>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace lumeria {

class PlayerSession;

class PlayerScriptHost;
class TitleNotice;
class ReadingAloud;
struct ReadingSources;

// The player's main window. It owns the run: the script engine and the host
// its commands act through, the page view the page is painted into, the
// reader's input and Find, and wires them together. It is the
// InteractionHost of the input layer. The scroll area's viewport is the
// work area: it fills the client, receives input and shows the page at
// pageOrigin(), with margins around it.
class TMainForm : public QAbstractScrollArea, public InteractionHost, public AutomationTarget {
    Q_OBJECT
public:
    static inline const QString kUntitled = QStringLiteral("Untitled Lumeria Publication");

    TMainForm(PlayerSession& session, const CommandLine& commandLine);
    ~TMainForm() override;

    // Sizes and places the window for the publication and shows it; the
    // first page follows the first paint.
    void start();
    // Ends the run without asking (a signal from the system): the close
    // without its query.
    void shutDown();

    Publication& publication() override;
    ScriptEngine& engine() { return *m_engine; }
    bool firstPageShown() const { return m_firstPageShown; }

    QSize pageSize() const { return m_pageSize; }
    PageView& pageView() { return *m_view; }

    // The widget of an article's or picture's bar while it is shown.
    QScrollBar* objectScrollBar(const Object_Rec& object, ScrollAxis axis) const;

    void setWorkAreaCursor(WorkAreaCursor cursor) override;

    // A publication dropped on the window, once the window closed for it:
    // main() plays it when this run is over. Empty otherwise.
    const QString& publicationToPlayNext() const { return m_playNext; }

    // Called once the first page has been shown and its entry script run.
    void setFirstPageListener(std::function<void()> listener) { m_firstPageListener = std::move(listener); }

    // AutomationTarget (pageOrigin and scriptRunning are shared with
    // InteractionHost). Menus are answered before they show; the event log
    // has a line for each balloon, note and pop-up picture.
    QWidget& topWindow() override { return *this; }
    QWidget& workArea() override { return *viewport(); }
    Page_Rec* currentPage() const override;
    Variables& variables() override;
    // The media that play, newest first, by file name.
    QStringList playingMedia() const override;
    std::pair<int, QString> mciString(const QString& command) override;
    bool firstPagePainted() const override { return m_firstPagePainted; }
    bool isClosing() const override { return m_closing; }
    bool waitingForReader() const override { return m_waiting > 0; }
    bool pressingButton() const override { return m_pressWaits > 0; }
    bool printing() const override;
    void setMenuAnswerer(MenuAnswerer answerer) override { m_menuAnswerer = std::move(answerer); }
    void setEventLog(std::function<void(const QString&)> log) override;

    // What the script host sends to the window: the run's events, waits,
    // boxes and menus, the page changes and what the system looks like.
    void processEvents();
    void recordActivity();
    void setBusyCursor(bool busy);
    void showPage(Page_Rec* page);
    int messageDialog(const QString& title, const QString& message, const QStringList& buttons);
    int popupMenu(int x, int y, const QStringList& items);
    void delay(int milliseconds);
    SystemValues systemValues() const;
    // What balloons, notes and pop-up pictures take from the window.
    PopupContext popupContext();
    // A line for the automation log, when one is kept.
    void logEvent(const QString& line);
    // A pop-up's text, read aloud as it opens while reading aloud is on.
    void announce(const QString& text);

    // InteractionHost. The page's (0, 0) is at pageOrigin() in work-area
    // coordinates, scrolling included.
    void beep() override;
    void goToPage(Page_Rec* page) override;
    void closeMainWindow() override;
    QPoint pageOrigin() const override;
    void redrawObject(const Object_Rec& object, Redraw how) override;
    void runScript(const QString& script) override;
    QString variable(const QString& name) const override;
    void setVariable(const QString& name, const QString& value) override;
    QString substitute(const QString& text) const override;
    void setTimerRunning(bool running) override;
    bool runsAsScreenSaver() const override;
    bool scriptRunning() const override;
    void userStop() override;
    void waitProcessingEvents(int milliseconds) override;
    bool onScrollBar(const Object_Rec& object, QPoint pagePoint) const override;
    bool hasScrollBar(const Object_Rec& object, ScrollAxis axis) const override;
    bool scrollBarKey(const Object_Rec& object, ScrollAxis axis, int virtualKey) override;
    std::optional<QString> articleLinkAt(const Object_Rec& article, QPoint articlePoint) override;
    std::optional<int> findAnchor(const Object_Rec& article, const QString& name) override;
    void scrollArticleToLine(const Object_Rec& article, int line) override;
    void toggleFocusFrame(const Object_Rec& object) override;
    QWidget* editFieldParent() override;
    QWidget* mainWindow() override { return this; }
    bool playerKey(int virtualKey, uint16_t modifierBits) override;
    void escapePressed() override;
    void tabbedTo(ObjectRef target) override;

protected:
    // The work area (the viewport).
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // FormCloseQuery and FormClose.
    void closeEvent(QCloseEvent* event) override;
    // A publication dropped on the work area closes this one to play.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The window shows the icon of the executable the publication came in.
    void setExecutableIcon(const QString& path);
    void FormCreate();
    bool FormCloseQuery();
    void FormClose();
    void showFirstPage();
    void TimerTimer();

    // Size, full screen and the whole factor the page shows at
    // (MainFormScale.cpp).
    void placeWindow();
    void centreOnScreen();
    void updateScrollRanges();
    // F11 and Alt+Enter; false for any other key.
    bool fullScreenKey(int virtualKey, uint16_t modifierBits);
    void toggleFullScreen();
    // The factor the page fills the window at, after the reader or the
    // window system resized it.
    void refitFactor();
    // nativeClient: where the client is about to be on the screen, in the
    // screen's pixels; where it is when not given.
    void changeFactor(int factor, std::optional<QRect> nativeClient = std::nullopt);
    // The widgets on the page (the edit field, video, the objects' bars)
    // keep their place on it when the page moves in the work area.
    void followPage();
    // Lets events run until done() holds, the reader stops the script or
    // the window closes.
    void waitUntil(const std::function<bool()>& done);
    // What media asks of the window (MainFormHost.cpp).
    class MediaWindow;
    std::unique_ptr<media::MediaEnvironment> makeMediaWindow();
    PrintContext printContext();
    FindContext findContext();
    void syncObjectScrollBars();
    // Draws the new page over the old one with its effect; false when it
    // could not, and the page is then painted normally.
    bool runPageTransition(const Page_Rec& page);
    // Scroll bars and article links are known once the page is painted; a
    // question about them paints what is pending first, so input that comes
    // before the paint event (automation) finds them as the reader sees them.
    void bringUpToDate();
    void objectScrolled(const Object_Rec& object, ScrollAxis axis, int oldPosition);
    // A press or release on an object's scroll bar widget, in work-area
    // coordinates, before the bar acts on it.
    void objectBarMouse(const Object_Rec& object, BarMouse action, Qt::MouseButton button, QPoint point);
    QString caption() const;
    // Ctrl+F12, when no button has it: takeScreenshot().
    bool screenshotKey(int virtualKey, uint16_t modifierBits);
    void takeScreenshot();
    // Ctrl+Shift+S, when no button has it: reading aloud on or off.
    bool readingKey(int virtualKey, uint16_t modifierBits);
    // The voice, made on first use, on when --speak asked for it.
    ReadingAloud& readingAloud();
    ReadingSources readingSources();
    // The page shown, from its start: what was said of the old one stops.
    void readPageAloud();

    PlayerSession& m_session;
    CommandLine m_commandLine;
    std::unique_ptr<ScriptEngine> m_engine;
    std::unique_ptr<InputController> m_input;
    std::unique_ptr<WindowManager> m_windows;
    std::unique_ptr<PlayerScriptHost> m_scriptHost;
    std::unique_ptr<FindController> m_find;
    std::unique_ptr<media::MediaEnvironment> m_media;
    PaintContext m_context;
    ScrollBarStore m_scrollStore;
    std::unique_ptr<ObjectScrollBarWidgets> m_objectBars;
    std::unique_ptr<PageRenderer> m_renderer;
    SharedPalette m_palette;
    QSize m_pageSize;
    ScreenMode m_screenMode = ScreenMode::Windowed;
    // --scale N holds the factor; otherwise the page fills what it is given.
    bool m_fixedFactor = false;
    bool m_changingFactor = false;
    // Where the window was, in screen pixels, and at what factor, before
    // full screen; empty when it started in full screen.
    QRect m_windowedGeometry;
    int m_windowedFactor = 0;
    QPoint m_placedOrigin;
    std::unique_ptr<PageView> m_view;
    PlayerCursors m_cursors;
    WorkAreaCursor m_cursor = WorkAreaCursor::Application;

    QTimer m_timer;
    bool m_firstPagePending = true;
    bool m_firstPageShown = false;
    bool m_firstPagePainted = false;
    bool m_closing = false;
    int m_busy = 0;
    int m_waiting = 0;
    int m_pressWaits = 0;

    QString m_playNext;

    std::function<void()> m_firstPageListener;
    MenuAnswerer m_menuAnswerer;
    std::function<void(const QString&)> m_eventLog;
    std::unique_ptr<TitleNotice> m_titleNotice; // made by the first screenshot
    // Last, so it goes first: its log calls into the window.
    std::unique_ptr<ReadingAloud> m_reading;
};

} // namespace lumeria
