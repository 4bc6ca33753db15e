#include "platform/gdi/Font.h"

#include "platform/gdi/SymbolFonts.h"

#include <QFontMetrics>
#include <QHash>
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace lumeria::gdi {

namespace {

std::atomic<TextRendering> g_rendering{TextRendering::Crisp};
// Moves on whenever the embedded families change: fonts resolved before
// may name a family that no longer wins, or miss one that now does.
std::atomic<quint64> g_familiesGeneration{0};
// Font numbers, never reused, so a cache keyed by a forgotten font's number
// can only miss.
std::atomic<quint64> g_lastFontId{0};

// Resolved fonts kept per thread before the table starts again; fonts still
// in use keep theirs alive.
constexpr qsizetype kResolvedFonts = 256;

int renderingIndex(TextRendering rendering)
{
    return rendering == TextRendering::Smooth ? 1 : 0;
}

struct ResolveKey {
    QString face;
    int emPixels = 0;
    FontStyles styles = 0;
    Pitch pitch = Pitch::Default;
    int stretch = 100;
    bool operator==(const ResolveKey&) const = default;
};

size_t qHash(const ResolveKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.face, key.emPixels, key.styles, int(key.pitch), key.stretch);
}

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

struct Font::Metrics {
    int ascent = 0;
    int descent = 0;
    int averageCharWidth = 0;
    int widthOfM = 0;
};

// One font as this system draws it, under each rendering choice. The QFonts
// keep the engine Qt found for them, which a fresh QFont would look up again.
struct Font::Resolved {
    QString face;
    FontStyles styles = 0;
    Pitch pitch = Pitch::Default;
    SymbolSet symbols = SymbolSet::None;
    QFont base;
    std::array<QFont, 2> drawn;
    std::array<quint64, 2> ids{};
    // Filled on first use: making a font must not need a QGuiApplication.
    mutable std::array<std::optional<Metrics>, 2> metrics;
};

Font::Font() : Font(QStringLiteral("System"), kSystemFontPixels, uint8_t(FontStyle::Bold), Pitch::Default) {}

Font::Font(const QString& face, int emPixels, FontStyles styles, Pitch pitch, int stretch)
    : m_resolved(resolve(face, emPixels, styles, pitch, stretch))
{
}

std::shared_ptr<const Font::Resolved> Font::resolve(const QString& face, int emPixels, FontStyles styles, Pitch pitch,
                                                    int stretch)
{
    thread_local QHash<ResolveKey, std::shared_ptr<const Resolved>> resolved;
    thread_local quint64 generation = 0;
    if (const quint64 now = g_familiesGeneration.load(); now != generation) {
        resolved.clear();
        generation = now;
    }
    ResolveKey key{face, emPixels, styles, pitch, stretch};
    if (const auto known = resolved.constFind(key); known != resolved.cend())
        return *known;
    if (resolved.size() >= kResolvedFonts)
        resolved.clear();

    auto font = std::make_shared<Resolved>();
    font->face = face;
    const QString trimmed = face.trimmed();
    const bool isSystem = trimmed.compare(QLatin1String("System"), Qt::CaseInsensitive) == 0;
    QFont& base = font->base;
    if (const auto embedded = embeddedFamilies().constFind(trimmed.toLower()); embedded != embeddedFamilies().cend()) {
        base.setFamily(embedded.value());
    } else if (const SymbolSet symbols = symbolSetOf(trimmed); symbols != SymbolSet::None) {
        // Nothing installed carries these fonts' own code pages: their text
        // is drawn as the Unicode characters of the same pictures.
        font->symbols = symbols;
        base.setFamily(symbolFamily());
    } else if (pitch == Pitch::Fixed) {
        base.setFamily(QStringLiteral("Liberation Mono"));
    } else if (const QString substitute = substituteFor(face); !substitute.isEmpty()) {
        base.setFamily(substitute);
    } else {
        // Unknown faces go to fontconfig as named, with a sans fallback.
        base.setFamilies({trimmed, QStringLiteral("Liberation Sans")});
    }
    if (isSystem) {
        emPixels = kSystemFontPixels;
        styles |= uint8_t(FontStyle::Bold);
    }
    font->styles = styles;
    font->pitch = pitch;
    if (stretch != 100)
        base.setStretch(stretch);
    base.setPixelSize(std::clamp(emPixels, 1, kMaxEmPixels));
    base.setBold(styles & uint8_t(FontStyle::Bold));
    base.setItalic(styles & uint8_t(FontStyle::Italic));
    base.setUnderline(styles & uint8_t(FontStyle::Underline));
    base.setStrikeOut(styles & uint8_t(FontStyle::StrikeOut));
    base.setKerning(false);
    base.setHintingPreference(QFont::PreferFullHinting);
    for (TextRendering rendering : {TextRendering::Crisp, TextRendering::Smooth}) {
        const int i = renderingIndex(rendering);
        font->drawn[i] = base;
        font->drawn[i].setStyleStrategy(rendering == TextRendering::Smooth ? QFont::PreferAntialias
                                                                           : QFont::NoAntialias);
        font->ids[i] = ++g_lastFontId;
    }
    resolved.insert(std::move(key), font);
    return font;
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

Font Font::withAverageCharWidth(int pixels) const
{
    if (pixels <= 0)
        return *this;
    const int current = m_resolved->base.stretch() == QFont::AnyStretch ? 100 : m_resolved->base.stretch();
    const int64_t width = std::max(1, averageCharWidth());
    // QFont takes 1 to 4000 percent.
    const int stretch = int(std::clamp<int64_t>((int64_t(pixels) * current + width / 2) / width, 1, 4000));
    if (stretch == current)
        return *this;
    return Font(m_resolved->face, emPixels(), m_resolved->styles, m_resolved->pitch, stretch);
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
    ++g_familiesGeneration;
}

void Font::clearEmbeddedFamilies()
{
    embeddedFamilies().clear();
    ++g_familiesGeneration;
}

QString Font::face() const
{
    return m_resolved->face;
}

QString Font::family() const
{
    return m_resolved->base.family();
}

int Font::emPixels() const
{
    return m_resolved->base.pixelSize();
}

FontStyles Font::styles() const
{
    return m_resolved->styles;
}

SymbolSet Font::symbols() const
{
    return m_resolved->symbols;
}

QString Font::shown(const QString& text) const
{
    return m_resolved->symbols == SymbolSet::None ? text : symbolText(m_resolved->symbols, text);
}

QFont Font::qfont() const
{
    return m_resolved->drawn[renderingIndex(textRendering())];
}

quint64 Font::id() const
{
    return m_resolved->ids[renderingIndex(textRendering())];
}

const Font::Metrics& Font::metrics() const
{
    const int i = renderingIndex(textRendering());
    std::optional<Metrics>& known = m_resolved->metrics[i];
    if (!known) {
        const QFontMetrics m(m_resolved->drawn[i]);
        known = Metrics{m.ascent(), m.descent(), m.averageCharWidth(), m.horizontalAdvance(QLatin1Char('M'))};
    }
    return *known;
}

int Font::ascent() const
{
    return metrics().ascent;
}

int Font::descent() const
{
    return metrics().descent;
}

int Font::averageCharWidth() const
{
    return metrics().averageCharWidth;
}

int Font::widthOfM() const
{
    return metrics().widthOfM;
}

int Font::advance(const QString& text) const
{
    return QFontMetrics(qfont()).horizontalAdvance(shown(text));
}

bool operator==(const Font& a, const Font& b)
{
    return a.m_resolved == b.m_resolved ||
           (a.m_resolved->base == b.m_resolved->base && a.m_resolved->face == b.m_resolved->face);
}

} // namespace lumeria::gdi
