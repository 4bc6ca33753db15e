// Media measures: how soon a played sound is heard, what mixing a page's
// sounds costs the processor, and whether a looped sound holds its memory.
// Run through bench/run; never part of the tests. Prints one key=value line
// per measure, which bench/run turns into its summary lines.
//
//   media_bench [--quick] [latency] [cpu] [memory]
//
// --quick (or LUMERIA_BENCH_QUICK=1) shortens every measure for a smoke run.
#include "MediaFiles.h"

#include "media/MediaManager.h"
#include "media/QuietEnvironment.h"

#include <SDL.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace lumeria;
using namespace lumeria::media;
using Clock = std::chrono::steady_clock;

// What the mixer asks SDL for; the bare-SDL peer asks for the same.
constexpr int kDeviceRate = 48000;
constexpr int kDeviceChannels = 2;
constexpr int kDeviceSamples = 512;
// Fine beside the dummy driver's 10.7 ms period, coarse enough to leave the
// processor to the threads being measured.
constexpr auto kPollStep = std::chrono::microseconds(100);
constexpr auto kGiveUp = std::chrono::seconds(2);
// Plays start at a random point of the device's period, not in step with it.
constexpr int kMaxJitterMicros = 11000;

struct Settings {
    int plays = 20;
    int idleSeconds = 3;
    int cpuSeconds = 10;
    int memorySeconds = 60;
    int memoryStepSeconds = 5;
};

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

long rssKib()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

// Lets queued completions (loop restarts) run for a while, doing nothing else.
void runEvents(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<size_t>(std::lround(p * static_cast<double>(values.size() - 1)));
    return values[at];
}

// A media manager over the run's folder, set up as the window sets it up.
// The tick count it names devices after is ours, so the alias of the next
// play is known and its position can be asked by command string.
class Session final : public QuietEnvironment {
public:
    explicit Session(const QString& folder) : m_folder(folder) { m_manager.setEnvironment(*this); }
    ~Session() override { m_manager.detachEnvironment(); }

    std::optional<QString> locate(const QString& name) override
    {
        const QString path = QDir(m_folder).filePath(name);
        if (!QFileInfo(path).isFile())
            return std::nullopt;
        return path;
    }
    QString publicationFolder() const override { return m_folder; }
    void errorBox(const QString&, const QString& message, const QString&) override
    {
        std::fprintf(stderr, "media error: %s\n", qPrintable(message));
    }
    int64_t clock() const override { return m_tick; }

    MediaManager& manager() { return m_manager; }
    QString nextAlias()
    {
        ++m_tick;
        return QStringLiteral("LuMedia%1").arg(m_tick);
    }
    int64_t position(const QString& alias)
    {
        const MciReply reply = m_manager.sendString(QStringLiteral("status %1 position").arg(alias));
        return reply.code == 0 ? reply.text.toLongLong() : -1;
    }

private:
    QString m_folder;
    int64_t m_tick = 1000;
    MediaManager m_manager;
};

struct Latency {
    double firstMs = -1; // the first play; through the manager, it opens the device
    std::vector<double> ms;
    std::vector<double> callMs; // how long the play call itself took
    int missed = 0;
};

void record(Latency& out, int play, double ms, double callMs)
{
    if (play == 0) {
        out.firstMs = ms;
        return;
    }
    out.callMs.push_back(callMs);
    if (ms < 0)
        ++out.missed;
    else
        out.ms.push_back(ms);
}

// From PlaySoundFile to the audio callback having taken the sound's first
// frames: the device's position moves off 0 only then, as it counts frames
// the callback consumed.
Latency lumeriaLatency(const QString& folder, const QString& file, int plays, std::mt19937& rng)
{
    std::uniform_int_distribution<int> jitter(0, kMaxJitterMicros);
    Session session(folder);
    Latency out;
    for (int play = 0; play <= plays; ++play) {
        std::this_thread::sleep_for(std::chrono::microseconds(jitter(rng)));
        const QString alias = session.nextAlias();
        const auto start = Clock::now();
        session.manager().playSoundFile(file, MediaMode::Start);
        const double called = msSince(start);
        double heard = -1;
        while (Clock::now() - start < kGiveUp) {
            if (session.position(alias) > 0) {
                heard = msSince(start);
                break;
            }
            std::this_thread::sleep_for(kPollStep);
        }
        session.manager().stopMedia(StopTarget::All, {});
        QCoreApplication::processEvents();
        record(out, play, heard, called);
    }
    return out;
}

