#include "MediaTestSupport.h"

#include "media/AudioFileDevice.h"
#include "media/MciErrors.h"

#include <gtest/gtest.h>

using namespace lumeria;
using namespace lumeria::media;
using namespace lumeria::media::test;

namespace {

constexpr int kSector = 2352;
constexpr int kCdRate = 44100;

// CD audio of a tone on both channels, its last sector filled out with
// silence as mastering did.
QByteArray cdTone(double frequency, int durationMs)
{
    QByteArray out;
    const int64_t frames = int64_t(durationMs) * kCdRate / 1000;
    for (int64_t i = 0; i < frames; ++i) {
        const double v = 0.5 * std::sin(2.0 * std::numbers::pi * frequency * double(i) / kCdRate);
        const auto sample = static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32767.0)));
        putLe(out, sample, 2);
        putLe(out, sample, 2);
    }
    out.append(QByteArray((kSector - out.size() % kSector) % kSector, '\0'));
    return out;
}

// Data sectors that would be loud noise if they were ever played as sound.
QByteArray dataSectors(int sectors)
{
    QByteArray out(sectors * kSector, '\0');
    for (qsizetype i = 0; i < out.size(); ++i)
        out[i] = char((i * 97 + 0x35) & 0xFF);
    return out;
}

// A mixed-mode disc in one BIN: the data track, then 440 Hz for 1.5 s
// (113 sectors) and 880 Hz for 1 s (75 sectors).
struct MixedModeImage {
    explicit MixedModeImage(const QString& folder) : bin(QDir(folder).filePath(QStringLiteral("disc.bin")))
    {
        const QByteArray data = dataSectors(300);
        const QByteArray low = cdTone(440.0, 1500);
        const QByteArray high = cdTone(880.0, 1000);
        EXPECT_TRUE(writeFile(bin, data + low + high));
        tracks = {DiscTrack{bin, 0, data.size(), false}, DiscTrack{bin, data.size(), low.size(), true},
                  DiscTrack{bin, data.size() + low.size(), high.size(), true}};
    }
    QString bin;
    std::vector<DiscTrack> tracks;
};

constexpr double kBufferMs = 12.0;

} // namespace

TEST(CdImage, ATrackOpenedAloneHasItsExactLengthAndSeeks)
{
    DiskAudio disk;
    const MixedModeImage image(disk.tempPath(QString()));
    const DiscTrack& high = image.tracks[2];
    AudioFormat format;
    int64_t positionAfter = 0;
    {
        Mixer mixer;
        ASSERT_TRUE(mixer.open());
        format = mixer.format();
        EXPECT_EQ(AudioFileDevice::openCdTrack(image.bin, high.offset, high.length + 1, mixer).error(),
                  mci::kInvalidFile);
        EXPECT_EQ(AudioFileDevice::openCdTrack(image.bin, high.offset, 0, mixer).error(), mci::kInvalidFile);
        EXPECT_EQ(AudioFileDevice::openCdTrack(image.bin + QStringLiteral(".x"), 0, kSector, mixer).error(),
                  mci::kFileNotFound);

        auto opened = AudioFileDevice::openCdTrack(image.bin, high.offset, high.length, mixer);
        ASSERT_TRUE(opened.ok()) << "error " << opened.error();
        AudioFileDevice& device = *opened.value();
        EXPECT_EQ(device.length(), 1000);
        int completions = 0;
        device.setCompletionHandler([&] { ++completions; });
        ASSERT_EQ(device.seek(400), 0);
        EXPECT_EQ(device.position(), 400);
        ASSERT_EQ(device.play(-1, 700), 0);
        ASSERT_TRUE(waitUntil([&] { return completions > 0; }, 2000));
        positionAfter = device.position();
    }
    EXPECT_EQ(positionAfter, 700);
    const auto left = readDiskOutput(disk.path(), format).channel(0);
    const Span span = nonSilent(left, 0.05f);
    RecordProperty("heard_ms", std::to_string(spanMs(span, format.rate)));
    EXPECT_NEAR(spanMs(span, format.rate), 300.0, kBufferMs);
    EXPECT_NEAR(zeroCrossingFrequency(left, span.begin, span.end, format.rate), 880.0, 8.8);
}
