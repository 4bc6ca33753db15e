#pragma once

#include <cmath>
#include <optional>

namespace lumeria {

// Publications computed with 6-byte reals: a 40-bit significand (39 stored
// bits and a hidden one) and an exponent range of about 2.9e-39 to 1.7e38.
// Every intermediate result is held at that precision so that comparisons and
// printed results agree with what the publication's author saw. Overflow is
// an error; a magnitude below the smallest one becomes 0.
inline std::optional<double> toReal48(double x)
{
    if (!std::isfinite(x))
        return std::nullopt;
    if (x == 0.0)
        return 0.0;
    int exponent = 0;
    const double mantissa = std::frexp(std::fabs(x), &exponent); // in [0.5, 1)
    const double rounded = std::ldexp(std::nearbyint(std::ldexp(mantissa, 40)), exponent - 40);
    static const double kMax = std::ldexp(1.0 - std::ldexp(1.0, -40), 127);
    static const double kMin = std::ldexp(0.5, -127);
    if (rounded > kMax)
        return std::nullopt;
    if (rounded < kMin)
        return 0.0;
    return x < 0 ? -rounded : rounded;
}

} // namespace lumeria
