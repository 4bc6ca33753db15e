#include "AudioFixtures.h"

#include "media/AudioOutput.h"
#include "media/DeviceFactory.h"
#include "media/MciErrors.h"
#include "media/StreamingDevice.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>

#include <memory>

using namespace lumeria::media;
using namespace lumeria::media::test;

namespace {

// A device opened on a file of the test's own, with its completions counted.
struct Played {
    std::unique_ptr<MediaDevice> device;
    int completions = 0;
};

std::unique_ptr<Played> openCounted(const QString& path, Mixer& mixer, std::optional<DeviceType> type = {})
{
    auto played = std::make_unique<Played>();
    auto device = openDevice(path, type, DeviceServices{&mixer, {}});
    EXPECT_TRUE(device.ok()) << "error " << device.error();
    if (!device)
        return played;
    played->device = std::move(device).value();
    Played* raw = played.get();
    played->device->setCompletionHandler([raw] { ++raw->completions; });
    return played;
}

struct HeardTone {
    double frequency = 0.0;
    double durationMs = 0.0;
    int completions = 0;
};

// Plays the whole file once through the disk driver and measures the output.
HeardTone playAndListen(const QByteArray& fileBytes, const QString& suffix = QStringLiteral("wav"))
{
    DiskAudio disk;
    const QString path = disk.tempPath(QStringLiteral("in.") + suffix);
    EXPECT_TRUE(writeFile(path, fileBytes));
    HeardTone heard;
    AudioFormat format;
    {
        Mixer mixer;
        EXPECT_TRUE(mixer.open());
        format = mixer.format();
        auto played = openCounted(path, mixer);
        if (!played->device)
            return heard;
        EXPECT_EQ(played->device->play(-1, -1), mci::kOk);
        EXPECT_TRUE(waitUntil([&] { return played->completions > 0; }, 4000));
        spinFor(50); // a second completion would arrive here
        heard.completions = played->completions;
        EXPECT_EQ(played->device->mode(), DeviceMode::Stopped);
        EXPECT_EQ(played->device->position(), played->device->length());
    }
    const auto left = readDiskOutput(disk.path(), format).channel(0);
    const Span span = nonSilent(left, 0.05f);
    heard.durationMs = spanMs(span, format.rate);
    heard.frequency = zeroCrossingFrequency(left, span.begin, span.end, format.rate);
    return heard;
}

constexpr double kBufferMs = 12.0;

} // namespace

namespace lumeria::media::test {
void PrintTo(const WavFormat& format, std::ostream* os)
{
    *os << format.bits << "-bit " << format.channels << "-channel at " << format.rate << " Hz";
}
} // namespace lumeria::media::test

class WaveFormats : public ::testing::TestWithParam<WavFormat> {};

TEST_P(WaveFormats, PlaysOnceAtItsPitchForItsLength)
{
    WavFormat format = GetParam();
    const HeardTone heard = playAndListen(wavBytes(format));
    RecordProperty("heard_ms", std::to_string(heard.durationMs));
    RecordProperty("heard_hz", std::to_string(heard.frequency));
    EXPECT_EQ(heard.completions, 1);
    EXPECT_NEAR(heard.durationMs, format.durationMs, kBufferMs);
    EXPECT_NEAR(heard.frequency, format.frequency, format.frequency * 0.01);
}

INSTANTIATE_TEST_SUITE_P(AudioFileDevice, WaveFormats,
                         ::testing::Values(WavFormat{.rate = 48000, .channels = 1, .bits = 16, .durationMs = 400},
                                           WavFormat{.rate = 44100, .channels = 2, .bits = 8, .durationMs = 300},
                                           WavFormat{.rate = 22050, .channels = 1, .bits = 16, .durationMs = 300}));

