// Videos through command strings: where they show on the page, moving and
// hiding them, and positions counted in frames.
#include "Encoder.h"
#include "MediaTestSupport.h"

#include "media/MciErrors.h"

#include <gtest/gtest.h>

using namespace lumeria;
using namespace lumeria::media;
using namespace lumeria::media::test;

TEST(MciVideo, OpenedVideoShowsCentredAndMovesWithPut)
{
    REQUIRE_FFMPEG();
    ManagerFixture f;
    ASSERT_TRUE(encode(QStringLiteral("-f lavfi -i color=yellow:s=80x60:r=10:d=1 -c:v msvideo1"),
                       f.path(QStringLiteral("CLIP.AVI"))));
    EXPECT_EQ(f.mci(QStringLiteral("open clip.avi alias v")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("capability v has video")), QStringLiteral("true"));
    EXPECT_EQ(f.reply(QStringLiteral("status v time format")), QStringLiteral("frames"));
    EXPECT_EQ(f.reply(QStringLiteral("status v length")), QStringLiteral("10"));
    ASSERT_EQ(f.sinks.size(), 1u);
    // The page is 320 × 240 at (10, 20): the video's middle is the page's.
    EXPECT_EQ(f.sinks[0]->rectangle, QRect(10 + 120, 20 + 90, 80, 60));
    EXPECT_EQ(f.reply(QStringLiteral("where v destination")), QStringLiteral("120 90 80 60"));
    EXPECT_EQ(f.reply(QStringLiteral("where v source")), QStringLiteral("0 0 80 60"));

    EXPECT_EQ(f.mci(QStringLiteral("put v destination at 5 6 160 120")), 0);
    EXPECT_EQ(f.sinks[0]->rectangle, QRect(15, 26, 160, 120));
    EXPECT_EQ(f.reply(QStringLiteral("where v destination")), QStringLiteral("5 6 160 120"));
    // Where it was is painted again.
    ASSERT_FALSE(f.invalidated.empty());
    EXPECT_EQ(f.invalidated.back(), QRect(130, 110, 80, 60));
    EXPECT_EQ(f.mci(QStringLiteral("put v destination at 5 six 160 120")), mci::kBadInteger);

    EXPECT_EQ(f.mci(QStringLiteral("play v from 2 to 7 wait")), 0);
    EXPECT_GE(f.sinks[0]->presented, 1);
    EXPECT_EQ(qRed(f.sinks[0]->last.pixel(10, 10)), 255);
    EXPECT_EQ(f.reply(QStringLiteral("status v position")), QStringLiteral("7"));
    EXPECT_EQ(f.mci(QStringLiteral("window v state hide")), 0);
    EXPECT_FALSE(f.sinks[0]->visible);
    EXPECT_EQ(f.mci(QStringLiteral("window v state show")), 0);
    EXPECT_TRUE(f.sinks[0]->visible);

    EXPECT_EQ(f.mci(QStringLiteral("close v")), 0);
    EXPECT_TRUE(f.sinks[0]->destroyed);
    EXPECT_EQ(f.invalidated.back(), QRect(15, 26, 160, 120));
}

TEST(MciVideo, SoundsHaveNoPlaceOnThePage)
{
    ManagerFixture f;
    f.writeTone(QStringLiteral("A.WAV"), 100);
    EXPECT_EQ(f.mci(QStringLiteral("open a.wav alias s")), 0);
    EXPECT_EQ(f.mci(QStringLiteral("where s destination")), mci::kUnsupportedFunction);
    EXPECT_EQ(f.mci(QStringLiteral("put s destination at 0 0 10 10")), mci::kUnsupportedFunction);
    EXPECT_EQ(f.mci(QStringLiteral("set s time format frames")), mci::kBadTimeFormat);
    EXPECT_TRUE(f.sinks.empty());
}
