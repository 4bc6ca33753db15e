#include "text/windows/FloatingWindows.h"

#include "text/TextLayout.h"
#include "text/windows/FloatingWindowForm.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace lumeria {

namespace {

// Twice the sizing frame a window's outer width holds besides its client.
constexpr int kFrameWidth = 2 * 4;

QSize screenSize(const QWidget* widget)
{
    const QScreen* screen = widget && widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().size() : QSize(640, 480);
}

} // namespace

QString windowSourceName(const QString& file)
{
    QString name = file;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return name.mid(name.lastIndexOf(QLatin1Char('/')) + 1).toUpper();
}

WindowManager::WindowManager(FloatingWindowContext context) : m_context(std::move(context)) {}

WindowManager::~WindowManager()
{
    closeAll();
}

void WindowManager::forgetClosed()
{
    // A window the reader closed is gone already; its laid-out text goes
    // with its record.
    for (auto it = m_windows.begin(); it != m_windows.end();) {
        if (it->window) {
            ++it;
            continue;
        }
        if (!it->laidOutFile.isEmpty())
            QFile::remove(it->laidOutFile);
        it = m_windows.erase(it);
    }
}

TFloatingWindowForm* WindowManager::find(const QString& file, int widthKey) const
{
    const QString name = windowSourceName(file);
    for (const WinRec& rec : m_windows) {
        if (rec.window && rec.sourceName == name && rec.widthKey == widthKey)
            return rec.window;
    }
    return nullptr;
}

int WindowManager::count() const
{
    return int(std::count_if(m_windows.begin(), m_windows.end(), [](const WinRec& r) { return bool(r.window); }));
}

void WindowManager::place(TFloatingWindowForm& form, int left, int top) const
{
    const QSize screen = screenSize(m_context.owner);
    form.resize(form.size().boundedTo(screen));
    const QRect page = m_context.pageOnScreen ? m_context.pageOnScreen() : QRect();
    const int x = left == -1 ? (screen.width() - form.width()) / 2 : page.left() + left;
    const int y = top == -1 ? (screen.height() - form.height()) / 2 : page.top() + top;
    form.move(x, y);
}

gdi::Font WindowManager::windowFont() const
{
    return m_context.font ? m_context.font() : gdi::Font::fromPoints(QStringLiteral("Arial"), 9);
}

std::optional<text::LayoutResult> WindowManager::layOut(const gdi::Font& font, const QString& file, int width,
                                                        bool wordWrap) const
{
    std::unique_ptr<ByteSource> source = m_context.openText ? m_context.openText(file + QStringLiteral(".V")) : nullptr;
    if (!source)
        return std::nullopt;
    // The text fills the window less its frame, its scroll bar and a margin.
    text::LayoutRequest request;
    request.width =
        wordWrap ? width - kFrameWidth - TFloatingWindowForm::kScrollBarWidth - TFloatingWindowForm::kTextMargin : 0;
    request.wordWrap = wordWrap;
    request.temporaryFolder = m_context.temporaryFolder;
    auto laid = text::layOutText(font, *source, request);
    if (!laid)
        return std::nullopt;
    return std::move(laid).value();
}

std::optional<QByteArray> WindowManager::laidOutText(const QString& file, int width, TextWrap wrap) const
{
    const bool wordWrap = wrap == TextWrap::Word && width > 0;
    const std::optional<text::LayoutResult> laid = layOut(windowFont(), file, width, wordWrap);
    if (!laid)
        return std::nullopt;
    QFile out(laid->output);
    std::optional<QByteArray> bytes;
    if (out.open(QIODevice::ReadOnly))
        bytes = out.readAll();
    out.close();
    QFile::remove(laid->output);
    return bytes;
}

TFloatingWindowForm* WindowManager::openTextWindow(const QString& title, int left, int top, int width, int height,
                                                   const QString& file, TextWrap wrap)
{
    forgetClosed();
    // A width of 0 or less lays the text out unwrapped, whatever was asked.
    const bool wordWrap = wrap == TextWrap::Word && width > 0;
    const int widthKey = wordWrap ? width : 0;
    if (TFloatingWindowForm* shown = find(file, widthKey)) {
        shown->showNormal();
        shown->raise();
        return shown;
    }
    const gdi::Font font = windowFont();
    auto laid = layOut(font, file, width, wordWrap);
    if (!laid)
        return nullptr;
    const text::LayoutResult& result = *laid;
    LaidOutText shownText{result.output, std::max(1, result.maxLineHeight), result.xRange, result.lineCount};

    auto* form =
        new TFloatingWindowForm(m_context.owner, title, font, shownText, {m_context.runScript, m_context.beep});
    const int clientWidth =
        width == -1 ? result.xRange + TFloatingWindowForm::kScrollBarWidth + TFloatingWindowForm::kTextMargin
                    : std::max(1, width - kFrameWidth);
    const int clientHeight = height == -1
                                 ? result.lineCount * shownText.lineHeight + TFloatingWindowForm::kScrollBarWidth
                                 : std::max(1, height - kFrameWidth);
    form->resize(clientWidth, clientHeight);
    place(*form, left, top);
    m_windows.insert(m_windows.begin(), WinRec{result.output, windowSourceName(file), form, widthKey});
    form->show();
    return form;
}

TFloatingWindowForm* WindowManager::openImageWindow(const QString& title, int left, int top, const QString& file)
{
    forgetClosed();
    if (TFloatingWindowForm* shown = find(file, 0)) {
        shown->showNormal();
        shown->raise();
        return shown;
    }
    std::optional<DecodedPicture> picture = m_context.loadPicture ? m_context.loadPicture(file) : std::nullopt;
    if (!picture || picture->image.isNull())
        return nullptr;
    const QSize size = picture->image.size();
    auto* form = new TFloatingWindowForm(m_context.owner, title, std::move(*picture));
    form->resize(size);
    place(*form, left, top);
    // The window never grows past its picture.
    form->setMaximumSize(form->size());
    m_windows.insert(m_windows.begin(), WinRec{QString(), windowSourceName(file), form, 0});
    form->show();
    return form;
}

void WindowManager::closeWindows(const QString& file)
{
    const QString name = windowSourceName(file);
    for (WinRec& rec : m_windows) {
        if (rec.window && (name.isEmpty() || rec.sourceName == name)) {
            // Closing deletes the form later; the record goes now.
            rec.window->close();
            rec.window = nullptr;
        }
    }
    forgetClosed();
}

void WindowManager::closeAll()
{
    closeWindows(QString());
    for (WinRec& rec : m_windows) {
        if (!rec.laidOutFile.isEmpty())
            QFile::remove(rec.laidOutFile);
    }
    m_windows.clear();
}

} // namespace lumeria