TEST(AudioFileDevice, DecodesWhatTheCommandLineEncoderWrites)
{
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty())
        GTEST_SKIP() << "no ffmpeg to encode with";
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("src.wav"));
    ASSERT_TRUE(writeFile(wav, wavBytes(WavFormat{.rate = 44100, .durationMs = 300})));
    // The codings old publications shipped and the compressed ones after.
    const struct {
        const char* name;
        const char* suffix;
        QStringList codec;
    } encodings[] = {
        {"ima adpcm", "wav", {QStringLiteral("-c:a"), QStringLiteral("adpcm_ima_wav")}},
        {"ms adpcm", "wav", {QStringLiteral("-c:a"), QStringLiteral("adpcm_ms")}},
        {"mu-law", "wav", {QStringLiteral("-c:a"), QStringLiteral("pcm_mulaw")}},
        {"aiff", "aiff", {}},
        // VOC keeps its rate as a divisor of 1 MHz: 25 kHz is exact, 44.1 kHz is not.
        {"voc",
         "voc",
         {QStringLiteral("-c:a"), QStringLiteral("pcm_u8"), QStringLiteral("-ar"), QStringLiteral("25000")}},
        {"flac", "flac", {}},
        {"vorbis", "ogg", {}},
        {"mp3", "mp3", {}},
    };
    for (const auto& e : encodings) {
        SCOPED_TRACE(e.name);
        const QString out = dir.filePath(QString::fromLatin1(e.name).remove(u' ') + u'.' + QLatin1String(e.suffix));
        QProcess encoder;
        encoder.start(ffmpeg, QStringList{QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
                                          QStringLiteral("-i"), wav} +
                                  e.codec + QStringList{out});
        if (!encoder.waitForFinished(10000) || encoder.exitCode() != 0)
            continue; // this build of the encoder lacks the codec
        QFile f(out);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const HeardTone heard = playAndListen(f.readAll(), QLatin1String(e.suffix));
        RecordProperty(QString::fromLatin1(e.name).remove(u' ').toStdString() + "_heard_ms",
                       std::to_string(heard.durationMs));
        EXPECT_EQ(heard.completions, 1);
        // Lossy coders add a little priming and padding at the edges.
        EXPECT_NEAR(heard.durationMs, 300.0, 40.0);
        EXPECT_NEAR(heard.frequency, 1000.0, 10.0);
    }
}

// Some waves say PCM and hold compressed sound (CD rips of AC-3 and DTS
// tracks, MP3 saved with the wrong tag). Only the first packets are looked
// at for another coding; those must still be enough to find each of them.
TEST(AudioFileDevice, CompressedSoundBehindAPcmTagIsFound)
{
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty())
        GTEST_SKIP() << "no ffmpeg to encode with";
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("src.wav"));
    // Long enough that the look at the packets ends before the data does.
    ASSERT_TRUE(writeFile(wav, wavBytes(WavFormat{.rate = 44100, .channels = 2, .durationMs = 3000})));
    const struct {
        const char* name;
        QStringList codec;
    } codings[] = {
        {"ac3", {QStringLiteral("-c:a"), QStringLiteral("ac3")}},
        {"dts", {QStringLiteral("-c:a"), QStringLiteral("dca"), QStringLiteral("-strict"), QStringLiteral("-2")}},
        {"mp3", {QStringLiteral("-c:a"), QStringLiteral("libmp3lame")}},
    };
    for (const auto& c : codings) {
        SCOPED_TRACE(c.name);
        const QString raw = dir.filePath(QLatin1String(c.name) + QStringLiteral(".raw"));
        QProcess encoder;
        encoder.start(ffmpeg, QStringList{QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
                                          QStringLiteral("-i"), wav} +
                                  c.codec + QStringList{QStringLiteral("-f"), QLatin1String(c.name), raw});
        if (!encoder.waitForFinished(20000) || encoder.exitCode() != 0)
            continue; // this build of the encoder lacks the codec
        QFile f(raw);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray data = f.readAll();
        ASSERT_GT(data.size(), 32 << 10);
        // The wave header of 16-bit stereo PCM at 44.1 kHz around the coded bytes.
        QByteArray file("RIFF");
        putLe(file, static_cast<uint32_t>(36 + data.size()), 4);
        file.append("WAVEfmt ");
        putLe(file, 16, 4);
        putLe(file, 1, 2);
        putLe(file, 2, 2);
        putLe(file, 44100, 4);
        putLe(file, 44100 * 4, 4);
        putLe(file, 4, 2);
        putLe(file, 16, 2);
        file.append("data");
        putLe(file, static_cast<uint32_t>(data.size()), 4);
        file.append(data);
        const HeardTone heard = playAndListen(file);
        EXPECT_EQ(heard.completions, 1);
        // Taken for PCM it would be noise; timed by the header's PCM rate, AC-3
        // and MP3 (below that rate) would end after a few hundred ms.
        RecordProperty(std::string(c.name) + "_heard_ms", std::to_string(heard.durationMs));
        EXPECT_NEAR(heard.frequency, 1000.0, 10.0);
        EXPECT_NEAR(heard.durationMs, 3000, 150);
    }
}