// The platform's own best: the same samples handed to SDL's queue on a
// device opened as the mixer opens its own, timed to the callback's first
// take from the queue.
Latency sdlQueueLatency(const QByteArray& pcm, int plays, std::mt19937& rng)
{
    Latency out;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return out;
    SDL_AudioSpec want{};
    want.freq = kDeviceRate;
    want.format = AUDIO_S16SYS;
    want.channels = kDeviceChannels;
    want.samples = kDeviceSamples;
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_ANY_CHANGE);
    // The queue takes bytes as they are: only a device that kept the format
    // can be given the WAV's samples unchanged.
    if (device != 0 && have.freq == want.freq && have.format == want.format && have.channels == want.channels) {
        SDL_PauseAudioDevice(device, 0);
        std::uniform_int_distribution<int> jitter(0, kMaxJitterMicros);
        const auto size = static_cast<Uint32>(pcm.size());
        for (int play = 0; play <= plays; ++play) {
            std::this_thread::sleep_for(std::chrono::microseconds(jitter(rng)));
            const auto start = Clock::now();
            SDL_QueueAudio(device, pcm.constData(), size);
            const double called = msSince(start);
            double heard = -1;
            while (Clock::now() - start < kGiveUp) {
                if (SDL_GetQueuedAudioSize(device) < size) {
                    heard = msSince(start);
                    break;
                }
                std::this_thread::sleep_for(kPollStep);
            }
            SDL_ClearQueuedAudio(device);
            record(out, play, heard, called);
        }
    }
    if (device != 0)
        SDL_CloseAudioDevice(device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return out;
}

void printLatency(const char* name, const Latency& l)
{
    std::printf("latency %s plays=%zu median_ms=%.2f worst_ms=%.2f first_ms=%.2f missed=%d call_median_ms=%.2f "
                "call_worst_ms=%.2f all_ms=",
                name, l.ms.size(), percentile(l.ms, 0.5), percentile(l.ms, 1.0), l.firstMs, l.missed,
                percentile(l.callMs, 0.5), percentile(l.callMs, 1.0));
    for (size_t i = 0; i < l.ms.size(); ++i)
        std::printf("%s%.1f", i ? "," : "", l.ms[i]);
    std::printf("\n");
}

struct CpuUse {
    double wallSeconds = 0;
    double percent = 0; // of one core
    double startMs = 0; // processor time the play calls themselves took
    int playing = 0;
};

// Process processor time over wall time while the manager plays the files
// (none: the open mixer alone).
CpuUse cpuWhilePlaying(const QString& folder, const QStringList& files, int seconds)
{
    Session session(folder);
    session.manager().mixer().open();
    const double before = processCpuSeconds();
    for (const QString& file : files)
        session.manager().playSoundFile(file, MediaMode::Loop);
    const double cpu0 = processCpuSeconds();
    const auto wall0 = Clock::now();
    runEvents(seconds * 1000);
    const double cpu1 = processCpuSeconds();
    CpuUse out;
    out.wallSeconds = msSince(wall0) / 1000.0;
    out.percent = 100.0 * (cpu1 - cpu0) / out.wallSeconds;
    out.startMs = (cpu0 - before) * 1000.0;
    out.playing = static_cast<int>(session.manager().playingFiles().size());
    session.manager().stopEverything();
    return out;
}

