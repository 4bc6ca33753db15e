#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace lumeria {

// Bits of the publication's ExtractOp.
namespace extractop {
inline constexpr uint8_t kWindowsFolder = 2;
inline constexpr uint8_t kTemporaryFolder = 4;
inline constexpr uint8_t kExtractDir = 8;
inline constexpr uint8_t kDeleteAtClose = 128;
} // namespace extractop

struct ExtractionFolder {
    QString path;
    bool created = false; // the player made it, so it may remove it at close
};

struct ExtractionChoice {
    uint8_t extractOp = 0;
    QString extractDir;      // as the publication writes it, Windows syntax
    QString programFolder;   // folder of the file the container was read from
    QString windowsFolder;   // may be "Error"
    QString temporaryFolder; // may be empty
    QString fallbackFolder;  // per-user folder when the chosen one is read-only
    // Unless the reader trusts the publication, ExtractDir must lie in the
    // program's folder, the temporary folder or the player's own folders.
    bool confined = false;
    QStringList ownFolders; // besides programFolder: temporary, per-user data and cache
};

// The choice for a container read from containerPath, with this system's
// Windows, temporary and per-user folders filled in.
ExtractionChoice extractionChoiceFor(const QString& containerPath, uint8_t extractOp, const QString& extractDir,
                                     bool confined = false);

// Decides the one folder extracted files go to. Bits 2, 4 and 8 are tried in
// that order and the first set decides; an unusable choice falls back to the
// program's folder, and a folder the player cannot write to (a CD-ROM, a
// system directory) falls back to the per-user folder. When confined, an
// ExtractDir outside those folders, judged with its links followed, counts
// as unusable: the publication would otherwise choose where on the disk its
// files go.
ExtractionFolder chooseExtractionFolder(const ExtractionChoice& choice);

// The per-user folder for one publication file: the cache home, the file's
// name and a hash of its full path, so two publications never share it.
QString publicationCacheFolder(const QString& containerPath);

// Removes a folder the player created. When the folder is the current one, the
// current folder moves to its parent and the removal is tried once more.
bool removeCreatedFolder(const QString& path);

} // namespace lumeria
