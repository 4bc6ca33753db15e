#pragma once

#include "media/MediaDevice.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace lumeria::media {

// How positions are written in command strings to a device.
enum class TimeFormat { Milliseconds, Frames, Msf, Tmsf, Bytes, Samples };

// What happens when a play ends by itself, whoever started it: LOOP and
// "play ... repeat" play again endlessly, an animation its repeat count.
struct Replay {
    bool endless = false;
    int timesLeft = 0; // further plays, when not endless
    int64_t from = 0;
    int64_t to = -1;
    bool pending() const { return endless || timesLeft > 0; }
};

// Everything that plays is a device in one table, whether the media list or
// a command string opened it, as the system's was: "stop all" reaches a
// sound a script started with PlaySoundFile, and "close" of its alias ends
// it. Animations are in it too, hidden from command strings, which never
// knew them.
struct OpenDevice {
    uint16_t id = 0;
    QString alias;   // compared ignoring case
    QString element; // the file, empty for a device opened by type alone
    DeviceType type = DeviceType::WaveAudio;
    // Where a video or animation shows; declared before the device, which
    // must go first.
    std::unique_ptr<FrameSink> surface;
    std::unique_ptr<MediaDevice> device;
    TimeFormat timeFormat = TimeFormat::Milliseconds;
    WaveFormat wave;
    bool shareable = false;
    // Opened by a command that named a file without opening it first: it
    // closes itself when its play ends.
    bool autoOpened = false;
    Replay replay;
    // Not reached by aliases or "all": an animation of the page.
    bool hidden = false;
};

class DeviceTable {
public:
    DeviceTable() = default;
    DeviceTable(const DeviceTable&) = delete;
    DeviceTable& operator=(const DeviceTable&) = delete;
    ~DeviceTable();

    OpenDevice* byId(uint16_t id);
    OpenDevice* byAlias(const QString& alias);
    bool aliasTaken(const QString& alias) const;

    // Enters an opened device under a new identifier (never 0). When its
    // play ends by itself its replay rule is applied; once none is left, the
    // completion listener is told.
    OpenDevice& add(const QString& alias, const QString& element, DeviceType type, std::unique_ptr<MediaDevice> device,
                    bool hidden = false);
    // Stops and closes the device and tells the close listener.
    void close(uint16_t id);
    void closeAll();

    // The identifiers of every device command strings see, oldest first.
    std::vector<uint16_t> ids() const;
    bool empty() const { return m_devices.empty(); }

    void setCompletionListener(std::function<void(uint16_t id)> listener) { m_completed = std::move(listener); }
    // Told after a device has closed, with where its surface was (empty
    // when it had none), so the page can be painted again there.
    void setCloseListener(std::function<void(uint16_t id, const QRect& shownAt)> listener)
    {
        m_closed = std::move(listener);
    }

private:
    void completed(uint16_t id);

    std::vector<std::unique_ptr<OpenDevice>> m_devices;
    uint16_t m_nextId = 1;
    std::function<void(uint16_t)> m_completed;
    std::function<void(uint16_t, const QRect&)> m_closed;
};

} // namespace lumeria::media
