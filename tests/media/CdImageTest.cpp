#include "MediaTestSupport.h"

#include "media/AudioFileDevice.h"
#include "media/MciErrors.h"

#include <gtest/gtest.h>

#include <limits>

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

struct Heard {
    std::vector<float> left;
    Span span;
    int rate = 0;

    double ms() const { return spanMs(span, rate); }
    // Zero crossings over [fromMs, toMs) of what was heard.
    double frequency(double fromMs, double toMs) const
    {
        const auto at = [this](double ms) { return span.begin + size_t(ms * rate / 1000.0); };
        return zeroCrossingFrequency(left, at(fromMs), at(toMs), rate);
    }
};

// Runs commands against the image's disc and measures what came out.
template <class F>
Heard listen(const std::vector<DiscTrack>& tracks, F&& commands)
{
    DiskAudio disk;
    AudioFormat format;
    {
        ManagerFixture f(tracks);
        EXPECT_EQ(f.mci(QStringLiteral("open cdaudio")), 0);
        EXPECT_EQ(f.mci(QStringLiteral("set cdaudio time format tmsf")), 0);
        commands(f);
        format = f.manager().mixer().format();
        spinFor(50);
    }
    Heard heard;
    heard.left = readDiskOutput(disk.path(), format).channel(0);
    heard.span = nonSilent(heard.left, 0.05f);
    heard.rate = format.rate;
    return heard;
}

constexpr double kBufferMs = 12.0;

} // namespace

