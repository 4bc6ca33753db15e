#include "media/MidiFileDevice.h"

#include "media/AudioOutput.h"
#include "media/FluidSynthLibrary.h"
#include "media/MciErrors.h"
#include "media/MidiFile.h"
#include "media/SdlLibrary.h"
#include "media/StreamingDevice.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

namespace lumeria::media {

namespace {

constexpr size_t kSynthBlockFrames = 256;
// After the last note the voices release; the play ends at silence or here.
constexpr int kMaxTailMs = 300;
constexpr float kSilence = 1.0e-4f;
// The synthesizer's own default (0.2) is far quieter than wave files played
// beside it; louder than this clips on dense arrangements.
constexpr double kSynthGain = 0.5;

void quietenSynthLogging()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Its information and warnings (SoundFont quirks, player states) say
        // nothing a reader can act on; errors still go to stderr.
        fluidSynth().fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
        fluidSynth().fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluidSynth().fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    });
}

enum class Phase { Playing, Tail, Done };

struct Synth {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_player_t* player = nullptr;

    // The play in progress, on the worker.
    Phase phase = Phase::Done;
    int channels = 2;
    int64_t framesLeft = 0;
    int64_t tailLeft = 0;
    std::vector<float> stereo;

    Synth() = default;
    Synth(const Synth&) = delete;
    Synth& operator=(const Synth&) = delete;
    ~Synth()
    {
        dropPlayer();
        if (synth)
            fluidSynth().delete_fluid_synth(synth);
        if (settings)
            fluidSynth().delete_fluid_settings(settings);
    }

    void dropPlayer()
    {
        if (!player)
            return;
        fluidSynth().delete_fluid_player(player);
        player = nullptr;
    }

    void silence()
    {
        fluidSynth().fluid_synth_all_notes_off(synth, -1);
        fluidSynth().fluid_synth_all_sounds_off(synth, -1);
    }

    // Renders frames in the mixer's channel layout; the synth gives stereo.
    void write(float* out, size_t frames)
    {
        if (channels == 2) {
            fluidSynth().fluid_synth_write_float(synth, static_cast<int>(frames), out, 0, 2, out, 1, 2);
            return;
        }
        stereo.resize(frames * 2);
        fluidSynth().fluid_synth_write_float(synth, static_cast<int>(frames), stereo.data(), 0, 2, stereo.data(), 1, 2);
        const auto ch = static_cast<size_t>(channels);
        for (size_t f = 0; f < frames; ++f) {
            const float l = stereo[f * 2];
            const float r = stereo[f * 2 + 1];
            if (ch == 1) {
                out[f] = 0.5f * (l + r);
                continue;
            }
            out[f * ch] = l;
            out[f * ch + 1] = r;
            std::fill_n(out + f * ch + 2, ch - 2, 0.0f);
        }
    }
};

// The file's events through the synthesizer, from a player made for each play.
class MidiRenderer final : public SoundRenderer {
public:
    MidiRenderer(MidiFile file, std::unique_ptr<Synth> synth) : m_file(std::move(file)), m_synth(std::move(synth)) {}

    bool start(int64_t fromMs, int64_t toMs, int rate, int channels) override;
    size_t render(float* out, size_t maxFrames) override;
    void stopped() override
    {
        m_synth->dropPlayer();
        m_synth->silence();
    }

private:
    MidiFile m_file;
    std::unique_ptr<Synth> m_synth;
};

} // namespace

