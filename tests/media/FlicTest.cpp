// FLI and FLC files written byte by byte: what each chunk does to the canvas
// and the palette, how frames follow each other, and what damage does.
#include "FlicWriter.h"

#include "media/FlicDecoder.h"
#include "media/FlicSource.h"
#include "media/MciErrors.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdio>
#include <list>
#include <numeric>

namespace lumeria::media {
namespace {

using test::Bytes;
using test::chunk;
using test::FlicKind;
using test::FlicWriter;
using test::frame;
using Pixels = std::vector<uint8_t>;

FlicDecoder openOk(const Bytes& file)
{
    // The decoder reads its file in place, and tests pass files built on the
    // spot: each is kept for as long as the tests run.
    static std::list<Bytes> kept;
    kept.push_back(file);
    Result<FlicDecoder> decoder = FlicDecoder::open(kept.back().data());
    EXPECT_TRUE(decoder.ok()) << decoder.error();
    return std::move(decoder).value();
}

Pixels pixelsOf(const FlicDecoder& decoder)
{
    return Pixels(decoder.pixels().begin(), decoder.pixels().end());
}

// Decodes one more frame, which must be there.
void step(FlicDecoder& decoder)
{
    const Result<bool> more = decoder.next();
    ASSERT_TRUE(more.ok()) << more.error();
    ASSERT_TRUE(more.value());
}

Bytes copyOf(const Pixels& pixels)
{
    return chunk(test::kFliCopy, Bytes().append(pixels));
}

// Every chunk type an FLC carries, on an odd width so the last-byte opcode
// matters, with a prefix chunk and padding before the first frame and a
// ring frame after the last.
Bytes richFlc()
{
    constexpr int w = 7, h = 5;
    Pixels picture(w * h);
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = uint8_t(i / 3);
    FlicWriter writer(FlicKind::Flc, w, h, 40);
    writer.setGapBeforeFirstFrame(12);
    writer.addRaw(chunk(test::kPrefixType, Bytes{0, 0, 0, 0}));
    writer.addFrame(frame({chunk(test::kColor256, Bytes().u16(1).u8(0).u8(2).u8(1).u8(2).u8(3).u8(4).u8(5).u8(6)),
                           chunk(test::kByteRun, test::encodeByteRun(picture, w, h)),
                           chunk(test::kPostageStamp, Bytes{1, 2, 3, 4, 5})}));
    // Skip a line, last byte 0x33, copy a word, replicate one twice; then
    // replicate one word once at column 3.
    const Bytes delta = Bytes().u16(2).u16(0xFFFF).u16(0x8033).u16(2).append(Bytes{0, 1, 9, 9, 1, 0xFE, 0xB, 0xA});
    writer.addFrame(frame({chunk(test::kDeltaFlc, Bytes(delta).u16(1).append(Bytes{3, 0xFF, 2, 1}))}));
    writer.addFrame(
        frame({chunk(test::kColor64, Bytes().u16(1).u8(3).u8(1).u8(63).u8(0).u8(31)), chunk(test::kBlack, Bytes())}));
    writer.addFrame(frame({copyOf(picture), chunk(99, Bytes{7, 7, 7})}));
    writer.addFrame(frame({}));
    writer.addRaw(frame({chunk(test::kBlack, Bytes())})); // ring frame, not counted
    return writer.build();
}

Bytes richFli()
{
    constexpr int w = 8, h = 6;
    Pixels picture(w * h);
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = uint8_t((i * 7) % 5);
    FlicWriter writer(FlicKind::Fli, w, h, 4);
    writer.addFrame(frame({chunk(test::kColor64, Bytes().u16(1).u8(0).u8(2).u8(10).u8(20).u8(30).u8(40).u8(50).u8(60)),
                           chunk(test::kByteRun, test::encodeByteRun(picture, w, h))}));
    writer.addFrame(frame(
        {chunk(test::kDeltaFli,
               Bytes().u16(2).u16(2).u8(2).u8(1).s8(2).u8(9).u8(8).u8(1).s8(-3).u8(4).u8(1).u8(6).s8(-5).u8(3))}));
    writer.addFrame(frame({chunk(test::kBlack, Bytes()), chunk(test::kPostageStamp, Bytes{0, 1})}));
    writer.addFrame(frame({copyOf(picture), chunk(0x1234, Bytes{1})}));
    return writer.build();
}

// The canvases of every frame that decodes, and whether decoding ended
// cleanly at the last frame rather than failing.
struct Pass {
    std::vector<Pixels> frames;
    bool clean = false;
};

Pass decodeAll(FlicDecoder& decoder)
{
    Pass pass;
    for (int guard = 0; guard < 100000; ++guard) {
        const Result<bool> more = decoder.next();
        if (!more.ok())
            return pass;
        if (!more.value()) {
            pass.clean = true;
            return pass;
        }
        pass.frames.push_back(pixelsOf(decoder));
    }
    ADD_FAILURE() << "decoding did not end";
    return pass;
}

TEST(FlicHeader, DelayIsFifteenMsPerFliUnitAndMsForFlc)
{
    const Bytes fli = FlicWriter(FlicKind::Fli, 4, 2, 5).addFrame(frame({})).addFrame(frame({})).build();
    FlicDecoder a = openOk(fli);
    EXPECT_EQ(a.kind(), FlicDecoder::Kind::Fli);
    EXPECT_EQ(a.frameDelayMs(), 75);
    EXPECT_EQ(a.frameCount(), 2);
    EXPECT_EQ(FlicSource::lengthMs(fli.data()), 150);

    const Bytes flc = FlicWriter(FlicKind::Flc, 320, 200, 67).addFrame(frame({})).build();
    FlicDecoder b = openOk(flc);
    EXPECT_EQ(b.kind(), FlicDecoder::Kind::Flc);
    EXPECT_EQ(b.frameDelayMs(), 67);
    EXPECT_EQ(b.width(), 320);
    EXPECT_EQ(b.height(), 200);
    EXPECT_EQ(FlicSource::lengthMs(flc.data()), 67);
}

TEST(FlicHeader, OtherBytesAreAnInvalidFile)
{
    const Bytes good = FlicWriter(FlicKind::Flc, 4, 2, 10).addFrame(frame({})).build();
    auto patched = [&](size_t at, int value) {
        Bytes out = good;
        out.patchU16(at, value);
        return out;
    };
    const std::vector<Bytes> bad = {
        Bytes().fill(0, 127), patched(4, 0xAF13), // not a FLIC magic
        patched(12, 16),                          // high-colour depth
        patched(6, 0),                            // no frames
        patched(8, 0),                            // no width
        patched(10, 5000),                        // taller than any screen
        patched(82, 0x7FFF),                      // first frame far past the end
    };
    for (const Bytes& file : bad) {
        const Result<FlicDecoder> decoder = FlicDecoder::open(file.data());
        EXPECT_EQ(decoder.error(), mci::kInvalidFile);
        EXPECT_EQ(FlicSource::lengthMs(file.data()), 0);
    }
    EXPECT_EQ(openFlic(QByteArray("RIFF....AVI LIST")).error(), mci::kInvalidFile);
    EXPECT_TRUE(openFlic(good.toQByteArray()).ok());
}

TEST(FlicPalette, Color256SkipsEntriesAndCountZeroMeansAll)
{
    Bytes all;
    all.u16(1).u8(0).u8(0);
    for (int i = 0; i < 256; ++i)
        all.u8(i).u8(255 - i).u8(i / 2);
    const Bytes file =
        FlicWriter(FlicKind::Flc, 2, 1, 1)
            .addFrame(frame({chunk(test::kColor256,
                                   Bytes().u16(2).append(Bytes{1, 2, 10, 20, 30, 40, 50, 60, 3, 1, 255, 0, 128}))}))
            .addFrame(frame({chunk(test::kColor256, all)}))
            .build();
    FlicDecoder decoder = openOk(file);
    step(decoder);
    const auto& p = decoder.palette();
    EXPECT_EQ(p[0], qRgb(0, 0, 0));
    EXPECT_EQ(p[1], qRgb(10, 20, 30));
    EXPECT_EQ(p[2], qRgb(40, 50, 60));
    EXPECT_EQ(p[3], qRgb(0, 0, 0));
    EXPECT_EQ(p[5], qRgb(0, 0, 0));
    EXPECT_EQ(p[6], qRgb(255, 0, 128));
    EXPECT_EQ(p[7], qRgb(0, 0, 0));
    step(decoder);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(decoder.palette()[size_t(i)], qRgb(i, 255 - i, i / 2)) << i;
}

TEST(FlicPalette, Color64ScalesSixBitsToEight)
{
    Bytes all;
    all.u16(1).u8(0).u8(0);
    for (int i = 0; i < 256; ++i)
        all.u8(i % 64).u8(63).u8(0);
    const Bytes file =
        FlicWriter(FlicKind::Fli, 2, 1, 1)
            .addFrame(
                frame({chunk(test::kColor64, Bytes().u16(1).u8(2).u8(2).u8(63).u8(32).u8(0).u8(1).u8(31).u8(62))}))
            .addFrame(frame({chunk(test::kColor64, all)}))
            .build();
    FlicDecoder decoder = openOk(file);
    step(decoder);
    EXPECT_EQ(decoder.palette()[1], qRgb(0, 0, 0));
    EXPECT_EQ(decoder.palette()[2], qRgb(255, 130, 0));
    EXPECT_EQ(decoder.palette()[3], qRgb(4, 125, 251));
    step(decoder);
    EXPECT_EQ(decoder.palette()[255], qRgb(255, 255, 0));
    EXPECT_EQ(decoder.palette()[64], qRgb(0, 255, 0));
}

TEST(FlicPicture, ByteRunReplicatesCopiesAndClipsAtTheWidth)
{
    const Bytes file =
        FlicWriter(FlicKind::Fli, 6, 2, 1)
            .addFrame(frame({chunk(test::kByteRun, Bytes{0, 3, 7, 0xFD, 1, 2, 3, /*line 2*/ 0, 0xFE, 9, 8, 10, 5})}))
            .build();
    FlicDecoder decoder = openOk(file);
    step(decoder);
    EXPECT_EQ(pixelsOf(decoder), (Pixels{7, 7, 7, 1, 2, 3, 9, 8, 5, 5, 5, 5}));
}

TEST(FlicPicture, CopyAndBlackReplaceTheCanvasButKeepThePalette)
{
    Pixels picture(12);
    std::iota(picture.begin(), picture.end(), 1);
    const Bytes file = FlicWriter(FlicKind::Fli, 4, 3, 1)
                           .addFrame(frame({chunk(test::kColor256, Bytes{1, 0, 5, 1, 1, 2, 3}), copyOf(picture)}))
                           .addFrame(frame({chunk(test::kBlack, Bytes())}))
                           .build();
    FlicDecoder decoder = openOk(file);
    step(decoder);
    EXPECT_EQ(pixelsOf(decoder), picture);
    step(decoder);
    EXPECT_EQ(pixelsOf(decoder), Pixels(12, 0));
    EXPECT_EQ(decoder.palette()[5], qRgb(1, 2, 3));
}

TEST(FlicPicture, DeltaFliChangesABandOfLines)
{
    const Bytes file =
        FlicWriter(FlicKind::Fli, 6, 4, 1)
            .addFrame(frame({copyOf(Pixels(24, 1))}))
            .addFrame(frame({chunk(
                test::kDeltaFli,
                Bytes().u16(1).u16(2).u8(2).u8(1).s8(2).u8(5).u8(6).u8(1).s8(-2).u8(9).u8(1).u8(4).s8(-5).u8(3))}))
            .build();
    FlicDecoder decoder = openOk(file);
    step(decoder);
    step(decoder);
    EXPECT_EQ(pixelsOf(decoder), (Pixels{1, 1, 1, 1, 1, 1, //
                                         1, 5, 6, 1, 9, 9, //
                                         1, 1, 1, 1, 3, 3, //
                                         1, 1, 1, 1, 1, 1}));
}

TEST(FlicPicture, DeltaFlcSkipsLinesReplicatesWordsAndSetsTheLastByte)
{
    // Skip a line, last byte 0x42, copy one word and replicate one; skip a
    // line, replicate a word three times from column 1, past the edge.
    const Bytes delta = Bytes()
                            .u16(2)
                            .u16(0xFFFF)
                            .u16(0x8042)
                            .u16(2)
                            .append(Bytes{0, 1, 2, 3, 0, 0xFF, 4, 5})
                            .u16(0xFFFF)
                            .u16(1)
                            .append(Bytes{1, 0xFD, 7, 8});
    const Bytes file = FlicWriter(FlicKind::Flc, 5, 4, 1)
                           .addFrame(frame({copyOf(Pixels(20, 1))}))
                           .addFrame(frame({chunk(test::kDeltaFlc, delta)}))
                           .build();
    FlicDecoder decoder = openOk(file);
    step(decoder);
    step(decoder);
    EXPECT_EQ(pixelsOf(decoder), (Pixels{1, 1, 1, 1, 1,    //
                                         2, 3, 4, 5, 0x42, //
                                         1, 1, 1, 1, 1,    //
                                         1, 7, 8, 7, 8}));
}

TEST(FlicPicture, ThumbnailsAndUnknownChunksArePassedOver)
{
    Pixels picture(6);
    std::iota(picture.begin(), picture.end(), 10);
    // Both would scramble the canvas if read as pictures.
    const Bytes file =
        FlicWriter(FlicKind::Flc, 3, 2, 1)
            .addFrame(frame({chunk(test::kPostageStamp,
                                   Bytes().u16(2).u16(3).u16(1).append(chunk(test::kFliCopy, Bytes().fill(0x55, 6)))),
                             chunk(0x77, Bytes().fill(0xAA, 9)), copyOf(picture), chunk(0x2000, Bytes{1, 2})}))
            .build();
    FlicDecoder decoder = openOk(file);
    step(decoder);
    EXPECT_EQ(pixelsOf(decoder), picture);
}

TEST(FlicSequence, FlcFramesStartWhereTheHeaderSaysPastOtherChunks)
{
    const Bytes file = FlicWriter(FlicKind::Flc, 2, 1, 1)
                           .setGapBeforeFirstFrame(30)
                           .addRaw(chunk(test::kPrefixType, Bytes().fill(0xCC, 10)))
                           .addFrame(frame({copyOf(Pixels{4, 5})}))
                           .addRaw(chunk(0x1234, Bytes{0, 0}))
                           .addFrame(frame({copyOf(Pixels{6, 7})}))
                           .build();
    FlicDecoder decoder = openOk(file);
    step(decoder);
    EXPECT_EQ(pixelsOf(decoder), (Pixels{4, 5}));
    step(decoder);
    EXPECT_EQ(pixelsOf(decoder), (Pixels{6, 7}));
}

TEST(FlicSequence, EndsAfterTheCountedFramesAndRewindReplaysFromBlack)
{
    for (const Bytes& file : {richFlc(), richFli()}) {
        FlicDecoder decoder = openOk(file);
        const Pass first = decodeAll(decoder);
        EXPECT_TRUE(first.clean);
        ASSERT_EQ(int(first.frames.size()), decoder.frameCount());
        EXPECT_FALSE(decoder.next().value()); // stays at the end
        decoder.rewind();
        EXPECT_EQ(pixelsOf(decoder), Pixels(first.frames[0].size(), 0));
        EXPECT_EQ(decoder.palette()[1], qRgb(0, 0, 0));
        const Pass second = decodeAll(decoder);
        EXPECT_EQ(second.frames, first.frames);
    }
    // The ring frame of the FLC would have blacked the canvas had it been shown.
    FlicDecoder decoder = openOk(richFlc());
    const Pass pass = decodeAll(decoder);
    EXPECT_NE(pass.frames.back(), Pixels(pass.frames.back().size(), 0));
}

TEST(FlicSource, YieldsPicturesWithTheirDelayUntilTheEnd)
{
    const Bytes file =
        FlicWriter(FlicKind::Flc, 2, 1, 55)
            .addFrame(frame({chunk(test::kColor256, Bytes{1, 0, 0, 2, 0xFF, 0, 0, 0, 0, 0xFF}), copyOf(Pixels{0, 1})}))
            .addFrame(frame({copyOf(Pixels{1, 1})}))
            .build();
    Result<std::unique_ptr<FrameSource>> opened = openFlic(file.toQByteArray());
    ASSERT_TRUE(opened.ok());
    FrameSource& source = *opened.value();
    EXPECT_EQ(source.size(), QSize(2, 1));
    for (int pass = 0; pass < 2; ++pass) {
        const std::optional<AnimationFrame> a = source.next();
        ASSERT_TRUE(a);
        EXPECT_EQ(a->delayMs, 55);
        EXPECT_EQ(a->image.format(), QImage::Format_RGB32);
        EXPECT_EQ(a->image.pixel(0, 0), qRgb(255, 0, 0));
        EXPECT_EQ(a->image.pixel(1, 0), qRgb(0, 0, 255));
        const std::optional<AnimationFrame> b = source.next();
        ASSERT_TRUE(b);
        EXPECT_EQ(b->image.pixel(0, 0), qRgb(0, 0, 255));
        EXPECT_FALSE(source.next());
        EXPECT_FALSE(source.next());
        EXPECT_TRUE(source.rewind());
    }
}

TEST(FlicDamage, ACutFileShowsItsWholeFramesThenFails)
{
    for (const Bytes& intact : {richFlc(), richFli()}) {
        FlicDecoder whole = openOk(intact);
        const Pass reference = decodeAll(whole);
        for (size_t cut = 0; cut < intact.size(); ++cut) {
            const std::span<const std::byte> part = std::span(intact.data()).first(cut);
            Result<FlicDecoder> decoder = FlicDecoder::open(part);
            if (!decoder.ok()) {
                EXPECT_EQ(decoder.error(), mci::kInvalidFile);
                continue;
            }
            const Pass pass = decodeAll(decoder.value());
            ASSERT_LE(pass.frames.size(), reference.frames.size()) << cut;
            for (size_t i = 0; i < pass.frames.size(); ++i)
                ASSERT_EQ(pass.frames[i], reference.frames[i]) << "cut " << cut << " frame " << i;
            // Only the uncounted ring frame may be lost without a failure.
            EXPECT_EQ(pass.clean, pass.frames.size() == reference.frames.size()) << cut;
            if (!pass.clean) {
                EXPECT_FALSE(decoder->next().ok()) << "a failure is final until rewind";
            }
        }
    }
}

TEST(FlicDamage, SizesThatLieEndThePassOrStayInsideTheFrame)
{
    const Pixels picture{1, 2, 3, 4};
    auto build = [&](const Bytes& second) {
        return FlicWriter(FlicKind::Flc, 2, 2, 1).addFrame(frame({copyOf(picture)})).addFrame(second).build();
    };
    // A frame past the end of the file, an empty frame chunk, an empty chunk.
    Bytes pastEnd = chunk(test::kFrameType, Bytes().u16(0).fill(0, 8), 0x7FFFFFF0);
    for (const Bytes& second :
         {pastEnd, Bytes().u32(0).u16(test::kFrameType), frame({chunk(test::kBlack, Bytes(), 0)})}) {
        const Bytes file = build(second);
        FlicSource::lengthMs(file.data()); // header-only: unaffected
        Result<std::unique_ptr<FrameSource>> source = openFlic(file.toQByteArray());
        ASSERT_TRUE(source.ok());
        const std::optional<AnimationFrame> first = source.value()->next();
        ASSERT_TRUE(first);
        EXPECT_EQ(first->image.width(), 2);
        EXPECT_FALSE(source.value()->next());
        EXPECT_FALSE(source.value()->next());
    }
    // A chunk claiming more than its frame holds keeps to the frame.
    FlicDecoder decoder = openOk(build(frame({chunk(test::kFliCopy, Bytes{9, 8, 7, 6}, 0xFFFFFFFF)})));
    step(decoder);
    step(decoder);
    EXPECT_EQ(pixelsOf(decoder), (Pixels{9, 8, 7, 6}));
    // More frames counted than stored.
    FlicDecoder short_ = openOk(FlicWriter(FlicKind::Fli, 2, 2, 1).addFrame(frame({})).setFrameCount(9).build());
    const Pass pass = decodeAll(short_);
    EXPECT_EQ(pass.frames.size(), 1u);
    EXPECT_FALSE(pass.clean);
}

TEST(FlicDamage, WritesBeyondTheCanvasAreDropped)
{
    const std::vector<Bytes> deltas = {
        // Far more lines than the picture has, each without packets.
        chunk(test::kDeltaFlc, Bytes().u16(0xFFFF).fill(0, 40)),
        // A line skip past the bottom, then packets that would land there.
        chunk(test::kDeltaFlc, Bytes().u16(1).u16(0xC000).u16(1).u8(0).s8(1).u16(0x0909)),
        // Column skips and copies far past the right edge.
        chunk(test::kDeltaFlc, Bytes().u16(1).u16(2).u8(255).s8(127).fill(9, 254).u8(200).s8(-128).u16(0x0909)),
        chunk(test::kDeltaFli, Bytes().u16(60000).u16(0xFFFF)),
        chunk(test::kDeltaFli, Bytes().u16(0).u16(0xFFFF).u8(1).u8(250).s8(-100).u8(9).u8(1).u8(255).s8(3).fill(9, 3)),
    };
    for (const Bytes& delta : deltas) {
        FlicDecoder decoder = openOk(FlicWriter(FlicKind::Flc, 4, 2, 1)
                                         .addFrame(frame({copyOf(Pixels(8, 1))}))
                                         .addFrame(frame({delta}))
                                         .build());
        step(decoder);
        step(decoder);
        EXPECT_EQ(pixelsOf(decoder), Pixels(8, 1));
    }
    // A run far longer than the line fills it and no more.
    FlicDecoder decoder = openOk(FlicWriter(FlicKind::Fli, 3, 2, 1)
                                     .addFrame(frame({chunk(test::kByteRun, Bytes{0, 127, 4, 0, 0x80}.fill(6, 128))}))
                                     .build());
    step(decoder);
    EXPECT_EQ(pixelsOf(decoder), (Pixels{4, 4, 4, 6, 6, 6}));
}

TEST(FlicDamage, DataEndingInsideAChunkFailsTheFrame)
{
    const std::vector<Bytes> chunks = {
        chunk(test::kDeltaFlc, Bytes().u16(3).u16(1).u8(0).s8(5).u16(0x0101)),
        chunk(test::kDeltaFli, Bytes().u16(0).u16(2).u8(3).u8(0).s8(-4)),
        chunk(test::kByteRun, Bytes{0, 2, 5}),
        chunk(test::kFliCopy, Bytes{1, 2, 3}),
        chunk(test::kColor256, Bytes().u16(1).u8(0).u8(0).fill(1, 700)),
        chunk(test::kColor64, Bytes().u16(2)),
    };
    for (const Bytes& c : chunks) {
        FlicDecoder decoder = openOk(FlicWriter(FlicKind::Flc, 4, 2, 1).addFrame(frame({c})).build());
        EXPECT_EQ(decoder.next().error(), mci::kInvalidFile);
    }
}

// A typical animation of the period: a full first picture, then a sprite
// moving over a still background with a few palette entries cycling.
Bytes typicalFlc(int frames)
{
    constexpr int w = 320, h = 200;
    Pixels background(w * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            background[size_t(y * w + x)] = uint8_t(((x / 16) ^ (y / 10)) & 0x3F);
    auto picture = [&](int f) {
        Pixels p = background;
        const int sx = (f * 3) % (w - 64), sy = (f * 2) % (h - 48);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                p[size_t((sy + y) * w + sx + x)] = uint8_t(64 + ((x * y + f) & 0x7F));
        return p;
    };
    Bytes palette;
    palette.u16(1).u8(0).u8(0);
    for (int i = 0; i < 256; ++i)
        palette.u8(i).u8(255 - i).u8((i * 3) & 0xFF);
    FlicWriter writer(FlicKind::Flc, w, h, 70);
    Pixels previous = picture(0);
    writer.addFrame(
        frame({chunk(test::kColor256, palette), chunk(test::kByteRun, test::encodeByteRun(previous, w, h))}));
    for (int f = 1; f < frames; ++f) {
        const Pixels current = picture(f);
        Bytes cycle;
        cycle.u16(1).u8(200).u8(16);
        for (int i = 0; i < 16; ++i)
            cycle.u8((i + f) * 16).u8(0).u8(255 - (i + f) * 16);
        writer.addFrame(frame(
            {chunk(test::kColor256, cycle), chunk(test::kDeltaFlc, test::encodeDeltaFlc(previous, current, w, h))}));
        previous = current;
    }
    return writer.build();
}

TEST(FlicSpeed, DISABLED_DecodesTypicalFramesWithPictures)
{
    const Bytes file = typicalFlc(100);
    Result<std::unique_ptr<FrameSource>> opened = openFlic(file.toQByteArray());
    ASSERT_TRUE(opened.ok());
    FrameSource& source = *opened.value();
    constexpr int kPasses = 20;
    int frames = 0;
    QElapsedTimer timer;
    timer.start();
    for (int pass = 0; pass < kPasses; ++pass) {
        source.rewind();
        while (source.next())
            ++frames;
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    EXPECT_EQ(frames, 100 * kPasses);
    std::printf("%zu bytes, %d frames in %.3f s: %.0f frames/s\n", file.size(), frames, seconds, frames / seconds);
}

// Writes the fuzzer's seeds: LUMERIA_FLIC_SEEDS=fuzz/corpus/flic.
TEST(FlicSeeds, DISABLED_Write)
{
    const QString dir = qEnvironmentVariable("LUMERIA_FLIC_SEEDS");
    ASSERT_FALSE(dir.isEmpty());
    const std::vector<std::pair<const char*, Bytes>> seeds = {
        {"rich.flc", richFlc()}, {"rich.fli", richFli()}, {"moving.flc", typicalFlc(3)}};
    for (const auto& [name, bytes] : seeds) {
        QFile out(QDir(dir).filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes.toQByteArray());
    }
}

} // namespace
} // namespace lumeria::media
