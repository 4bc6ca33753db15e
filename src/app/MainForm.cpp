// The main window: its life cycle, the page on the screen and the page
// changes. What scripts ask of the window beyond pages is in MainFormHost.cpp.
#include "app/MainForm.h"

#include "app/PlayerScriptHost.h"
#include "app/PlayerSession.h"
#include "app/ReadingAloud.h"
#include "app/TitleNotice.h"
#include "platform/Folders.h"
#include "platform/gdi/Canvas.h"
#include "platform/image/ExecutableIcon.h"
#include "platform/image/IconDecoder.h"
#include "popups/PasswordEntryForm.h"
#include "popups/QueryForm.h"
#include "render/TextBlock.h"
#include "render/Transitions.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <optional>
#include <span>
#include <thread>
#include <utility>

namespace lumeria {

namespace {

// The original executable's own icon, as the reader's desktop showed it
// for the title; a packed container has none and keeps the player's.
std::optional<QIcon> executableIcon(const QString& path)
{
    constexpr qint64 kMaxExecutable = qint64(32) << 20;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Mapped rather than read: the walk touches the headers and the icon's
    // resources, while a publication file named on the command line is
    // read whole for nothing (a sixth of opening the largest ones).
    const qint64 size = std::min(file.size(), kMaxExecutable);
    QByteArray head;
    std::span<const std::byte> bytes;
    if (const uchar* mapped = size > 0 ? file.map(0, size) : nullptr) {
        bytes = std::as_bytes(std::span(mapped, size_t(size)));
    } else {
        head = file.read(size);
        bytes = std::as_bytes(std::span(head.constData(), size_t(head.size())));
    }
    const std::optional<QByteArray> ico = iconFileFromExecutable(bytes);
    if (!ico)
        return std::nullopt;
    Result<DecodedPicture> decoded = decodeIcon(std::as_bytes(std::span(ico->constData(), size_t(ico->size()))));
    if (!decoded)
        return std::nullopt;
    return QIcon(QPixmap::fromImage(decoded->image));
}

} // namespace

void TMainForm::setExecutableIcon(const QString& path)
{
    if (const std::optional<QIcon> icon = executableIcon(path))
        setWindowIcon(*icon);
}

namespace {

constexpr int kTimerInterval = 1000;

} // namespace

TMainForm::TMainForm(PlayerSession& session, const CommandLine& commandLine)
    : m_session(session), m_commandLine(commandLine)
{
    FormCreate();
}

TMainForm::~TMainForm()
{
    // FormDestroy: the variables and the run go with the engine; the
    // document, the container and its extracted files go with the session,
    // which outlives the window.
    m_timer.stop();
    if (m_busy > 0)
        QGuiApplication::restoreOverrideCursor();
    // A window that goes without being closed (the end of an automated run)
    // still ends its media now: a video's surface is one of its widgets,
    // and the session that owns the video outlives it.
    m_session.media().detachEnvironment();
}

Publication& TMainForm::publication()
{
    return m_session.publication();
}

Page_Rec* TMainForm::currentPage() const
{
    return m_session.publication().document.currentPage();
}

void TMainForm::FormCreate()
{
    Publication& pub = publication();
    const PublicationSettings& s = pub.settings;

    m_input = std::make_unique<InputController>(*this);

    m_context = m_session.paintContext();
    m_context.substitute = [this](const QString& text) { return m_engine->substitute(text); };
    m_context.scrollBars = &m_scrollStore;
    m_objectBars = std::make_unique<ObjectScrollBarWidgets>(
        *viewport(), m_scrollStore,
        [this](const Object_Rec& object, ScrollAxis axis, int old) { objectScrolled(object, axis, old); },
        [this](const Object_Rec& object, BarMouse action, Qt::MouseButton button, QPoint point) {
            objectBarMouse(object, action, button, point);
        });
    m_pageSize = QSize(std::max(1, int(s.ScreenWidth)), std::max(1, int(s.ScreenHeight)));
    m_renderer = std::make_unique<PageRenderer>(pub.document, m_context, m_pageSize);
    PageView::Callbacks view;
    view.present = [this](const gdi::Rect& area, Present when) {
        const QRect shown = gdi::toQRect(area).translated(pageOrigin());
        if (when == Present::Now)
            viewport()->repaint(shown);
        else
            viewport()->update(shown);
    };
    view.focus = [this] {
        return m_input->focusFrameShown() ? PageView::Focus{m_input->focusedObject(), FocusMarker::Show}
                                          : PageView::Focus{};
    };
    view.pause = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    m_view = std::make_unique<PageView>(pub.document, *m_renderer, m_pageSize, std::move(view));

    FloatingWindowContext windows;
    windows.owner = this;
    windows.pageOnScreen = [this] { return QRect(viewport()->mapToGlobal(pageOrigin()), m_pageSize); };
    windows.openText = [this](const QString& name) -> std::unique_ptr<ByteSource> {
        if (!m_session.container().find(name))
            return nullptr;
        return std::make_unique<EntrySource>(m_session.container(), name);
    };
    windows.loadPicture = m_context.loadPicture;
    windows.font = [this] {
        const ScriptFont& font = m_engine->scriptFont();
        return objectFont(font.name, font.size, font.style);
    };
    windows.runScript = [this](const QString& script) { runScript(script); };
    windows.beep = [this] { beep(); };
    windows.temporaryFolder = temporaryFolder();
    m_windows = std::make_unique<WindowManager>(std::move(windows));
    m_find = std::make_unique<FindController>(findContext());

    // Commands act through the script host, which sends each where it is
    // done; media commands go to the session's media manager.
    m_scriptHost = std::make_unique<PlayerScriptHost>(
        PlayerScriptHost::Parts{*this, *m_windows, *m_find, [this] { return printContext(); }});
    m_engine = std::make_unique<ScriptEngine>(*m_scriptHost, m_session.media(), pub);
    m_media = makeMediaWindow();
    m_session.media().setEnvironment(*m_media);
    m_engine->setTrust(m_commandLine.safe ? Trust::Safe : m_commandLine.trust ? Trust::All : Trust::Ask);
    // Nobody watches a running saver to answer a question, and Esc closes
    // it at any time, a script running or not.
    if (m_commandLine.mode != RunMode::SaverRun)
        m_engine->setRunawayLimit(std::chrono::seconds(m_commandLine.scriptTimeout));
    // Fields, check boxes, radio buttons and texts that show a variable
    // follow it.
    m_engine->variables().addListener([this](const QString& name) { m_input->refreshBoundObjects(name); });

    m_cursors = loadPlayerCursors(m_session.container(), s.AppCursor, s.HotspotCursor);
    setExecutableIcon(m_session.container().filePath());
    viewport()->setCursor(m_cursors.application);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // Not in a saver's modes: a running saver ends at the reader's first
    // move, and one being set up belongs to the window that opened it.
    viewport()->setAcceptDrops(m_commandLine.mode == RunMode::Normal ||
                               m_commandLine.mode == RunMode::SaverWithoutArgument);
    setFrameShape(QFrame::NoFrame);
    // Keys reach the window when nothing in it has the focus, but a click
    // on the page must not take the keyboard from an active edit field: the
    // focused object keeps it until another one takes it, and changeFocus
    // moves Qt's focus itself.
    setFocusPolicy(Qt::TabFocus);
    setWindowTitle(caption());
    QGuiApplication::setApplicationDisplayName(caption());

    bool fullScreen = s.FullScreen;
    if (m_commandLine.window == WindowChoice::FullScreen)
        fullScreen = true;
    else if (m_commandLine.window == WindowChoice::Windowed)
        fullScreen = false;
    // A running saver covers the screen and stays in front whatever the
    // publication says.
    const bool saver = m_commandLine.mode == RunMode::SaverRun;
    m_screenMode = fullScreen || saver ? ScreenMode::FullScreen : ScreenMode::Windowed;

    Qt::WindowFlags flags = Qt::Window;
    if (m_screenMode == ScreenMode::FullScreen || s.Border == WindowBorder::None)
        flags |= Qt::FramelessWindowHint;
    if (s.StayOnTop || saver)
        flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);