TEST(AudioFileDevice, PositionFollowsPlayPauseAndSeek)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.wav"));
    ASSERT_TRUE(writeFile(path, wavBytes(WavFormat{.rate = 22050, .durationMs = 1000})));
    Mixer mixer;
    auto played = openCounted(path, mixer);
    ASSERT_TRUE(played->device);
    MediaDevice& device = *played->device;
    EXPECT_EQ(device.length(), 1000);
    EXPECT_EQ(device.mode(), DeviceMode::Stopped);
    EXPECT_EQ(device.position(), 0);

    ASSERT_EQ(device.play(-1, -1), mci::kOk);
    spinFor(200);
    EXPECT_EQ(device.mode(), DeviceMode::Playing);
    EXPECT_NEAR(device.position(), 200, 60);

    device.pause();
    EXPECT_EQ(device.mode(), DeviceMode::Paused);
    spinFor(20);
    const int64_t held = device.position();
    spinFor(150);
    EXPECT_EQ(device.position(), held);

    device.resume();
    EXPECT_EQ(device.mode(), DeviceMode::Playing);
    spinFor(100);
    EXPECT_GT(device.position(), held + 50);

    EXPECT_EQ(device.seek(700), mci::kOk);
    EXPECT_EQ(device.mode(), DeviceMode::Stopped);
    EXPECT_EQ(device.position(), 700);
    EXPECT_EQ(device.seek(5000), mci::kOk);
    EXPECT_EQ(device.position(), 1000) << "seeking clamps to the length";
    device.seek(700);

    // From the sought place to the end: about 300 ms, and then one notice.
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(device.play(-1, -1), mci::kOk);
    ASSERT_TRUE(waitUntil([&] { return played->completions > 0; }, 2000));
    EXPECT_NEAR(static_cast<double>(timer.elapsed()), 300.0, 120.0);
    EXPECT_EQ(played->completions, 1) << "the seek did not complete the earlier play";
    EXPECT_EQ(device.position(), 1000);
    EXPECT_EQ(device.play(600, 200), mci::kOutOfRange);
}

TEST(AudioFileDevice, FromToPlaysExactlyThatStretch)
{
    DiskAudio disk;
    const QString path = disk.tempPath(QStringLiteral("two.wav"));
    // 500 Hz for the first half second, 1500 Hz for the second.
    ASSERT_TRUE(writeFile(path, wavBytes(WavFormat{.rate = 22050}, {{500.0, 500}, {1500.0, 500}})));
    AudioFormat format;
    int64_t positionAfter = 0;
    {
        Mixer mixer;
        ASSERT_TRUE(mixer.open());
        format = mixer.format();
        auto played = openCounted(path, mixer);
        ASSERT_TRUE(played->device);
        ASSERT_EQ(played->device->play(400, 700), mci::kOk);
        ASSERT_TRUE(waitUntil([&] { return played->completions > 0; }, 2000));
        positionAfter = played->device->position();
    }
    EXPECT_EQ(positionAfter, 700);
    const auto left = readDiskOutput(disk.path(), format).channel(0);
    const Span span = nonSilent(left, 0.05f);
    EXPECT_NEAR(spanMs(span, format.rate), 300.0, kBufferMs);
    const size_t ms = static_cast<size_t>(format.rate / 1000);
    EXPECT_NEAR(zeroCrossingFrequency(left, span.begin + 5 * ms, span.begin + 95 * ms, format.rate), 500.0, 5.0);
    EXPECT_NEAR(zeroCrossingFrequency(left, span.begin + 105 * ms, span.end - 5 * ms, format.rate), 1500.0, 15.0);
}

