#pragma once

#include <QFont>
#include <QSize>
#include <QString>
#include <cstdint>

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
class Font {
public:
    // The System font: bold Liberation Sans, 13 pixels.
    Font();

    static Font fromPoints(const QString& face, int points, FontStyles styles = 0, Pitch pitch = Pitch::Default);
    static Font fromPixels(const QString& face, int emPixels, FontStyles styles = 0, Pitch pitch = Pitch::Default);

    // A LOGFONT height: negative is the em height, positive the cell height
    // (ascent + descent), zero a default size. A positive height needs the
    // font's metrics, hence a QGuiApplication.
    static Font fromLogicalHeight(const QString& face, int height, FontStyles styles = 0, Pitch pitch = Pitch::Default);

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

    QString face() const { return m_face; }
    QString family() const { return m_base.family(); }
    int emPixels() const { return m_base.pixelSize(); }
    FontStyles styles() const { return m_styles; }

    // The QFont to draw with, carrying the current rendering choice.
    QFont qfont() const;

    int ascent() const;
    int descent() const;
    int height() const { return ascent() + descent(); }
    int averageCharWidth() const;
    int widthOfM() const;
    int advance(const QString& text) const;
    QSize textExtent(const QString& text) const { return {advance(text), height()}; }

    friend bool operator==(const Font& a, const Font& b) { return a.m_base == b.m_base && a.m_face == b.m_face; }

private:
    Font(const QString& face, int emPixels, FontStyles styles, Pitch pitch);

    QString m_face;
    FontStyles m_styles = 0;
    QFont m_base;
};

} // namespace lumeria::gdi
