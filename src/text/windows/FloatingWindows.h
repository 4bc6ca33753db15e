#pragma once

#include "container/ByteSource.h"
#include "document/TextWrap.h"
#include "platform/gdi/Font.h"
#include "platform/image/DecodedPicture.h"
#include "text/TextLayout.h"

#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace lumeria {

class TFloatingWindowForm;

// What the floating windows take from the player.
struct FloatingWindowContext {
    // The window they float beside, and stay above.
    QWidget* owner = nullptr;
    // The page surface on the screen: page coordinates start at its corner.
    std::function<QRect()> pageOnScreen;
    // Opens a file of the publication (the formatted ".V" version of a text).
    std::function<std::unique_ptr<ByteSource>(const QString& name)> openText;
    // Decodes a picture of the publication; nothing when it cannot.
    std::function<std::optional<DecodedPicture>(const QString& name)> loadPicture;
    // The font SetFont chose, in which text windows lay out and draw.
    std::function<gdi::Font()> font;
    // Runs a link's script as a button's would run.
    std::function<void(const QString& script)> runScript;
    std::function<void()> beep;
    // Where laid-out texts are written, and deleted again when their window
    // closes.
    QString temporaryFolder;
};

// One open floating window: what it shows and how it is looked up again.
struct WinRec {
    QString laidOutFile; // a text window's laid-out text, deleted at close
    QString sourceName;  // the shown file's name without folder, upper-cased
    QPointer<TFloatingWindowForm> window;
    int widthKey = 0; // the asked width of a wrapped text window, else 0
};

// The text and image windows scripts open beside the page (TextWindow,
// ImageWindow) and close (CloseWindow). Asking again for a file that is
// shown brings its window forward instead of opening another.
class WindowManager {
public:
    explicit WindowManager(FloatingWindowContext context);
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    // left and top are page coordinates, -1 centres on the screen; width
    // and height -1 fit the text. Nothing opens, silently, when the text
    // cannot be laid out. Returns the window shown, or nullptr.
    TFloatingWindowForm* openTextWindow(const QString& title, int left, int top, int width, int height,
                                        const QString& file, TextWrap wrap);
    TFloatingWindowForm* openImageWindow(const QString& title, int left, int top, const QString& file);

    // Every window showing that file (its name without folder, case
    // ignored); an empty name closes them all.
    void closeWindows(const QString& file);
    void closeAll();

    // The lines a text window for that file and width would show, laid out
    // as it lays them out (so line numbers agree), without opening one.
    std::optional<QByteArray> laidOutText(const QString& file, int width, TextWrap wrap) const;

    // The window showing a file with that width key, if one is open.
    TFloatingWindowForm* find(const QString& file, int widthKey) const;
    int count() const;

    // Head first: the most recently opened window.
    const std::vector<WinRec>& windows() const { return m_windows; }

private:
    void forgetClosed();
    gdi::Font windowFont() const;
    std::optional<text::LayoutResult> layOut(const gdi::Font& font, const QString& file, int width,
                                             bool wordWrap) const;
    void place(TFloatingWindowForm& form, int left, int top) const;

    FloatingWindowContext m_context;
    std::vector<WinRec> m_windows;
};

// The file name part of a path a script gives, upper-cased: the key windows
// are found by.
QString windowSourceName(const QString& file);

} // namespace lumeria