void memoryOfLoop(const QString& folder, const QString& file, const Settings& settings)
{
    Session session(folder);
    session.manager().mixer().open();
    const long before = rssKib();
    const QString alias = session.nextAlias();
    session.manager().playSoundFile(file, MediaMode::Loop);
    std::vector<long> samples{rssKib()};

    QEventLoop loop;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        samples.push_back(rssKib());
        if (static_cast<int>(samples.size()) > settings.memorySeconds / settings.memoryStepSeconds)
            loop.quit();
    });
    // The position falls back each time the loop starts again.
    int loops = 0;
    int64_t last = 0;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        const int64_t at = session.position(alias);
        if (at >= 0 && at < last)
            ++loops;
        last = at;
    });
    sampler.setTimerType(Qt::PreciseTimer);
    sampler.start(settings.memoryStepSeconds * 1000);
    watcher.start(50);
    loop.exec();
    const bool playing = session.manager().playingFiles().size() == 1;
    session.manager().stopEverything();

    const long first = samples.front();
    const long last_ = samples.back();
    const long most = *std::max_element(samples.begin(), samples.end());
    std::printf("memory seconds=%d step_s=%d loops=%d playing=%d before_kib=%ld first_kib=%ld last_kib=%ld "
                "max_kib=%ld growth_kib=%ld samples_kib=",
                settings.memorySeconds, settings.memoryStepSeconds, loops, playing ? 1 : 0, before, first, last_, most,
                last_ - first);
    for (size_t i = 0; i < samples.size(); ++i)
        std::printf("%s%ld", i ? "," : "", samples[i]);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    // Real-time pacing without a sound card, for ours and the peer alike.
    qputenv("SDL_AUDIODRIVER", "dummy");
    QCoreApplication app(argc, argv);
    setvbuf(stdout, nullptr, _IOLBF, 0);

    QStringList wanted = app.arguments().mid(1);
    Settings settings;
    if (wanted.removeAll(QStringLiteral("--quick")) > 0 || qEnvironmentVariableIntValue("LUMERIA_BENCH_QUICK") != 0)
        settings = {5, 1, 3, 15, 5};
    if (wanted.isEmpty())
        wanted = {QStringLiteral("latency"), QStringLiteral("cpu"), QStringLiteral("memory")};

    QTemporaryDir dir;
    const QString folder = dir.path();
    const auto put = [&folder](const QString& name, const QByteArray& bytes) {
        if (!bench::writeFile(QDir(folder).filePath(name), bytes))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
    };
    // The latency sound is at the device's format, so the peer can queue the
    // very samples; the 22 kHz one is what publications mostly hold.
    const bench::Tone beep{kDeviceRate, kDeviceChannels, 16, 880.0, 500, 0.4};
    put(QStringLiteral("BEEP48.WAV"), bench::wavBytes(beep));
    put(QStringLiteral("BEEP22.WAV"), bench::wavBytes({22050, 1, 16, 880.0, 500, 0.4}));
    put(QStringLiteral("LOOP1.WAV"), bench::wavBytes({22050, 1, 16, 440.0, 3000, 0.2}));
    put(QStringLiteral("LOOP2.WAV"), bench::wavBytes({11025, 1, 8, 330.0, 2500, 0.2}));
    put(QStringLiteral("LOOP3.WAV"), bench::wavBytes({44100, 2, 16, 550.0, 4000, 0.2}));
    put(QStringLiteral("LOOP4.WAV"), bench::wavBytes({22050, 1, 16, 660.0, 1500, 0.2}));
    put(QStringLiteral("TUNE.MID"), bench::tuneMidi(4)); // 8 s: it starts again within the window
    put(QStringLiteral("AMBIENT.WAV"), bench::wavBytes({22050, 1, 16, 220.0, 2000, 0.3}));

    std::mt19937 rng(20261208);
    if (wanted.contains(QStringLiteral("latency"))) {
        printLatency("sdl_queue", sdlQueueLatency(bench::pcmBytes(beep), settings.plays, rng));
        printLatency("lumeria", lumeriaLatency(folder, QStringLiteral("BEEP48.WAV"), settings.plays, rng));
        printLatency("lumeria_22k", lumeriaLatency(folder, QStringLiteral("BEEP22.WAV"), settings.plays, rng));
    }
    if (wanted.contains(QStringLiteral("cpu"))) {
        const CpuUse idle = cpuWhilePlaying(folder, {}, settings.idleSeconds);
        std::printf("cpu idle seconds=%.1f percent=%.2f\n", idle.wallSeconds, idle.percent);
        const CpuUse mix =
            cpuWhilePlaying(folder,
                            {QStringLiteral("LOOP1.WAV"), QStringLiteral("LOOP2.WAV"), QStringLiteral("LOOP3.WAV"),
                             QStringLiteral("LOOP4.WAV"), QStringLiteral("TUNE.MID")},
                            settings.cpuSeconds);
        std::printf("cpu mix seconds=%.1f percent=%.2f start_cpu_ms=%.1f playing=%d\n", mix.wallSeconds, mix.percent,
                    mix.startMs, mix.playing);
    }
    if (wanted.contains(QStringLiteral("memory")))
        memoryOfLoop(folder, QStringLiteral("AMBIENT.WAV"), settings);
    return 0;
}
