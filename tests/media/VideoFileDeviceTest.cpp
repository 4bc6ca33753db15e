#include "AudioFixtures.h"
#include "Encoder.h"

#include "media/AudioOutput.h"
#include "media/DeviceFactory.h"
#include "media/FrameSink.h"
#include "media/MciErrors.h"
#include "media/VideoFileDevice.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <memory>
#include <vector>

using namespace lumeria::media;
using namespace lumeria::media::test;

namespace {

// 160x120 at 10 fps, with a 440 Hz tone.
QString testPattern(const QTemporaryDir& dir, const QString& codec, const QString& audio = QStringLiteral("pcm_s16le"),
                    int seconds = 2)
{
    const QString out = dir.filePath(QStringLiteral("%1-%2-%3.avi").arg(codec, audio).arg(seconds));
    encode(QStringLiteral("-f lavfi -i testsrc=s=160x120:r=10:d=%3 -f lavfi -i sine=f=440:r=22050:d=%3 "
                          "-c:v %1 -c:a %2 -shortest")
               .arg(codec, audio)
               .arg(seconds),
           out);
    return out;
}

// Red, green, then blue, one second each, no sound: the wall clock leads.
QString colourClip(const QTemporaryDir& dir)
{
    const QString out = dir.filePath(QStringLiteral("colours.avi"));
    encode(QStringLiteral("-f lavfi -i color=red:s=160x120:r=10:d=1 -f lavfi -i color=green:s=160x120:r=10:d=1 "
                          "-f lavfi -i color=blue:s=160x120:r=10:d=1 "
                          "-filter_complex [0:v][1:v][2:v]concat=n=3:v=1:a=0 -c:v msvideo1"),
           out);
    return out;
}

struct Shown {
    QSize size;
    QImage::Format format;
    QRgb centre;
    qint64 wallMs;       // since the recording sink was armed
    int64_t pictureMs;   // the picture's own time, as the device reports it
    int64_t clockMs;     // the play's clock when the UI thread showed it
    qint64 outputFrames; // frames the disk driver had written by then
};

class RecordingSink final : public FrameSink {
public:
    void present(const QImage& frame) override
    {
        Shown s{frame.size(),
                frame.format(),
                frame.pixel(frame.width() / 2, frame.height() / 2),
                timer.isValid() ? timer.elapsed() : -1,
                device ? device->presentedPosition() : -1,
                device ? device->position() : -1,
                -1};
        if (!diskPath.isEmpty())
            s.outputFrames = QFileInfo(diskPath).size() / bytesPerFrame;
        shown.push_back(s);
    }
    void setRectangle(const QRect& display) override { m_rect = display; }
    QRect rectangle() const override { return m_rect; }
    void setVisible(bool) override {}

    void arm() { timer.start(); }
    // The colour of the last picture shown by then.
    char colourAt(qint64 wallMs) const
    {
        char colour = '?';
        for (const Shown& s : shown)
            if (s.wallMs <= wallMs)
                colour = classify(s.centre);
        return colour;
    }
    static char classify(QRgb c)
    {
        const int r = qRed(c), g = qGreen(c), b = qBlue(c);
        if (r > 200 && g > 200 && b > 200)
            return 'w';
        if (r < 40 && g < 40 && b < 40)
            return 'k';
        if (r > 150 && g < 90 && b < 90)
            return 'r';
        if (g > 90 && r < 90 && b < 90)
            return 'g';
        if (b > 150 && r < 90 && g < 90)
            return 'b';
        return '?';
    }

    VideoFileDevice* device = nullptr;
    QString diskPath;
    qint64 bytesPerFrame = 4;
    QElapsedTimer timer;
    std::vector<Shown> shown;

private:
    QRect m_rect;
};

struct Opened {
    std::unique_ptr<MediaDevice> device;
    VideoFileDevice* video = nullptr;
    int completions = 0;
};

std::unique_ptr<Opened> openVideo(const QString& path, Mixer& mixer, std::optional<DeviceType> type = {})
{
    auto opened = std::make_unique<Opened>();
    auto device = openDevice(path, type, DeviceServices{&mixer, {}});
    if (!device)
        return opened;
    opened->device = std::move(device).value();
    opened->video = dynamic_cast<VideoFileDevice*>(opened->device.get());
    Opened* raw = opened.get();
    opened->device->setCompletionHandler([raw] { ++raw->completions; });
    return opened;
}

} // namespace

