// Pictures that move: how many frames a second a 640 × 480 Cinepak video
// reaches at what share of a core, beside the ffmpeg command decoding the
// same file; and how fast a 320 × 200 FLC plays when its frames ask for
// more than the eye needs. Run through bench/run; never part of the tests.
//
//   video_bench [--quick]
#include "media/AnimationDevice.h"
#include "media/AudioOutput.h"
#include "media/DeviceFactory.h"
#include "media/FlicSource.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {

using namespace lumeria;
using namespace lumeria::media;

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Counts what would have been shown.
class CountingSink final : public FrameSink {
public:
    void present(const QImage& frame) override
    {
        ++frames;
        size = frame.size();
    }
    void setRectangle(const QRect& r) override { m_rect = r; }
    QRect rectangle() const override { return m_rect; }
    void setVisible(bool) override {}

    int frames = 0;
    QSize size;

private:
    QRect m_rect;
};

struct Played {
    double wallSeconds = 0;
    double cpuPercent = 0;
    int frames = 0;
};

// Plays the device to its end with events running, as the window would.
Played playThrough(MediaDevice& device)
{
    CountingSink sink;
    device.setFrameSink(&sink);
    // The process sleeps between events, as the player's own loop does, so
    // the processor time is the device's.
    QEventLoop loop;
    device.setCompletionHandler([&] { loop.quit(); });
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    const double cpu0 = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    if (device.play(0, -1) != 0)
        return {};
    loop.exec();
    Played p;
    p.wallSeconds = double(wall.elapsed()) / 1000.0;
    p.cpuPercent = 100.0 * (processCpuSeconds() - cpu0) / p.wallSeconds;
    p.frames = sink.frames;
    device.setFrameSink(nullptr);
    return p;
}

// Runs of equal bytes replicated, the rest copied: the FLC's own packing.
QByteArray byteRun(const std::vector<uint8_t>& pixels, int width, int height)
{
    QByteArray out;
    for (int y = 0; y < height; ++y) {
        const uint8_t* line = pixels.data() + size_t(y) * size_t(width);
        out.append('\0');
        int x = 0;
        while (x < width) {
            int run = 1;
            while (x + run < width && run < 127 && line[x + run] == line[x])
                ++run;
            out.append(char(int8_t(run)));
            out.append(char(line[x]));
            x += run;
        }
    }
    if (out.size() % 2)
        out.append('\0');
    return out;
}

void put16(QByteArray& b, int v)
{
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}

void put32(QByteArray& b, uint32_t v)
{
    put16(b, int(v & 0xFFFF));
    put16(b, int(v >> 16));
}

QByteArray chunk(int type, const QByteArray& data)
{
    QByteArray c;
    put32(c, uint32_t(6 + data.size()));
    put16(c, type);
    return c + data;
}

// 100 frames of a gradient with a square crossing it, palette cycling.
QByteArray movingFlc(int width, int height, int frames, int delayMs)
{
    QByteArray body;
    for (int f = 0; f < frames; ++f) {
        QByteArray palette;
        put16(palette, 1);
        palette.append('\0');
        palette.append('\0');
        for (int i = 0; i < 256; ++i) {
            palette.append(char((i + f) & 0xFF));
            palette.append(char(i));
            palette.append(char(255 - i));
        }
        std::vector<uint8_t> pixels(size_t(width) * size_t(height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const bool square = x >= f * 2 && x < f * 2 + 64 && y >= 60 && y < 124;
                pixels[size_t(y) * size_t(width) + size_t(x)] = square ? 255 : uint8_t(y * 200 / height);
            }
        }
        QByteArray frame;
        put16(frame, 2);
        frame.append(QByteArray(8, '\0'));
        frame += chunk(4, palette) + chunk(15, byteRun(pixels, width, height));
        QByteArray wrapped;
        put32(wrapped, uint32_t(6 + frame.size()));
        put16(wrapped, 0xF1FA);
        body += wrapped + frame;
    }
    QByteArray head;
    put32(head, uint32_t(128 + body.size()));
    put16(head, 0xAF12);
    put16(head, frames);
    put16(head, width);
    put16(head, height);
    put16(head, 8);
    put16(head, 0);
    put32(head, uint32_t(delayMs));
    head.append(QByteArray(80 - head.size(), '\0'));
    put32(head, 128);
    head.append(QByteArray(128 - head.size(), '\0'));
    return head + body;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("SDL_AUDIODRIVER", "dummy");
    QCoreApplication app(argc, argv);
    setvbuf(stdout, nullptr, _IOLBF, 0);
    const bool quick =
        app.arguments().contains(QStringLiteral("--quick")) || qEnvironmentVariableIntValue("LUMERIA_BENCH_QUICK");
    QTemporaryDir dir;
    Mixer mixer;
    mixer.open();

    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (!ffmpeg.isEmpty()) {
        const int seconds = quick ? 3 : 10;
        const QString clip = dir.filePath(QStringLiteral("CLIP.AVI"));
        QProcess make;
        make.start(ffmpeg, {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                            QStringLiteral("lavfi"), QStringLiteral("-i"),
                            QStringLiteral("testsrc2=size=640x480:rate=30:duration=%1").arg(seconds),
                            QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                            QStringLiteral("sine=frequency=440:duration=%1").arg(seconds), QStringLiteral("-c:v"),
                            QStringLiteral("cinepak"), QStringLiteral("-c:a"), QStringLiteral("pcm_s16le"), clip});
        make.waitForFinished(600000);
        Result<std::unique_ptr<MediaDevice>> device = openDevice(clip, std::nullopt, DeviceServices{&mixer, {}});
        if (make.exitCode() == 0 && device) {
            const Played p = playThrough(*device.value());
            // The peer: the same file decoded by the ffmpeg command as fast
            // as it goes, pictures and sound, nothing shown.
            QProcess peer;
            QElapsedTimer peerWall;
            peerWall.start();
            peer.start(ffmpeg,
                       {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-threads"), QStringLiteral("1"),
                        QStringLiteral("-i"), clip, QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")});
            peer.waitForFinished(600000);
            const double peerSeconds = double(peerWall.elapsed()) / 1000.0;
            std::printf("video cinepak_640x480 seconds=%d wall_s=%.2f frames=%d fps=%.1f cpu_percent=%.1f "
                        "ffmpeg_decode_s=%.2f\n",
                        seconds, p.wallSeconds, p.frames, p.frames / p.wallSeconds, p.cpuPercent, peerSeconds);
        } else {
            std::printf("video cinepak_640x480 skipped=1\n");
        }
    }

    // 10 ms a frame asks for 100 frames a second.
    const QByteArray flc = movingFlc(320, 200, 100, 10);
    QElapsedTimer decode;
    decode.start();
    int decoded = 0;
    if (Result<std::unique_ptr<FrameSource>> source = openFlic(flc)) {
        for (int pass = 0; pass < (quick ? 2 : 10); ++pass) {
            source.value()->rewind();
            while (source.value()->next())
                ++decoded;
        }
    }
    const double decodeSeconds = double(decode.elapsed()) / 1000.0;
    Result<std::unique_ptr<FrameSource>> source = openFlic(flc);
    if (source) {
        AnimationDevice device(std::move(source).value(), 100 * 10);
        const Played p = playThrough(device);
        std::printf("flic flc_320x200 frames=%d wall_s=%.2f fps=%.1f cpu_percent=%.1f decode_fps=%.0f\n", p.frames,
                    p.wallSeconds, p.frames / p.wallSeconds, p.cpuPercent, decoded / decodeSeconds);
    }
    return 0;
}
