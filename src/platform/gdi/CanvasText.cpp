#include "platform/gdi/Canvas.h"

#include "platform/gdi/KeptValues.h"
#include "platform/gdi/ShapedText.h"

#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

namespace lumeria::gdi {

namespace {

// DrawText's tab stops are every eight average character widths.
constexpr int kTabStopChars = 8;

struct TextLine {
    QString text;
    int width = 0;
};

QRegion toQRegion(const Region& region)
{
    QRegion q;
    for (const Rect& r : region.rects())
        q += toQRect(r);
    return q;
}

// Integer halving that rounds towards negative infinity, so centring stays
// stable for boxes partly above or left of the origin.
int halfDown(int n)
{
    return n >= 0 ? n / 2 : -((-n + 1) / 2);
}

class TextMeasurer {
public:
    TextMeasurer(const Font& font, Tabs tabs)
        : m_metrics(font.qfont()), m_tabs(tabs), m_tabWidth(std::max(1, font.averageCharWidth() * kTabStopChars)),
          m_ascent(font.ascent()), m_height(font.height())
    {
    }

    int width(const QString& text) const
    {
        int x = 0;
        forEachRun(text, [&](int runX, const QString& run) { x = runX + m_metrics.horizontalAdvance(run); });
        return x;
    }

    // Calls f(x, run) for each piece of text between tab stops.
    template <class F>
    void forEachRun(const QString& text, F&& f) const
    {
        if (m_tabs == Tabs::Literal || !text.contains(QLatin1Char('\t'))) {
            f(0, text);
            return;
        }
        int x = 0;
        qsizetype start = 0;
        for (qsizetype i = 0; i <= text.size(); ++i) {
            if (i < text.size() && text[i] != QLatin1Char('\t'))
                continue;
            const QString run = text.mid(start, i - start);
            f(x, run);
            x += m_metrics.horizontalAdvance(run);
            if (i < text.size())
                x = (x / m_tabWidth + 1) * m_tabWidth;
            start = i + 1;
        }
    }

    int ascent() const { return m_ascent; }
    int height() const { return m_height; }

private:
    QFontMetrics m_metrics;
    Tabs m_tabs;
    int m_tabWidth;
    int m_ascent;
    int m_height;
};

// CR LF, a lone LF and a lone CR each end a paragraph. A break at the very end
// of the text does not open another line.
QStringList splitParagraphs(const QString& text)
{
    QStringList paragraphs;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            paragraphs.push_back(current);
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.isEmpty() || paragraphs.isEmpty())
        paragraphs.push_back(current);
    return paragraphs;
}

// Greedy word wrap as DrawText does it: words are added while the line fits
// the box; the spaces where a line breaks are swallowed, and a word wider
// than the box is never split but stands alone on its line.
void wrapParagraph(const QString& para, int boxWidth, const TextMeasurer& measure, std::vector<TextLine>& out)
{
    QString line;
    bool started = false;
    qsizetype i = 0;
    const qsizetype n = para.size();
    do {
        qsizetype j = i;
        while (j < n && para[j] == QLatin1Char(' '))
            ++j;
        qsizetype k = j;
        while (k < n && para[k] != QLatin1Char(' '))
            ++k;
        const QString spaces = para.mid(i, j - i);
        const QString word = para.mid(j, k - j);
        if (!started) {
            line = spaces + word;
            started = true;
        } else {
            const QString candidate = line + spaces + word;
            if (word.isEmpty() || measure.width(candidate) <= boxWidth) {
                line = candidate;
            } else {
                out.push_back({line, measure.width(line)});
                line = word;
            }
        }
        i = k;
    } while (i < n);
    out.push_back({line, measure.width(line)});
}

std::vector<TextLine> layoutLines(const QString& text, int boxWidth, LineBreaking breaking, const TextMeasurer& measure)
{
    std::vector<TextLine> lines;
    if (breaking == LineBreaking::SingleLine) {
        lines.push_back({text, measure.width(text)});
        return lines;
    }
    for (const QString& para : splitParagraphs(text)) {
        if (breaking == LineBreaking::WordBreak)
            wrapParagraph(para, boxWidth, measure, lines);
        else
            lines.push_back({para, measure.width(para)});
    }
    return lines;
}

using Layout = std::vector<TextLine>;

struct LayoutKey {
    quint64 font = 0;
    QString text;
    int boxWidth = 0;
    LineBreaking breaking = LineBreaking::WordBreak;
    Tabs tabs = Tabs::Expand;
    bool operator==(const LayoutKey&) const = default;
};

size_t qHash(const LayoutKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.font, key.text, key.boxWidth, int(key.breaking), int(key.tabs));
}

