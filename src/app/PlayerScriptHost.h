#pragma once

#include "print/PrintService.h"
#include "script/ScriptHost.h"

#include <functional>
#include <memory>

namespace lumeria {

class FindController;
class TMainForm;
class WindowManager;

// What scripts ask of the player, sent where it is done: page changes,
// waits, boxes and menus to the window; balloons, notes and pop-up pictures
// to the pop-ups; text and image windows to the window manager; Find to its
// controller; print jobs to the print service, made the first time a
// script prints. Media commands do not come here: the engine sends them to
// the session's media manager.
class PlayerScriptHost final : public ScriptHost {
public:
    struct Parts {
        TMainForm& window;
        WindowManager& windows;
        FindController& find;
        std::function<PrintContext()> printContext;
    };

    explicit PlayerScriptHost(Parts parts);
    ~PlayerScriptHost() override;
    PlayerScriptHost(const PlayerScriptHost&) = delete;
    PlayerScriptHost& operator=(const PlayerScriptHost&) = delete;

    // A print job runs; its progress window is modal but waits for nobody.
    bool printing() const { return m_printing > 0; }

    void processEvents() override;
    void recordActivity() override;
    void beep() override;
    void setBusyCursor(bool busy) override;
    void goToPage(Page_Rec* page) override;
    void showPage(Page_Rec* page) override;
    int messageDialog(const QString& title, const QString& message, const QStringList& buttons) override;
    int popupMenu(int x, int y, const QStringList& items) override;
    void showBalloon(const QString& text, int x, int y) override;
    void showStickyNote(int x, int y, const QString& text, int displayTime) override;
    bool showPopupImage(int x, int y, const QString& file, int displayTime, int effect, int option) override;
    void openTextWindow(const QString& title, int x, int y, int width, int height, const QString& file,
                        TextWrap wrap) override;
    void openImageWindow(const QString& title, int x, int y, const QString& file) override;
    void closeWindow(CloseTarget target, const QString& title) override;
    void find(const QString& text) override;
    void delay(int milliseconds) override;
    void printPage(const QString& what) override;
    void printFile(const QString& header, const QString& footer, const QString& file, TextWrap wrap,
                   PrintMode mode) override;
    void printImageFile(const QString& file, int option) override;
    void closeMainWindow() override;
    SystemValues systemValues() const override;

private:
    PrintService& printService();

    Parts m_parts;
    std::unique_ptr<PrintService> m_print;
    int m_printing = 0;
};

} // namespace lumeria
