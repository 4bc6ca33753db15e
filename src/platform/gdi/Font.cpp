#include "platform/gdi/Font.h"

#include <QFontMetrics>
#include <QHash>
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>

namespace lumeria::gdi {

namespace {

std::atomic<TextRendering> g_rendering{TextRendering::Crisp};

// Lower-cased face -> family as registered.
QHash<QString, QString>& embeddedFamilies()
{
    static QHash<QString, QString> families;
    return families;
}

struct Substitute {
    const char* windowsFace;
    const char* family;
};

// Windows core fonts and the metric-compatible families installed with the
// player. Faces are compared case-insensitively.
constexpr std::array<Substitute, 14> kSubstitutes = {{
    {"arial", "Liberation Sans"},
    {"ms sans serif", "Liberation Sans"},
    {"helvetica", "Liberation Sans"},
    {"", "Liberation Sans"},
    {"arial narrow", "Liberation Sans Narrow"},
    {"times new roman", "Liberation Serif"},
    {"ms serif", "Liberation Serif"},
    {"times", "Liberation Serif"},
    {"courier new", "Liberation Mono"},
    {"courier", "Liberation Mono"},
    {"fixedsys", "Liberation Mono"},
    {"terminal", "Liberation Mono"},
    {"lucida console", "Liberation Mono"},
    {"system", "Liberation Sans"},
}};

constexpr int kSystemFontPixels = 13;
// Far beyond any page; keeps a nonsense size from a file from asking the
// rasteriser for glyphs the size of a house.
constexpr int kMaxEmPixels = 4096;

QString substituteFor(const QString& face)
{
    const QString key = face.trimmed().toLower();
    for (const Substitute& s : kSubstitutes) {
        if (key == QLatin1String(s.windowsFace))
            return QString::fromLatin1(s.family);
    }
    return {};
}

} // namespace

Font::Font() : Font(QStringLiteral("System"), kSystemFontPixels, uint8_t(FontStyle::Bold), Pitch::Default) {}

Font::Font(const QString& face, int emPixels, FontStyles styles, Pitch pitch) : m_face(face), m_styles(styles)
{
    const QString trimmed = face.trimmed();
    const bool isSystem = trimmed.compare(QLatin1String("System"), Qt::CaseInsensitive) == 0;
    if (const auto embedded = embeddedFamilies().constFind(trimmed.toLower()); embedded != embeddedFamilies().cend()) {
        m_base.setFamily(embedded.value());
    } else if (pitch == Pitch::Fixed) {
        m_base.setFamily(QStringLiteral("Liberation Mono"));
    } else if (const QString substitute = substituteFor(face); !substitute.isEmpty()) {
        m_base.setFamily(substitute);
    } else {
        // Unknown faces go to fontconfig as named, with a sans fallback.
        m_base.setFamilies({trimmed, QStringLiteral("Liberation Sans")});
    }
    if (isSystem) {
        emPixels = kSystemFontPixels;
        styles |= uint8_t(FontStyle::Bold);
        m_styles = styles;
    }
    m_base.setPixelSize(std::clamp(emPixels, 1, kMaxEmPixels));
    m_base.setBold(styles & uint8_t(FontStyle::Bold));
    m_base.setItalic(styles & uint8_t(FontStyle::Italic));
    m_base.setUnderline(styles & uint8_t(FontStyle::Underline));
    m_base.setStrikeOut(styles & uint8_t(FontStyle::StrikeOut));
    m_base.setKerning(false);
    m_base.setHintingPreference(QFont::PreferFullHinting);
}

Font Font::fromPoints(const QString& face, int points, FontStyles styles, Pitch pitch)
{
    // A point size and a pixel size both name the em height; negative
    // sizes (GDI's "character height" convention) mean the same.
    return Font(face, std::abs(pointsToPixels(points)), styles, pitch);
}

Font Font::fromPixels(const QString& face, int emPixels, FontStyles styles, Pitch pitch)
{
    return Font(face, int(std::min<long long>(std::llabs(emPixels), kMaxEmPixels)), styles, pitch);
}

Font Font::fromLogicalHeight(const QString& face, int height, FontStyles styles, Pitch pitch)
{
    if (height < 0)
        return fromPixels(face, height, styles, pitch);
    if (height == 0)
        return Font(face, kSystemFontPixels, styles, pitch);
    // The cell is taller than the em by the font's internal leading. Scale
    // the em by the ratio measured at a trial size, then step down while the
    // cell is still too tall (metrics are rounded per size, so the ratio is
    // only a first guess).
    const int wanted = std::min(height, kMaxEmPixels);
    Font trial(face, wanted, styles, pitch);
    const int cell = std::max(trial.height(), 1);
    int em = std::max(1, (wanted * wanted + cell / 2) / cell);
    Font font(face, em, styles, pitch);
    while (em > 1 && font.height() > wanted) {
        --em;
        font = Font(face, em, styles, pitch);
    }
    return font;
}

int Font::pointsToPixels(int points)
{
    // MulDiv rounds the exact quotient half away from zero.
    const long long n = static_cast<long long>(points) * 96;
    const long long pixels = n >= 0 ? (n + 36) / 72 : (n - 36) / 72;
    return int(std::clamp<long long>(pixels, -kMaxEmPixels, kMaxEmPixels));
}

void Font::setTextRendering(TextRendering rendering)
{
    g_rendering = rendering;
}

TextRendering Font::textRendering()
{
    return g_rendering;
}

void Font::addEmbeddedFamily(const QString& family)
{
    embeddedFamilies().insert(family.trimmed().toLower(), family);
}

void Font::clearEmbeddedFamilies()
{
    embeddedFamilies().clear();
}

QFont Font::qfont() const
{
    QFont f = m_base;
    f.setStyleStrategy(textRendering() == TextRendering::Smooth ? QFont::PreferAntialias : QFont::NoAntialias);
    return f;
}

int Font::ascent() const
{
    return QFontMetrics(qfont()).ascent();
}

int Font::descent() const
{
    return QFontMetrics(qfont()).descent();
}

int Font::averageCharWidth() const
{
    return QFontMetrics(qfont()).averageCharWidth();
}

int Font::widthOfM() const
{
    return QFontMetrics(qfont()).horizontalAdvance(QLatin1Char('M'));
}

int Font::advance(const QString& text) const
{
    return QFontMetrics(qfont()).horizontalAdvance(text);
}

} // namespace lumeria::gdi
