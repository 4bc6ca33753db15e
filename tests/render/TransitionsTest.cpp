#include "render/Transitions.h"

#include "platform/gdi/Canvas.h"

#include <gtest/gtest.h>

#include <vector>

namespace lumeria {
namespace {

constexpr gdi::ColorRef kOld = gdi::rgb(255, 0, 0);

// Every pixel of the new image differs from its neighbours, so a pixel
// copied from the wrong place shows.
gdi::Surface newImage(int width, int height)
{
    gdi::Surface image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, gdi::pixelFromColour(gdi::rgb(x * 5 & 0xFF, y * 7 & 0xFF, 200)));
    return image;
}

struct Screen {
    gdi::Surface screen{50, 30, kOld};
    gdi::Canvas canvas{screen.view()};
    std::vector<gdi::Rect> presented;
    int waited = 0;
    std::function<void(const gdi::Rect&)> onPresent;

    bool operator()(const gdi::Rect& area, const gdi::Surface& image, int speed, int effect)
    {
        const TransitionTarget target{canvas, area,
                                      [this](const gdi::Rect& r) {
                                          presented.push_back(r);
                                          if (onPresent)
                                              onPresent(r);
                                      },
                                      [this](int ms) { waited += ms; }};
        return runTransition(target, image, speed, effect);
    }

    bool shows(const gdi::Rect& area, const gdi::Surface& image) const
    {
        for (int y = 0; y < screen.height(); ++y) {
            for (int x = 0; x < screen.width(); ++x) {
                const bool inside = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
                const uint32_t want = inside ? image.pixel(x - area.left, y - area.top) : gdi::pixelFromColour(kOld);
                if (screen.pixel(x, y) != want)
                    return false;
            }
        }
        return true;
    }
};

TEST(Transitions, EveryEffectEndsWithTheNewPageExactlyInItsRectangle)
{
    // Odd sizes, and sizes that are multiples of the weaves' 10 pixels.
    for (const gdi::Rect area : {gdi::Rect{3, 2, 40, 25}, gdi::Rect{0, 0, 30, 20}, gdi::Rect{5, 5, 6, 29}}) {
        const gdi::Surface image = newImage(area.width(), area.height());
        for (int effect = 1; effect <= 15; ++effect) {
            for (int speed : {0, 4, 10, 200, -3}) {
                Screen run;
                ASSERT_TRUE(run(area, image, speed, effect));
                EXPECT_TRUE(run.shows(area, image)) << "effect " << effect << " speed " << speed;
            }
        }
    }
}

TEST(Transitions, NoEffectDrawsNothing)
{
    const gdi::Rect area{0, 0, 20, 10};
    for (int effect : {0, 16, -1}) {
        Screen run;
        EXPECT_FALSE(run(area, newImage(20, 10), 5, effect));
        EXPECT_TRUE(run.presented.empty());
        EXPECT_EQ(run.screen.pixel(5, 5), gdi::pixelFromColour(kOld));
    }
    Screen wrongSize;
    EXPECT_FALSE(wrongSize(area, newImage(19, 10), 5, 1));
}

TEST(Transitions, DissolveTakesEightMorePixelsOfEveryCellEachPass)
{
    const gdi::Rect area{0, 0, 16, 16};
    Screen run;
    std::vector<int> newPixels;
    run.onPresent = [&](const gdi::Rect&) {
        int count = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 8; x < 16; ++x)
                count += run.screen.pixel(x, y) != gdi::pixelFromColour(kOld);
        newPixels.push_back(count);
    };
    ASSERT_TRUE(run(area, gdi::Surface(16, 16, gdi::rgb(0, 0, 255)), 3, 1));
    EXPECT_EQ(newPixels, (std::vector<int>{8, 16, 24, 32, 40, 48, 56, 64}));
    EXPECT_EQ(run.waited, 8 * 30);
}

TEST(Transitions, WipesAtTopSpeedNumberMoveOnePixelAStep)
{
    const gdi::Rect area{0, 0, 37, 12};
    for (int speed : {10, 11, 255}) {
        Screen run;
        ASSERT_TRUE(run(area, newImage(37, 12), speed, 13)); // Wipe Right
        EXPECT_EQ(run.presented.size(), 37u);
        EXPECT_EQ(run.presented.front(), (gdi::Rect{0, 0, 1, 12}));
        EXPECT_EQ(run.waited, 37 * 11);
    }
    Screen fast;
    ASSERT_TRUE(fast(area, newImage(37, 12), 0, 14)); // Wipe Up, 11 rows a step
    EXPECT_EQ(fast.presented.size(), 2u);
    EXPECT_EQ(fast.presented.front(), (gdi::Rect{0, 1, 37, 12}));
}

TEST(Transitions, SlidesPushTheOldPageOutAndOnlyLeftAndUpEndWithAFullCopy)
{
    const gdi::Rect area{0, 0, 30, 10};
    const gdi::Surface image = newImage(30, 10);
    Screen left;
    left.screen.setPixel(20, 5, gdi::pixelFromColour(gdi::rgb(0, 0, 0)));
    bool movedByOneStep = false;
    left.onPresent = [&](const gdi::Rect&) {
        if (left.presented.size() == 1)
            movedByOneStep = left.screen.pixel(20 - 14, 5) == gdi::pixelFromColour(gdi::rgb(0, 0, 0));
    };
    ASSERT_TRUE(left(area, image, 0, 2)); // Slide Left, 14 pixels a step
    EXPECT_TRUE(movedByOneStep);
    EXPECT_EQ(left.presented.size(), 3u + 1u); // 14 + 14 + 2, then the full copy

    Screen right;
    ASSERT_TRUE(right(area, image, 0, 3));
    EXPECT_EQ(right.presented.size(), 3u);
    Screen up;
    ASSERT_TRUE(up(gdi::Rect{0, 0, 10, 30}, newImage(10, 30), 0, 4));
    EXPECT_EQ(up.presented.size(), 4u);
    EXPECT_EQ(up.waited, 3 * 3); // s + 3 for Slide Up
    Screen down;
    ASSERT_TRUE(down(gdi::Rect{0, 0, 10, 30}, newImage(10, 30), 0, 5));
    EXPECT_EQ(down.presented.size(), 3u);
}

} // namespace
} // namespace lumeria
