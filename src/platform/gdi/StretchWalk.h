#pragma once

#include <vector>

namespace lumeria::gdi {

// The source pixels that fall on one destination pixel along one axis: the
// run from first to last, in the order the stretch walks them.
struct AxisCell {
    int dst = 0;
    int first = 0;
    int last = 0;
};

// One axis of a stretch as GDI walks it: each destination pixel takes the
// source pixel under its centre, and when shrinking the run of source
// pixels that land on it. Only cells inside both visible ranges are kept;
// they come out contiguous. The walk costs the longer of the two lengths.
std::vector<AxisCell> walkAxis(int dstStart, int dstLength, int dstVisStart, int dstVisEnd, int srcStart, int srcLength,
                               int srcVisStart, int srcVisEnd);

} // namespace lumeria::gdi
