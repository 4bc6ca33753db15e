// The text records, and the symbol fonts' characters as Unicode.
#include "platform/image/WmfPlayback.h"

#include "platform/Codepage.h"

#include <QByteArray>
#include <QStringDecoder>

#include <array>

namespace lumeria::wmf {

namespace {

constexpr uint16_t kUpdateCp = 0x0001;
constexpr uint16_t kHorizontalMask = 0x0006;
constexpr uint16_t kRight = 0x0002;
constexpr uint16_t kCentre = 0x0006;
constexpr uint16_t kVerticalMask = 0x0018;
constexpr uint16_t kBottom = 0x0008;
constexpr uint16_t kBaseline = 0x0018;

constexpr uint16_t kEtoOpaque = 0x0002;
constexpr uint16_t kEtoClipped = 0x0004;

// The Symbol font's characters from 0x20 up, as Unicode. Its letters are
// Greek by their Latin look-alikes ('D' is Delta); the upper half holds
// mathematical signs and the pieces of tall brackets. Zero keeps the byte.
constexpr std::array<char16_t, 224> kSymbol = {
    // 0x20
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B, 0x002C, 0x2212,
    0x002E, 0x002F,
    // 0x30
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D,
    0x003E, 0x003F,
    // 0x40
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C,
    0x039D, 0x039F,
    // 0x50
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B, 0x2234, 0x005D,
    0x22A5, 0x005F,
    // 0x60
    0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC,
    0x03BD, 0x03BF,
    // 0x70
    0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D,
    0x223C, 0,
    // 0x80, 0x90: no characters
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0xA0
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191,
    0x2192, 0x2193,
    // 0xB0
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0,
    0x23AF, 0x21B5,
    // 0xC0
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286,
    0x2208, 0x2209,
    // 0xD0
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1,
    0x21D2, 0x21D3,
    // 0xE0
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8,
    0x23A9, 0x23AA,
    // 0xF0
    0, 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD,
    0};

// Wingdings from 0x20 up, as the Unicode characters of the same pictures
// (most of them outside the basic plane). Zero keeps the byte.
constexpr std::array<char32_t, 224> kWingdings = {
    // 0x20
    0x0020, 0x1F589, 0x2702, 0x2701, 0x1F453, 0x1F56D, 0x1F56E, 0x1F56F, 0x1F57F, 0x2706, 0x1F582, 0x1F583, 0x1F4EA,
    0x1F4EB, 0x1F4EC, 0x1F4ED,
    // 0x30
    0x1F4C1, 0x1F4C2, 0x1F4C4, 0x1F5CF, 0x1F5D0, 0x1F5C4, 0x231B, 0x1F5AE, 0x1F5B0, 0x1F5B2, 0x1F5B3, 0x1F5B4, 0x1F5AB,
    0x1F5AC, 0x2707, 0x270D,
    // 0x40
    0x1F58E, 0x270C, 0x1F44C, 0x1F44D, 0x1F44E, 0x261C, 0x261E, 0x261D, 0x261F, 0x1F590, 0x263A, 0x1F610, 0x2639,
    0x1F4A3, 0x2620, 0x1F3F3,
    // 0x50
    0x1F3F1, 0x2708, 0x263C, 0x1F4A7, 0x2744, 0x1F546, 0x271E, 0x1F548, 0x2720, 0x2721, 0x262A, 0x262F, 0x0950, 0x2638,
    0x2648, 0x2649,
    // 0x60
    0x264A, 0x264B, 0x264C, 0x264D, 0x264E, 0x264F, 0x2650, 0x2651, 0x2652, 0x2653, 0x1F670, 0x1F675, 0x25CF, 0x1F53E,
    0x25A0, 0x25A1,
    // 0x70
    0x1F790, 0x2751, 0x2752, 0x2B27, 0x29EB, 0x25C6, 0x2756, 0x2B25, 0x2327, 0x2BB9, 0x2318, 0x1F3F5, 0x1F3F6, 0x1F676,
    0x1F677, 0,
    // 0x80
    0x24EA, 0x2460, 0x2461, 0x2462, 0x2463, 0x2464, 0x2465, 0x2466, 0x2467, 0x2468, 0x2469, 0x24FF, 0x2776, 0x2777,
    0x2778, 0x2779,
    // 0x90
    0x277A, 0x277B, 0x277C, 0x277D, 0x277E, 0x277F, 0x1F662, 0x1F660, 0x1F661, 0x1F663, 0x1F65E, 0x1F65C, 0x1F65D,
    0x1F65F, 0x00B7, 0x2022,
    // 0xA0
    0x25AA, 0x26AA, 0x1F786, 0x1F788, 0x25C9, 0x25CE, 0x1F53F, 0x25AA, 0x25FB, 0x1F7C2, 0x2726, 0x2605, 0x2736, 0x2734,
    0x2739, 0x2735,
    // 0xB0
    0x2BD0, 0x2316, 0x27E1, 0x2311, 0x2BD1, 0x272A, 0x2730, 0x1F550, 0x1F551, 0x1F552, 0x1F553, 0x1F554, 0x1F555,
    0x1F556, 0x1F557, 0x1F558,
    // 0xC0
    0x1F559, 0x1F55A, 0x1F55B, 0x2BB0, 0x2BB1, 0x2BB2, 0x2BB3, 0x2BB4, 0x2BB5, 0x2BB6, 0x2BB7, 0x1F66A, 0x1F66B,
    0x1F655, 0x1F654, 0x1F657,
    // 0xD0
    0x1F656, 0x1F650, 0x1F651, 0x1F652, 0x1F653, 0x232B, 0x2326, 0x2B98, 0x2B9A, 0x2B99, 0x2B9B, 0x2B88, 0x2B8A, 0x2B89,
    0x2B8B, 0x1F868,
    // 0xE0
    0x1F86A, 0x1F869, 0x1F86B, 0x1F86C, 0x1F86D, 0x1F86F, 0x1F86E, 0x1F878, 0x1F87A, 0x1F879, 0x1F87B, 0x1F87C, 0x1F87D,
    0x1F87F, 0x1F87E, 0x21E6,
    // 0xF0
    0x21E8, 0x21E7, 0x21E9, 0x2B04, 0x21F3, 0x2B01, 0x2B00, 0x2B03, 0x2B02, 0x1F8AC, 0x1F8AD, 0x1F5F6, 0x2714, 0x1F5F7,
    0x1F5F9, 0x229E};

// The code page a font's character set names; others (ANSI, default) use
// the publication's.
const Codepage& codepageOf(uint8_t charset)
{
    struct Pair {
        uint8_t charset;
        int codepage;
    };
    constexpr Pair kPairs[] = {{238, 1250}, {204, 1251}, {161, 1253}, {162, 1254}, {177, 1255},
                               {178, 1256}, {186, 1257}, {163, 1258}, {222, 874}};
    for (const Pair& p : kPairs) {
        if (p.charset == charset) {
            if (const Codepage* c = Codepage::byNumber(p.codepage))
                return *c;
        }
    }
    return activeCodepage();
}

// The double-byte code pages of the East Asian character sets: Shift JIS,
// Hangul, GB 2312 and Big5, as Windows reads them.
const char* doubleByteCodepageOf(uint8_t charset)
{
    switch (charset) {
    case 128: return "Shift_JIS";
    case 129: return "windows-949";
    case 134: return "GBK";
    case 136: return "Big5";
    default: return nullptr;
    }
}

} // namespace

QString symbolText(SymbolSet set, std::span<const std::byte> bytes)
{
    QString text;
    for (std::byte b : bytes) {
        const auto c = uint8_t(b);
        char32_t u = c;
        if (c >= 0x20 && set == SymbolSet::Symbol && kSymbol[c - 0x20] != 0)
            u = kSymbol[c - 0x20];
        else if (c >= 0x20 && set == SymbolSet::Wingdings && kWingdings[c - 0x20] != 0)
            u = kWingdings[c - 0x20];
        text += QString::fromUcs4(&u, 1);
    }
    return text;
}

QString Player::decodeText(std::span<const std::byte> chars) const
{
    if (m_state.symbols != SymbolSet::None)
        return symbolText(m_state.symbols, chars);
    if (const char* name = doubleByteCodepageOf(m_state.charset)) {
        QStringDecoder decoder(name);
        if (decoder.isValid())
            return decoder.decode(QByteArrayView(reinterpret_cast<const char*>(chars.data()), qsizetype(chars.size())));
    }
    return codepageOf(m_state.charset)
        .decode(std::string_view(reinterpret_cast<const char*>(chars.data()), chars.size()));
}

bool Player::drawText(int x, int y, std::span<const std::byte> chars, std::span<const int> dx,
                      gdi::ExtTextOptions options)
{
    const uint16_t align = m_state.textAlign;
    switch (align & kHorizontalMask) {
    case kRight: options.align = gdi::TextHorizontalAlign::Right; break;
    case kCentre: options.align = gdi::TextHorizontalAlign::Centre; break;
    default: options.align = gdi::TextHorizontalAlign::Left; break;
    }
    switch (align & kVerticalMask) {
    case kBottom: options.verticalAlign = gdi::TextVerticalAlign::Bottom; break;
    case kBaseline: options.verticalAlign = gdi::TextVerticalAlign::Baseline; break;
    default: options.verticalAlign = gdi::TextVerticalAlign::Top; break;
    }
    options.escapement = m_state.fontEscapement;
    options.characterExtra = m_state.charExtra == 0 ? 0 : mapLength(m_state.charExtra, false);
    options.breakExtra = m_state.breakExtra == 0 ? 0 : mapLength(m_state.breakExtra, false);
    options.breakCount = m_state.breakCount;
    if (!dx.empty()) {
        // Cumulative positions mapped one by one, so rounding never drifts
        // along a line.
        const Scale s = scale(false);
        const int64_t num = s.num * m_target.width(), den = s.den * m_frame.width();
        int64_t sum = 0, previous = 0;
        for (int d : dx) {
            sum += d;
            const int64_t at = sum * num / den;
            options.advances.push_back(int(std::clamp<int64_t>(at - previous, -32768, 32767)));
            previous = at;
        }
    }
    const bool updateCp = align & kUpdateCp;
    const QPoint at = updateCp ? m_canvas.state().currentPosition : map(x, y);
    const QPoint end = m_canvas.extTextOut(at, decodeText(chars), options);
    if (updateCp) {
        // The current position moves to the far end of left-aligned text and
        // to the near end of right-aligned text; centred text leaves it.
        if (options.align == gdi::TextHorizontalAlign::Left)
            m_canvas.moveTo(at + end);
        else if (options.align == gdi::TextHorizontalAlign::Right)
            m_canvas.moveTo(at - end);
    }
    return true;
}

bool Player::textOut(ByteReader& p)
{
    const auto count = p.u16le();
    if (!count)
        return false;
    const auto chars = p.bytes(size_t(*count) + (*count & 1));
    const auto y = p.u16le(), x = p.u16le();
    if (!chars || !x)
        return false;
    return drawText(int16_t(*x), int16_t(*y), chars->first(*count), {}, {});
}

bool Player::extTextOut(ByteReader& p)
{
    const auto y = p.u16le(), x = p.u16le();
    const auto count = p.u16le();
    const auto flags = p.u16le();
    if (!flags)
        return false;
    gdi::ExtTextOptions options;
    if (*flags & (kEtoOpaque | kEtoClipped)) {
        const auto left = p.u16le(), top = p.u16le(), right = p.u16le(), bottom = p.u16le();
        if (!bottom)
            return false;
        const gdi::Rect r = mapRect(int16_t(*left), int16_t(*top), int16_t(*right), int16_t(*bottom));
        if (*flags & kEtoOpaque)
            options.opaque = r;
        if (*flags & kEtoClipped)
            options.clip = r;
    }
    const auto chars = p.bytes(*count);
    if (!chars)
        return false;
    // The string is padded to a whole word; the distances, when present,
    // follow it, one per character.
    if (*count & 1)
        p.skip(1);
    std::vector<int> dx;
    if (p.remaining() >= size_t(*count) * 2) {
        for (int i = 0; i < *count; ++i)
            dx.push_back(int16_t(*p.u16le()));
    }
    return drawText(int16_t(*x), int16_t(*y), *chars, dx, std::move(options));
}

} // namespace lumeria::wmf
