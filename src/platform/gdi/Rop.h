#pragma once

#include <cstdint>

namespace lumeria::gdi {

// The sixteen binary raster operations, numbered as Windows numbers them
// (R2_BLACK = 1 .. R2_WHITE = 16).
enum class Rop2 {
    Black = 1,
    NotMergePen,
    MaskNotPen,
    NotCopyPen,
    MaskPenNot,
    Not,
    XorPen,
    NotMaskPen,
    MaskPen,
    NotXorPen,
    Nop,
    MergeNotPen,
    CopyPen,
    MergePenNot,
    MergePen,
    White,
};

// Every ROP2 with a fixed pen colour reduces to D = (D & A) ^ X per bit, so a
// pen or brush colour is turned into these two masks once, at select time.
struct PixelMasks {
    uint32_t andMask = 0;
    uint32_t xorMask = 0;
};

PixelMasks rop2Masks(Rop2 rop, uint32_t penPixel);

// The one place a pixel is written by a pen or brush. Alpha stays opaque so
// the buffer remains valid RGB32.
inline void writePixel(uint32_t& d, const PixelMasks& m)
{
    d = ((d & m.andMask) ^ m.xorMask) | 0xFF000000u;
}

// A ternary raster operation code as Windows passes it to BitBlt.
using Rop3 = uint32_t;

inline constexpr Rop3 kSrcCopy = 0x00CC0020;
inline constexpr Rop3 kSrcPaint = 0x00EE0086;
inline constexpr Rop3 kSrcAnd = 0x008800C6;
inline constexpr Rop3 kSrcInvert = 0x00660046;
inline constexpr Rop3 kSrcErase = 0x00440328;
inline constexpr Rop3 kNotSrcCopy = 0x00330008;
inline constexpr Rop3 kNotSrcErase = 0x001100A6;
inline constexpr Rop3 kMergeCopy = 0x00C000CA;
inline constexpr Rop3 kMergePaint = 0x00BB0226;
inline constexpr Rop3 kPatCopy = 0x00F00021;
inline constexpr Rop3 kPatPaint = 0x00FB0A09;
inline constexpr Rop3 kPatInvert = 0x005A0049;
inline constexpr Rop3 kDstInvert = 0x00550009;
inline constexpr Rop3 kBlackness = 0x00000042;
inline constexpr Rop3 kWhiteness = 0x00FF0062;
// Pattern selects: where the pattern is 0 the source is copied, where it is
// 1 the destination stays (the masked-blit idiom with a monochrome brush).
inline constexpr Rop3 kPatternSelect = 0x00AC0744;

// Bits 16..23 of a ROP3 code are its truth table: bit (P<<2 | S<<1 | D) of
// that byte is the result for those pattern, source and destination bits.
constexpr uint8_t rop3Table(Rop3 rop)
{
    return uint8_t((rop >> 16) & 0xFF);
}

constexpr bool rop3UsesSource(Rop3 rop)
{
    const uint8_t t = rop3Table(rop);
    return ((t >> 2) & 0x33) != (t & 0x33);
}

constexpr bool rop3UsesPattern(Rop3 rop)
{
    const uint8_t t = rop3Table(rop);
    return (t >> 4) != (t & 0x0F);
}

// Applies a ROP3 truth table bitwise to whole pixels.
inline uint32_t applyRop3(uint8_t table, uint32_t p, uint32_t s, uint32_t d)
{
    switch (table) {
    case 0x00: return 0;
    case 0xFF: return ~0u;
    case 0xCC: return s;
    case 0xF0: return p;
    case 0xAA: return d;
    case 0x55: return ~d;
    case 0x33: return ~s;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x66: return s ^ d;
    case 0x5A: return p ^ d;
    default: break;
    }
    uint32_t result = 0;
    for (int i = 0; i < 8; ++i) {
        if (!((table >> i) & 1))
            continue;
        const uint32_t pt = (i & 4) ? p : ~p;
        const uint32_t st = (i & 2) ? s : ~s;
        const uint32_t dt = (i & 1) ? d : ~d;
        result |= pt & st & dt;
    }
    return result;
}

} // namespace lumeria::gdi
