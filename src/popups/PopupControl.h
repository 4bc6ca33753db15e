#pragma once

#include "platform/gdi/Colour.h"
#include "popups/PopupText.h"

#include <QWidget>

namespace lumeria {

namespace gdi {
class Canvas;
}

// The graphic control a pop-up form is filled with: a caption in the System
// font over an opaque face, drawn pixel for pixel with our GDI so the shapes
// keep the classic look. Subclasses draw their shape in paintOn.
class PopupControl : public QWidget {
    Q_OBJECT
public:
    explicit PopupControl(QWidget* parent = nullptr);

    QString caption() const { return m_caption.text; }
    void setCaption(const QString& text);
    const gdi::Font& popupFont() const { return m_caption.font; }
    void setPopupFont(const gdi::Font& font);
    gdi::HorizontalAlign alignment() const { return m_caption.alignment; }
    void setAlignment(gdi::HorizontalAlign alignment);
    // The opaque face under the shape: the form's button face.
    gdi::ColorRef color() const { return m_color; }
    void setColor(gdi::ColorRef color);
    // The shape's fill, and how far the caption keeps from the shape's edges.
    gdi::ColorRef backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(gdi::ColorRef value);
    int xOffset() const { return m_xOffset; }
    void setXOffset(int value);
    int yOffset() const { return m_yOffset; }
    void setYOffset(int value);

    // The caption's height broken over the control's width, as measured at
    // the last change of caption, font or size.
    int textHeight() const { return m_textHeight; }

    // Draws the whole control on a canvas of the control's size.
    void paintOn(gdi::Canvas& canvas);

signals:
    void clicked();

protected:
    virtual void paintShape(gdi::Canvas& canvas, const gdi::Rect& client) = 0;
    void drawCaption(gdi::Canvas& canvas, const gdi::Rect& box) const;
    // The shape's inside less the offsets: where the caption goes.
    gdi::Rect textBox(const gdi::Rect& shape) const
    {
        return {shape.left + m_xOffset, shape.top + m_yOffset, shape.right - m_xOffset, shape.bottom - m_yOffset};
    }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void remeasure();

    PopupCaption m_caption;
    gdi::ColorRef m_color = gdi::systemColour(gdi::SystemColour::ButtonFace);
    gdi::ColorRef m_backgroundColor = gdi::rgb(255, 255, 255);
    int m_xOffset = 0;
    int m_yOffset = 0;
    int m_textHeight = 0;
    bool m_pressed = false;
};

} // namespace lumeria
