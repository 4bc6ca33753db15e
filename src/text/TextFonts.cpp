#include "text/TextFonts.h"

#include "text/Markup.h"

#include <QCache>

namespace lumeria::text {

namespace {

// Characters of cached runs, keys included: a few megabytes at most.
constexpr qsizetype kCachedCharacters = qsizetype(1) << 20;

} // namespace

int TextFonts::Entry::width(const QString& text) const
{
    if (text.isEmpty())
        return 0;
    thread_local QCache<QString, int> widths(kCachedCharacters);
    const QString cacheKey = key + QChar(0) + text;
    if (const int* known = widths.object(cacheKey))
        return *known;
    const int w = metrics.horizontalAdvance(text);
    widths.insert(cacheKey, new int(w), cacheKey.size());
    return w;
}

TextFonts::TextFonts(const gdi::Font& objectFont)
    : m_face(objectFont.face()), m_objectPixels(std::max(1, objectFont.emPixels()))
{
}

const TextFonts::Entry& TextFonts::of(const TextState& state)
{
    uint8_t styles = 0;
    if (state.bold)
        styles |= uint8_t(gdi::FontStyle::Bold);
    if (state.italic)
        styles |= uint8_t(gdi::FontStyle::Italic);
    if (state.underline)
        styles |= uint8_t(gdi::FontStyle::Underline);
    if (state.strikeOut)
        styles |= uint8_t(gdi::FontStyle::StrikeOut);
    const int pixels = state.sizePoints != 0 ? pointsToTextPixels(state.sizePoints) : m_objectPixels;
    return of(pixels, styles, state.fixedPitch);
}

const TextFonts::Entry& TextFonts::of(int pixels, uint8_t styles, bool fixed)
{
    const auto key = std::make_tuple(pixels, styles, fixed);
    auto it = m_entries.find(key);
    if (it == m_entries.end()) {
        gdi::Font font = gdi::Font::fromPixels(m_face, pixels, styles, fixed ? gdi::Pitch::Fixed : gdi::Pitch::Default);
        QFontMetrics metrics(font.qfont());
        Entry entry{font,
                    metrics,
                    metrics.ascent(),
                    metrics.ascent() + metrics.descent(),
                    metrics.horizontalAdvance(QLatin1Char('M')),
                    font.qfont().key()};
        it = m_entries.emplace(key, std::move(entry)).first;
    }
    return it->second;
}

} // namespace lumeria::text
