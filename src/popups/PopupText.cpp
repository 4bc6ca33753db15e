#include "popups/PopupText.h"

#include "platform/gdi/Canvas.h"
#include "platform/gdi/DcStateSaver.h"

#include <algorithm>

namespace lumeria {

namespace {

gdi::DrawTextResult measure(const gdi::Font& font, const QString& text, int width, gdi::LineBreaking breaking)
{
    gdi::Surface scratch(1, 1);
    gdi::Canvas canvas(scratch);
    canvas.setFont(font);
    gdi::DrawTextOptions options;
    options.breaking = breaking;
    options.tabs = gdi::Tabs::Expand;
    options.measure = gdi::TextMeasure::CalcRect;
    return canvas.drawText({0, 0, std::max(width, 0), 0}, text, options);
}

} // namespace

QSize measureLabel(const gdi::Font& font, const QString& text)
{
    const QString measured = text.isEmpty() ? QStringLiteral(" ") : text;
    const gdi::DrawTextResult result = measure(font, measured, 0, gdi::LineBreaking::NewlinesOnly);
    return {result.bounds.width(), result.height};
}

int measureTextHeight(const gdi::Font& font, const QString& text, int width)
{
    return measure(font, text, width, gdi::LineBreaking::WordBreak).height;
}

void drawPopupCaption(gdi::Canvas& canvas, const gdi::Rect& box, int measuredHeight, const PopupCaption& caption)
{
    gdi::Rect textBox = box;
    const int boxHeight = box.height();
    if (measuredHeight < boxHeight) {
        textBox.top = box.top + boxHeight / 2 - measuredHeight / 2;
        textBox.bottom = textBox.top + measuredHeight;
    }
    const gdi::DcStateSaver saved(canvas);
    canvas.setFont(caption.font);
    canvas.setBackgroundMode(gdi::BackgroundMode::Transparent);
    canvas.setTextColour(caption.enabled ? gdi::rgb(0, 0, 0) : gdi::systemColour(gdi::SystemColour::GrayText));
    gdi::DrawTextOptions options;
    options.align = caption.alignment;
    options.breaking = gdi::LineBreaking::WordBreak;
    options.tabs = gdi::Tabs::Expand;
    canvas.drawText(textBox, caption.text, options);
}

} // namespace lumeria
