#include "text/TextPainter.h"

#include "platform/gdi/Canvas.h"
#include "platform/gdi/DcStateSaver.h"
#include "render/TextBlock.h"
#include "text/LineReader.h"
#include "text/Markup.h"
#include "text/MarkupScanner.h"
#include "text/TextFonts.h"

#include <QFontMetrics>

#include <algorithm>
#include <optional>

namespace lumeria::text {

namespace {

// The link band is a checkerboard: the mask clears half its pixels, the
// exclusive-or paints them in the background's complement, so the band
// shows on any background and the text above it stays as it was.
constexpr std::array<uint8_t, 8> kBandPattern = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
constexpr gdi::Rop3 kMaskRop = 0x00A000C9; // DPa: dest AND pattern
constexpr int kBandHeight = 2;
constexpr int kMargin = 6;

// The screen: runs go through the canvas, which draws them as the GDI
// would, and the link band is the exclusive-or checkerboard.
class CanvasTarget final : public TextTarget {
public:
    explicit CanvasTarget(gdi::Canvas& canvas) : m_canvas(canvas) {}

    bool shows(const gdi::Rect& r) const override
    {
        const gdi::Rect d = r.translated(m_canvas.state().origin.x(), m_canvas.state().origin.y());
        for (const gdi::Rect& clip : m_canvas.state().clip.rects()) {
            if (!clip.intersected(d).isEmpty())
                return true;
        }
        return false;
    }

    void drawRun(QPoint at, const QString& text, const TextFonts::Entry& font, int /*width*/, gdi::ColorRef colour,
                 std::optional<gdi::ColorRef> background) override
    {
        // Selecting a font costs more than a short run: keep the one in use.
        if (!(m_canvas.state().font == font.font))
            m_canvas.setFont(font.font);
        m_canvas.setTextColour(colour);
        m_canvas.setBackgroundMode(background ? gdi::BackgroundMode::Opaque : gdi::BackgroundMode::Transparent);
        if (background)
            m_canvas.setBackgroundColour(*background);
        m_canvas.textOut(at, text, gdi::TextAnchor::Baseline);
    }

    void drawLinkBand(const gdi::Rect& area, gdi::ColorRef background) override
    {
        const gdi::DcStateSaver saved(m_canvas);
        m_canvas.setTextColour(gdi::rgb(0, 0, 0));
        m_canvas.setBackgroundColour(gdi::rgb(255, 255, 255));
        m_canvas.setBrush(gdi::Brush::pattern(kBandPattern));
        m_canvas.patBlt(area, kMaskRop);
        m_canvas.setTextColour(background ^ 0xFFFFFFu);
        m_canvas.setBackgroundColour(gdi::rgb(0, 0, 0));
        m_canvas.patBlt(area, gdi::kPatInvert);
    }

private:
    gdi::Canvas& m_canvas;
};

// Walks one formatted text line by line, carrying what must survive from
// one line to the next: the open link and the scanner's link mode.
class Painter {
public:
    Painter(TextTarget& target, const gdi::Font& objectFont, const TextPaintRequest& request, HyperLinkList& links)
        : m_target(target), m_request(request), m_links(links), m_fonts(objectFont), m_objectMetrics(objectFont.qfont())
    {
        resetLineState();
    }

    bool linkOpen() const { return m_link.has_value(); }

    void closeOpenLink()
    {
        if (m_link) {
            m_links.insert(m_links.begin(), std::move(*m_link));
            m_link.reset();
        }
    }

    // Paints (or only parses) one line whose top is at y; returns its height.
    int line(const QString& raw, int y, bool& firstHeightNoted, int& firstHeight)
    {
        QStringView text = raw;
        int height = m_objectMetrics.ascent() + m_objectMetrics.descent();
        int ascent = m_objectMetrics.ascent();
        if (const auto header = readLineHeader(text)) {
            height = header->height;
            ascent = header->ascent;
            text = text.mid(kHeaderLength);
        }
        if (!firstHeightNoted) {
            firstHeightNoted = true;
            firstHeight = height;
        }
        const gdi::Rect& r = m_request.rect;
        const gdi::Rect lineRect{r.left, y, r.right, y + height};
        m_visible =
            m_target.shows(lineRect) && (!(m_request.options & paintoption::kWholeLinesOnly) || r.contains(lineRect));
        m_drawing = m_visible && y < r.bottom;
        m_y = y;
        m_height = height;
        m_ascent = ascent;
        if (!text.contains(QChar(kCaret)) && !m_link) {
            plainLine(text);
            return height;
        }
        while (!text.isEmpty() && text.back() == u' ')
            text.chop(1);
        codedLine(text);
        resetLineState();
        return height;
    }

private:
    int origin() const { return m_request.rect.left - m_request.offset + kMargin; }

    void plainLine(QStringView text)
    {
        if (!m_drawing)
            return;
        while (!text.isEmpty() && text.back() == u' ')
            text.chop(1);
        if (text.isEmpty())
            return;
        m_target.drawRun(QPoint(origin(), m_y + m_ascent), text.toString(), m_fonts.plain(), 0, m_request.textColour,
                         std::nullopt);
    }

    void codedLine(QStringView text)
    {
        m_x = origin();
        MarkupScanner scanner(text, TextForm::Formatted, m_mode);
        for (MarkupToken t = scanner.next(); t.kind != MarkupToken::Kind::End; t = scanner.next()) {
            switch (t.kind) {
            case MarkupToken::Kind::Run: run(t.text); break;
            case MarkupToken::Kind::Target:
                if (m_link)
                    m_link->target += t.text;
                break;
            case MarkupToken::Kind::Code: code(t); break;
            default: break;
            }
        }
        m_mode.inHidden = false;
    }

