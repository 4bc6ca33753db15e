#pragma once

#include "media/MidiFile.h"
#include "media/StreamingDevice.h"
#include "platform/Result.h"

#include <QString>

#include <memory>

namespace lumeria::media {

// A MIDI file played by a General MIDI synthesizer into the mixer: the
// sequencer device of the command strings.
class MidiFileDevice final : public StreamingDevice {
public:
    // kFileNotFound, kInvalidFile for a damaged file, kCannotLoadDriver when
    // the synthesizer or its SoundFont cannot be loaded.
    static Result<std::unique_ptr<MidiFileDevice>> open(const QString& path, const QString& soundFont, Mixer& mixer);
    ~MidiFileDevice() override;

    DeviceType type() const override { return DeviceType::Sequencer; }

protected:
    bool startRender(int64_t fromMs, int64_t toMs, int rate, int channels) override;
    size_t render(float* out, size_t maxFrames) override;
    void renderStopped() override;

private:
    struct Synth;
    MidiFileDevice(Mixer& mixer, MidiFile file, std::unique_ptr<Synth> synth);

    MidiFile m_file;
    std::unique_ptr<Synth> m_synth;
};

} // namespace lumeria::media
