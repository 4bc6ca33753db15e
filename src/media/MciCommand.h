#pragma once

#include "media/MediaDevice.h"
#include "platform/Result.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace lumeria::media {

// Every command the table knows. The interpreter switches over them with no
// default, so a row added here fails to compile until it is carried out.
enum class MciVerb : uint8_t {
    Open,
    Close,
    Play,
    Stop,
    Pause,
    Resume,
    Seek,
    Status,
    Set,
    Capability,
    Info,
    Sysinfo,
    Cue,
    Sound,
    Realize,
    Update,
    Window,
    Put,
    Where,
    SetAudio,
    SetVideo,
    Record,
    Save,
    Load,
    Delete,
    Break,
};

// The flags a command string may carry; each may be given once.
enum class MciFlag : uint32_t {
    Wait = 1u << 0,
    Notify = 1u << 1,
    Shareable = 1u << 2,
    Repeat = 1u << 3,
    SeekStart = 1u << 4,
    SeekEnd = 1u << 5,
    Fullscreen = 1u << 6,
    Window = 1u << 7,
    Start = 1u << 8,   // status position start
    Open = 1u << 9,    // sysinfo: the devices that are open
    Output = 1u << 10, // cue
    Input = 1u << 11,
};

// What status, capability, info and sysinfo ask for. Items a single kind of
// device answers carry that kind in the table; any other device answers
// them with the constant error, as its own table lacked them.
enum class MciItem : uint8_t {
    None,
    // Status; "status x 4" names an item by its number.
    ByNumber,
    Length,
    Position,
    NumberOfTracks,
    Mode,
    MediaPresent,
    TimeFormat,
    Ready,
    CurrentTrack,
    StartPosition,
    TrackType,
    FrameRate,
    FormatTag,
    Channels,
    SamplesPerSec,
    BytesPerSec,
    Alignment,
    BitsPerSample,
    // Capability
    CanPlay,
    CanRecord,
    CanSave,
    CanEject,
    HasAudio,
    HasVideo,
    DeviceType,
    UsesFiles,
    CompoundDevice,
    CanReverse,
    CanStretch,
    CanFreeze,
    Inputs,
    Outputs,
    // Info, in the order it answers the first of several
    Product,
    Upc,
    Identity,
    File,
    Version,
    // Sysinfo
    Quantity,
    Name,
    InstallName,
};

// "set ... time format": the system's constants, by their numbers.
enum class MciTimeFormat : uint16_t {
    Milliseconds = 0,
    Hms = 1,
    Msf = 2,
    Frames = 3,
    Smpte24 = 4,
    Smpte25 = 5,
    Smpte30 = 6,
    Smpte30Drop = 7,
    Bytes = 8,
    Samples = 9,
    Tmsf = 10,
    SongPointer = 0x4001,
};

// "set ... format tag", "channels", ...: the wave format a new element
// would record in.
struct MciWaveSettings {
    std::optional<uint32_t> formatTag;
    std::optional<uint32_t> channels;
    std::optional<uint32_t> samplesPerSec;
    std::optional<uint32_t> bytesPerSec;
    std::optional<uint32_t> alignment;
    std::optional<uint32_t> bitsPerSample;

    bool any() const { return formatTag || channels || samplesPerSec || bytesPerSec || alignment || bitsPerSample; }
};

// One command string taken apart by the table: the command, the device it
// names and its keywords, each value read once by its type. Integers may be
// written in colon notation ("220:5:0" is 220 + 5·256), which the device's
// time format then reads as its packed position.
struct MciRequest {
    MciVerb verb = MciVerb::Open;
    QString device; // as written: an alias, a device type, a file, "all"
    uint32_t flags = 0;
    std::optional<QString> type;
    std::optional<QString> alias;
    std::optional<uint32_t> from;
    std::optional<uint32_t> to;
    std::optional<uint32_t> seekTo;
    MciItem item = MciItem::None;
    uint32_t itemNumber = 0;        // MciItem::ByNumber
    std::optional<uint32_t> number; // sysinfo's "name N"
    std::optional<uint32_t> track;  // "track N" after a status item
    std::optional<MciTimeFormat> timeFormat;
    std::optional<bool> audio;      // "audio all on|off", "audio left on", ...
    std::optional<bool> video;      // "video on|off"
    std::optional<bool> doorOpen;   // "door open|closed"
    std::optional<uint32_t> volume; // setaudio
    MciWaveSettings wave;
    QStringList extra; // the words of placement commands, and what has no effect here

    bool has(MciFlag flag) const { return (flags & uint32_t(flag)) != 0; }
};

// Parses a command string: words separated by blanks, double quotes around
// a word that holds blanks. Fails with the platform's code: an empty string,
// an unknown command, a missing device name, an unknown or repeated keyword,
// a missing or malformed value, an unknown constant, an unclosed quote.
Result<MciRequest> parseMciCommand(const QString& command);

// Every word and phrase of the table: commands, keywords, items and
// constants, for the fuzzer's dictionary.
QStringList mciTableWords();

// Whether a device of the kind answers the item: its table has it.
bool itemApplies(MciItem item, DeviceType type);
// The status item a device of the kind gives that number ("status x 4" is
// the mode); None when its table has no item of that number.
MciItem statusItemNumbered(uint32_t number, DeviceType type);

} // namespace lumeria::media
