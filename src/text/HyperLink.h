#pragma once

#include "platform/gdi/Region.h"

#include <QString>

#include <optional>
#include <vector>

namespace lumeria::text {

// One link painted: the pixels its shown text covers, relative to the
// top-left of the text rectangle it was painted in, and its target.
struct HyperLink_Rec {
    gdi::Region region;
    QString target;
};

// Front first: the painter puts each new link at the front, so the list runs
// from the last link painted to the first, and a hit test takes the first
// region that contains the point.
using HyperLinkList = std::vector<HyperLink_Rec>;

const HyperLink_Rec* linkAt(const HyperLinkList& links, int x, int y);

} // namespace lumeria::text
