#include "GdiTestSupport.h"

#include <gtest/gtest.h>

#include <optional>

namespace lumeria::gdi {
namespace {

using namespace test;

// Reference results of the sixteen ROP2s, written as the Windows
// documentation states them, on raw 24-bit pixel values.
uint32_t rop2Reference(Rop2 rop, uint32_t p, uint32_t d)
{
    switch (rop) {
    case Rop2::Black: return 0;
    case Rop2::NotMergePen: return ~(p | d);
    case Rop2::MaskNotPen: return ~p & d;
    case Rop2::NotCopyPen: return ~p;
    case Rop2::MaskPenNot: return p & ~d;
    case Rop2::Not: return ~d;
    case Rop2::XorPen: return p ^ d;
    case Rop2::NotMaskPen: return ~(p & d);
    case Rop2::MaskPen: return p & d;
    case Rop2::NotXorPen: return ~(p ^ d);
    case Rop2::Nop: return d;
    case Rop2::MergeNotPen: return ~p | d;
    case Rop2::CopyPen: return p;
    case Rop2::MergePenNot: return p | ~d;
    case Rop2::MergePen: return p | d;
    case Rop2::White: return ~0u;
    }
    return 0;
}

TEST(RopBinary, EveryRop2MatchesItsDefinitionThroughAPenAndABrush)
{
    const ColorRef pen = rgb(0x3C, 0xA5, 0x0F);
    const ColorRef dest = rgb(0x55, 0x0F, 0xF0);
    const uint32_t p = pixelFromColour(pen) & 0xFFFFFF;
    const uint32_t d = pixelFromColour(dest) & 0xFFFFFF;
    for (int r = 1; r <= 16; ++r) {
        const Rop2 rop = static_cast<Rop2>(r);
        const ColorRef expected = colourFromPixel(rop2Reference(rop, p, d) & 0xFFFFFF);

        Surface s(3, 3, dest);
        Canvas c(s);
        c.setRop2(rop);
        c.setPen(Pen::solid(pen));
        c.drawLine({0, 0}, {2, 0});
        c.setPen(Pen::none());
        c.setBrush(Brush::solid(pen));
        c.drawRectangle({0, 1, 3, 3}); // without a pen: pixels (0..1, 1)
        EXPECT_EQ(s.colourAt(0, 0), expected) << "pen, ROP2 " << r;
        EXPECT_EQ(s.colourAt(1, 1), expected) << "brush, ROP2 " << r;
        EXPECT_EQ(s.colourAt(2, 0), dest) << "last pixel, ROP2 " << r;
        EXPECT_EQ(s.pixel(0, 0) >> 24, 0xFFu) << "alpha stays opaque, ROP2 " << r;
    }
}

TEST(RopTernary, NamedBlitCodesComputeTheirBooleanFunctions)
{
    const uint32_t P = 0x00F0F0F0 & 0x00CC33AA;
    const uint32_t S = 0x000FF00F ^ 0x00123456;
    const uint32_t D = 0x00A5A5A5 ^ 0x00777000;
    struct Case {
        Rop3 rop;
        uint32_t expected;
        const char* name;
    };
    const Case cases[] = {
        {kSrcCopy, S, "SRCCOPY"},
        {kSrcAnd, S & D, "SRCAND"},
        {kSrcInvert, S ^ D, "SRCINVERT"},
        {kSrcPaint, S | D, "SRCPAINT"},
        {kSrcErase, S & ~D, "SRCERASE"},
        {kNotSrcCopy, ~S, "NOTSRCCOPY"},
        {kNotSrcErase, ~(S | D), "NOTSRCERASE"},
        {kMergeCopy, P & S, "MERGECOPY"},
        {kMergePaint, ~S | D, "MERGEPAINT"},
        {kPatCopy, P, "PATCOPY"},
        {kPatInvert, P ^ D, "PATINVERT"},
        {kPatPaint, P | ~S | D, "PATPAINT"},
        {kDstInvert, ~D, "DSTINVERT"},
        {kBlackness, 0, "BLACKNESS"},
        {kWhiteness, ~0u, "WHITENESS"},
        {kPatternSelect, (~P & S) | (P & D), "0xAC0744"},
    };
    Surface source(1, 1);
    source.setPixel(0, 0, 0xFF000000u | S);
    for (const Case& k : cases) {
        Surface s(1, 1);
        s.setPixel(0, 0, 0xFF000000u | D);
        Canvas c(s);
        c.setBrush(Brush::solid(colourFromPixel(P)));
        c.bitBlt({0, 0, 1, 1}, source.view(), {0, 0}, k.rop);
        EXPECT_EQ(s.pixel(0, 0), 0xFF000000u | (k.expected & 0xFFFFFF)) << k.name;
    }
}

TEST(RopTernary, PatternSelectCopiesSourceThroughTheBrushZeroBits)
{
    // A monochrome brush whose 0 bits (text colour black) let the source
    // through and whose 1 bits (background white) keep the destination.
    Surface s(8, 1, kBlue);
    Surface source(8, 1, kRed);
    Canvas c(s);
    c.setTextColour(kBlack);
    c.setBackgroundColour(kWhite);
    c.setBrush(Brush::pattern({0x0F, 0, 0, 0, 0, 0, 0, 0}));
    c.bitBlt({0, 0, 8, 1}, source.view(), {0, 0}, kPatternSelect);
    EXPECT_EQ(rowOf(s, 0, kRed), "####....");
    EXPECT_EQ(rowOf(s, 0, kBlue), "....####");
}

// --- Every ternary code through every blit ------------------------------

// The ternary operation by its definition, one bit at a time: bit
// (P<<2 | S<<1 | D) of the code's table byte is the result.
uint32_t rop3Reference(int code, uint32_t p, uint32_t s, uint32_t d)
{
    uint32_t out = 0;
    for (int bit = 0; bit < 32; ++bit) {
        const int index = int((p >> bit) & 1) << 2 | int((s >> bit) & 1) << 1 | int((d >> bit) & 1);
        out |= uint32_t((code >> index) & 1) << bit;
    }
    return out | 0xFF000000u;
}

bool referenceUsesSource(int code)
{
    for (int p = 0; p < 2; ++p) {
        for (int d = 0; d < 2; ++d) {
            if (((code >> (p << 2 | d)) & 1) != ((code >> (p << 2 | 2 | d)) & 1))
                return true;
        }
    }
    return false;
}

// Pixels of every value, alpha included: whatever a blit reads, it writes
// opaque pixels.
Surface noise(int w, int h, uint32_t seed)
{
    Surface s(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            s.setPixel(x, y, seed ^ (seed >> 13));
        }
    }
    return s;
}

struct BlitCase {
    const char* brushName;
    Brush brush;
};

TEST(RopTernary, EveryCodeThroughEveryBlitMatchesItsDefinition)
{
    const ColorRef text = rgb(0x3C, 0xA5, 0x0F), background = rgb(0xC3, 0x5A, 0xF0);
    const BlitCase brushes[] = {
        {"pattern", Brush::pattern({0x81, 0x42, 0x24, 0x18, 0xF0, 0x0F, 0xAA, 0x55})},
        {"solid", Brush::solid(rgb(0x12, 0xED, 0x69))},
        {"null", Brush::none()},
        {"colour pattern", Brush::colourPattern([] {
             Brush::Pixels pixels{};
             for (size_t i = 0; i < pixels.size(); ++i)
                 pixels[i] = 0xFF000000u | uint32_t(i * 0x030507u);
             return pixels;
         }())},
    };
    const Surface source = noise(9, 8, 7);
    const Surface before = noise(16, 12, 11);
    // Logical coordinates are shifted by the origin; the pattern stays put
    // on the device, and the clip is two rectangles.
    const QPoint origin(1, 2);
    const Region clip = Region(Rect{1, 2, 9, 12}).united(Rect{11, 0, 15, 7});
    const Rect dest{2, 1, 14, 10};                                       // device
    const QPoint sourcePos(3, 1);                                        // the source runs out at device x 8, y 8
    const BlitArea stretchDest{14 - origin.x(), 1 - origin.y(), -12, 9}; // mirrored from x 14, doubled
    const BlitArea stretchSource{2, 0, 6, 9};                            // one row past the source

    auto patternAt = [&](const Brush& b, int x, int y) {
        switch (b.style) {
        case BrushStyle::Solid: return pixelFromColour(b.colour);
        case BrushStyle::Pattern: return pixelFromColour(b.patternBit(x, y) ? background : text);
        case BrushStyle::ColourPattern: return b.patternPixel(x, y);
        case BrushStyle::Null: break;
        }
        return 0u;
    };
    enum class Blit { Bit, Stretch, Pat };
    for (const BlitCase& bc : brushes) {
        for (const Blit blit : {Blit::Bit, Blit::Stretch, Blit::Pat}) {
            for (int code = 0; code < 256; ++code) {
                Surface s = before;
                Canvas c(s);
                c.setTextColour(text);
                c.setBackgroundColour(background);
                c.setBrush(bc.brush);
                c.clipTo(clip);
                c.setOrigin(origin);
                const Rop3 rop = Rop3(code) << 16;
                const bool usesSource = referenceUsesSource(code);
                switch (blit) {
                case Blit::Bit:
                    c.bitBlt(dest.translated(-origin.x(), -origin.y()), source.view(), sourcePos, rop);
                    break;
                case Blit::Stretch: c.stretchBlt(stretchDest, source.view(), stretchSource, rop); break;
                case Blit::Pat: c.patBlt(dest.translated(-origin.x(), -origin.y()), rop); break;
                }
                for (int y = 0; y < s.height(); ++y) {
                    for (int x = 0; x < s.width(); ++x) {
                        const uint32_t d = before.pixel(x, y);
                        uint32_t expected = d;
                        std::optional<uint32_t> src;
                        bool covered = clip.contains(x, y);
                        if (blit == Blit::Stretch) {
                            // Device columns 3..14 take source columns 7..2,
                            // each twice; rows 1..9 take rows 0..8.
                            covered = covered && x >= 3 && x < 15 && y >= 1 && y < 10;
                            const int sx = 7 - (x - 3) / 2, sy = y - 1;
                            if (sx >= 0 && sx < source.width() && sy >= 0 && sy < source.height())
                                src = source.pixel(sx, sy);
                        } else {
                            covered = covered && dest.contains(x, y);
                            const int sx = x - dest.left + sourcePos.x(), sy = y - dest.top + sourcePos.y();
                            if (sx >= 0 && sx < source.width() && sy >= 0 && sy < source.height())
                                src = source.pixel(sx, sy);
                        }
                        if (blit == Blit::Pat && usesSource)
                            covered = false; // a pattern blit has no source to use
                        if (covered && (src || !usesSource))
                            expected = rop3Reference(code, patternAt(bc.brush, x, y), src.value_or(0), d);
                        ASSERT_EQ(s.pixel(x, y), expected)
                            << bc.brushName << " brush, blit " << int(blit) << ", code 0x" << std::hex << code
                            << std::dec << " at " << x << "," << y;
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace lumeria::gdi
