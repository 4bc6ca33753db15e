#include "platform/WindowsPath.h"

#include "platform/disc/ImageVolume.h"

#include <QDir>
#include <QFileInfo>

namespace lumeria {

namespace {

bool hasDriveLetter(const QString& path)
{
    return path.size() >= 2 && path[1] == QLatin1Char(':') && path[0].isLetter() && path[0].unicode() < 128;
}

} // namespace

QString windowsFileName(const QString& path)
{
    qsizetype cut = -1;
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        const QChar c = path[i];
        if (c == QLatin1Char('\\') || c == QLatin1Char('/') || c == QLatin1Char(':')) {
            cut = i;
            break;
        }
    }
    return path.mid(cut + 1);
}

QString changeFileExtension(const QString& path, const QString& extension)
{
    const qsizetype nameStart = path.size() - windowsFileName(path).size();
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot >= nameStart ? path.left(dot) : path;
    return stem + extension;
}

QString findCaseInsensitive(const QString& folder, const QString& name)
{
    if (name.isEmpty())
        return {};
    const QDir dir(folder.isEmpty() ? QStringLiteral("/") : folder);
    if (QFileInfo::exists(dir.filePath(name)))
        return name;
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}

namespace {

DriveMap& currentDriveMap()
{
    static DriveMap map;
    return map;
}

// Components of rest, "." dropped and ".." going up, never above the top.
QStringList normalComponents(const QString& rest)
{
    QStringList out;
    for (const QString& part : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!out.isEmpty())
                out.removeLast();
            continue;
        }
        out.append(part);
    }
    return out;
}

// Walks from top, replacing each component by the existing entry that
// matches it; once one is missing the rest cannot exist either. matched
// counts the components found.
QString matchComponents(const QString& top, const QStringList& parts, qsizetype* matched = nullptr)
{
    QString resolved = top == QLatin1String("/") ? QString() : top;
    qsizetype found = 0;
    for (const QString& part : parts) {
        QString actual = part;
        if (found >= 0) {
            const QString match = findCaseInsensitive(resolved.isEmpty() ? QStringLiteral("/") : resolved, part);
            if (match.isEmpty()) {
                if (matched)
                    *matched = found;
                found = -1;
            } else {
                actual = match;
                ++found;
            }
        }
        resolved += QLatin1Char('/') + actual;
    }
    if (matched && found >= 0)
        *matched = found;
    return resolved.isEmpty() ? QStringLiteral("/") : resolved;
}

// A name on the volume that is not there: the same name under the
// publication's folder or a folder above it, the nearest first. When none
// holds all of it, the one holding most of its folders, so a file to be
// made, or one the reader must be told is missing, goes where its folder is.
QString onVolume(const DriveMap& map, const QStringList& parts)
{
    qsizetype best = 0;
    QString chosen = matchComponents(QDir::cleanPath(map.volume), parts, &best);
    if (best == parts.size() || map.publicationFolder.isEmpty())
        return chosen;
    const QString volume = QDir::cleanPath(map.volume);
    QString folder = QDir::cleanPath(map.publicationFolder);
    for (int depth = 0; depth < 32 && folder.size() > volume.size() && folder.startsWith(volume); ++depth) {
        qsizetype matched = 0;
        const QString candidate = matchComponents(folder, parts, &matched);
        if (matched == parts.size())
            return candidate;
        if (matched > best) {
            best = matched;
            chosen = candidate;
        }
        const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
        if (slash <= 0)
            break;
        folder.truncate(slash);
    }
    return chosen;
}

} // namespace

QString DriveMap::folderOf(QChar letter) const
{
    const char16_t c = letter.toUpper().unicode();
    if (c >= u'A' && c <= u'Z' && !letters[c - u'A'].isEmpty())
        return letters[c - u'A'];
    return c == u'C' ? userDrive : volume;
}

void setDriveMap(const DriveMap& map)
{
    currentDriveMap() = map;
}

const DriveMap& driveMap()
{
    return currentDriveMap();
}

QString mountPointOf(const QString& path)
{
    QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty())
        target = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return QStringLiteral("/");
    QString best = QStringLiteral("/");
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 5)
            continue;
        // The mount point is the fifth field, with spaces and the like
        // written as octal escapes.
        QByteArray raw = fields[4];
        QByteArray decoded;
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 3 < raw.size()) {
                bool ok = false;
                const int value = raw.mid(i + 1, 3).toInt(&ok, 8);
                if (ok) {
                    decoded += char(value);
                    i += 3;
                    continue;
                }
            }
            decoded += raw[i];
        }
        const QString point = QFile::decodeName(decoded);
        if (point.size() > best.size() && (target == point || target.startsWith(point + QLatin1Char('/'))))
            best = point;
    }
    return best;
}

QString resolveWindowsPath(const QString& path, const QString& baseFolder)
{
    const DriveMap& map = driveMap();
    QString p = path;
    const bool fromRoot = p.startsWith(QLatin1Char('\\'));
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString top;
    bool fromVolume = false;
    if (hasDriveLetter(p)) {
        top = map.folderOf(p[0]);
        fromVolume = top == map.volume;
        p.remove(0, 2);
    } else if (fromRoot) {
        top = map.volume;
        fromVolume = true;
    } else if (p.startsWith(QLatin1Char('/'))) {
        top = QStringLiteral("/");
    } else {
        p = baseFolder + QLatin1Char('/') + p;
        top = QStringLiteral("/");
    }
    const QStringList parts = normalComponents(p);
    // A disc image shows the files a path names only once it is named.
    if (disc::ImageVolume* image = disc::imageVolume()) {
        const QString cleanTop = QDir::cleanPath(top);
        image->materialize((cleanTop == QLatin1String("/") ? QString() : cleanTop) + QLatin1Char('/') +
                           parts.join(QLatin1Char('/')));
    }
    return fromVolume ? onVolume(map, parts) : matchComponents(QDir::cleanPath(top), parts);
}

} // namespace lumeria
