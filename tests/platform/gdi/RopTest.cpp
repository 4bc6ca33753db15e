#include "GdiTestSupport.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace lumeria::gdi
