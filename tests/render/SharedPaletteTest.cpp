#include "render/SharedPalette.h"

#include <gtest/gtest.h>

namespace lumeria {
namespace {

Palette grey(uint8_t v, uint8_t flags = 0)
{
    Palette p{};
    for (PaletteEntry& e : p)
        e = {v, v, v, flags};
    return p;
}

TEST(SharedPalette, DisplayDepthDecidesCountAndStartingTable)
{
    SharedPalette trueColour(32);
    EXPECT_EQ(trueColour.displayColourCount(), 16777216);
    EXPECT_EQ(trueColour.read()[249], (PaletteEntry{255, 0, 0, kNoCollapse}));

    SharedPalette vga(4);
    EXPECT_EQ(vga.displayColourCount(), 16);
    EXPECT_EQ(vga.read()[1], (PaletteEntry{0, 0, 191, kNoCollapse}));
    EXPECT_EQ(vga.read()[200], (PaletteEntry{0, 0, 0, kNoCollapse}));
    EXPECT_EQ(SharedPalette(8).displayColourCount(), 256);
}

TEST(SharedPalette, ColourModeChoosesWhatALoadTakes)
{
    SharedPalette shared(8);
    shared.load(grey(7), 256);
    EXPECT_EQ(shared.read()[100], (PaletteEntry{7, 7, 7, kNoCollapse}));
    EXPECT_EQ(shared.colourMode(), 256);
    // A publication of 16 colours shows every page with the fixed table.
    shared.load(grey(7), 16);
    EXPECT_EQ(shared.read(), SharedPalette(4).read());
    // Neither 16 nor 256: the default table.
    shared.load(grey(7), 65536);
    EXPECT_EQ(shared.read(), SharedPalette(32).read());
}

TEST(SharedPalette, FlagsDoNotMakeADifference)
{
    SharedPalette shared(8);
    EXPECT_TRUE(loadPagePalette(shared, grey(9), 256));
    EXPECT_FALSE(shared.realize());
    // Same colours, other flags: not reloaded.
    EXPECT_FALSE(loadPagePalette(shared, grey(9, 1), 256));
    EXPECT_TRUE(loadPagePalette(shared, grey(10), 256));
    EXPECT_TRUE(SharedPalette::samePalette(grey(3, 0), grey(3, kNoCollapse)));
}

TEST(SharedPalette, CopiesNeedASource)
{
    SharedPalette shared(8);
    EXPECT_FALSE(shared.copy(nullptr));
    const Palette source = grey(4);
    EXPECT_EQ(shared.copy(&source)->at(0), (PaletteEntry{4, 4, 4, kNoCollapse}));
}

} // namespace
} // namespace lumeria
