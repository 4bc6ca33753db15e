#include "platform/gdi/ShapedText.h"

#include "platform/gdi/KeptValues.h"

#include <QGlyphRun>
#include <QList>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>

namespace lumeria::gdi {

namespace {

// Longer runs are shaped on every draw, never kept.
constexpr qsizetype kLongestKeptRun = 512;
// Characters of kept runs in a generation, each with its glyphs.
constexpr qsizetype kGenerationCharacters = qsizetype(1) << 16;
constexpr qsizetype kEntryOverhead = 64;

struct RunKey {
    quint64 font = 0;
    QString text;
    bool operator==(const RunKey&) const = default;
};

size_t qHash(const RunKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.font, key.text);
}

// Characters whose runs shape the same alone as inside QPainter::drawText,
// left to right, one glyph after the other: Latin letters with their
// accents precomposed, digits, punctuation, currency and letter-like signs;
// all of Windows-1252. No controls (tabs, line ends, the soft hyphen, the
// direction marks), no combining marks, no other script.
bool keepsShape(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x20 && u < 0x7F) || (u >= 0xA0 && u < 0x0300 && u != 0xAD) || (u >= 0x2010 && u <= 0x2027) ||
           (u >= 0x2030 && u <= 0x205E) || (u >= 0x20A0 && u <= 0x20CF) || (u >= 0x2100 && u <= 0x214F);
}

bool keepsShape(const QString& run)
{
    if (run.isEmpty() || run.size() > kLongestKeptRun)
        return false;
    for (const QChar c : run) {
        if (!keepsShape(c))
            return false;
    }
    return true;
}

using GlyphRuns = QList<QGlyphRun>;

// The run laid out alone on one line, as QPainter::drawText lays it out:
// the same engine shapes it, and its glyph runs hold the positions drawText
// would give each glyph, here from the start of the baseline.
std::shared_ptr<const GlyphRuns> shape(const Font& font, const QString& run)
{
    QTextLayout layout(run, font.qfont());
    QTextOption option(Qt::AlignLeft | Qt::AlignAbsolute);
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(Qt::LeftToRight);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setPosition(QPointF(0, 0));
    layout.endLayout();
    if (!line.isValid())
        return nullptr;
    GlyphRuns runs = line.glyphRuns();
    const qreal baseline = line.ascent();
    for (QGlyphRun& glyphs : runs) {
        QList<QPointF> positions = glyphs.positions();
        for (QPointF& p : positions)
            p.ry() -= baseline;
        glyphs.setPositions(positions);
    }
    return std::make_shared<const GlyphRuns>(std::move(runs));
}

} // namespace

TextRunPainter::TextRunPainter(QPainter& painter, const Font& font) : m_painter(painter), m_font(font)
{
    const FontStyles decorated = uint8_t(FontStyle::Underline) | uint8_t(FontStyle::StrikeOut);
    // drawText orders a run by the painter's direction, or by the run's own
    // when the painter leaves it open (as it does unless told): for the
    // characters kept that is left to right, as kept runs are laid out.
    m_keeps = !(font.styles() & decorated) && painter.layoutDirection() != Qt::RightToLeft;
}

void TextRunPainter::draw(QPoint baselineStart, const QString& run)
{
    if (m_keeps && keepsShape(run)) {
        thread_local KeptValues<RunKey, GlyphRuns> kept(kGenerationCharacters);
        RunKey key{m_font.id(), run};
        std::shared_ptr<const GlyphRuns> glyphs = kept.find(key);
        if (!glyphs) {
            glyphs = shape(m_font, run);
            if (glyphs)
                kept.insert(key, glyphs, run.size() + kEntryOverhead);
        }
        if (glyphs) {
            for (const QGlyphRun& g : *glyphs)
                m_painter.drawGlyphRun(QPointF(baselineStart), g);
            return;
        }
    }
    if (!m_fontSet) {
        m_painter.setFont(m_font.qfont());
        m_fontSet = true;
    }
    m_painter.drawText(baselineStart, run);
}

} // namespace lumeria::gdi