TEST(AudioFileDevice, StopOrANewerPlaySuppressesCompletion)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.wav"));
    ASSERT_TRUE(writeFile(path, wavBytes(WavFormat{.durationMs = 300})));
    Mixer mixer;
    auto played = openCounted(path, mixer);
    ASSERT_TRUE(played->device);
    MediaDevice& device = *played->device;

    ASSERT_EQ(device.play(-1, -1), mci::kOk);
    spinFor(100);
    device.stop();
    const int64_t stoppedAt = device.position();
    EXPECT_NEAR(stoppedAt, 100, 50);
    spinFor(400);
    EXPECT_EQ(played->completions, 0);
    EXPECT_EQ(device.position(), stoppedAt) << "a stop keeps the place";

    // Restarted before it ends: only the last play reports.
    device.play(0, -1);
    spinFor(100);
    device.play(0, -1);
    ASSERT_TRUE(waitUntil([&] { return played->completions > 0; }, 2000));
    spinFor(300);
    EXPECT_EQ(played->completions, 1);

    // Destroyed mid-play: the notice never comes and nothing crashes.
    device.play(0, -1);
    spinFor(50);
    played->device.reset();
    spinFor(400);
    EXPECT_EQ(played->completions, 1);
}

TEST(AudioFileDevice, FirstFramesReachTheMixerQuickly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.wav"));
    ASSERT_TRUE(writeFile(path, wavBytes(WavFormat{.rate = 44100, .durationMs = 200})));
    Mixer mixer;
    ASSERT_TRUE(mixer.open());
    auto device = openDevice(path, DeviceType::WaveAudio, DeviceServices{&mixer, {}});
    ASSERT_TRUE(device.ok());
    auto* streaming = dynamic_cast<StreamingDevice*>(device.value().get());
    ASSERT_TRUE(streaming);
    ASSERT_EQ(streaming->play(100, -1), mci::kOk);
    ASSERT_TRUE(waitUntil([&] { return streaming->firstBlockMicros() >= 0; }, 1000));
    EXPECT_LT(streaming->firstBlockMicros(), 30000);
    RecordProperty("first_block_us", std::to_string(streaming->firstBlockMicros()));
}

TEST(AudioFileDevice, MutedPlayStillTakesItsTime)
{
    DiskAudio disk;
    const QString path = disk.tempPath(QStringLiteral("a.wav"));
    ASSERT_TRUE(writeFile(path, wavBytes(WavFormat{.durationMs = 200})));
    AudioFormat format;
    {
        Mixer mixer;
        ASSERT_TRUE(mixer.open());
        format = mixer.format();
        auto played = openCounted(path, mixer);
        ASSERT_TRUE(played->device);
        played->device->setAudioEnabled(false);
        QElapsedTimer timer;
        timer.start();
        played->device->play(-1, -1);
        ASSERT_TRUE(waitUntil([&] { return played->completions > 0; }, 2000));
        EXPECT_GT(timer.elapsed(), 150);
    }
    const auto left = readDiskOutput(disk.path(), format).channel(0);
    EXPECT_LT(peak(left, 0, left.size()), 0.001);
}

