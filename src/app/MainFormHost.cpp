// What scripts ask of the main window beyond page changes: dialogs, menus,
// waits, system values, and for now a plain answer for what comes later.
#include "app/MainForm.h"
#include "app/PageScale.h"
#include "app/PlayerScriptHost.h"
#include "app/PlayerSession.h"
#include "app/TitleNotice.h"
#include "automation/AutomationLog.h"
#include "media/surface/VideoSurface.h"
#include "platform/Folders.h"
#include "platform/ScopedCount.h"
#include "platform/VirtualKeys.h"
#include "platform/disc/ImageVolume.h"
#include "popups/PopupRequest.h"
#include "popups/QueryForm.h"
#include "render/Transitions.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <thread>

namespace lumeria {

namespace {

// How often a wait looks whether the reader stopped the script.
constexpr int kStopPollInterval = 10;

} // namespace

void TMainForm::processEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TMainForm::recordActivity()
{
    m_input->resetIdle();
}

void TMainForm::beep()
{
    QApplication::beep();
}

void TMainForm::setBusyCursor(bool busy)
{
    if (busy) {
        if (m_busy++ == 0)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busy > 0) {
        if (--m_busy == 0)
            QGuiApplication::restoreOverrideCursor();
    }
}

int TMainForm::messageDialog(const QString& title, const QString& message, const QStringList& buttons)
{
    const ReaderWait reader(*m_engine);
    announce(title + QLatin1Char('\n') + QString(message).replace(QLatin1Char('|'), QLatin1Char('\n')) +
             QLatin1Char('\n') + buttons.join(QStringLiteral(", ")));
    TQueryForm box(title, message, buttons, this, publication().settings.StayOnTop);
    return box.ask();
}

int TMainForm::popupMenu(int x, int y, const QStringList& items)
{
    const ReaderWait reader(*m_engine);
    if (m_menuAnswerer) {
        if (const std::optional<int> answer = m_menuAnswerer(x, y, items))
            return *answer;
    }
    QMenu menu(this);
    menu.setFont(TQueryForm::dialogFont());
    for (int i = 0; i < items.size(); ++i)
        menu.addAction(items[i])->setData(i + 1);
    const ScopedCount waiting(m_waiting);
    const QAction* chosen = menu.exec(viewport()->mapToGlobal(pageOrigin() + QPoint(x, y)));
    return chosen ? chosen->data().toInt() : 0;
}

void TMainForm::delay(int milliseconds)
{
    if (milliseconds <= 0) {
        processEvents();
        return;
    }
    QElapsedTimer elapsed;
    elapsed.start();
    waitUntil([&elapsed, milliseconds] { return elapsed.elapsed() >= milliseconds; });
}

void TMainForm::waitUntil(const std::function<bool()>& done)
{
    if (done())
        return;
    QEventLoop loop;
    // The reader may stop the script (Esc, Pause) or close the window while
    // it waits; either ends the wait at once.
    QTimer poll;
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || m_closing || !m_engine->isRunning() || m_engine->aborted())
            loop.quit();
    });
    poll.start(kStopPollInterval);
    const ScopedCount waiting(m_waiting);
    const ReaderWait reader(*m_engine);
    loop.exec();
}

QStringList TMainForm::playingMedia() const
{
    return m_session.media().playingFiles();
}

std::pair<int, QString> TMainForm::mciString(const QString& command)
{
    const media::MciReply reply = m_session.media().mciString(command);
    return {reply.code, reply.text};
}

// The window as media sees it: the session's files, the publication's
// words, the page's place, the surfaces over it and the window's waits.
class TMainForm::MediaWindow final : public media::MediaEnvironment {
public:
    explicit MediaWindow(TMainForm& window) : m_window(window) {}

    std::optional<QString> locate(const QString& name) override { return m_window.m_session.locateMediaFile(name); }
    std::optional<QByteArray> readFile(const QString& name) override { return m_window.m_session.readMediaFile(name); }
    QString publicationFolder() const override { return m_window.m_session.container().programFolder(); }

    std::vector<media::DiscTrack> discTracks() const override
    {
        // On a disc image the music is the image's own audio tracks. Every
        // track counts at 2352 bytes a sector, as the disc's time runs, so a
        // cooked data track is as long as its sectors would be on the disc.
        // An image without music (an .iso) leaves the TRACKnn files to serve.
        std::vector<media::DiscTrack> out;
        if (const disc::ImageVolume* image = disc::imageVolume()) {
            const auto& tracks = image->image().tracks();
            if (std::any_of(tracks.begin(), tracks.end(),
                            [](const disc::CueTrack& t) { return t.mode == disc::TrackMode::Audio; })) {
                for (const disc::CueTrack& track : tracks)
                    out.push_back(
                        {track.file, track.offset, track.sectors * 2352, track.mode == disc::TrackMode::Audio});
            }
        }
        return out;
    }

    media::MediaMessages messages() const override
    {
        const auto& strings = m_window.publication().strings;
        return {strings.caption(LanguageElement::L_ERRORTITLE), strings[LanguageElement::L_EXTRACTERROR],
                strings[LanguageElement::L_MEDIAERROR], strings.caption(LanguageElement::L_OK)};
    }
    void errorBox(const QString& title, const QString& message, const QString& button) override
    {
        m_window.messageDialog(title, message, {button});
    }

    QRect pageArea() const override { return QRect(m_window.pageOrigin(), m_window.m_pageSize); }
    QPoint scrollOffset() const override
    {
        return QPoint(m_window.horizontalScrollBar()->value(), m_window.verticalScrollBar()->value());
    }
    void invalidate(const QRect& area) override
    {
        const QRect page = area.translated(-m_window.pageOrigin());
        m_window.m_view->invalidate(gdi::Rect{page.left(), page.top(), page.right() + 1, page.bottom() + 1});
    }
    std::unique_ptr<media::FrameSink> createFrameSink(const QRect& display) override
    {
        return std::make_unique<media::VideoSurface>(m_window.viewport(), display);
    }

