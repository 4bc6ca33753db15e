#include "render/ObjectPainter.h"

#include "platform/gdi/Canvas.h"
#include "platform/gdi/DcStateSaver.h"
#include "platform/gdi/HatchPatterns.h"
#include "render/PageLayout.h"
#include "render/TextBlock.h"

#include <algorithm>
#include <cstdint>

namespace lumeria {

namespace {

constexpr int kMaxRoundCorner = 15;
constexpr int kMaxPenWidth = 32767;

constexpr gdi::ColorRef kBlack = gdi::rgb(0, 0, 0);
constexpr gdi::ColorRef kWhite = gdi::rgb(255, 255, 255);

gdi::ColorRef colour(int32_t value)
{
    return static_cast<gdi::ColorRef>(value);
}

gdi::PenStyle penStyleOf(uint8_t lineStyle)
{
    switch (lineStyle) {
    case 1: return gdi::PenStyle::Dash;
    case 2: return gdi::PenStyle::Dot;
    case 3: return gdi::PenStyle::DashDot;
    case 4: return gdi::PenStyle::DashDotDot;
    default: return gdi::PenStyle::Solid;
    }
}

bool hasFrameFill(const Object_Rec& object)
{
    switch (object.kind()) {
    case ObjectKind::Article:
    case ObjectKind::Button:
    case ObjectKind::Picture:
    case ObjectKind::Rectangle:
    case ObjectKind::Ellipse:
    case ObjectKind::Text: return true;
    case ObjectKind::Line: return false;
    }
    return false;
}

} // namespace

bool ObjectPainter::meetsClip(QPoint origin, const Object_Rec& object) const
{
    const gdi::Rect r = objectFrame(object);
    const int64_t dx = int64_t(origin.x()) + m_canvas.state().origin.x();
    const int64_t dy = int64_t(origin.y()) + m_canvas.state().origin.y();
    // Horizontal and vertical lines have no area; one pixel makes them count.
    const int64_t left = r.left + dx;
    const int64_t top = r.top + dy;
    const int64_t right = r.right + dx + (r.width() == 0 ? 1 : 0);
    const int64_t bottom = r.bottom + dy + (r.height() == 0 ? 1 : 0);
    const gdi::Rect clip = m_canvas.state().clip.boundingRect();
    return left < clip.right && right > clip.left && top < clip.bottom && bottom > clip.top && !clip.isEmpty();
}

void ObjectPainter::paintObject(QPoint origin, const Object_Rec& object)
{
    if (!meetsClip(origin, object))
        return;
    const gdi::DcStateSaver saved(m_canvas);
    m_canvas.translate(origin.x(), origin.y());
    m_canvas.setRop2(gdi::Rop2::CopyPen);
    m_canvas.setBrush(gdi::Brush::solid(colour(object.FillColor)));
    if (hasFrameFill(object))
        setUpFill(object);
    setUpOutline(object);

    switch (object.kind()) {
    case ObjectKind::Article:
        drawFrameShape(object);
        drawArticleFrame(object, ScrollBarPaint::Paint);
        break;
    case ObjectKind::Button:
        drawFrameShape(object);
        drawButton(object);
        break;
    case ObjectKind::Picture:
        drawFrameShape(object);
        drawPicture(object, PicturePaint::Full);
        break;
    case ObjectKind::Rectangle:
    case ObjectKind::Ellipse: drawFrameShape(object); break;
    case ObjectKind::Line: drawLine(object); break;
    case ObjectKind::Text:
        drawFrameShape(object);
        drawText(object);
        break;
    }
}

// Patterns are filled before the outline, with no pen. A see-through pattern
// takes two passes: AND with the bare pattern blackens the ink pixels and
// keeps the rest, then XOR with the pattern in the fill colour over black
// colours the ink. An opaque pattern is one copy, ink in the fill colour,
// background white. The brush keeps its origin at the canvas origin, so
// neighbouring objects' patterns line up.
void ObjectPainter::setUpFill(const Object_Rec& object)
{
    if (object.FillPattern == Object_Rec::kNoFill) {
        m_canvas.setBrush(gdi::Brush::none());
        return;
    }
    if (object.FillPattern < Object_Rec::kFirstHatch)
        return;
    const auto rows = gdi::hatchPattern(object.FillPattern);
    if (!rows) {
        // A pattern number beyond the table fills nothing rather than
        // guessing at a colour.
        m_canvas.setBrush(gdi::Brush::none());
        return;
    }
    m_canvas.setPen(gdi::Pen::none());
    m_canvas.setBrush(gdi::Brush::pattern(*rows));
    if (object.FillMode) {
        m_canvas.setTextColour(kBlack);
        m_canvas.setBackgroundColour(kWhite);
        m_canvas.setRop2(gdi::Rop2::MaskPen);
        drawFrameShape(object);
        m_canvas.setTextColour(colour(object.FillColor));
        m_canvas.setBackgroundColour(kBlack);
        m_canvas.setRop2(gdi::Rop2::XorPen);
        drawFrameShape(object);
    } else {
        m_canvas.setTextColour(colour(object.FillColor));
        m_canvas.setBackgroundColour(kWhite);
        m_canvas.setRop2(gdi::Rop2::CopyPen);
        drawFrameShape(object);
    }
    m_canvas.setRop2(gdi::Rop2::CopyPen);
    m_canvas.setBrush(gdi::Brush::none());
}

void ObjectPainter::setUpOutline(const Object_Rec& object)
{
    m_canvas.setRop2(gdi::Rop2::CopyPen);
    const gdi::ColorRef c = colour(object.LineColor);
    if (object.LineWidth <= 0)
        m_canvas.setPen(gdi::Pen::none());
    else if (object.LineWidth == 1)
        m_canvas.setPen(gdi::Pen::styled(penStyleOf(object.LineStyle), c));
    else
        m_canvas.setPen(gdi::Pen::solid(c, std::min(object.LineWidth, kMaxPenWidth)));
    m_canvas.setBackgroundMode(gdi::BackgroundMode::Transparent);
}

void ObjectPainter::drawFrameShape(const Object_Rec& object)
{
    gdi::Rect r = objectFrame(object);
    switch (object.kind()) {
    case ObjectKind::Article:
        // Without an outline GDI leaves the right and bottom pixel of a
        // rectangle unfilled; the article frame makes up for it.
        if (object.LineWidth <= 0) {
            ++r.right;
            ++r.bottom;
        }
        m_canvas.drawRectangle(r);
        break;
    case ObjectKind::Button: {
        const Button_Rec* button = object.button();
        const auto style = static_cast<ButtonStyle>(button ? button->Style : 0);
        if (style == ButtonStyle::CheckBox || style == ButtonStyle::RadioButton)
            break;
        m_canvas.drawRectangle(r);
        break;
    }
    case ObjectKind::Picture:
    case ObjectKind::Text: m_canvas.drawRectangle(r); break;
    case ObjectKind::Rectangle:
        if (object.LineOrigin == 1) {
            const int corner = std::min({kMaxRoundCorner, r.width() / 4, r.height() / 4});
            m_canvas.drawRoundRect(r, corner, corner);
        } else {
            m_canvas.drawRectangle(r);
        }
        break;
    case ObjectKind::Ellipse: m_canvas.drawEllipse(r); break;
    case ObjectKind::Line: break;
    }
}

void ObjectPainter::drawLine(const Object_Rec& object)
{
    // Drawn as given, not normalised: the direction decides which end pixel
    // GDI leaves out.
    const int x1 = heldCoordinate(object.X1);
    const int y1 = heldCoordinate(object.Y1);
    const int x2 = heldCoordinate(object.X2);
    const int y2 = heldCoordinate(object.Y2);
    if (object.LineOrigin == 0)
        m_canvas.drawLine(QPoint(x1, y1), QPoint(x2, y2));
    else
        m_canvas.drawLine(QPoint(x1, y2), QPoint(x2, y1));
}

void ObjectPainter::drawText(const Object_Rec& object)
{
    const Text_Rec* text = object.text();
    if (!text || text->Text.isEmpty())
        return;
    const TextBlock block{text->Text,
                          text->Font,
                          text->FontSize,
                          text->FontStyle,
                          colour(text->TextColor),
                          text->Align,
                          text->WordWrap ? TextWrap::Word : TextWrap::None};
    m_canvas.setBrush(gdi::Brush::none());
    paintTextBlock(m_canvas, objectFrame(object), block, m_context.substitute);
}

} // namespace lumeria