    void run(const QString& text)
    {
        const TextFonts::Entry& font = m_fonts.of(m_state);
        const int width = font.width(text);
        if (m_drawing) {
            m_target.drawRun(QPoint(m_x, m_y + m_ascent), text, font, width, m_fontColour,
                             m_brushSolid ? std::optional<gdi::ColorRef>(m_brushColour) : std::nullopt);
        }
        if (m_link && width > 0) {
            const gdi::Rect& r = m_request.rect;
            m_link->region = m_link->region.united(
                gdi::Rect{m_x - r.left, m_y - r.top, m_x + width - r.left, m_y + m_height - r.top});
            if (m_visible)
                m_target.drawLinkBand({m_x, m_y + m_height - kBandHeight, m_x + width, m_y + m_height},
                                      m_request.background);
        }
        m_x += width;
    }

    void colour(gdi::ColorRef c)
    {
        if (m_brushSolid)
            m_brushColour = c;
        else
            m_fontColour = c;
    }

    // The font codes change the state as they do in the layout; the
    // painter's own positions, colours and links follow.
    void code(const MarkupToken& t)
    {
        m_state.apply(t);
        const gdi::Rect& r = m_request.rect;
        const std::optional<int> n = t.number;
        switch (t.letter) {
        case u'A':
        case u'a':
            if (n)
                m_x = twipsToPixels(*n) + origin();
            break;
        case u'C':
            if (n)
                m_x = r.left - m_request.offset + floorDiv(r.right - r.left - m_indent - 2 * kMargin, 2) -
                      floorDiv(*n, 2);
            break;
        case u'G':
            if (n)
                m_x = r.right - m_request.offset - *n - kMargin;
            break;
        case u'O':
            if (n) {
                m_indent = twipsToPixels(*n);
                m_x += m_indent;
            }
            break;
        case u'o': m_indent = 0; break;
        case u'S':
        case u's':
            if (n)
                m_x = linePixels(m_x + int64_t(*n) * m_fonts.of(m_state).widthOfM);
            break;
        case u'T':
        case u't':
            if (n)
                m_x = linePixels(int64_t(*n) * m_fonts.of(m_state).widthOfM + origin());
            break;
        case u'R':
            m_brushColour = m_request.textColour;
            m_brushSolid = true;
            m_fontColour = m_request.background;
            break;
        case u'r':
            m_fontColour = m_request.textColour;
            m_brushColour = m_request.background;
            m_brushSolid = false;
            break;
        case u'P':
            if (n)
                colour(markupColour(*n));
            break;
        case u'p': colour(m_request.textColour); break;
        case u'L':
            if (!m_link)
                m_link.emplace();
            break;
        case u'l': closeOpenLink(); break;
        default: break;
        }
    }

    // Every coded line begins in the object's formatting; its state codes
    // bring back what was in force.
    void resetLineState()
    {
        m_state = {};
        m_fontColour = m_request.textColour;
        m_brushColour = m_request.background;
        m_brushSolid = false;
        m_indent = 0;
    }

    TextTarget& m_target;
    const TextPaintRequest& m_request;
    HyperLinkList& m_links;
    TextFonts m_fonts;
    QFontMetrics m_objectMetrics;

    TextState m_state;
    gdi::ColorRef m_fontColour = 0;
    gdi::ColorRef m_brushColour = 0;
    bool m_brushSolid = false;
    int m_indent = 0;

    ScanMode m_mode;
    std::optional<HyperLink_Rec> m_link;

    int m_x = 0;
    int m_y = 0;
    int m_height = 0;
    int m_ascent = 0;
    bool m_visible = false;
    bool m_drawing = false;
};

} // namespace

TextPaintResult paintFormattedText(gdi::Canvas& canvas, ByteSource& text, const TextPaintRequest& request,
                                   HyperLinkList& links, int& recordLength)
{
    const gdi::DcStateSaver saved(canvas);
    CanvasTarget target(canvas);
    return paintFormattedText(target, canvas.state().font, text, request, links, recordLength);
}

TextPaintResult paintFormattedText(TextTarget& target, const gdi::Font& objectFont, ByteSource& text,
                                   const TextPaintRequest& request, HyperLinkList& links, int& recordLength)
{
    if (request.options & paintoption::kFreeLinks)
        links.clear();
    TextPaintResult result;
    LineReader reader(text);
    std::string raw;
    QString line;
    const int first = std::max(request.firstLine, 0);
    if (request.options & paintoption::kSequential) {
        for (int i = 0; i < first; ++i) {
            if (reader.next(raw, line) != TextSource::Status::Line)
                return result;
        }
    } else {
        if (recordLength <= 0) {
            if (reader.next(raw, line) != TextSource::Status::Line)
                return result;
            recordLength = int(raw.size()) + reader.lineEndLength();
        }
        if (first > 0) {
            reader.seek(int64_t(first - 1) * recordLength);
            if (reader.next(raw, line) != TextSource::Status::Line)
                return result;
            const auto header = readLineHeader(line);
            result.lineAboveHeight = header ? header->height : 0;
        } else {
            reader.seek(0);
        }
    }

    Painter painter(target, objectFont, request, links);
    int y = request.rect.top;
    bool firstNoted = false;
    // Past the bottom, lines are still read while a link is open, so that
    // its region and target are whole.
    for (;;) {
        const bool belowBottom = y >= request.rect.bottom;
        if (belowBottom && !painter.linkOpen())
            break;
        if (reader.next(raw, line) != TextSource::Status::Line)
            break;
        const int height = painter.line(line, y, firstNoted, result.firstLineHeight);
        y += height;
        if (!belowBottom && y <= request.rect.bottom)
            ++result.linesShown;
    }
    painter.closeOpenLink();
    return result;
}

} // namespace lumeria::text