    void wait(const std::function<bool()>& done) override { m_window.waitUntil(done); }
    int64_t clock() const override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void log(const QString& line) override
    {
        if (m_window.m_eventLog)
            m_window.m_eventLog(line);
    }

private:
    TMainForm& m_window;
};

std::unique_ptr<media::MediaEnvironment> TMainForm::makeMediaWindow()
{
    return std::make_unique<MediaWindow>(*this);
}

void TMainForm::closeMainWindow()
{
    close();
}

SystemValues TMainForm::systemValues() const
{
    SystemValues v;
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QSize size = desktopScreenSize(*screen);
        v.screenWidth = size.width();
        v.screenHeight = size.height();
    }
    v.screenColours = m_palette.displayColourCount();
    v.pageWidth = m_pageSize.width();
    v.pageHeight = m_pageSize.height();
    v.windowCaption = m_titleNotice ? m_titleNotice->title() : windowTitle();
    v.programFolder = m_session.container().programFolder();
    v.temporaryFolder = temporaryFolder();
    return v;
}

PopupContext TMainForm::popupContext()
{
    PopupContext context;
    const QPoint corner = viewport()->mapToGlobal(pageOrigin());
    context.reference =
        gdi::Rect{corner.x(), corner.y(), corner.x() + m_pageSize.width(), corner.y() + m_pageSize.height()};
    context.window = this;
    context.loadPicture = m_context.loadPicture;
    context.runTransition = [](gdi::Canvas& canvas, const gdi::Rect& area, const gdi::Surface& image, int speed,
                               int effect, const std::function<void(const gdi::Rect&)>& present) {
        const TransitionTarget target{canvas, area, present,
                                      [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }};
        runTransition(target, image, speed, effect);
    };
    // While a pop-up waits for the reader the idle return waits too, and
    // automation may go on with its next line.
    context.onWaitBegins = [this](QWidget*) {
        m_input->setIdleSuspended(true);
        ++m_waiting;
        m_engine->readerWaitBegins();
    };
    context.onWaitEnds = [this] {
        m_engine->readerWaitEnds();
        --m_waiting;
        m_input->setIdleSuspended(false);
    };
    // A screenshot may be taken of the pop-up itself, and reading aloud
    // turned on or off over it; Ctrl and Shift, pressed on their own first,
    // must not take the pop-up away before F12 or S comes. Esc still closes
    // it, silencing its words.
    context.keptKey = [this](const QKeyEvent& key) {
        if (key.key() == Qt::Key_Control || key.key() == Qt::Key_Shift)
            return true;
        const int code = vk::fromQtKey(key.key(), key.modifiers());
        const uint16_t modifiers = vk::modifierBits(key.modifiers());
        if (code == vk::kEscape)
            escapePressed();
        return screenshotKey(code, modifiers) || readingKey(code, modifiers);
    };
    return context;
}

PrintContext TMainForm::printContext()
{
    PrintContext context;
    context.window = this;
    context.applicationTitle = caption();
    context.strings = &publication().strings;
    context.renderPage = [this](const QString& name) {
        setBusyCursor(true);
        const QImage page = renderPageForPrint(publication().document, *m_renderer, name);
        setBusyCursor(false);
        return page;
    };
    context.openFile = publicationFileOpener(&m_session.container(), m_session.container().programFolder());
    context.loadPicture = [this](const QString& name) -> std::optional<QImage> {
        std::optional<DecodedPicture> picture = m_context.loadPicture ? m_context.loadPicture(name) : std::nullopt;
        if (!picture || picture->image.isNull())
            return std::nullopt;
        return picture->image;
    };
    context.scriptFont = [this] { return m_engine->scriptFont(); };
    context.skipPrintDialog = m_commandLine.printWithoutDialog;
    context.pdfTarget = m_commandLine.printTo;
    context.temporaryFolder = temporaryFolder();
    return context;
}

FindContext TMainForm::findContext()
{
    FindContext context;
    context.owner = this;
    context.publication = &publication();
    context.view = m_view.get();
    context.scrollBars = &m_scrollStore;
    context.windows = m_windows.get();
    context.caption = caption();
    context.currentPage = [this] { return currentPage(); };
    context.goToPage = [this](Page_Rec* page) { goToPage(page); };
    context.substitute = [this](const QString& text) { return substitute(text); };
    context.openEntry = [this](const QString& name) -> std::unique_ptr<ByteSource> {
        if (!m_session.container().find(name))
            return nullptr;
        return std::make_unique<EntrySource>(m_session.container(), name);
    };
    context.focus = [this](ObjectRef object) { m_input->changeFocus(object); };
    context.bringUpToDate = [this] { bringUpToDate(); };
    context.runScript = [this](const QString& script) { runScript(script); };
    context.setBusyCursor = [this](bool busy) { setBusyCursor(busy); };
    context.messageBox = [this](const QString& title, const QString& message, const QStringList& buttons) {
        return messageDialog(title, message, buttons);
    };
    return context;
}

void TMainForm::setEventLog(std::function<void(const QString&)> log)
{
    m_eventLog = std::move(log);
    m_session.setTrace([this](const QString& line) { logEvent(line); });
}

void TMainForm::logEvent(const QString& line)
{
    if (m_eventLog)
        m_eventLog(line);
}

bool TMainForm::printing() const
{
    return m_scriptHost->printing();
}

} // namespace lumeria