TEST(CdImage, TheImagesTracksAreTheDiscsWithTheirOwnLengths)
{
    QTemporaryDir dir;
    const MixedModeImage image(dir.path());
    ManagerFixture f(image.tracks);
    EXPECT_EQ(f.mci(QStringLiteral("open cdaudio alias cd")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status cd media present")), QStringLiteral("true"));
    EXPECT_EQ(f.reply(QStringLiteral("status cd number of tracks")), QStringLiteral("3"));
    EXPECT_EQ(f.reply(QStringLiteral("status cd type track 1")), QStringLiteral("other"));
    EXPECT_EQ(f.reply(QStringLiteral("status cd type track 2")), QStringLiteral("audio"));
    EXPECT_EQ(f.reply(QStringLiteral("status cd type track 3")), QStringLiteral("audio"));
    EXPECT_EQ(f.reply(QStringLiteral("status cd current track")), QStringLiteral("1"));

    // Lengths in sectors read back as those sectors: 300, 113 and 75.
    EXPECT_EQ(f.mci(QStringLiteral("set cd time format tmsf")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status cd length track 1")), QStringLiteral("00:04:00"));
    EXPECT_EQ(f.reply(QStringLiteral("status cd length track 2")), QStringLiteral("00:01:38"));
    EXPECT_EQ(f.reply(QStringLiteral("status cd length track 3")), QStringLiteral("00:01:00"));
    EXPECT_EQ(f.reply(QStringLiteral("status cd length")), QStringLiteral("00:06:38"));
    EXPECT_EQ(f.reply(QStringLiteral("status cd position track 2")), QStringLiteral("02:00:00:00"));
    EXPECT_EQ(f.reply(QStringLiteral("status cd position track 3")), QStringLiteral("03:00:00:00"));
    EXPECT_EQ(f.mci(QStringLiteral("set cd time format ms")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status cd position track 2")), QStringLiteral("4000"));
    EXPECT_EQ(f.reply(QStringLiteral("status cd length track 2")), QStringLiteral("1507"));

    EXPECT_EQ(f.mci(QStringLiteral("set cd time format tmsf")), 0);
    EXPECT_EQ(f.mci(QStringLiteral("seek cd to 3")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status cd position")), QStringLiteral("03:00:00:00"));
    EXPECT_EQ(f.reply(QStringLiteral("status cd current track")), QStringLiteral("3"));

    // Paused mid-track, the place holds in its track's terms.
    EXPECT_EQ(f.mci(QStringLiteral("play cd from 2:00:01:00")), 0);
    spinFor(200);
    EXPECT_EQ(f.mci(QStringLiteral("pause cd")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status cd mode")), QStringLiteral("paused"));
    const QString paused = f.reply(QStringLiteral("status cd position"));
    EXPECT_TRUE(paused.startsWith(QStringLiteral("02:00:01:"))) << paused.toStdString();
    spinFor(150);
    EXPECT_EQ(f.reply(QStringLiteral("status cd position")), paused);
    EXPECT_EQ(f.mci(QStringLiteral("resume cd")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status cd mode")), QStringLiteral("playing"));
    EXPECT_EQ(f.mci(QStringLiteral("stop cd")), 0);
    EXPECT_EQ(f.mci(QStringLiteral("play cd from 4")), mci::kOutOfRange);
    EXPECT_EQ(f.mci(QStringLiteral("close cd")), 0);
}

TEST(CdImage, ATrackPlayedToTheNextIsHeardAloneAtItsPitchAndLength)
{
    QTemporaryDir dir;
    const MixedModeImage image(dir.path());
    int64_t took = 0;
    QString after;
    const Heard heard = listen(image.tracks, [&](ManagerFixture& f) {
        took = timed([&] { EXPECT_EQ(f.mci(QStringLiteral("play cdaudio from 2 to 3 wait")), 0); });
        after = f.reply(QStringLiteral("status cdaudio position"));
    });
    RecordProperty("heard_ms", std::to_string(heard.ms()));
    RecordProperty("heard_hz", std::to_string(heard.frequency(20, 1480)));
    // The wait lasts the track, less the few percent SDL's disk driver runs
    // ahead of real time.
    EXPECT_GT(took, 1400);
    EXPECT_EQ(after, QStringLiteral("03:00:00:00"));
    // The data track before it and the tone after it stay unheard.
    EXPECT_NEAR(heard.ms(), 1500.0, kBufferMs);
    EXPECT_NEAR(heard.frequency(20, 1480), 440.0, 4.4);
}

TEST(CdImage, APlayFromMidTrackCarriesIntoTheNextTrack)
{
    QTemporaryDir dir;
    const MixedModeImage image(dir.path());
    const Heard heard = listen(image.tracks, [](ManagerFixture& f) {
        EXPECT_EQ(f.mci(QStringLiteral("play cdaudio from 2:00:01:00 wait")), 0);
        EXPECT_EQ(f.reply(QStringLiteral("status cdaudio position")), QStringLiteral("03:00:01:00"));
    });
    RecordProperty("heard_ms", std::to_string(heard.ms()));
    RecordProperty("first_hz", std::to_string(heard.frequency(20, 480)));
    RecordProperty("second_hz", std::to_string(heard.frequency(heard.ms() - 980, heard.ms() - 20)));
    // Half a second of track 2, its sector's silent tail, all of track 3.
    EXPECT_NEAR(heard.ms(), 500.0 + 6.7 + 1000.0, 2 * kBufferMs);
    EXPECT_NEAR(heard.frequency(20, 480), 440.0, 4.4);
    EXPECT_NEAR(heard.frequency(heard.ms() - 980, heard.ms() - 20), 880.0, 8.8);
}

TEST(CdImage, TracksThatCannotBeReadAreTracksWithoutAudio)
{
    QTemporaryDir dir;
    const MixedModeImage image(dir.path());
    std::vector<DiscTrack> tracks = image.tracks;
    tracks[1].length += 100 * kSector; // runs past the end of the file
    tracks[2].file = dir.filePath(QStringLiteral("gone.bin"));
    tracks.push_back(DiscTrack{image.bin, -kSector, 75 * kSector, true});
    tracks.push_back(DiscTrack{image.bin, std::numeric_limits<int64_t>::max() - 10, 75 * kSector, true});
    tracks.push_back(DiscTrack{image.bin, 0, 0, true});
    ManagerFixture f(tracks);
    EXPECT_EQ(f.mci(QStringLiteral("open cdaudio")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status cdaudio number of tracks")), QStringLiteral("6"));
    for (int track = 2; track <= 6; ++track) {
        EXPECT_EQ(f.reply(QStringLiteral("status cdaudio type track %1").arg(track)), QStringLiteral("other")) << track;
    }
    EXPECT_EQ(f.mci(QStringLiteral("set cdaudio time format tmsf")), 0);
    // The tracks keep their places on the disc.
    EXPECT_EQ(f.reply(QStringLiteral("status cdaudio length track 2")), QStringLiteral("00:02:63"));
    EXPECT_EQ(f.reply(QStringLiteral("status cdaudio length track 6")), QStringLiteral("00:00:00"));
    // Nothing to hear: the play passes at once.
    const int64_t took = timed([&] { EXPECT_EQ(f.mci(QStringLiteral("play cdaudio from 2 wait")), 0); });
    EXPECT_LT(took, 500);
    EXPECT_EQ(f.reply(QStringLiteral("status cdaudio mode")), QStringLiteral("stopped"));
    EXPECT_EQ(f.mci(QStringLiteral("set cdaudio time format msf")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status cdaudio position track 3")), QStringLiteral("00:06:63"));
    EXPECT_EQ(f.mci(QStringLiteral("close cdaudio")), 0);

    // An image of nothing but empty tracks is no disc.
    ManagerFixture empty({DiscTrack{image.bin, 0, 0, false}, DiscTrack{image.bin, 0, 0, true}});
    EXPECT_EQ(empty.mci(QStringLiteral("open cdaudio")), 0);
    EXPECT_EQ(empty.reply(QStringLiteral("status cdaudio media present")), QStringLiteral("false"));
    EXPECT_EQ(empty.mci(QStringLiteral("play cdaudio")), mci::kDeviceNotReady);
}

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
        EXPECT_EQ(openCdTrack(image.bin, high.offset, high.length + 1, mixer).error(), mci::kInvalidFile);
        EXPECT_EQ(openCdTrack(image.bin, high.offset, 0, mixer).error(), mci::kInvalidFile);
        EXPECT_EQ(openCdTrack(image.bin + QStringLiteral(".x"), 0, kSector, mixer).error(), mci::kFileNotFound);

        auto opened = openCdTrack(image.bin, high.offset, high.length, mixer);
        ASSERT_TRUE(opened.ok()) << "error " << opened.error();
        StreamingDevice& device = *opened.value();
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