    m_timer.setInterval(kTimerInterval);
    connect(&m_timer, &QTimer::timeout, this, &TMainForm::TimerTimer);

    if (Page_Rec* first = m_session.firstPage(m_commandLine))
        pub.document.setCurrentPage(first);
    if (const Page_Rec* page = currentPage())
        showPagePalette(m_palette, *page, s.ScreenColors);
}

QString TMainForm::caption() const
{
    const QString& title = m_session.publication().settings.Title;
    return title.isEmpty() ? kUntitled : title;
}

void TMainForm::start()
{
    placeWindow();
    m_engine->reset();
    m_engine->resetScriptFont();
    m_input->initialiseFieldStates();
    QCoreApplication::instance()->installEventFilter(m_input->keyFilter());
    m_timer.start();
    show();
    if (m_screenMode == ScreenMode::Windowed)
        centreOnScreen();
    m_placedOrigin = pageOrigin();
}

void TMainForm::updateScrollRanges()
{
    // The viewport is what is left once the bars that are needed take their
    // room, and a bar needed one way may make the other needed too.
    const QSize room = maximumViewportSize();
    const int barWidth = verticalScrollBar()->sizeHint().width();
    const int barHeight = horizontalScrollBar()->sizeHint().height();
    bool horizontal = m_pageSize.width() > room.width();
    bool vertical = m_pageSize.height() > room.height();
    if (horizontal && !vertical)
        vertical = m_pageSize.height() > room.height() - barHeight;
    if (vertical && !horizontal)
        horizontal = m_pageSize.width() > room.width() - barWidth;
    const QSize client(room.width() - (vertical ? barWidth : 0), room.height() - (horizontal ? barHeight : 0));
    const int extraWidth = std::max(0, m_pageSize.width() - client.width());
    const int extraHeight = std::max(0, m_pageSize.height() - client.height());
    horizontalScrollBar()->setRange(0, extraWidth);
    horizontalScrollBar()->setPageStep(std::max(1, client.width()));
    horizontalScrollBar()->setSingleStep(16);
    verticalScrollBar()->setRange(0, extraHeight);
    verticalScrollBar()->setPageStep(std::max(1, client.height()));
    verticalScrollBar()->setSingleStep(16);
}

