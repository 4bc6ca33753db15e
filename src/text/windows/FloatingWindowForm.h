#pragma once

#include "platform/WheelNotches.h"
#include "platform/gdi/Font.h"
#include "platform/image/DecodedPicture.h"
#include "text/HyperLink.h"

#include <QWidget>

#include <functional>

class QScrollBar;
class QSizeGrip;
class QWheelEvent;

namespace lumeria {

// What a text window was laid out into.
struct LaidOutText {
    QString file; // the laid-out text
    int lineHeight = 0;
    int widestLine = 0;
    int lineCount = 0;
};

// A floating, sizeable window beside the page: a laid-out text with scroll
// bars and links, or a picture at its own size.
class TFloatingWindowForm : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Image = 0, Text = 1 };
    static constexpr int kScrollBarWidth = 16;
    // Laid-out text starts this far from the window's right edge.
    static constexpr int kTextMargin = 12;

    struct Actions {
        std::function<void(const QString& script)> runScript;
        std::function<void()> beep;
    };

    TFloatingWindowForm(QWidget* owner, const QString& title, const gdi::Font& font, LaidOutText text, Actions actions);
    TFloatingWindowForm(QWidget* owner, const QString& title, DecodedPicture picture);

    Kind kind() const { return m_kind; }
    const LaidOutText& text() const { return m_text; }

    // The first line shown and the pixels scrolled sideways.
    int firstLine() const { return m_firstLine; }
    int horizontalOffset() const { return m_offset; }
    void scrollToLine(int line);
    int linesPerPage() const { return m_linesPerPage; }
    QScrollBar* verticalBar() const { return m_vertical; }
    QScrollBar* horizontalBar() const { return m_horizontal; }
    QWidget* paintBox() const { return m_paintBox; }

    // Makes a line flash: its band is inverted eight times, 50 ms apart,
    // and left as it was. The line must be in view.
    void flashLine(int line);

    // The link under a point of the paint box, as last painted.
    const text::HyperLink_Rec* linkAt(QPoint point) const;
    // Follows a link as a click does: a ":" target scrolls to its anchor or
    // beeps, anything else runs as a script.
    void follow(const QString& target);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paintText(QPainter& painter);
    void layOutChildren();
    void updateBars();
    // The desktop's lines a notch, through the bars' own steps.
    void wheel(const QWheelEvent& wheel);

    Kind m_kind;
    gdi::Font m_font;
    LaidOutText m_text;
    DecodedPicture m_picture;
    Actions m_actions;
    QWidget* m_paintBox = nullptr;
    QScrollBar* m_vertical = nullptr;
    QScrollBar* m_horizontal = nullptr;
    QSizeGrip* m_sizeBox = nullptr;
    int m_firstLine = 0;
    int m_offset = 0;
    int m_linesPerPage = 10;
    int m_recordLength = 0;
    text::HyperLinkList m_links;
    QRect m_inverted; // a band shown inverted while it flashes
    WheelNotches m_wheelVertical;
    WheelNotches m_wheelHorizontal;
};

} // namespace lumeria