// Laid-out texts, per thread. The same texts are measured and laid out again
// on every paint of their page, each of them several times (once to size the
// block, once to place each line, once to draw it), and shaping their words
// is most of what measuring a page of texts costs. A layout depends only on
// the font, the text, the width it wraps to and the flags, which make the
// key, so nothing is ever stale: a text, a font or a box that changes is
// another key.
// A text longer than this is laid out on every call, never kept.
constexpr qsizetype kLongestKeptText = 4096;
// Characters of the kept texts in a generation, their lines about as many
// again.
constexpr qsizetype kKeptTextCharacters = qsizetype(1) << 18;
constexpr qsizetype kKeptTextOverhead = 32;

std::shared_ptr<const Layout> layoutOf(const QString& text, int boxWidth, LineBreaking breaking, const Font& font,
                                       const TextMeasurer& measure, Tabs tabs)
{
    if (text.size() > kLongestKeptText)
        return std::make_shared<const Layout>(layoutLines(text, boxWidth, breaking, measure));
    thread_local KeptValues<LayoutKey, Layout> kept(kKeptTextCharacters);
    // Only word breaking looks at the width.
    LayoutKey key{font.id(), text, breaking == LineBreaking::WordBreak ? boxWidth : 0, breaking, tabs};
    if (auto known = kept.find(key))
        return known;
    auto layout = std::make_shared<const Layout>(layoutLines(text, boxWidth, breaking, measure));
    kept.insert(key, layout, text.size() + kKeptTextOverhead);
    return layout;
}

} // namespace

void Canvas::textOut(QPoint p, const QString& given, TextAnchor anchor)
{
    const QString text = m_state.font.shown(given);
    if (text.isEmpty() || m_state.clip.isEmpty())
        return;
    const QPoint d = toDevice(p);
    const TextMeasurer measure(m_state.font, Tabs::Literal);
    const int top = anchor == TextAnchor::TopLeft ? d.y() : d.y() - measure.ascent();
    // Text well above, below or right of the clip shows nothing; lines of a
    // long article mostly are, and a painter costs more than the test. The
    // margin of a line's height leaves room for glyphs that overhang their
    // cell (italics, accents, a negative left bearing).
    const Rect clip = m_state.clip.boundingRect();
    const int margin = measure.height();
    if (top >= clip.bottom + margin || top + 2 * margin <= clip.top || d.x() >= clip.right + margin)
        return;
    QImage image = m_target.image();
    QPainter painter(&image);
    painter.setClipRegion(toQRegion(m_state.clip));
    if (m_state.backgroundMode == BackgroundMode::Opaque) {
        const QRect cell(d.x(), top, measure.width(text), measure.height());
        painter.fillRect(cell, QColor::fromRgb(devicePixel(m_state.backgroundColour)));
    }
    painter.setPen(QColor::fromRgb(devicePixel(m_state.textColour)));
    TextRunPainter(painter, m_state.font).draw(QPoint(d.x(), top + measure.ascent()), text);
}