void TMainForm::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect client = viewport()->rect();
    if (m_firstPagePending) {
        // Nothing is on the page yet: the window stays black until the
        // first page is shown, which runs its script and so must not run
        // inside a paint.
        painter.fillRect(client, Qt::black);
        m_firstPagePending = false;
        QTimer::singleShot(0, this, &TMainForm::showFirstPage);
        return;
    }

    m_view->renderDirty();
    const QPoint origin = pageOrigin();
    const QRect page(origin, m_pageSize);
    // Black around the page wherever the window is larger than it, as the
    // full screen always was: a page centred in a maximised window reads
    // as a page, not as a corner of a grey form.
    for (const gdi::Rect& band : marginBands(client.size(), gdi::rectFromQRect(page)))
        painter.fillRect(gdi::toQRect(band).intersected(event->rect()), Qt::black);

    const QRect shown = page.intersected(event->rect());
    if (!shown.isEmpty())
        painter.drawImage(shown.topLeft(), m_view->image(), shown.translated(-origin));
    painter.end();
    if (m_firstPageShown)
        m_firstPagePainted = true;
    syncObjectScrollBars();
}

QScrollBar* TMainForm::objectScrollBar(const Object_Rec& object, ScrollAxis axis) const
{
    const_cast<TMainForm*>(this)->bringUpToDate();
    return m_objectBars->widget(object, axis);
}

void TMainForm::bringUpToDate()
{
    m_view->renderDirty();
    syncObjectScrollBars();
}

bool TMainForm::runPageTransition(const Page_Rec& page)
{
    if (!isVisible())
        return false;
    // The old page's scroll bars go as soon as the effect starts.
    const bool ran = m_view->transitionTo(page, [this] { m_objectBars->sync({}, pageOrigin()); });
    syncObjectScrollBars();
    return ran;
}

void TMainForm::syncObjectScrollBars()
{
    if (m_view->inTransition())
        return;
    m_objectBars->sync(m_firstPageShown ? publication().document.shownObjects(currentPage()) : std::vector<ObjectRef>{},
                       pageOrigin());
}

