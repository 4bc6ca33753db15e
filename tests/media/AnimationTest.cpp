// FLIC and cartoon files played on the page through the media list: where
// they show, how long, how often, and what stops them.
#include "FlicWriter.h"
#include "GifWriter.h"
#include "MediaTestSupport.h"

#include <gtest/gtest.h>

using namespace lumeria;
using namespace lumeria::media;
using namespace lumeria::media::test;

namespace {

constexpr MediaPlacement kCentred{-1, -1, -1, -1};

// A FLIC of `frames` frames of 40 × 30: a palette, then each frame painted
// whole in colour index 1, 2, 3, ...
QByteArray solidFlic(FlicKind kind, int frames, uint32_t speed)
{
    constexpr int w = 40;
    constexpr int h = 30;
    FlicWriter writer(kind, w, h, speed);
    Bytes palette;
    palette.u16(1).u8(0).u8(0); // one packet of 256 colours
    for (int i = 0; i < 256; ++i)
        palette.u8(i).u8(255 - i).u8(i / 2);
    for (int f = 0; f < frames; ++f) {
        const std::vector<uint8_t> pixels(size_t(w * h), uint8_t(f + 1));
        if (f == 0)
            writer.addFrame(frame({chunk(kColor256, palette), chunk(kByteRun, encodeByteRun(pixels, w, h))}));
        else
            writer.addFrame(frame({chunk(kByteRun, encodeByteRun(pixels, w, h))}));
    }
    return writer.build().toQByteArray();
}

// Two 4 × 4 frames: the left half transparent, the right half red, then blue.
QByteArray twoFrameGif(int delayMs)
{
    const std::vector<QRgb> palette{qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};
    std::vector<uint8_t> first(16), second(16);
    for (int i = 0; i < 16; ++i) {
        first[size_t(i)] = i % 4 < 2 ? 0 : 1;
        second[size_t(i)] = i % 4 < 2 ? 0 : 2;
    }
    return gifBytes(4, 4, palette, 0, {{first, delayMs}, {second, delayMs}});
}

} // namespace

TEST(Animation, FlicShowsCentredAtItsRateAndLeavesThePageAsItWas)
{
    ManagerFixture f;
    f.write(QStringLiteral("SPIN.FLC"), solidFlic(FlicKind::Flc, 4, 50));
    f.scroll = QPoint(0, 10);
    const int64_t took =
        timed([&] { f.manager().playFlicFile(QStringLiteral("spin.flc"), MediaMode::Wait, kCentred, 0); });
    EXPECT_GE(took, 190);
    EXPECT_LT(took, 2000);
    ASSERT_EQ(f.sinks.size(), 1u);
    const SinkRecord& sink = *f.sinks[0];
    // Centred on the page, less the scroll position.
    const QRect expected(10 + 160 - 20, 20 + 120 - 15 - 10, 40, 30);
    EXPECT_EQ(sink.rectangle, expected);
    EXPECT_GE(sink.presented, 3);
    EXPECT_EQ(sink.last.size(), QSize(40, 30));
    EXPECT_EQ(sink.last.pixel(5, 5), qRgb(4, 251, 2));
    EXPECT_TRUE(sink.destroyed);
    ASSERT_FALSE(f.invalidated.empty());
    EXPECT_EQ(f.invalidated.back(), expected);
    EXPECT_TRUE(f.playing().isEmpty());
}

TEST(Animation, FliDelayIsSpeedTimesFifteenAndRepeatCountsPasses)
{
    ManagerFixture f;
    // Speed 4: 60 ms a frame, 3 frames, played twice.
    f.write(QStringLiteral("OLD.FLI"), solidFlic(FlicKind::Fli, 3, 4));
    const int64_t took = timed([&] {
        f.manager().playFlicFile(QStringLiteral("OLD.FLI"), MediaMode::Wait, MediaPlacement{5, 6, -1, -1}, 2);
    });
    EXPECT_GE(took, 2 * 180 - 20);
    EXPECT_LT(took, 2000);
    ASSERT_EQ(f.sinks.size(), 1u);
    EXPECT_EQ(f.sinks[0]->rectangle, QRect(15, 26, 40, 30));
}

