#pragma once

#include "media/MediaDevice.h"

namespace lumeria::media {

// A compound device opened by its type alone ("open waveaudio", "open
// avivideo alias a") or as a new element: the driver is there, with
// nothing in it to play. It is stopped, at 0, of length 0.
class EmptyElementDevice final : public MediaDevice {
public:
    explicit EmptyElementDevice(DeviceType type) : m_type(type) {}

    DeviceType type() const override { return m_type; }
    int play(int64_t, int64_t) override { return 0; }
    void stop() override {}
    int pause() override { return 0; }
    int resume() override { return 0; }
    int seek(int64_t) override { return 0; }
    DeviceMode mode() const override { return DeviceMode::Stopped; }
    int64_t position() const override { return 0; }
    int64_t length() const override { return 0; }
    void setAudioEnabled(bool) override {}

private:
    DeviceType m_type;
};

} // namespace lumeria::media