QPoint Canvas::extTextOut(QPoint p, const QString& given, const ExtTextOptions& options)
{
    const QString text = m_state.font.shown(given);
    const QFontMetrics metrics(m_state.font.qfont());
    // Characters by code point: a surrogate pair is one character with one
    // advance.
    std::vector<QString> characters;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        characters.push_back(text.mid(i, pair ? 2 : 1));
        i += pair ? 1 : 0;
    }
    // Given advances replace the font's, and with them the extra spacing:
    // the caller has already laid the characters out.
    const bool laidOut = !options.advances.empty();
    const bool plain = !laidOut && options.characterExtra == 0 && options.breakExtra == 0 && options.escapement == 0;
    std::vector<int> advances;
    int width = 0;
    if (plain) {
        width = metrics.horizontalAdvance(text);
    } else {
        int breaksLeft = options.breakCount;
        int extraLeft = options.breakExtra;
        for (size_t i = 0; i < characters.size(); ++i) {
            int advance = i < options.advances.size() ? options.advances[i] : metrics.horizontalAdvance(characters[i]);
            if (!laidOut) {
                advance += options.characterExtra;
                if (characters[i] == QLatin1String(" ") && breaksLeft > 0) {
                    const int share = (extraLeft + breaksLeft - 1) / breaksLeft;
                    advance += share;
                    extraLeft -= share;
                    --breaksLeft;
                }
            }
            advances.push_back(advance);
            width += advance;
        }
    }

    const double radians = options.escapement / 10.0 * std::numbers::pi / 180.0;
    const QPoint end(int(std::lround(width * std::cos(radians))), int(-std::lround(width * std::sin(radians))));

    Region clip = m_state.clip;
    if (options.clip)
        clip = clip.intersected(toDevice(options.clip->normalized()));
    if (clip.isEmpty() || (text.isEmpty() && !options.opaque))
        return end;

    QImage image = m_target.image();
    QPainter painter(&image);
    const QColor background = QColor::fromRgb(devicePixel(m_state.backgroundColour));
    if (options.opaque) {
        // The opaque rectangle is not the text's: only the clip rectangle,
        // not the text's own extent, limits it.
        Region fill = m_state.clip.intersected(toDevice(options.opaque->normalized()));
        if (options.clip)
            fill = fill.intersected(toDevice(options.clip->normalized()));
        painter.setClipRegion(toQRegion(fill));
        painter.fillRect(toQRect(toDevice(options.opaque->normalized())), background);
    }
    if (text.isEmpty())
        return end;
    painter.setClipRegion(toQRegion(clip));

    int x = 0;
    if (options.align == TextHorizontalAlign::Centre)
        x = -width / 2;
    else if (options.align == TextHorizontalAlign::Right)
        x = -width;
    int baseline = 0;
    if (options.verticalAlign == TextVerticalAlign::Top)
        baseline = metrics.ascent();
    else if (options.verticalAlign == TextVerticalAlign::Bottom)
        baseline = -metrics.descent();

    const QPoint d = toDevice(p);
    painter.translate(d);
    if (options.escapement != 0)
        painter.rotate(-options.escapement / 10.0);
    if (m_state.backgroundMode == BackgroundMode::Opaque && width > 0)
        painter.fillRect(QRect(x, baseline - metrics.ascent(), width, metrics.ascent() + metrics.descent()),
                         background);
    painter.setFont(m_state.font.qfont());
    painter.setPen(QColor::fromRgb(devicePixel(m_state.textColour)));
    if (plain) {
        painter.drawText(QPoint(x, baseline), text);
        return end;
    }
    for (size_t i = 0; i < characters.size(); ++i) {
        painter.drawText(QPoint(x, baseline), characters[i]);
        x += advances[i];
    }
    return end;
}

DrawTextResult Canvas::drawText(const Rect& box, const QString& given, const DrawTextOptions& options)
{
    const QString text = m_state.font.shown(given);
    // DrawText draws nothing and reports no height for an empty string.
    if (text.isEmpty())
        return {0, {box.left, box.top, box.left, box.top}};
    const TextMeasurer measure(m_state.font, options.tabs);
    const std::shared_ptr<const Layout> layout =
        layoutOf(text, box.width(), options.breaking, m_state.font, measure, options.tabs);
    const Layout& lines = *layout;
    const int lineHeight = measure.height();
    const int total = lineHeight * int(lines.size());

    DrawTextResult result;
    result.height = total;
    int widest = 0;
    for (const TextLine& line : lines)
        widest = std::max(widest, line.width);
    result.bounds = {box.left, box.top, box.left + widest, box.top + total};
    if (options.measure == TextMeasure::CalcRect)
        return result;
    result.bounds = box;

    const Rect d = toDevice(box);
    Region clip = m_state.clip;
    if (options.clipping == BoxClipping::Clip)
        clip = clip.intersected(d);
    if (clip.isEmpty())
        return result;

    int y = d.top;
    if (options.breaking == LineBreaking::SingleLine) {
        if (options.verticalAlign == VerticalAlign::Centre)
            y = halfDown(d.top + d.bottom - lineHeight);
        else if (options.verticalAlign == VerticalAlign::Bottom)
            y = d.bottom - lineHeight;
    }

    QImage image = m_target.image();
    QPainter painter(&image);
    painter.setClipRegion(toQRegion(clip));
    const QColor background = QColor::fromRgb(devicePixel(m_state.backgroundColour));
    painter.setPen(QColor::fromRgb(devicePixel(m_state.textColour)));
    TextRunPainter runs(painter, m_state.font);
    for (const TextLine& line : lines) {
        int x = d.left;
        if (options.align == HorizontalAlign::Centre)
            x = halfDown(d.left + d.right - line.width);
        else if (options.align == HorizontalAlign::Right)
            x = d.right - line.width;
        if (m_state.backgroundMode == BackgroundMode::Opaque && line.width > 0)
            painter.fillRect(QRect(x, y, line.width, lineHeight), background);
        measure.forEachRun(line.text, [&](int runX, const QString& run) {
            if (!run.isEmpty())
                runs.draw(QPoint(x + runX, y + measure.ascent()), run);
        });
        y += lineHeight;
    }
    return result;
}

} // namespace lumeria::gdi