Result<std::unique_ptr<StreamingDevice>> openMidiFile(const QString& path, const QString& soundFont, Mixer& mixer)
{
    auto file = MidiFile::load(path);
    if (!file)
        return Failure{file.error()};
    if (!loadFluidSynth() || !loadSdl())
        return Failure{mci::kCannotLoadDriver};
    if (!mixer.open())
        return Failure{mci::kHardware};
    quietenSynthLogging();

    auto synth = std::make_unique<Synth>();
    synth->settings = fluidSynth().new_fluid_settings();
    if (!synth->settings)
        return Failure{mci::kCannotLoadDriver};
    fluid_settings_t* s = synth->settings;
    fluidSynth().fluid_settings_setnum(s, "synth.sample-rate", mixer.format().rate);
    fluidSynth().fluid_settings_setnum(s, "synth.gain", kSynthGain);
    // The player must advance with the samples we render, not with a clock
    // of its own, or a paused or starved stream would run ahead of the notes.
    fluidSynth().fluid_settings_setstr(s, "player.timing-source", "sample");
    // Only the synthesizer and the file player are used: no audio driver
    // and no MIDI driver are ever created, and none may connect on its own.
    fluidSynth().fluid_settings_setint(s, "midi.autoconnect", 0);
    fluidSynth().fluid_settings_setint(s, "synth.cpu-cores", 1);
    synth->synth = fluidSynth().new_fluid_synth(s);
    if (!synth->synth)
        return Failure{mci::kCannotLoadDriver};
    const QByteArray fontPath = QFile::encodeName(soundFont);
    if (soundFont.isEmpty() || fluidSynth().fluid_synth_sfload(synth->synth, fontPath.constData(), 1) == FLUID_FAILED)
        return Failure{mci::kCannotLoadDriver};
    synth->channels = mixer.format().channels;
    const int64_t lengthMs = file.value().lengthMs();
    return std::make_unique<StreamingDevice>(mixer, DeviceType::Sequencer, lengthMs,
                                             std::make_unique<MidiRenderer>(std::move(file).value(), std::move(synth)));
}

bool MidiRenderer::start(int64_t fromMs, int64_t toMs, int rate, int channels)
{
    Synth& s = *m_synth;
    s.dropPlayer();
    s.silence();
    s.channels = channels;
    s.phase = Phase::Done;
    s.framesLeft = (toMs - fromMs) * rate / 1000;
    s.tailLeft = static_cast<int64_t>(kMaxTailMs) * rate / 1000;
    if (s.framesLeft <= 0)
        return false;
    s.player = fluidSynth().new_fluid_player(s.synth);
    if (!s.player)
        return false;
    const auto& bytes = m_file.smf();
    if (fluidSynth().fluid_player_add_mem(s.player, bytes.data(), bytes.size()) != FLUID_OK)
        return false;
    // Seek before play: a playing player refuses ticks beyond what it has
    // loaded, and it loads the file only on its first callback. A player not
    // yet playing takes the position and skips there, without the notes, on
    // that callback.
    if (fromMs > 0)
        fluidSynth().fluid_player_seek(s.player,
                                       static_cast<int>(std::min<int64_t>(m_file.msToTicks(fromMs), INT32_MAX)));
    if (fluidSynth().fluid_player_play(s.player) != FLUID_OK)
        return false;
    s.phase = Phase::Playing;
    return true;
}

size_t MidiRenderer::render(float* out, size_t maxFrames)
{
    Synth& s = *m_synth;
    if (s.phase == Phase::Playing) {
        const size_t frames = std::min({maxFrames, kSynthBlockFrames, static_cast<size_t>(s.framesLeft)});
        s.write(out, frames);
        s.framesLeft -= static_cast<int64_t>(frames);
        if (s.framesLeft <= 0 || fluidSynth().fluid_player_get_status(s.player) == FLUID_PLAYER_DONE) {
            // The end or `to`: no further events, held notes are released
            // and ring out in the tail. The player goes rather than stops: a
            // stopped player's next callback silences every voice at once.
            s.dropPlayer();
            fluidSynth().fluid_synth_all_notes_off(s.synth, -1);
            s.phase = Phase::Tail;
        }
        return frames;
    }
    if (s.phase == Phase::Tail && s.tailLeft > 0) {
        const size_t frames = std::min({maxFrames, kSynthBlockFrames, static_cast<size_t>(s.tailLeft)});
        s.write(out, frames);
        s.tailLeft -= static_cast<int64_t>(frames);
        const size_t samples = frames * static_cast<size_t>(s.channels);
        const bool quiet = std::all_of(out, out + samples, [](float v) { return std::fabs(v) < kSilence; });
        if (quiet || s.tailLeft <= 0) {
            s.silence();
            s.phase = Phase::Done;
        }
        return frames;
    }
    return 0;
}

} // namespace lumeria::media
