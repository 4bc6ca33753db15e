#include "platform/WindowsPath.h"

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

QString resolveWindowsPath(const QString& path, const QString& baseFolder)
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (hasDriveLetter(p)) {
        p.remove(0, 2);
        if (!p.startsWith(QLatin1Char('/')))
            p.prepend(QLatin1Char('/'));
    }
    if (!p.startsWith(QLatin1Char('/')))
        p = baseFolder + QLatin1Char('/') + p;
    p = QDir::cleanPath(p);

    // Walk from the root, replacing each component by the existing entry that
    // matches it; once one is missing the rest cannot exist either.
    const QStringList parts = p.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString resolved;
    bool exists = true;
    for (const QString& part : parts) {
        QString actual = part;
        if (exists) {
            const QString match = findCaseInsensitive(resolved.isEmpty() ? QStringLiteral("/") : resolved, part);
            if (match.isEmpty())
                exists = false;
            else
                actual = match;
        }
        resolved += QLatin1Char('/') + actual;
    }
    return resolved.isEmpty() ? QStringLiteral("/") : resolved;
}

} // namespace lumeria