class VideoCodecs : public ::testing::TestWithParam<const char*> {};

TEST_P(VideoCodecs, PlaysOnceShowingEachPictureInTime)
{
    REQUIRE_FFMPEG();
    QTemporaryDir dir;
    const QString path = testPattern(dir, QString::fromLatin1(GetParam()));
    Mixer mixer;
    auto opened = openVideo(path, mixer, DeviceType::AviVideo);
    ASSERT_TRUE(opened->video) << "a file with pictures opens as video";
    MediaDevice& device = *opened->device;
    EXPECT_TRUE(device.hasVideo());
    EXPECT_EQ(device.type(), DeviceType::AviVideo);
    EXPECT_EQ(device.naturalSize(), QSize(160, 120));
    EXPECT_NEAR(device.frameRate(), 10.0, 0.01);
    EXPECT_NEAR(static_cast<double>(device.length()), 2000.0, 60.0);

    RecordingSink sink;
    sink.device = opened->video;
    device.setFrameSink(&sink);
    sink.arm();
    ASSERT_EQ(device.play(-1, -1), mci::kOk);
    ASSERT_TRUE(waitUntil([&] { return opened->completions > 0; }, 5000));
    const qint64 took = sink.timer.elapsed();
    spinFor(150);
    EXPECT_EQ(opened->completions, 1);
    EXPECT_EQ(device.mode(), DeviceMode::Stopped);
    EXPECT_EQ(device.position(), device.length());
    EXPECT_NEAR(static_cast<double>(took), 2000.0, 250.0);

    // Twenty pictures, a tenth of a second apart, each at its own time.
    const auto stats = opened->video->statistics();
    RecordProperty("dropped", std::to_string(stats.dropped));
    EXPECT_GE(sink.shown.size(), 18u);
    EXPECT_LE(sink.shown.size(), 20u);
    // Each picture appears well inside its own tenth of a second; a machine
    // busy with another test may hold one back a few tens of milliseconds.
    for (const Shown& s : sink.shown) {
        EXPECT_EQ(s.size, QSize(160, 120));
        EXPECT_EQ(s.format, QImage::Format_RGB32);
        EXPECT_EQ(qAlpha(s.centre), 255);
        EXPECT_NEAR(static_cast<double>(s.clockMs - s.pictureMs), 0.0, 60.0);
    }
    ASSERT_GE(sink.shown.size(), 2u);
    const double span = static_cast<double>(sink.shown.back().wallMs - sink.shown.front().wallMs);
    EXPECT_NEAR(span / static_cast<double>(sink.shown.size() - 1), 100.0, 12.0);
}

INSTANTIATE_TEST_SUITE_P(Video, VideoCodecs, ::testing::Values("msvideo1", "cinepak"));

TEST(VideoFileDevice, ShowsThePictureOfEachMomentAndOfASeek)
{
    REQUIRE_FFMPEG();
    QTemporaryDir dir;
    const QString path = colourClip(dir);
    Mixer mixer;
    auto opened = openVideo(path, mixer);
    ASSERT_TRUE(opened->video);
    MediaDevice& device = *opened->device;
    EXPECT_NEAR(static_cast<double>(device.length()), 3000.0, 60.0);
    RecordingSink sink;
    sink.device = opened->video;
    device.setFrameSink(&sink);

    sink.arm();
    ASSERT_EQ(device.play(-1, -1), mci::kOk);
    ASSERT_TRUE(waitUntil([&] { return opened->completions > 0; }, 5000));
    EXPECT_EQ(sink.colourAt(500), 'r');
    EXPECT_EQ(sink.colourAt(1500), 'g');
    EXPECT_EQ(sink.colourAt(2500), 'b');
    EXPECT_EQ(sink.colourAt(4000), 'b') << "the last picture stays";

    // A seek shows its picture at once, and the play from there starts on it.
    sink.shown.clear();
    EXPECT_EQ(device.seek(1500), mci::kOk);
    EXPECT_EQ(device.position(), 1500);
    ASSERT_TRUE(waitUntil([&] { return !sink.shown.empty(); }, 2000));
    EXPECT_EQ(RecordingSink::classify(sink.shown.back().centre), 'g');
    sink.shown.clear();
    ASSERT_EQ(device.play(-1, -1), mci::kOk);
    ASSERT_TRUE(waitUntil([&] { return !sink.shown.empty(); }, 2000));
    EXPECT_EQ(RecordingSink::classify(sink.shown.front().centre), 'g');
    EXPECT_EQ(sink.shown.front().pictureMs, 1500);
    device.stop();

    // From..to: the blue second alone, about a second long.
    sink.shown.clear();
    const int before = opened->completions;
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(device.play(2000, 2900), mci::kOk);
    ASSERT_TRUE(waitUntil([&] { return opened->completions > before; }, 3000));
    EXPECT_NEAR(static_cast<double>(timer.elapsed()), 900.0, 150.0);
    EXPECT_EQ(device.position(), 2900);
    for (const Shown& s : sink.shown)
        EXPECT_EQ(RecordingSink::classify(s.centre), 'b');
}

