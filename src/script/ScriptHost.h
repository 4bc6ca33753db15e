#pragma once

#include "document/TextWrap.h"

#include <QString>
#include <QStringList>

namespace lumeria {

struct Page_Rec;

enum class CloseTarget { AllWindows, FindWindow, Window };

enum class PrintMode { Text, Data };

// What SystemInfo and the built-in names need to know about the running
// player, the screen and the publication's files.
struct SystemValues {
    int screenWidth = 0;
    int screenHeight = 0;
    int screenColours = 0;
    int pageWidth = 0;
    int pageHeight = 0;
    QString windowCaption;
    QString programFolder; // folder of the publication's file
    QString temporaryFolder;
};

// Every effect a script has outside the interpreter, media aside (MediaHost).
// The player's main window implements it; tests use a recording fake. Coordinates are page
// pixels; -1 is passed on unchanged wherever a command allows it.
class ScriptHost {
public:
    virtual ~ScriptHost() = default;

    // Lets pending input, timers and repaints run; a click handled here may
    // start another script, nested inside the current one.
    virtual void processEvents() = 0;
    // Input seen: restarts the idle-return countdown.
    virtual void recordActivity() = 0;
    virtual void beep() = 0;
    // The wait cursor, while a file operation may keep the reader waiting.
    virtual void setBusyCursor(bool busy) = 0;

    // Page switching. goToPage runs the current page's exit script with the
    // target, or shows the target; showPage makes it current, draws it and
    // runs its entry script. Neither does anything for a null page.
    virtual void goToPage(Page_Rec* page) = 0;
    virtual void showPage(Page_Rec* page) = 0;

    // A modal message dialog; '|' in the message breaks lines. Returns the
    // 1-based button chosen.
    virtual int messageDialog(const QString& title, const QString& message, const QStringList& buttons) = 0;
    // A pop-up menu at a page position; the 1-based item chosen, 0 for none.
    virtual int popupMenu(int x, int y, const QStringList& items) = 0;
    virtual void showBalloon(const QString& text, int x, int y) = 0;
    virtual void showStickyNote(int x, int y, const QString& text, int displayTime) = 0;
    // False when the picture cannot be loaded.
    virtual bool showPopupImage(int x, int y, const QString& file, int displayTime, int effect, int option) = 0;

    virtual void openTextWindow(const QString& title, int x, int y, int width, int height, const QString& file,
                                TextWrap wrap) = 0;
    virtual void openImageWindow(const QString& title, int x, int y, const QString& file) = 0;
    virtual void closeWindow(CloseTarget target, const QString& title) = 0;
    virtual void find(const QString& text) = 0;

    // Waits, letting events run all the time; returns early when the engine
    // stops running (the reader pressed Esc or Pause).
    virtual void delay(int milliseconds) = 0;

    virtual void printPage(const QString& what) = 0;
    // PrintTextFile and PrintDataFile: header and footer (with their
    // codes), then the file.
    virtual void printFile(const QString& header, const QString& footer, const QString& file, TextWrap wrap,
                           PrintMode mode) = 0;
    virtual void printImageFile(const QString& file, int option) = 0;

    // Closes the main window, with its normal shutdown.
    virtual void closeMainWindow() = 0;

    virtual SystemValues systemValues() const = 0;
};

} // namespace lumeria
