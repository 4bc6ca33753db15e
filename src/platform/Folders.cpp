#include "platform/Folders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

extern char** environ;

namespace lumeria {

namespace {

QString existingFolder(const QString& path)
{
    if (path.isEmpty())
        return {};
    QFileInfo info(path);
    if (!info.isDir())
        return {};
    return QDir::cleanPath(info.absoluteFilePath());
}

QString environmentCaseInsensitive(const char* name)
{
    const QByteArray wanted = QByteArray(name).toUpper();
    for (char** e = environ; e && *e; ++e) {
        const QByteArray entry(*e);
        const qsizetype eq = entry.indexOf('=');
        if (eq > 0 && entry.left(eq).toUpper() == wanted)
            return QString::fromLocal8Bit(entry.mid(eq + 1));
    }
    return {};
}

QString perUserFolder(QStandardPaths::StandardLocation location, const QString& sub)
{
    const QString base = QStandardPaths::writableLocation(location);
    if (base.isEmpty())
        return kFolderError;
    const QString path = QDir::cleanPath(base + QLatin1Char('/') + sub);
    return makeFolderPath(path) ? path : kFolderError;
}

} // namespace

QString executablePath()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString temporaryFolder()
{
    for (const QString& candidate :
         {environmentCaseInsensitive("TEMP"), qEnvironmentVariable("TMPDIR"), QStringLiteral("/tmp")}) {
        const QString folder = existingFolder(candidate);
        if (!folder.isEmpty())
            return folder;
    }
    return {};
}

QString playerDataFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base.isEmpty() ? kFolderError : QDir::cleanPath(base + QStringLiteral("/lumeria"));
}

QString userDriveFolder()
{
    const QString data = playerDataFolder();
    return data == kFolderError ? kFolderError : data + QStringLiteral("/drives/c");
}

QString windowsFolder()
{
    const QString data = playerDataFolder();
    if (data == kFolderError)
        return kFolderError;
    // Earlier versions kept the Windows folder beside the drives; what
    // publications wrote there moves onto C: once, where they now look.
    const QString old = data + QStringLiteral("/windows");
    const QString now = data + QStringLiteral("/drives/c/WINDOWS");
    if (QFileInfo(old).isDir() && !QFileInfo::exists(now) && makeFolderPath(data + QStringLiteral("/drives/c"))) {
        if (QDir().rename(old, now) && QFileInfo(now + QStringLiteral("/system")).isDir())
            QDir().rename(now + QStringLiteral("/system"), now + QStringLiteral("/SYSTEM"));
    }
    return perUserFolder(QStandardPaths::GenericDataLocation, QStringLiteral("lumeria/drives/c/WINDOWS"));
}

QString systemFolder()
{
    const QString windows = windowsFolder();
    if (windows == kFolderError)
        return kFolderError;
    return perUserFolder(QStandardPaths::GenericDataLocation, QStringLiteral("lumeria/drives/c/WINDOWS/SYSTEM"));
}

QString userCacheFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return base.isEmpty() ? kFolderError : QDir::cleanPath(base + QStringLiteral("/lumeria"));
}

bool makeFolderPath(const QString& path)
{
    return !path.isEmpty() && QDir().mkpath(path) && QFileInfo(path).isDir();
}

bool isWritableFolder(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    return QFileInfo(path).isDir() && ::access(native.constData(), W_OK | X_OK) == 0;
}

} // namespace lumeria
