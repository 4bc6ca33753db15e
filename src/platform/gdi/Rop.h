#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
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

// The one place a pixel is written by a pen, a brush or a blit. Alpha stays
// opaque so the buffer remains valid RGB32.
inline void writePixel(uint32_t& d, const PixelMasks& m)
{
    d = ((d & m.andMask) ^ m.xorMask) | 0xFF000000u;
}

// A run of pixels under one pair of masks, as writePixel writes each. Masks
// that keep no colour bit of the destination (a colour copied, black, white)
// make a plain fill, which need not read what it covers.
inline void writeSpan(uint32_t* d, int count, PixelMasks m)
{
    if ((m.andMask & 0x00FFFFFFu) == 0) {
        std::fill_n(d, std::max(count, 0), m.xorMask | 0xFF000000u);
        return;
    }
    for (int i = 0; i < count; ++i)
        writePixel(d[i], m);
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

// How a blit writes its pixels, decided once per blit from its code. Every
// ternary operation, for one pattern pixel and one source pixel, is a
// function of the destination alone, so it reduces to the masks of
// writePixel: D = (D & A) ^ X, with A and X made from P and S. The named
// codes, and the pattern select the transitions use, have their masks
// written out, which the compiler folds into a tight loop; every other code
// takes the generic evaluation through the two tables of its plan.
enum class Rop3Kind : uint8_t {
    Generic,
    Blackness,
    Whiteness,
    DstInvert,
    PatCopy,
    PatInvert,
    PatPaint,
    SrcCopy,
    NotSrcCopy,
    SrcPaint,
    SrcAnd,
    SrcInvert,
    SrcErase,
    NotSrcErase,
    MergeCopy,
    MergePaint,
    PatternSelect,
};

struct Rop3Plan {
    Rop3Kind kind = Rop3Kind::Generic;
    bool usesSource = false;
    // Indexed by (P<<1 | S) for one bit: all ones where the destination bit
    // decides the result (its two table entries differ), and the result for
    // a 0 destination bit.
    std::array<uint32_t, 4> keep{};
    std::array<uint32_t, 4> set{};
};

Rop3Plan planRop3(Rop3 rop);

// The generic evaluation: the masks for pattern pixel p and source pixel s,
// each bit taking the row of the truth table its P and S bits select.
inline PixelMasks rop3Masks(const Rop3Plan& plan, uint32_t p, uint32_t s)
{
    const uint32_t select[4] = {~p & ~s, ~p & s, p & ~s, p & s};
    PixelMasks m;
    for (size_t i = 0; i < 4; ++i) {
        m.andMask |= select[i] & plan.keep[i];
        m.xorMask |= select[i] & plan.set[i];
    }
    return m;
}

} // namespace lumeria::gdi