TEST(Animation, LoopedAnimationsStopAsVisualsAndBySoundNever)
{
    ManagerFixture f;
    f.write(QStringLiteral("LOOP.FLC"), solidFlic(FlicKind::Flc, 2, 30));
    f.write(QStringLiteral("TOON.GIF"), twoFrameGif(40));
    f.manager().playFlicFile(QStringLiteral("LOOP.FLC"), MediaMode::Loop, kCentred, 0);
    f.manager().playCartoonFile(QStringLiteral("TOON.GIF"), MediaMode::Loop, MediaPlacement{0, 0, 40, 40}, 0, 0);
    spinFor(300);
    EXPECT_EQ(f.playing(), QStringList({QStringLiteral("TOON.GIF"), QStringLiteral("LOOP.FLC")}));
    f.manager().stopMedia(StopTarget::Sound, {});
    EXPECT_EQ(f.playing().size(), 2);
    f.manager().stopMedia(StopTarget::File, QStringLiteral("toon.gif"));
    EXPECT_EQ(f.playing(), QStringList({QStringLiteral("LOOP.FLC")}));
    f.manager().stopMedia(StopTarget::Video, {});
    EXPECT_TRUE(f.playing().isEmpty());
    for (const auto& sink : f.sinks)
        EXPECT_TRUE(sink->destroyed);
}

TEST(Animation, CartoonKeepsItsTransparencyAndTakesTheGivenDelay)
{
    ManagerFixture f;
    f.write(QStringLiteral("TOON.GIF"), twoFrameGif(500));
    // The 7th argument overrides the file's half second: 2 × 120 ms.
    const int64_t took = timed([&] {
        f.manager().playCartoonFile(QStringLiteral("TOON.GIF"), MediaMode::Wait, MediaPlacement{0, 0, 8, 8}, 0, 120);
    });
    EXPECT_GE(took, 220);
    EXPECT_LT(took, 900);
    ASSERT_EQ(f.sinks.size(), 1u);
    const SinkRecord& sink = *f.sinks[0];
    // Stretched to the asked rectangle; the surface scales the picture.
    EXPECT_EQ(sink.rectangle, QRect(10, 20, 8, 8));
    EXPECT_EQ(sink.presented, 2);
    ASSERT_EQ(sink.last.size(), QSize(4, 4));
    EXPECT_EQ(qAlpha(sink.last.pixel(0, 0)), 0);
    EXPECT_EQ(sink.last.pixel(3, 0), qRgb(0, 0, 255));
}

TEST(Animation, MissingAndDamagedAnimationsSayWhy)
{
    ManagerFixture f;
    f.write(QStringLiteral("BAD.FLC"), QByteArray(200, '\x11'));
    f.write(QStringLiteral("BAD.GIF"), QByteArray("GIF89a\x04\x00", 8));
    f.manager().playFlicFile(QStringLiteral("NONE.FLC"), MediaMode::Start, kCentred, 0);
    f.manager().playFlicFile(QStringLiteral("BAD.FLC"), MediaMode::Wait, kCentred, 0);
    f.manager().playCartoonFile(QStringLiteral("BAD.GIF"), MediaMode::Loop, kCentred, 0, 0);
    EXPECT_EQ(f.boxes, QStringList({QStringLiteral("Erreur|NONE.FLC\r\rFichier introuvable|OK"),
                                    QStringLiteral("Erreur|BAD.FLC\r\rErreur media|OK"),
                                    QStringLiteral("Erreur|BAD.GIF\r\rErreur media|OK")}));
    EXPECT_TRUE(f.playing().isEmpty());
    EXPECT_TRUE(f.sinks.empty());
}

// An animation is an item like any other, its device in the shared table,
// but command strings never knew animations: "close all" and "stop all"
// leave it playing, as they always did.
TEST(Animation, CommandStringsDoNotReachAnimations)
{
    ManagerFixture f;
    f.write(QStringLiteral("LOOP.FLC"), solidFlic(FlicKind::Flc, 2, 30));
    f.writeTone(QStringLiteral("LOOP.WAV"), 100);
    f.manager().playFlicFile(QStringLiteral("LOOP.FLC"), MediaMode::Loop, kCentred, 0);
    f.manager().playSoundFile(QStringLiteral("LOOP.WAV"), MediaMode::Loop);
    ASSERT_EQ(f.sinks.size(), 1u);
    const QRect shown = f.sinks.front()->rectangle;
    EXPECT_EQ(f.mci(QStringLiteral("stop all")), 0);
    EXPECT_EQ(f.mci(QStringLiteral("close all")), 0);
    EXPECT_EQ(f.playing(), QStringList({QStringLiteral("LOOP.FLC")}));
    spinFor(200);
    EXPECT_EQ(f.playing(), QStringList({QStringLiteral("LOOP.FLC")})) << "it loops on";
    EXPECT_GT(f.sinks.front()->presented, 3);
    EXPECT_FALSE(f.sinks.front()->destroyed);

    // Stopped, its surface goes and the page is painted again there, once.
    f.invalidated.clear();
    f.manager().stopMedia(StopTarget::Video, {});
    EXPECT_TRUE(f.sinks.front()->destroyed);
    EXPECT_EQ(f.invalidated, std::vector<QRect>{shown});
}
