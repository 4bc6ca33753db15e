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

} // namespace lumeria::gdi
