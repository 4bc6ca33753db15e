#include "text/HyperLink.h"

namespace lumeria::text {

const HyperLink_Rec* linkAt(const HyperLinkList& links, int x, int y)
{
    for (const HyperLink_Rec& link : links) {
        if (link.region.contains(x, y))
            return &link;
    }
    return nullptr;
}

} // namespace lumeria::text
