#include "platform/gdi/BitFields.h"

#include <gtest/gtest.h>

namespace lumeria::gdi {
namespace {

TEST(BitFieldWidening, FieldRepeatsBelowItselfNotRounded)
{
    // 5 bits: v << 3 | v >> 2. Rounding to the nearest level would give 25
    // for 3 and 197 for 24; 6-bit 12 would be 49 instead of 48.
    EXPECT_EQ(widenField(3, 0x1F), 24);
    EXPECT_EQ(widenField(24, 0x1F), 198);
    EXPECT_EQ(widenField(31, 0x1F), 255);
    EXPECT_EQ(widenField(0, 0x1F), 0);
    // The field's place in the pixel does not matter: green of 5-6-5, red of 5-5-5.
    EXPECT_EQ(widenField(12u << 5, 0x07E0), 48);
    EXPECT_EQ(widenField(3u << 10 | 0x3FF, 0x7C00), 24);
    // 4 bits repeat exactly: 0xA is 0xAA.
    EXPECT_EQ(widenField(0xA0, 0xF0), 0xAA);
}

TEST(BitFieldWidening, WideFieldsKeepTheirTopEightBits)
{
    EXPECT_EQ(widenField(512u << 20, 0x3FF00000), 128);
    EXPECT_EQ(widenField(1023u << 20, 0x3FF00000), 255);
    EXPECT_EQ(widenField(0x1FF, 0x3FF), 127);
    EXPECT_EQ(widenField(0xAB, 0xFF), 0xAB);
    EXPECT_EQ(widenField(0x80000000u, 0xFFFFFFFFu), 128);
}

TEST(BitFieldWidening, NarrowFieldsFillTheByteAndAnEmptyMaskIsZero)
{
    EXPECT_EQ(widenField(1u << 31, 0x80000000u), 255);
    EXPECT_EQ(widenField(1, 0x3), 0x55);
    EXPECT_EQ(widenField(5, 0x7), 0xB6);
    EXPECT_EQ(widenField(0xFFFFFFFF, 0), 0);
}

} // namespace
} // namespace lumeria::gdi
