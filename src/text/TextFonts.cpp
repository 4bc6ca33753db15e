#include "text/TextFonts.h"

#include "text/Markup.h"

#include <QCache>
#include <QHash>

namespace lumeria::text {

namespace {

// Characters of cached runs, keys included: a few megabytes at most.
constexpr qsizetype kCachedCharacters = qsizetype(1) << 20;
// Fonts resolved per thread before the cache starts again; those in use stay
// alive through the TextFonts holding them.
constexpr size_t kCachedFonts = 256;

using FontKey = std::tuple<QString, int, uint8_t, bool>;

struct WidthKey {
    quint64 font;
    QString text;
    bool operator==(const WidthKey&) const = default;
};

size_t qHash(const WidthKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.font, key.text);
}

// A font's identity, rendering choice included, as a small number: the
// width cache is looked up for every run, and a string key cost a copy.
// Numbers are never reused, so starting the table again only leaves the
// widths of forgotten numbers to age out of their cache.
quint64 fontId(const QFont& font)
{
    thread_local QHash<QString, quint64> ids;
    thread_local quint64 next = 0;
    const QString key = font.key();
    auto it = ids.constFind(key);
    if (it == ids.constEnd()) {
        if (ids.size() >= qsizetype(kCachedFonts) * 16)
            ids.clear();
        it = ids.insert(key, ++next);
    }
    return *it;
}

} // namespace

int TextFonts::Entry::width(const QString& text) const
{
    if (text.isEmpty())
        return 0;
    thread_local QCache<WidthKey, int> widths(kCachedCharacters);
    const WidthKey cacheKey{id, text};
    if (const int* known = widths.object(cacheKey))
        return *known;
    const int w = metrics.horizontalAdvance(text);
    widths.insert(cacheKey, new int(w), text.size() + 4);
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
    if (it != m_entries.end())
        return *it->second;

    thread_local std::map<FontKey, std::shared_ptr<const Entry>> resolved;
    const FontKey shared{m_face, pixels, styles, fixed};
    auto found = resolved.find(shared);
    if (found == resolved.end()) {
        if (resolved.size() >= kCachedFonts)
            resolved.clear();
        gdi::Font font = gdi::Font::fromPixels(m_face, pixels, styles, fixed ? gdi::Pitch::Fixed : gdi::Pitch::Default);
        QFontMetrics metrics(font.qfont());
        auto entry =
            std::make_shared<const Entry>(Entry{font, metrics, metrics.ascent(), metrics.ascent() + metrics.descent(),
                                                metrics.horizontalAdvance(QLatin1Char('M')), fontId(font.qfont())});
        found = resolved.emplace(shared, std::move(entry)).first;
    }
    return *m_entries.emplace(key, found->second).first->second;
}

} // namespace lumeria::text
