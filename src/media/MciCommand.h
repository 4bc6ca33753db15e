#pragma once

#include "platform/Result.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace lumeria::media {

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
};

// One command string taken apart: the command, the device it names and its
// keywords, with the values as written. Positions stay text because their
// meaning depends on the device's time format.
struct MciRequest {
    QString verb;   // lower case
    QString device; // as written: an alias, a device type, a file, "all"
    uint32_t flags = 0;
    std::optional<QString> type;
    std::optional<QString> alias;
    std::optional<QString> from;
    std::optional<QString> to;
    std::optional<QString> seekTo;
    // status, capability, info, sysinfo: the item asked for, its words in
    // lower case joined by one space ("number of tracks").
    QString item;
    std::optional<QString> track; // "track N" after a status item
    // set
    std::optional<QString> timeFormat; // lower case, as written
    std::optional<bool> audio;         // "audio all on|off", "audio left on", ...
    std::optional<bool> video;         // "video on|off"
    std::optional<bool> doorOpen;      // "door open|closed"
    QStringList extra;                 // what is accepted and has no effect here

    bool has(MciFlag flag) const { return (flags & uint32_t(flag)) != 0; }
};

// Parses a command string: words separated by blanks, double quotes around
// a word that holds blanks. Fails with the platform's code: an empty string,
// an unknown command, a missing device name, an unknown or repeated keyword,
// a missing value, an unclosed quote.
Result<MciRequest> parseMciCommand(const QString& command);

} // namespace lumeria::media
