#pragma once

#include "platform/gdi/SymbolFonts.h"

#include <QFont>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>

namespace lumeria::gdi {

// The style bits publications store with a font.
enum class FontStyle : uint8_t {
    Bold = 1,
    Italic = 2,
    Underline = 4,
    StrikeOut = 8,
};

using FontStyles = uint8_t;

constexpr FontStyles operator|(FontStyle a, FontStyle b)
{
    return FontStyles(uint8_t(a) | uint8_t(b));
}

enum class TextRendering { Crisp, Smooth };

// A request for a fixed-pitch font is answered by the mono substitute unless
// the face is one the publication embeds.
enum class Pitch { Default, Fixed };

// A logical font resolved for this system: Windows face names go through a
// substitution table, sizes through 96 DPI, and glyphs are drawn crisp
// (no anti-aliasing, full hinting, no kerning) unless smooth text is on.
// Metrics need a QGuiApplication.
//
// Fonts are resolved once per thread: asking again for the same face, size,
// styles and pitch shares what the first request resolved, its metrics
// included, so that a page which makes its fonts anew for every object and
// every paint does not look them up in the font database each time. A font
// is meant for the thread that made it.
class Font {
public:
    // The System font: bold Liberation Sans, 13 pixels.
    Font();
    // Copies share the resolved font; there are no moves, which would leave
    // a font without one.
    Font(const Font&) = default;
    Font& operator=(const Font&) = default;

    static Font fromPoints(const QString& face, int points, FontStyles styles = 0, Pitch pitch = Pitch::Default);
    static Font fromPixels(const QString& face, int emPixels, FontStyles styles = 0, Pitch pitch = Pitch::Default);

    // A LOGFONT height: negative is the em height, positive the cell height
    // (ascent + descent), zero a default size. A positive height needs the
    // font's metrics, hence a QGuiApplication.
    static Font fromLogicalHeight(const QString& face, int height, FontStyles styles = 0, Pitch pitch = Pitch::Default);

    // This font narrowed or widened so that its average character width is
    // the one given, as a LOGFONT's width asks; 0 or less gives it back.
    Font withAverageCharWidth(int pixels) const;

    // GDI's -MulDiv(points, 96, 72): n points at 96 DPI, rounded half away
    // from zero.
    static int pointsToPixels(int points);

    // Process-wide switch for the command line's smooth-text option.
    static void setTextRendering(TextRendering rendering);
    static TextRendering textRendering();

    // Families of fonts embedded in the publication; they win over the
    // substitution table.
    static void addEmbeddedFamily(const QString& family);
    static void clearEmbeddedFamilies();

    QString face() const;
    QString family() const;
    int emPixels() const;
    FontStyles styles() const;
    // The symbol font the face names, whose text the canvas shows as the
    // pictures' Unicode characters; an embedded font of that name is none.
    SymbolSet symbols() const;
    // Text as this font shows it: itself, or a symbol font's pictures.
    QString shown(const QString& text) const;

    // The QFont to draw with, carrying the current rendering choice.
    QFont qfont() const;

    // This resolved font under the current rendering choice, as a number for
    // keying caches of measures: copies, and the same request made again
    // while the thread's table still holds it, give the same number, and a
    // number is never given to another font.
    quint64 id() const;

    int ascent() const;
    int descent() const;
    int height() const { return ascent() + descent(); }
    int averageCharWidth() const;
    int widthOfM() const;
    int advance(const QString& text) const;
    QSize textExtent(const QString& text) const { return {advance(text), height()}; }

    friend bool operator==(const Font& a, const Font& b);

private:
    struct Resolved;
    struct Metrics;

    // stretch is the width in percent of the font's own, as QFont takes it.
    Font(const QString& face, int emPixels, FontStyles styles, Pitch pitch, int stretch = 100);
    static std::shared_ptr<const Resolved> resolve(const QString& face, int emPixels, FontStyles styles, Pitch pitch,
                                                   int stretch);
    const Metrics& metrics() const;

    std::shared_ptr<const Resolved> m_resolved;
};

} // namespace lumeria::gdi
