#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>

namespace lumeria {

// Publications computed with 6-byte reals: a 40-bit significand (39 stored
// bits and a hidden one) and an exponent range of about 2.9e-39 to 1.7e38.
// Every intermediate result is held at that precision so that comparisons and
// printed results agree with what the publication's author saw. Overflow is
// an error; a magnitude below the smallest one becomes 0.
inline std::optional<double> toReal48(double x)
{
    // Keeping 40 of a double's 53 significant bits drops the low 13 of its
    // 52 stored fraction bits. Rounding to nearest, ties to even, is done on
    // the bit pattern: add half a unit (less one when the kept part is even)
    // and clear the dropped bits. A carry out of the fraction moves into the
    // exponent, which is exactly the rounded value. Subnormal doubles lie far
    // below the smallest 6-byte real and come out as 0 either way.
    constexpr int kDropped = 52 - 39;
    constexpr uint64_t kMask = (uint64_t(1) << kDropped) - 1;
    static_assert(kDropped == 13);
    const uint64_t bits = std::bit_cast<uint64_t>(x);
    const uint64_t sign = bits & (uint64_t(1) << 63);
    uint64_t magnitude = bits & ~(uint64_t(1) << 63);
    if (magnitude >= uint64_t(0x7FF) << 52) // infinity or NaN
        return std::nullopt;
    magnitude += (kMask >> 1) + ((magnitude >> kDropped) & 1);
    magnitude &= ~kMask;
    const double rounded = std::bit_cast<double>(magnitude);
    // (1 - 2^-40) * 2^127 and 2^-128.
    constexpr double kMax = 0x1.fffffffffep+126;
    constexpr double kMin = 0x1p-128;
    if (rounded > kMax) // also a carry into the infinite exponent
        return std::nullopt;
    if (rounded < kMin)
        return 0.0;
    return std::bit_cast<double>(magnitude | sign);
}

} // namespace lumeria
