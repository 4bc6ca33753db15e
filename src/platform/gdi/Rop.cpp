#include "platform/gdi/Rop.h"

namespace lumeria::gdi {

PixelMasks rop2Masks(Rop2 rop, uint32_t penPixel)
{
    // The ROP2 number minus one is a truth table over (pen bit, destination
    // bit): bit (P<<1 | D) is the result. For a pen bit p the result as a
    // function of d is f(0) when d=0 and f(1) when d=1, which is
    // (d & (f(0)^f(1))) ^ f(0). Work the two cases out and pick per bit by
    // the pen colour, as the masks are shared by all 32 bits.
    const int table = (static_cast<int>(rop) - 1) & 0xF; // out-of-range codes from files stay harmless
    auto resultBit = [table](int p, int d) { return (table >> ((p << 1) | d)) & 1; };
    auto spread = [](int bit) { return bit ? ~0u : 0u; };

    const uint32_t and0 = spread(resultBit(0, 0) ^ resultBit(0, 1));
    const uint32_t xor0 = spread(resultBit(0, 0));
    const uint32_t and1 = spread(resultBit(1, 0) ^ resultBit(1, 1));
    const uint32_t xor1 = spread(resultBit(1, 0));

    PixelMasks m;
    m.andMask = (penPixel & and1) | (~penPixel & and0);
    m.xorMask = (penPixel & xor1) | (~penPixel & xor0);
    return m;
}

Rop3Plan planRop3(Rop3 rop)
{
    Rop3Plan plan;
    const uint8_t table = rop3Table(rop);
    plan.usesSource = rop3UsesSource(rop);
    for (int ps = 0; ps < 4; ++ps) {
        const int ifZero = (table >> (ps << 1)) & 1;
        const int ifOne = (table >> ((ps << 1) | 1)) & 1;
        plan.keep[size_t(ps)] = (ifZero ^ ifOne) ? ~0u : 0u;
        plan.set[size_t(ps)] = ifZero ? ~0u : 0u;
    }
    // Only the table byte decides, as for every other use of the code: a
    // file's odd low word does not lose the fast path.
    switch (table) {
    case rop3Table(kBlackness): plan.kind = Rop3Kind::Blackness; break;
    case rop3Table(kWhiteness): plan.kind = Rop3Kind::Whiteness; break;
    case rop3Table(kDstInvert): plan.kind = Rop3Kind::DstInvert; break;
    case rop3Table(kPatCopy): plan.kind = Rop3Kind::PatCopy; break;
    case rop3Table(kPatInvert): plan.kind = Rop3Kind::PatInvert; break;
    case rop3Table(kPatPaint): plan.kind = Rop3Kind::PatPaint; break;
    case rop3Table(kSrcCopy): plan.kind = Rop3Kind::SrcCopy; break;
    case rop3Table(kNotSrcCopy): plan.kind = Rop3Kind::NotSrcCopy; break;
    case rop3Table(kSrcPaint): plan.kind = Rop3Kind::SrcPaint; break;
    case rop3Table(kSrcAnd): plan.kind = Rop3Kind::SrcAnd; break;
    case rop3Table(kSrcInvert): plan.kind = Rop3Kind::SrcInvert; break;
    case rop3Table(kSrcErase): plan.kind = Rop3Kind::SrcErase; break;
    case rop3Table(kNotSrcErase): plan.kind = Rop3Kind::NotSrcErase; break;
    case rop3Table(kMergeCopy): plan.kind = Rop3Kind::MergeCopy; break;
    case rop3Table(kMergePaint): plan.kind = Rop3Kind::MergePaint; break;
    case rop3Table(kPatternSelect): plan.kind = Rop3Kind::PatternSelect; break;
    default: plan.kind = Rop3Kind::Generic; break;
    }
    return plan;
}

} // namespace lumeria::gdi
