#pragma once

#include "platform/FileIo.h"
#include "platform/disc/CueSheet.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace lumeria::disc {

// A file or folder of a disc's ISO 9660 file system. Names are the Rock
// Ridge name when the disc has them, else the Joliet name, else the ISO
// name without its version (";1").
struct DiscEntry {
    QString name;
    bool folder = false;
    uint32_t sector = 0; // first sector of its data, from the data track's start
    uint32_t size = 0;   // bytes
};

// A CD-ROM image: an .iso (2048-byte sectors), or a CUE sheet with its .bin
// files (a .bin named alone is read through the sheet of the same name
// beside it). The file system is read from the first data track, sector by
// sector through the track's framing, so raw (2352-byte) tracks and data at
// any offset of their file read alike; nothing is copied out. Directory
// records are checked against the track before they are believed: an entry
// that points outside it, a folder too large or a name that runs past its
// record is left out.
class DiscImage {
public:
    // The image, or nothing with error telling why (in French, for the box).
    static std::unique_ptr<DiscImage> open(const QString& path, QString* error);

    // For tests and fuzzing: an ISO 9660 image held in memory.
    static std::unique_ptr<DiscImage> fromIsoBytes(QByteArray bytes, QString* error);

    ~DiscImage();
    DiscImage(const DiscImage&) = delete;
    DiscImage& operator=(const DiscImage&) = delete;

    const QString& path() const { return m_path; }
    QString volumeName() const { return m_volumeName; }
    // The tracks of the disc: one data track for an .iso.
    const std::vector<CueTrack>& tracks() const { return m_tracks; }

    DiscEntry root() const { return m_root; }
    // The entries of a folder, "." and ".." left out; at most 65 536.
    std::vector<DiscEntry> list(const DiscEntry& folder) const;
    // The entry at a '/'-separated path from the root, each component
    // matched ignoring case (the exact spelling first); nothing when a
    // component is missing. At most 64 components.
    std::optional<DiscEntry> find(const QString& path) const;
    // The entry of folder named name, the exact spelling first, then
    // ignoring case; nothing when it has none.
    std::optional<DiscEntry> child(const DiscEntry& folder, const QString& name) const;

    // Copies up to buffer.size() bytes of file from position: the count
    // copied, 0 at or past its end, -1 when the image cannot be read.
    int64_t read(const DiscEntry& file, int64_t position, std::span<std::byte> buffer) const;

private:
    DiscImage() = default;
    bool readSector(uint32_t sector, std::byte* out) const;
    bool mount(QString* error);
    bool readDirectory(const DiscEntry& folder, std::vector<DiscEntry>& out) const;

    QString m_path;
    QString m_volumeName;
    std::vector<CueTrack> m_tracks;
    // The data track read for the file system.
    Fd m_data;
    QByteArray m_memory; // instead of m_data, from fromIsoBytes
    int64_t m_dataOffset = 0;
    int64_t m_dataSectors = 0;
    int m_sectorSize = 2048;
    int m_userOffset = 0;
    DiscEntry m_root;
    int m_joliet = 0; // escape level of the Joliet tree read, 0 when none
    bool m_rockRidge = false;
    int m_suspSkip = 0;                                           // bytes before the System Use entries of every record
    mutable std::map<uint32_t, std::vector<DiscEntry>> m_folders; // read folders, by sector
};

} // namespace lumeria::disc
