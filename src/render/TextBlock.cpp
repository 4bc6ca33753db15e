#include "render/TextBlock.h"

#include "platform/gdi/Canvas.h"

#include <QStringList>

#include <algorithm>

namespace lumeria {

namespace {

constexpr int kMinPoints = 1;
constexpr int kMaxPoints = 500;
constexpr uint8_t kAlignCentre = 2;
constexpr uint8_t kAlignRight = 4;

struct Lines {
    QStringList lines;
    int lineHeight = 0;
};

// Expands the text and selects the font; the line height is that of "M".
Lines prepare(gdi::Canvas& canvas, const TextBlock& block, const SubstituteText& substitute)
{
    const gdi::Font font = objectFont(block.font, block.fontSize, block.fontStyle);
    canvas.setFont(font);
    const QString expanded = substitute ? substitute(block.text) : block.text;
    return {expanded.split(QLatin1Char('|')), font.height()};
}

gdi::DrawTextOptions optionsFor(const TextBlock& block, gdi::TextMeasure measure)
{
    gdi::DrawTextOptions options;
    options.align = block.align == kAlignCentre  ? gdi::HorizontalAlign::Centre
                    : block.align == kAlignRight ? gdi::HorizontalAlign::Right
                                                 : gdi::HorizontalAlign::Left;
    // Without wrap a line still breaks at its own line ends, as DrawText does
    // without word breaking or single-line mode.
    options.breaking = block.wrap == TextWrap::Word ? gdi::LineBreaking::WordBreak : gdi::LineBreaking::NewlinesOnly;
    options.measure = measure;
    return options;
}

TextBlockSize measureLines(gdi::Canvas& canvas, const Lines& lines, const TextBlock& block, int boxWidth)
{
    TextBlockSize size;
    const gdi::DrawTextOptions options = optionsFor(block, gdi::TextMeasure::CalcRect);
    for (const QString& line : lines.lines) {
        const gdi::DrawTextResult r = canvas.drawText(gdi::Rect::fromSize(0, 0, boxWidth, 0), line, options);
        size.width = std::max(size.width, r.bounds.width());
        size.height += std::max(r.height, lines.lineHeight);
    }
    return size;
}

} // namespace

gdi::Font objectFont(const QString& face, int32_t points, uint8_t fontStyle)
{
    return gdi::Font::fromPoints(face, std::clamp<int32_t>(points, kMinPoints, kMaxPoints), fontStyle);
}

TextBlockSize measureTextBlock(gdi::Canvas& canvas, const TextBlock& block, int boxWidth,
                               const SubstituteText& substitute)
{
    return measureLines(canvas, prepare(canvas, block, substitute), block, boxWidth);
}

void paintTextBlock(gdi::Canvas& canvas, const gdi::Rect& box, const TextBlock& block, const SubstituteText& substitute)
{
    const Lines lines = prepare(canvas, block, substitute);
    const TextBlockSize size = measureLines(canvas, lines, block, box.width());
    canvas.setTextColour(block.colour);
    canvas.setBackgroundMode(gdi::BackgroundMode::Transparent);
    canvas.setBrush(gdi::Brush::none());

    const int boxHeight = box.height();
    int top = box.top;
    if (size.height < boxHeight)
        top = box.top + floorDiv(boxHeight, 2) - floorDiv(size.height, 2);

    const gdi::DrawTextOptions measure = optionsFor(block, gdi::TextMeasure::CalcRect);
    const gdi::DrawTextOptions draw = optionsFor(block, gdi::TextMeasure::Draw);
    for (const QString& line : lines.lines) {
        if (block.wrap == TextWrap::Word) {
            const int height =
                canvas.drawText(gdi::Rect::fromSize(box.left, top, box.width(), 0), line, measure).height;
            // The line's rectangle is cut at the box bottom; lines starting
            // below it are cut away whole.
            const gdi::Rect r{box.left, top, box.right, std::min(top + height, box.bottom)};
            if (!r.isEmpty())
                canvas.drawText(r, line, draw);
            top += std::max(height, lines.lineHeight);
        } else {
            const gdi::Rect r{box.left, top, box.right, std::min(top + lines.lineHeight, box.bottom)};
            if (!r.isEmpty())
                canvas.drawText(r, line, draw);
            top += lines.lineHeight;
        }
    }
}

} // namespace lumeria
