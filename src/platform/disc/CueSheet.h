#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace lumeria::disc {

// How a track's sectors are stored in its file.
enum class TrackMode {
    Mode1Cooked,     // MODE1/2048: user data only
    Mode1Raw,        // MODE1/2352: sync, header, 2048 bytes of data, error codes
    Mode2Raw,        // MODE2/2352: sync, header, subheader, data (form 1)
    Mode2Headerless, // MODE2/2336: subheader and data, no sync or header
    Audio,           // AUDIO: 2352 bytes of 44.1 kHz 16-bit stereo samples
};

int sectorSize(TrackMode mode);
// Where the 2048 bytes of user data start in a sector; -1 for audio.
int userDataOffset(TrackMode mode);

// One track as the disc holds it: its sectors from INDEX 01 on, in file.
struct CueTrack {
    int number = 0;
    TrackMode mode = TrackMode::Mode1Cooked;
    QString file;       // this system's path
    int64_t offset = 0; // bytes into file where INDEX 01 starts
    int64_t sectors = 0;
    // Sectors of silence the sheet adds before it (PREGAP) and after it
    // (POSTGAP); they lie in no file.
    int64_t pregap = 0;
    int64_t postgap = 0;

    int64_t length() const { return sectors * sectorSize(mode); }
};

struct CueSheet {
    std::vector<CueTrack> tracks; // in track order, numbers rising
};

struct CueParse {
    CueSheet sheet;
    QString error; // empty when the sheet was read; else what is wrong, in French
};

// Reads a CUE sheet. find gives the path of a file the sheet names by its
// file name alone, nothing when there is none; size tells a file's size. At
// most 99 tracks and 1 MiB of text.
CueParse parseCueSheet(const QByteArray& text, const std::function<std::optional<QString>(const QString& name)>& find,
                       const std::function<std::optional<int64_t>(const QString& path)>& size);

// The sheet at path, its files looked for beside it in any letter case,
// by their file name alone: rippers' sheets often name the folder they were
// made in, and a sheet must not reach out of its own folder.
CueParse readCueSheet(const QString& path);

} // namespace lumeria::disc
