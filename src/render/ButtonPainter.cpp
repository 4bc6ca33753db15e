// Push buttons, edit fields, check boxes and radio buttons: the part of
// ObjectPainter that draws what a button's Style asks for.

#include "render/ClassicGlyphs.h"
#include "render/ObjectPainter.h"
#include "render/PageLayout.h"
#include "render/PictureBlit.h"
#include "render/TextBlock.h"

#include "platform/gdi/Canvas.h"
#include "platform/gdi/DcStateSaver.h"

#include <algorithm>
#include <functional>

namespace lumeria {

namespace {

constexpr int kBevel = 2;
constexpr int kPressShift = 2;
constexpr int kImageGap = 4;
constexpr int kLabelGap = 17; // glyph width and the space after it
constexpr int kTextInset = 5;
constexpr uint8_t kAlignCentre = 2;
constexpr uint8_t kAlignRight = 4;
constexpr uint8_t kPressed = 1;
constexpr uint8_t kHeld = 2;

const gdi::ColorRef kShadow = gdi::systemColour(gdi::SystemColour::ButtonShadow);
const gdi::ColorRef kFace = gdi::systemColour(gdi::SystemColour::ButtonFace);
constexpr gdi::ColorRef kWhite = gdi::rgb(255, 255, 255);

TextBlock labelOf(const Button_Rec& b, TextWrap wrap)
{
    return {b.Text, b.Font, b.FontSize, b.FontStyle, static_cast<gdi::ColorRef>(b.TextColor), b.Align, wrap};
}

// Edges are held inside the button's inner rectangle: on a button too
// small for them they come out empty, never spilling onto the outline.
void fill(gdi::Canvas& canvas, const gdi::Rect& r, const gdi::Rect& within, gdi::ColorRef c)
{
    const gdi::Rect part = r.intersected(within);
    if (!part.isEmpty())
        canvas.fillRect(part, gdi::Brush::solid(c));
}

// Two-pixel raised edge: white along the top and left, shadow along the
// bottom and right, the shadow taking the corners it shares with the white.
void drawRaisedBevel(gdi::Canvas& canvas, const gdi::Rect& in)
{
    for (int k = 0; k < kBevel; ++k) {
        fill(canvas, {in.left, in.top + k, in.right - k, in.top + k + 1}, in, kWhite);
        fill(canvas, {in.left + k, in.top, in.left + k + 1, in.bottom - k}, in, kWhite);
    }
    for (int k = 0; k < kBevel; ++k) {
        fill(canvas, {in.left + k, in.bottom - k - 1, in.right, in.bottom - k}, in, kShadow);
        fill(canvas, {in.right - k - 1, in.top + k, in.right - k, in.bottom}, in, kShadow);
    }
}

void drawPressedBevel(gdi::Canvas& canvas, const gdi::Rect& in)
{
    fill(canvas, {in.left, in.top, in.left + kBevel, in.bottom}, in, kShadow);
    fill(canvas, {in.left, in.top, in.right, in.top + kBevel}, in, kShadow);
}

struct PushButtonParts {
    gdi::Rect image; // the image's place; a larger image is cut to it
    gdi::Rect text;
};

// Where a push button's image and text go. Without an image, or with the
// text over it, the text takes the whole inside; beside the image it takes
// what the image leaves.
PushButtonParts layoutPushButton(const gdi::Rect& r, int w, const Button_Rec& button, QSize image,
                                 const std::function<TextBlockSize(int width)>& measureText)
{
    const int bevel = w >= 1 ? kBevel : 0;
    const gdi::Rect content = r.deflated(w + bevel);
    const int iw = image.width();
    const int ih = image.height();
    if (iw <= 0 || ih <= 0)
        return {{}, content};

    if (button.OverlayText || button.Text.isEmpty()) {
        // Held inside the outline and bevel. The left inset counts three
        // bevels but not the outline; the right one counts both.
        const int limitW = std::min(iw, std::max(0, r.width() - 2 * (w + bevel)));
        const int limitH = std::min(ih, std::max(0, r.height() - 2 * (w + bevel)));
        int x = r.left + 3 * bevel;
        if (button.Align == kAlignCentre)
            x = r.left + floorDiv(r.width(), 2) - floorDiv(limitW, 2);
        else if (button.Align == kAlignRight)
            x = r.right - w - 3 * bevel - limitW;
        const int y = r.top + floorDiv(r.height(), 2) - floorDiv(limitH, 2);
        return {gdi::Rect::fromSize(x, y, limitW, limitH), content};
    }
    if (button.Align == kAlignCentre) {
        // Image above the text, its height giving way to the text, the pair
        // centred as a group.
        const TextBlockSize text = measureText(content.width());
        const int shownH = std::clamp(content.height() - kImageGap - text.height, 0, ih);
        const int groupTop = content.top + floorDiv(content.height() - (shownH + kImageGap + text.height), 2);
        const int x = content.left + floorDiv(content.width() - iw, 2);
        const int textTop = groupTop + shownH + kImageGap;
        return {gdi::Rect::fromSize(x, groupTop, iw, shownH),
                {content.left, textTop, content.right, textTop + text.height}};
    }
    if (button.Align == kAlignRight) {
        // Text, then the image to its right, the pair centred as a group.
        const int room = std::max(0, content.width() - iw - kImageGap);
        const int textW = std::min(measureText(room).width, room);
        const int groupLeft = content.left + floorDiv(content.width() - (textW + kImageGap + iw), 2);
        const int y = content.top + floorDiv(content.height() - ih, 2);
        return {gdi::Rect::fromSize(groupLeft + textW + kImageGap, y, iw, ih),
                {groupLeft, content.top, groupLeft + textW, content.bottom}};
    }
    // Image at the left inside edge, the text in what is left.
    const int y = content.top + floorDiv(content.height() - ih, 2);
    return {gdi::Rect::fromSize(content.left, y, iw, ih),
            {content.left + iw + kImageGap, content.top, content.right, content.bottom}};
}

} // namespace

void ObjectPainter::paintButton(QPoint origin, const Object_Rec& object)
{
    const gdi::DcStateSaver saved(m_canvas);
    m_canvas.translate(origin.x(), origin.y());
    drawButton(object);
}

void ObjectPainter::drawButton(const Object_Rec& object)
{
    const Button_Rec* button = object.button();
    if (!button)
        return;
    switch (static_cast<ButtonStyle>(button->Style)) {
    case ButtonStyle::EditField: drawEditField(object, *button); break;
    case ButtonStyle::CheckBox:
    case ButtonStyle::RadioButton: drawCheckOrRadio(object, *button); break;
    case ButtonStyle::Push:
    default: drawPushButton(object, *button); break;
    }
}

void ObjectPainter::drawPushButton(const Object_Rec& object, const Button_Rec& button)
{
    const gdi::Rect r = objectFrame(object);
    const int w = objectLineWidth(object);
    const gdi::Rect in = r.deflated(w);
    const bool pressed = button.State == kPressed;
    if (w >= 1 && !in.isEmpty()) {
        if (pressed)
            drawPressedBevel(m_canvas, in);
        else
            drawRaisedBevel(m_canvas, in);
    }

    const gdi::DcStateSaver saved(m_canvas);
    if (pressed)
        m_canvas.translate(kPressShift, kPressShift);

    const QString imageName = pressed && !button.DownImage.isEmpty() ? button.DownImage : button.UpImage;
    QSize imageSize;
    std::optional<DecodedPicture> picture;
    if (!imageName.isEmpty()) {
        if (m_context.loadPicture)
            picture = m_context.loadPicture(imageName);
        if (picture && !picture->image.isNull())
            imageSize = picture->image.size();
        else if (m_context.recordedPictureSize)
            imageSize = m_context.recordedPictureSize(imageName).value_or(QSize());
    }
    // A recorded size can be anything a publication says; no image is
    // larger than the raster can address.
    imageSize = imageSize.boundedTo(QSize(kMaxPictureSide, kMaxPictureSide));
    const bool hasImage = !imageName.isEmpty() && imageSize.width() > 0 && imageSize.height() > 0;
    const TextBlock label = labelOf(button, button.WordWrap ? TextWrap::Word : TextWrap::None);
    const PushButtonParts parts = layoutPushButton(r, w, button, hasImage ? imageSize : QSize(), [&](int width) {
        return measureTextBlock(m_canvas, label, width, m_context.substitute);
    });
    if (hasImage) {
        if (picture && !picture->image.isNull())
            drawButtonImage(object, button, *picture, parts.image);
        else
            paintMissingPicture(parts.image);
    }
    if (!button.Text.isEmpty() && !parts.text.isEmpty())
        paintTextBlock(m_canvas, parts.text, label, m_context.substitute);
}

void ObjectPainter::drawButtonImage(const Object_Rec& object, const Button_Rec& button, const DecodedPicture& picture,
                                    const gdi::Rect& place)
{
    const gdi::DcStateSaver saved(m_canvas);
    m_canvas.clipTo(place);
    const gdi::Rect target = gdi::Rect::fromSize(place.left, place.top, picture.image.width(), picture.image.height());
    const bool bitmap = picture.transparency == PictureTransparency::ColourKey;
    if (button.TransImages && bitmap && object.FillPattern == 0)
        blitPictureOnColour(m_canvas, picture, target, static_cast<gdi::ColorRef>(object.FillColor));
    else if (button.TransImages)
        blitPicture(m_canvas, picture, target, PictureDrawing::Transparent);
    else
        blitPicture(m_canvas, picture, target, PictureDrawing::Plain);
}

void ObjectPainter::drawEditField(const Object_Rec& object, const Button_Rec& button)
{
    const gdi::Rect r = objectFrame(object);
    const int w = objectLineWidth(object);
    const gdi::Rect in = r.deflated(w);
    if (w >= 1 && !in.isEmpty()) {
        fill(m_canvas, {in.left, in.top, in.right, in.top + 1}, in, kShadow);
        fill(m_canvas, {in.left, in.top, in.left + 1, in.bottom}, in, kShadow);
        fill(m_canvas, {in.left + 1, in.bottom - 1, in.right, in.bottom}, in, kFace);
        fill(m_canvas, {in.right - 1, in.top + 1, in.right, in.bottom}, in, kFace);
    }
    if (button.EditText.isEmpty())
        return;
    const gdi::Font font = objectFont(button.Font, button.FontSize, button.FontStyle);
    m_canvas.setFont(font);
    m_canvas.setTextColour(static_cast<gdi::ColorRef>(button.TextColor));
    m_canvas.setBackgroundMode(gdi::BackgroundMode::Transparent);
    m_canvas.setBrush(gdi::Brush::none());
    const int x = r.left + w + kTextInset;
    const int width = r.width() - 2 * w - 6;
    gdi::DrawTextOptions options;
    if (button.WordWrap) {
        // Whole lines only: a half-shown line would look like a fault.
        const int lineHeight = std::max(1, font.height());
        const int top = r.top + w + 1;
        const int room = std::max(0, r.bottom - w - 1 - top);
        options.breaking = gdi::LineBreaking::WordBreak;
        m_canvas.drawText(gdi::Rect::fromSize(x, top, width, room / lineHeight * lineHeight), button.EditText, options);
    } else {
        options.breaking = gdi::LineBreaking::SingleLine;
        options.verticalAlign = gdi::VerticalAlign::Centre;
        m_canvas.drawText({x, r.top, x + width, r.bottom}, button.EditText, options);
    }
}

void ObjectPainter::drawCheckOrRadio(const Object_Rec& object, const Button_Rec& button)
{
    const gdi::Rect r = objectFrame(object);
    const TextBlock label = labelOf(button, TextWrap::None);
    TextBlockSize size;
    if (!button.Text.isEmpty())
        size = measureTextBlock(m_canvas, label, r.width(), m_context.substitute);
    const int lw = size.width;
    const int lh = size.height;
    const int cx = r.left + r.width() / 2;
    const int cy = r.top + r.height() / 2;
    QPoint box;
    QPoint text;
    if (button.Align == kAlignCentre) {
        box = {cx - 6, cy - floorDiv(lh + 17, 2)};
        text = {r.left + r.width() / 2 - lw / 2, box.y() + 17};
    } else if (button.Align == kAlignRight) {
        box = {r.right - kGlyphSize, cy - 6};
        text = {r.right - lw - kLabelGap, cy - lh / 2};
    } else {
        box = {r.left, cy - 6};
        text = {r.left + kLabelGap, cy - lh / 2};
    }
    const GlyphKind kind =
        static_cast<ButtonStyle>(button.Style) == ButtonStyle::CheckBox ? GlyphKind::CheckBox : GlyphKind::RadioButton;
    const GlyphState state = button.State == kPressed ? GlyphState::Set
                             : button.State == kHeld  ? GlyphState::Held
                                                      : GlyphState::Clear;
    drawClassicGlyph(m_canvas, box, kind, state);
    if (!button.Text.isEmpty()) {
        m_canvas.setBrush(gdi::Brush::none());
        paintTextBlock(m_canvas, gdi::Rect::fromSize(text.x(), text.y(), lw, lh), label, m_context.substitute);
    }
}

} // namespace lumeria