TEST(AudioFileDevice, BadFilesFailWithACode)
{
    QTemporaryDir dir;
    Mixer mixer;
    const DeviceServices services{&mixer, {}};
    const QByteArray good = wavBytes(WavFormat{.durationMs = 100});
    QByteArray garbledFormat = good;
    for (int i = 20; i < 36; ++i)
        garbledFormat[i] = static_cast<char>(0xEE); // the fmt chunk's fields
    QByteArray noise;
    for (int i = 0; i < 4000; ++i)
        noise.append(static_cast<char>((i * 7919 + 13) % 251));

    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"empty", {}},
        {"truncated header", good.left(20)},
        {"garbled format chunk", garbledFormat},
        {"noise", noise},
        {"text", QByteArray("This is not a sound, only words.\n").repeated(20)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".wav"));
        ASSERT_TRUE(writeFile(path, c.bytes));
        auto device = openDevice(path, std::nullopt, services);
        EXPECT_EQ(device.error(), mci::kInvalidFile);
    }

    EXPECT_EQ(openDevice(dir.filePath(QStringLiteral("missing.wav")), {}, services).error(), mci::kFileNotFound);
    const QString wav = dir.filePath(QStringLiteral("good.wav"));
    ASSERT_TRUE(writeFile(wav, good));
    EXPECT_EQ(openDevice(wav, DeviceType::Sequencer, services).error(), mci::kInvalidFile);
    EXPECT_EQ(openDevice(wav, DeviceType::CdAudio, services).error(), mci::kUnsupportedFunction);
    EXPECT_EQ(openDevice(wav, {}, DeviceServices{}).error(), mci::kHardware);
    auto asVideo = openDevice(wav, DeviceType::AviVideo, services);
    ASSERT_TRUE(asVideo.ok()) << "a video's sound plays";
    EXPECT_EQ(asVideo.value()->type(), DeviceType::AviVideo);
}

TEST(AudioFileDevice, FileShorterThanItsHeaderEndsAndCompletes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut.wav"));
    QByteArray bytes = wavBytes(WavFormat{.durationMs = 600});
    bytes.truncate(44 + 48000 * 2 / 5); // 200 ms of the 600 the header declares
    ASSERT_TRUE(writeFile(path, bytes));
    Mixer mixer;
    auto played = openCounted(path, mixer);
    ASSERT_TRUE(played->device);
    ASSERT_EQ(played->device->play(-1, -1), mci::kOk);
    EXPECT_TRUE(waitUntil([&] { return played->completions == 1; }, 2000));
}

namespace {

long residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4 : 0;
}

// Plays the file again each time it completes, for a minute, and reports the
// resident memory after the first plays and at the end. Slow: run by hand
// with --gtest_also_run_disabled_tests.
void loopForAMinute(const QString& path)
{
    Mixer mixer;
    auto played = openCounted(path, mixer);
    ASSERT_TRUE(played->device);
    MediaDevice* device = played->device.get();
    device->setCompletionHandler([device] { device->play(0, -1); });
    ASSERT_EQ(device->play(0, -1), mci::kOk);
    spinFor(5000);
    const long settled = residentKiB();
    spinFor(55000);
    const long after = residentKiB();
    ::testing::Test::RecordProperty("rss_after_5s_kib", std::to_string(settled));
    ::testing::Test::RecordProperty("rss_after_60s_kib", std::to_string(after));
    EXPECT_LT(after - settled, 1024);
}

} // namespace

TEST(AudioFileDevice, DISABLED_LoopingAMinuteKeepsMemoryFlat)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("loop.wav"));
    ASSERT_TRUE(writeFile(path, wavBytes(WavFormat{.rate = 22050, .channels = 2, .durationMs = 700})));
    loopForAMinute(path);
}

TEST(MidiDevice, DISABLED_LoopingAMinuteKeepsMemoryFlat)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("loop.mid"));
    ASSERT_TRUE(writeFile(path, oneNoteMidi(60, 700)));
    loopForAMinute(path);
}
