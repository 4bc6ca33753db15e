// The text records.
#include "platform/image/WmfPlayback.h"

#include "platform/Codepage.h"

#include <QByteArray>
#include <QStringDecoder>

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

QString Player::decodeText(std::span<const std::byte> chars) const
{
    if (m_state.symbols != SymbolSet::None) {
        // The bytes as Windows hands a symbol font its characters, which
        // the canvas shows as the pictures.
        QString text;
        text.reserve(qsizetype(chars.size()));
        for (std::byte b : chars)
            text += QChar(char16_t(0xF000 + uint8_t(b)));
        return text;
    }
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