void TMainForm::objectScrolled(const Object_Rec& object, ScrollAxis axis, int oldPosition)
{
    const ObjectScrollBars* bars = m_scrollStore.find(object);
    if (!bars || !object.article()) {
        // A picture shows another part of itself: all of it is drawn again.
        m_view->redrawObject(object, Redraw::Alone);
        return;
    }
    const gdi::Rect area = articleTextArea(object, bars).intersected(m_view->rect());
    if (area.isEmpty())
        return;
    m_view->paintNow(area, [&](gdi::Canvas& canvas) {
        m_session.articles().scrollArticle(canvas, object, *bars, axis, oldPosition, [&](const gdi::Region& uncovered) {
            m_renderer->paintObjectIn(canvas, uncovered, QPoint(0, 0), object);
        });
    });
}

void TMainForm::setWorkAreaCursor(WorkAreaCursor cursor)
{
    if (cursor == m_cursor)
        return;
    m_cursor = cursor;
    viewport()->setCursor(m_cursors.cursor(cursor));
}

void TMainForm::showFirstPage()
{
    if (m_closing)
        return;
    m_firstPageShown = true;
    showPage(currentPage());
    // Start-up goes without the media libraries; once the first page is up,
    // a publication that will play media has them loaded before a reader
    // asks for the first sound.
    m_session.prepareMedia();
    // A publication without pages shows nothing, and is ready all the same.
    if (auto listener = std::exchange(m_firstPageListener, nullptr))
        listener();
}

void TMainForm::goToPage(Page_Rec* page)
{
    Page_Rec* current = currentPage();
    if (!page || page == current || m_closing)
        return;
    if (current && !current->ExitAction.isEmpty())
        m_engine->run(current->ExitAction, page);
    else
        showPage(page);
}

void TMainForm::showPage(Page_Rec* page)
{
    if (m_closing)
        return;
    m_input->beforePageChange();
    if (page) {
        Publication& pub = publication();
        pub.document.enterPage(page);
        showPagePalette(m_palette, *page, pub.settings.ScreenColors);
        if (page->PageEffect == 0 || !runPageTransition(*page))
            m_view->invalidateAll();
        // Whoever waits for the first page (automation) may start now: its
        // input arrives while the entry script waits, as a reader's would.
        if (auto listener = std::exchange(m_firstPageListener, nullptr))
            listener();
    }
    m_input->afterPageShown();
    readPageAloud();
    if (page && !page->PageAction.isEmpty())
        m_engine->run(page->PageAction);
    recordActivity();
}

void TMainForm::TimerTimer()
{
    m_input->TimerTimer();
}

void TMainForm::mousePressEvent(QMouseEvent* event)
{
    m_input->WorkAreaMouseDown(event->button(), event->position().toPoint());
}

// A desktop sends a double-click as press, release, double-click, release:
// the second press arrives as the double-click and presses as the first did.
void TMainForm::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_input->WorkAreaMouseDown(event->button(), event->position().toPoint());
}

void TMainForm::mouseMoveEvent(QMouseEvent* event)
{
    m_input->WorkAreaMouseMove(event->position().toPoint());
}

void TMainForm::mouseReleaseEvent(QMouseEvent* event)
{
    m_input->WorkAreaMouseUp(event->button(), event->position().toPoint());
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TMainForm::shutDown()
{
    if (!m_closing)
        FormClose();
    hide();
}

bool TMainForm::FormCloseQuery()
{
    // No system saver password exists here, so a running saver may close.
    if (m_commandLine.mode == RunMode::SaverRun)
        return true;
    const Publication& pub = publication();
    if (pub.settings.Password.isEmpty())
        return true;
    TPasswordEntryForm form(pub.settings.Password, pub.strings, this);
    return form.ask() == TPasswordEntryForm::kAccepted;
}

void TMainForm::FormClose()
{
    m_closing = true;
    m_timer.stop();
    m_session.media().stopEverything();
    m_engine->reset();
    m_input->clearFocus();
    m_windows->closeAll();
    m_find->close();
    m_engine->variables().clear();
    // Every loop, modal boxes and delays included, ends; main() then tears
    // the window and the publication down in order.
    QCoreApplication::exit(0);
}

} // namespace lumeria