TEST(VideoFileDevice, PictureAndSoundStartTogether)
{
    REQUIRE_FFMPEG();
    DiskAudio disk;
    const QString path = disk.tempPath(QStringLiteral("beep.avi"));
    // Black and silence, then at one second a white picture and a 1 kHz beep.
    ASSERT_TRUE(encode(QStringLiteral("-f lavfi -i color=black:s=160x120:r=25:d=1 "
                                      "-f lavfi -i color=white:s=160x120:r=25:d=1 "
                                      "-f lavfi -i aevalsrc=if(gte(t\\,1)\\,0.5*sin(2*PI*1000*t)\\,0):s=48000:d=2 "
                                      "-filter_complex [0:v][1:v]concat=n=2:v=1:a=0[v] -map [v] -map 2:a "
                                      "-c:v msvideo1 -c:a pcm_s16le"),
                       path));
    AudioFormat format;
    RecordingSink sink;
    {
        Mixer mixer;
        ASSERT_TRUE(mixer.open());
        format = mixer.format();
        auto opened = openVideo(path, mixer);
        ASSERT_TRUE(opened->video);
        sink.device = opened->video;
        sink.diskPath = disk.path();
        sink.bytesPerFrame = QStringLiteral("S16") == format.sampleFormat ? 2 * format.channels : 4 * format.channels;
        opened->device->setFrameSink(&sink);
        ASSERT_EQ(opened->device->play(-1, -1), mci::kOk);
        ASSERT_TRUE(waitUntil([&] { return opened->completions > 0; }, 5000));
        opened->device->setFrameSink(nullptr);
    }
    const auto white =
        std::find_if(sink.shown.begin(), sink.shown.end(), [](const Shown& s) { return qRed(s.centre) > 200; });
    ASSERT_NE(white, sink.shown.end());
    EXPECT_EQ(white->pictureMs, 1000);

    // Two measurements of the same moment. The device's: how far the sound's
    // clock had gone past the white picture's time when the UI thread showed
    // it. The ears': how much the disk driver had written when the picture
    // showed, against where the beep begins in what it wrote. The second
    // includes what the first cannot see (the sound buffer, the clock's
    // model of it), within a buffer of the driver's file writes.
    const double clockLagMs = static_cast<double>(white->clockMs - white->pictureMs);
    const auto left = readDiskOutput(disk.path(), format).channel(0);
    const Span beep = nonSilent(left, 0.05f);
    ASSERT_GT(beep.length(), 0u);
    const double heardOffsetMs =
        static_cast<double>(white->outputFrames - static_cast<qint64>(beep.begin)) * 1000.0 / format.rate;
    RecordProperty("clock_lag_ms", std::to_string(clockLagMs));
    RecordProperty("heard_offset_ms", std::to_string(heardOffsetMs));
    EXPECT_NEAR(clockLagMs, 0.0, 40.0);
    EXPECT_NEAR(heardOffsetMs, 0.0, 40.0);
}

