#include "app/PlayerScriptHost.h"

#include "app/MainForm.h"
#include "automation/AutomationLog.h"
#include "input/FindController.h"
#include "platform/ScopedCount.h"
#include "popups/PopupRequest.h"
#include "text/windows/FloatingWindows.h"

namespace lumeria {

PlayerScriptHost::PlayerScriptHost(Parts parts) : m_parts(std::move(parts)) {}

PlayerScriptHost::~PlayerScriptHost() = default;

void PlayerScriptHost::processEvents()
{
    m_parts.window.processEvents();
}

void PlayerScriptHost::recordActivity()
{
    m_parts.window.recordActivity();
}

void PlayerScriptHost::beep()
{
    m_parts.window.beep();
}

void PlayerScriptHost::setBusyCursor(bool busy)
{
    m_parts.window.setBusyCursor(busy);
}

void PlayerScriptHost::goToPage(Page_Rec* page)
{
    m_parts.window.goToPage(page);
}

void PlayerScriptHost::showPage(Page_Rec* page)
{
    m_parts.window.showPage(page);
}

int PlayerScriptHost::messageDialog(const QString& title, const QString& message, const QStringList& buttons)
{
    return m_parts.window.messageDialog(title, message, buttons);
}

int PlayerScriptHost::popupMenu(int x, int y, const QStringList& items)
{
    return m_parts.window.popupMenu(x, y, items);
}

void PlayerScriptHost::showBalloon(const QString& text, int x, int y)
{
    m_parts.window.logEvent(AutomationLog::balloon(x, y, text));
    m_parts.window.announce(text);
    lumeria::showBalloon(m_parts.window.popupContext(), text, x, y);
}

void PlayerScriptHost::showStickyNote(int x, int y, const QString& text, int displayTime)
{
    m_parts.window.logEvent(AutomationLog::note(x, y, displayTime, text));
    m_parts.window.announce(text);
    lumeria::showStickyNote(m_parts.window.popupContext(), x, y, text, displayTime);
}

bool PlayerScriptHost::showPopupImage(int x, int y, const QString& file, int displayTime, int effect, int option)
{
    m_parts.window.logEvent(AutomationLog::popup(x, y, displayTime, file));
    return lumeria::showPopupImage(m_parts.window.popupContext(), x, y, file, displayTime, effect, option);
}

void PlayerScriptHost::openTextWindow(const QString& title, int x, int y, int width, int height, const QString& file,
                                      TextWrap wrap)
{
    m_parts.windows.openTextWindow(title, x, y, width, height, file, wrap);
}

void PlayerScriptHost::openImageWindow(const QString& title, int x, int y, const QString& file)
{
    m_parts.windows.openImageWindow(title, x, y, file);
}

void PlayerScriptHost::closeWindow(CloseTarget target, const QString& title)
{
    switch (target) {
    case CloseTarget::AllWindows:
        m_parts.windows.closeAll();
        m_parts.find.close();
        break;
    case CloseTarget::Window: m_parts.windows.closeWindows(title); break;
    case CloseTarget::FindWindow: m_parts.find.close(); break;
    }
}

void PlayerScriptHost::find(const QString& text)
{
    m_parts.find.open(text);
}

void PlayerScriptHost::delay(int milliseconds)
{
    m_parts.window.delay(milliseconds);
}

PrintService& PlayerScriptHost::printService()
{
    if (!m_print)
        m_print = std::make_unique<PrintService>(m_parts.printContext());
    return *m_print;
}

void PlayerScriptHost::printPage(const QString& what)
{
    // The print dialog waits for the reader, and a long job is not the
    // script's running on.
    const ScopedCount printing(m_printing);
    const ReaderWait reader(m_parts.window.engine());
    printService().printPage(what);
}

void PlayerScriptHost::printFile(const QString& header, const QString& footer, const QString& file, TextWrap wrap,
                                 PrintMode mode)
{
    const ScopedCount printing(m_printing);
    const ReaderWait reader(m_parts.window.engine());
    printService().printFile(header, footer, file, wrap, mode);
}

void PlayerScriptHost::printImageFile(const QString& file, int option)
{
    const ScopedCount printing(m_printing);
    const ReaderWait reader(m_parts.window.engine());
    printService().printImageFile(file, option);
}

void PlayerScriptHost::closeMainWindow()
{
    m_parts.window.closeMainWindow();
}

SystemValues PlayerScriptHost::systemValues() const
{
    return m_parts.window.systemValues();
}

} // namespace lumeria
