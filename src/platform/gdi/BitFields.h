#pragma once

#include <bit>
#include <cstdint>

namespace lumeria::gdi {

// One colour channel of a bit-field pixel (BI_BITFIELDS, and the fixed 5-5-5
// layout of 16-bit BI_RGB) widened to 8 bits as GDI widens it. The field's
// n bits go to the top of the byte and are repeated once below them:
// v << (8 - n) | v >> (2n - 8), so 5-bit 3 is 24 (not the rounded 25) and
// 5-bit 31 is 255; a field wider than 8 bits keeps its top 8 bits, 10-bit
// 512 being 128. Not a rounding to the nearest level: every blit from a
// bit-field source and every bit-field picture reads its colours this way,
// and Windows' pixels are what publications were made to look like. Fields
// of fewer than 4 bits, which no real bitmap has, repeat until the byte is
// full, so that their largest value is white as every other width's is.
constexpr uint8_t widenField(uint32_t pixel, uint32_t mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    // A mask with holes counts from its lowest to its highest bit; nobody
    // writes one, and this keeps the value in range.
    const int bits = 32 - std::countl_zero(mask) - shift;
    const uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8)
        return uint8_t(v >> (bits - 8));
    uint32_t widened = 0;
    for (int at = 8 - bits; at > -bits; at -= bits)
        widened |= at >= 0 ? v << at : v >> -at;
    return uint8_t(widened);
}

} // namespace lumeria::gdi