TEST(VideoFileDevice, PauseHoldsAndStopSilencesTheEnd)
{
    REQUIRE_FFMPEG();
    QTemporaryDir dir;
    const QString path = testPattern(dir, QStringLiteral("msvideo1"));
    Mixer mixer;
    auto opened = openVideo(path, mixer);
    ASSERT_TRUE(opened->video);
    MediaDevice& device = *opened->device;
    auto sink = std::make_unique<RecordingSink>();
    device.setFrameSink(sink.get());

    ASSERT_EQ(device.play(-1, -1), mci::kOk);
    spinFor(400);
    EXPECT_EQ(device.mode(), DeviceMode::Playing);
    EXPECT_NEAR(static_cast<double>(device.position()), 400.0, 80.0);
    EXPECT_EQ(device.pause(), mci::kOk);
    EXPECT_EQ(device.mode(), DeviceMode::Paused);
    spinFor(30);
    const int64_t held = device.position();
    const size_t shown = sink->shown.size();
    spinFor(300);
    EXPECT_EQ(device.position(), held);
    EXPECT_EQ(sink->shown.size(), shown) << "no pictures while paused";
    EXPECT_EQ(device.resume(), mci::kOk);
    spinFor(300);
    EXPECT_GT(device.position(), held + 200);
    EXPECT_GT(sink->shown.size(), shown);

    // The surface goes mid-play; the play goes on keeping time.
    device.setFrameSink(nullptr);
    sink.reset();
    spinFor(100);
    device.stop();
    EXPECT_EQ(device.mode(), DeviceMode::Stopped);
    const int64_t stoppedAt = device.position();
    EXPECT_GT(stoppedAt, 700);
    spinFor(1500);
    EXPECT_EQ(opened->completions, 0) << "a stopped play does not complete";
    EXPECT_EQ(device.position(), stoppedAt);

    // Without a surface the rest plays out and completes.
    ASSERT_EQ(device.play(-1, -1), mci::kOk);
    ASSERT_TRUE(waitUntil([&] { return opened->completions > 0; }, 3000));
    EXPECT_EQ(device.position(), device.length());
}

TEST(VideoFileDevice, WhatOpensAsVideoAndWhatAsSound)
{
    REQUIRE_FFMPEG();
    QTemporaryDir dir;
    Mixer mixer;
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    ASSERT_TRUE(writeFile(wav, wavBytes(WavFormat{.rate = 22050, .durationMs = 300})));
    const QString art = dir.filePath(QStringLiteral("art.png"));
    ASSERT_TRUE(encode(QStringLiteral("-f lavfi -i color=red:s=64x64:d=1 -frames:v 1"), art));
    const QString mp3 = dir.filePath(QStringLiteral("covered.mp3"));
    ASSERT_TRUE(
        encode(QStringLiteral("-i %1 -i %2 -map 0 -map 1 -c:v png -disposition:v attached_pic").arg(wav, art), mp3));

    // A "video" without pictures, and a song with cover art, are sound.
    for (const QString& path : {wav, mp3}) {
        SCOPED_TRACE(path.toStdString());
        auto device = openDevice(path, DeviceType::AviVideo, DeviceServices{&mixer, {}});
        ASSERT_TRUE(device.ok()) << device.error();
        EXPECT_FALSE(device.value()->hasVideo());
        EXPECT_EQ(dynamic_cast<VideoFileDevice*>(device.value().get()), nullptr);
    }

    // The containers and codings of the era, and pictures of other shapes.
    struct Case {
        const char* name;
        const char* args;
        QSize natural;
        DeviceType type;
        QImage::Format format = QImage::Format_RGB32;
    };
    const Case cases[] = {
        {"qtrle.mov", "-f lavfi -i color=red:s=96x64:r=10:d=0.5 -c:v qtrle", {96, 64}, DeviceType::AviVideo},
        {"rpza.mov",
         "-f lavfi -i color=red:s=64x64:r=10:d=0.5 -c:v rpza -pix_fmt rgb555le",
         {64, 64},
         DeviceType::AviVideo},
        {"smc.mov", "-f lavfi -i color=red:s=96x64:r=10:d=0.5 -c:v smc -pix_fmt pal8", {96, 64}, DeviceType::AviVideo},
        {"mpeg1.mpg", "-f lavfi -i color=red:s=96x64:r=25:d=0.5 -c:v mpeg1video", {96, 64}, DeviceType::MpegVideo},
        {"wide.mov",
         "-f lavfi -i color=red:s=96x64:r=10:d=0.5 -vf setsar=2/1 -c:v qtrle",
         {192, 64},
         DeviceType::AviVideo},
        {"alpha.mov",
         "-f lavfi -i color=red@0.5:s=96x64:r=10:d=0.5,format=argb -c:v qtrle -pix_fmt argb",
         {96, 64},
         DeviceType::AviVideo,
         QImage::Format_ARGB32_Premultiplied},
        {"dib8.avi",
         "-f lavfi -i color=red:s=96x64:r=10:d=0.5 -c:v rawvideo -pix_fmt pal8",
         {96, 64},
         DeviceType::AviVideo},
        {"dib24.avi",
         "-f lavfi -i color=red:s=96x64:r=10:d=0.5 -c:v rawvideo -pix_fmt bgr24",
         {96, 64},
         DeviceType::AviVideo},
        {"iyuv.avi",
         "-f lavfi -i color=red:s=96x64:r=10:d=0.5 -c:v rawvideo -pix_fmt yuv420p",
         {96, 64},
         DeviceType::AviVideo},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        if (!encode(QString::fromLatin1(c.args), path, false)) {
            ADD_FAILURE() << "the encoder could not write " << c.name;
            continue;
        }
        auto opened = openVideo(path, mixer);
        ASSERT_TRUE(opened->video);
        EXPECT_EQ(opened->device->type(), c.type);
        EXPECT_EQ(opened->device->naturalSize(), c.natural);
        RecordingSink sink;
        opened->device->setFrameSink(&sink);
        opened->device->seek(0);
        ASSERT_TRUE(waitUntil([&] { return !sink.shown.empty(); }, 2000));
        EXPECT_EQ(sink.shown.back().size, c.natural);
        EXPECT_EQ(sink.shown.back().format, c.format);
        EXPECT_GT(qRed(sink.shown.back().centre), 100);
        EXPECT_LT(qGreen(sink.shown.back().centre), 60);
        if (c.format == QImage::Format_ARGB32_Premultiplied) {
            EXPECT_NEAR(qAlpha(sink.shown.back().centre), 128, 8);
        }
        opened->device->setFrameSink(nullptr);
    }
}

