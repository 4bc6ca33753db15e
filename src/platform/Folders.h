#pragma once

#include <QString>

namespace lumeria {

// Where the Windows folders the runtime knows live on this system. Each
// returns an absolute path without a trailing slash, or the text "Error" when
// the folder cannot be had (the value the runtime gives a name that does not
// resolve).

// The running program's own file, through /proc/self/exe.
QString executablePath();

// TEMP (the variable's name matched case-insensitively, as on Windows), else
// TMPDIR, else /tmp: the first that names an existing folder. Empty when none
// does, so the caller can fall back to the program's folder.
QString temporaryFolder();

// The player's per-user data folder (XDG data home), not created.
QString playerDataFolder();

// The per-user folder drive C: stands for, not created: it is made when
// something is first written there.
QString userDriveFolder();

// Per-user stand-ins for the Windows and system folders, C:\WINDOWS and
// C:\WINDOWS\SYSTEM on the per-user drive, created on demand.
QString windowsFolder();
QString systemFolder();

// Per-user cache folder of the player (XDG cache home), not created.
QString userCacheFolder();

// Creates a folder with all missing parents; true when it exists afterwards.
bool makeFolderPath(const QString& path);

// True when the process may create files in the existing folder.
bool isWritableFolder(const QString& path);

inline const QString kFolderError = QStringLiteral("Error");

} // namespace lumeria
