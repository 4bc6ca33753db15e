#pragma once

#include <QString>

#include <array>

namespace lumeria {

// Where the drive letters of a publication's paths lie on this system.
// Titles named their CD-ROM drive by whatever letter their author had, so
// every letter but C: is the publication's volume (the mount point, folder
// or disc image it lies on); C: is a per-user folder; any letter may be set
// by the reader. Set once at start-up; until then every letter and the
// volume are the root.
struct DriveMap {
    QString volume = QStringLiteral("/");
    QString userDrive = QStringLiteral("/"); // C:
    std::array<QString, 26> letters;         // set by the reader; empty when not
    // The publication's own folder: a name the volume lacks is looked for
    // in it and the folders above it, as far as the volume, so a disc
    // copied into a folder of a larger disk still finds its files.
    QString publicationFolder;

    QString folderOf(QChar letter) const;
};

void setDriveMap(const DriveMap& map);
const DriveMap& driveMap();

// The mount point holding path, after links are followed, from the kernel's
// table of mounts; "/" when it cannot be read.
QString mountPointOf(const QString& path);

// Turns a path written for Windows into one for this system. Backslashes
// become slashes; a drive letter stands for its folder in the drive map and
// a name from the root (\SOUNDS\X.WAV) for the volume, neither climbing
// above it; a path starting with '/' is this system's own; a relative path
// is taken from baseFolder. Each component is matched case-insensitively
// against what exists, because publications were written for a
// case-insensitive file system. Components that match nothing are kept as
// written, so the result also names files that are about to be created.
QString resolveWindowsPath(const QString& path, const QString& baseFolder);

// The file-name part of a Windows or Unix path: everything after the last
// '\', '/' or drive colon.
QString windowsFileName(const QString& path);

// Replaces the extension of a file name (the part from its last '.' that
// follows the last separator), or appends one when it has none.
QString changeFileExtension(const QString& path, const QString& extension);

// Finds an entry of folder whose name equals name ignoring case; the exact
// spelling wins when both exist. Empty when there is none.
QString findCaseInsensitive(const QString& folder, const QString& name);

} // namespace lumeria