TEST(VideoFileDevice, DamagedFilesEndOrFailCleanly)
{
    REQUIRE_FFMPEG();
    QTemporaryDir dir;
    Mixer mixer;
    for (const char* codec : {"msvideo1", "cinepak"}) {
        const QString source = testPattern(dir, QString::fromLatin1(codec), QStringLiteral("adpcm_ima_wav"), 1);
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray whole = f.readAll();

        QByteArray scribbled = whole;
        uint32_t seed = 12345;
        for (qsizetype i = scribbled.size() / 2; i < scribbled.size() / 2 + 4096 && i < scribbled.size(); ++i) {
            seed = seed * 1664525u + 1013904223u;
            scribbled[i] = static_cast<char>(seed >> 24);
        }
        QByteArray header = whole;
        for (qsizetype i = 24; i < 200 && i < header.size(); i += 7)
            header[i] = static_cast<char>(0xFF);
        const struct {
            const char* name;
            QByteArray bytes;
        } damaged[] = {
            {"truncated", whole.left(whole.size() * 6 / 10)},
            {"scribbled", scribbled},
            {"header", header},
            {"stub", whole.left(300)},
        };
        for (const auto& d : damaged) {
            SCOPED_TRACE(std::string(codec) + " " + d.name);
            const QString path = dir.filePath(QStringLiteral("%1-%2.avi").arg(QLatin1String(codec), d.name));
            ASSERT_TRUE(writeFile(path, d.bytes));
            auto opened = openVideo(path, mixer, DeviceType::AviVideo);
            if (!opened->device)
                continue; // refused at open: clean enough
            RecordingSink sink;
            opened->device->setFrameSink(&sink);
            QElapsedTimer timer;
            timer.start();
            const int rc = opened->device->play(-1, -1);
            if (rc != mci::kOk)
                continue;
            EXPECT_TRUE(waitUntil([&] { return opened->completions > 0; }, 4000)) << "the play ends";
            EXPECT_LT(timer.elapsed(), opened->device->length() + 1000);
            for (const Shown& s : sink.shown)
                EXPECT_EQ(s.size, opened->device->naturalSize());
            opened->device->setFrameSink(nullptr);
        }
    }
}
