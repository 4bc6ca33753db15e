#pragma once

#include "platform/gdi/Surface.h"
#include "platform/image/DecodedPicture.h"

#include <QWidget>

#include <functional>

namespace lumeria {

namespace gdi {
class Canvas;
}

// The pop-up picture: a borderless form the size of the picture. It keeps
// what it shows in a surface of its own, so an effect can reveal the picture
// step by step over what was there before.
class TPopUpImageForm : public QWidget {
    Q_OBJECT
public:
    TPopUpImageForm(const QString& file, const DecodedPicture& picture, QWidget* owner = nullptr);

    // Icons and metafiles have no bitmap to reveal: they ignore effects.
    bool isBitmap() const { return m_bitmap; }
    const gdi::Surface& picture() const { return m_picture; }

    using Reveal = std::function<void(gdi::Canvas& canvas, const gdi::Rect& area, const gdi::Surface& newImage,
                                      const std::function<void(const gdi::Rect&)>& present)>;
    // Shows the picture: through reveal when given and the picture is a
    // bitmap, else at once. Either way the picture ends fully shown.
    void reveal(const Reveal& reveal);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    gdi::Surface m_picture;
    gdi::Surface m_screen;
    bool m_bitmap = true;
};

} // namespace lumeria
