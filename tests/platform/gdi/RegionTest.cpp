#include "platform/gdi/Region.h"

#include <gtest/gtest.h>

namespace lumeria::gdi {
namespace {

bool disjoint(const Region& r)
{
    const auto& rects = r.rects();
    for (size_t i = 0; i < rects.size(); ++i) {
        for (size_t j = i + 1; j < rects.size(); ++j) {
            if (!rects[i].intersected(rects[j]).isEmpty())
                return false;
        }
    }
    return true;
}

TEST(RectGeometry, RightAndBottomAreExclusive)
{
    const Rect r{2, 3, 5, 7};
    EXPECT_EQ(r.width(), 3);
    EXPECT_EQ(r.height(), 4);
    EXPECT_TRUE(r.contains(2, 3));
    EXPECT_TRUE(r.contains(4, 6));
    EXPECT_FALSE(r.contains(5, 6));
    EXPECT_FALSE(r.contains(4, 7));
    EXPECT_TRUE(Rect({4, 4, 4, 9}).isEmpty());
}

TEST(RectGeometry, QRectConversionKeepsTheSamePixels)
{
    const Rect r{1, 2, 11, 22};
    const QRect q = toQRect(r);
    EXPECT_EQ(q.right(), 10);
    EXPECT_EQ(q.bottom(), 21);
    EXPECT_EQ(rectFromQRect(q), r);
}

TEST(RegionOps, SubtractingAHoleLeavesAFrameOfDisjointRects)
{
    const Region frame = Region({0, 0, 10, 10}).subtracted(Rect{3, 3, 7, 7});
    EXPECT_TRUE(disjoint(frame));
    EXPECT_EQ(frame.area(), 100 - 16);
    EXPECT_FALSE(frame.contains(3, 3));
    EXPECT_FALSE(frame.contains(6, 6));
    EXPECT_TRUE(frame.contains(7, 7));
    EXPECT_TRUE(frame.contains(0, 9));
    EXPECT_EQ(frame.boundingRect(), Rect({0, 0, 10, 10}));
}

TEST(RegionOps, UnionOfOverlappingRectsCountsSharedPixelsOnce)
{
    const Region u = Region({0, 0, 4, 4}).united(Rect{2, 2, 6, 6});
    EXPECT_TRUE(disjoint(u));
    EXPECT_EQ(u.area(), 16 + 16 - 4);
    EXPECT_EQ(u.boundingRect(), Rect({0, 0, 6, 6}));
    EXPECT_FALSE(u.contains(5, 0));
}

TEST(RegionOps, IntersectionKeepsOnlyCommonPixels)
{
    const Region a = Region({0, 0, 4, 4}).united(Rect{6, 0, 10, 4});
    const Region i = a.intersected(Region({2, 1, 8, 3}));
    EXPECT_EQ(i.area(), 2 * 2 + 2 * 2);
    EXPECT_TRUE(i.contains(3, 1));
    EXPECT_FALSE(i.contains(4, 1));
    EXPECT_TRUE(i.contains(6, 2));
    EXPECT_TRUE(a.intersected(Rect{4, 0, 6, 4}).isEmpty());
}

TEST(RegionOps, SubtractingEverythingLeavesAnEmptyRegion)
{
    const Region r = Region({0, 0, 5, 5}).subtracted(Region({-1, -1, 6, 6}));
    EXPECT_TRUE(r.isEmpty());
    EXPECT_TRUE(r.boundingRect().isEmpty());
    EXPECT_TRUE(Region(Rect{3, 3, 3, 3}).isEmpty());
}

} // namespace
} // namespace lumeria::gdi
