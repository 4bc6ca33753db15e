#pragma once

#include "media/DeviceFactory.h"
#include "media/DeviceTable.h"
#include "media/MciCommand.h"
#include "media/MediaEnvironment.h"
#include "media/MediaList.h"
#include "platform/Result.h"

#include <QString>

#include <optional>

namespace lumeria::media {

// What a command string gives back: the result code (0 for success) and
// the text a caller with a return buffer would have received.
struct MciReply {
    int code = 0;
    QString text;
};

// Carries out command strings over the device table, the way the system's
// media control interface did: devices opened by file or by type under an
// alias, opened on the fly when a command names a file, and answering with
// the system's own result codes.
// Whether the caller has somewhere to put the reply's text: MCICommand
// has not, and sysinfo, which answers in text alone, overflows without it.
enum class ReturnBuffer { Given, None };

class MciInterpreter {
public:
    MciInterpreter(DeviceTable& devices, DeviceServices services, MediaEnvironment& environment);

    MciReply execute(const QString& command, ReturnBuffer buffer = ReturnBuffer::Given);

    // A device's play reached its end: "repeat" plays again, and a device a
    // command opened on the fly closes.
    void deviceCompleted(uint16_t id);

private:
    MciReply dispatch(const MciRequest& r);
    MciReply open(const MciRequest& r);
    MciReply run(const MciRequest& r, OpenDevice& entry);
    MciReply play(const MciRequest& r, OpenDevice& entry);
    MciReply seek(const MciRequest& r, OpenDevice& entry);
    MciReply pause(OpenDevice& entry);
    MciReply resume(OpenDevice& entry);
    MciReply cue(OpenDevice& entry);
    // MciQueries.cpp: what a device answers about itself, and set.
    MciReply status(const MciRequest& r, OpenDevice& entry);
    MciReply set(const MciRequest& r, OpenDevice& entry);
    MciReply capability(const MciRequest& r, OpenDevice& entry);
    MciReply info(const MciRequest& r, OpenDevice& entry);
    MciReply sysinfo(const MciRequest& r);
    MciReply onAll(const MciRequest& r);
    // Opens what a command names without an alias: a file or a device type.
    Result<uint16_t> autoOpen(const MciRequest& r);
    void waitForPlayEnd(uint16_t id);
    // "put", "where" and "window" of a video: its place on the page.
    MciReply placeVideo(const MciRequest& r, OpenDevice& entry);

    // Positions in the device's time format, to and from milliseconds; a
    // position arrives as the integer the parser read, bytes packed.
    Result<int64_t> parsePosition(const OpenDevice& entry, uint32_t packed) const;
    QString formatPosition(const OpenDevice& entry, int64_t ms, bool asLength) const;

    DeviceTable& m_devices;
    DeviceServices m_services;
    MediaEnvironment& m_env;
};

// The device type a name stands for ("waveaudio", "cdaudio", ...), if any.
std::optional<DeviceType> deviceTypeNamed(const QString& name);
QString deviceTypeName(DeviceType type);

} // namespace lumeria::media
