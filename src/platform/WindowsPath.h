#pragma once

#include <QString>

namespace lumeria {

// Turns a path written for Windows into one for this system. Backslashes
// become slashes, a drive letter stands for the root, a relative path is taken
// from baseFolder, and each component is matched case-insensitively against
// what exists, because publications were written for a case-insensitive file
// system. Components that match nothing are kept as written, so the result
// also names files that are about to be created.
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
