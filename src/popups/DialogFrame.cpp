#include "popups/DialogFrame.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace lumeria {

namespace {

// The window icon and the frame's boxes with the padding round them and the
// title. Some window managers draw minimise and maximise boxes on dialogs
// whatever the window asks for (openbox's default theme does), so room is
// kept for four.
constexpr int kTitleBarChrome = 112;

} // namespace

Qt::WindowFlags dialogWindowFlags(bool stayOnTop)
{
    // Without CustomizeWindowHint Qt asks the window manager for minimise
    // and maximise boxes on every top-level window, dialogs included.
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
    if (stayOnTop)
        flags |= Qt::WindowStaysOnTopHint;
    return flags;
}

int widthForTitle(const QString& title, const QFont& dialogFont)
{
    if (title.isEmpty())
        return 0;
    // The window system shows the application's name after the title (Qt
    // appends it when it is set, which the public interface cannot tell
    // from its default); room for it costs a little width at worst.
    QString shown = title;
    const QString application = QGuiApplication::applicationDisplayName();
    if (!application.isEmpty() && !title.endsWith(application))
        shown += QStringLiteral(" \u2014 ") + application;
    QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    titleFont.setBold(true);
    QFont boldDialog = dialogFont;
    boldDialog.setBold(true);
    const int text =
        std::max(QFontMetrics(titleFont).horizontalAdvance(title), QFontMetrics(boldDialog).horizontalAdvance(title));
    // The window manager's own font is not known here and may run wider
    // than either (DejaVu Sans Bold against Liberation Sans): a fifth more.
    int width = text + text / 5 + kTitleBarChrome;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        width = std::min(width, screen->availableGeometry().width());
    return width;
}

} // namespace lumeria
