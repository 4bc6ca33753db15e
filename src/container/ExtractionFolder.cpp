#include "container/ExtractionFolder.h"

#include "platform/FileIo.h"
#include "platform/Folders.h"
#include "platform/WindowsPath.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <unistd.h>

namespace lumeria {

namespace {

bool usable(const QString& folder)
{
    return !folder.isEmpty() && folder != kFolderError;
}

bool withinOwnFolders(const QString& dir, const ExtractionChoice& choice)
{
    if (liesWithin(dir, choice.programFolder))
        return true;
    for (const QString& root : choice.ownFolders)
        if (usable(root) && liesWithin(dir, root))
            return true;
    return false;
}

} // namespace

ExtractionChoice extractionChoiceFor(const QString& containerPath, uint8_t extractOp, const QString& extractDir,
                                     bool confined)
{
    ExtractionChoice c;
    c.confined = confined;
    c.extractOp = extractOp;
    c.extractDir = extractDir;
    c.programFolder = QFileInfo(containerPath).absolutePath();
    // The system values are asked for only when their bit is the one that
    // decides, so a run never creates a Windows folder it does not use.
    if (extractOp & extractop::kWindowsFolder)
        c.windowsFolder = windowsFolder();
    else if (extractOp & extractop::kTemporaryFolder)
        c.temporaryFolder = temporaryFolder();
    c.fallbackFolder = publicationCacheFolder(containerPath);
    if (confined) {
        c.ownFolders = {temporaryFolder(), playerDataFolder(), userCacheFolder()};
    }
    return c;
}

ExtractionFolder chooseExtractionFolder(const ExtractionChoice& choice)
{
    ExtractionFolder result;
    const uint8_t op = choice.extractOp;
    if (op & extractop::kWindowsFolder) {
        result.path = choice.windowsFolder;
    } else if (op & extractop::kTemporaryFolder) {
        result.path = choice.temporaryFolder;
    } else if ((op & extractop::kExtractDir) && !choice.extractDir.trimmed().isEmpty()) {
        const QString dir = resolveWindowsPath(choice.extractDir.trimmed(), choice.programFolder);
        if (choice.confined && !withinOwnFolders(dir, choice)) {
            // refused: falls back to the program's folder below
        } else if (QFileInfo(dir).isDir()) {
            result.path = dir;
        } else if (makeFolderPath(dir)) {
            result.path = dir;
            result.created = true;
        }
    }
    if (!usable(result.path)) {
        result.path = choice.programFolder;
        result.created = false;
    }

    if (!isWritableFolder(result.path) && usable(choice.fallbackFolder)) {
        const bool existed = QFileInfo(choice.fallbackFolder).isDir();
        if (makeFolderPath(choice.fallbackFolder)) {
            result.path = choice.fallbackFolder;
            result.created = !existed;
        }
    }
    return result;
}

QString publicationCacheFolder(const QString& containerPath)
{
    const QString base = userCacheFolder();
    if (!usable(base))
        return {};
    const QString absolute = QFileInfo(containerPath).absoluteFilePath();
    const QByteArray hash =
        QCryptographicHash::hash(QFile::encodeName(absolute), QCryptographicHash::Sha1).toHex().left(12);
    return base + QStringLiteral("/publications/") + QFileInfo(absolute).fileName() + QLatin1Char('-') +
           QString::fromLatin1(hash);
}

bool removeCreatedFolder(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::rmdir(native.constData()) == 0)
        return true;
    if (errno != EBUSY)
        return false;
    if (QFileInfo(QDir::currentPath()).canonicalFilePath() != QFileInfo(path).canonicalFilePath())
        return false;
    if (::chdir("..") != 0)
        return false;
    return ::rmdir(native.constData()) == 0;
}

} // namespace lumeria
