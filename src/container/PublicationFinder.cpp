#include "container/PublicationFinder.h"

#include "container/ByteSource.h"
#include "container/Container.h"
#include "container/TextSource.h"
#include "platform/FileIo.h"
#include "platform/WindowsPath.h"

#include <QDir>
#include <QFileInfo>

namespace lumeria {

namespace {

constexpr int kMaxCandidates = 64;
constexpr int kTitleLines = 400;

bool isCandidate(const QString& name)
{
    for (const char* ext : {".EXE", ".SCR", ".LUM"})
        if (name.endsWith(QLatin1String(ext), Qt::CaseInsensitive))
            return true;
    return false;
}

// The Title= line among the first lines of RUNTIME.PUB: keys are matched
// ignoring case and the spaces inside them.
QString titleOf(const Container& container)
{
    EntrySource entry(container, QStringLiteral("RUNTIME.PUB"));
    TextSource lines(entry);
    QString line;
    for (int n = 0; n < kTitleLines && lines.readLine(line) == TextSource::Status::Line; ++n) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        QString key = line.left(eq);
        key.remove(QLatin1Char(' '));
        if (key.compare(QLatin1String("TITLE"), Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed();
    }
    return {};
}

std::optional<FoundPublication> publicationAt(const QString& path)
{
    Result<std::unique_ptr<Container>> opened = Container::open(path);
    if (!opened || !opened.value()->find(QStringLiteral("RUNTIME.PUB")))
        return std::nullopt;
    return FoundPublication{path, titleOf(*opened.value())};
}

QStringList filesIn(const QString& folder)
{
    QStringList out;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase))
        if (isCandidate(name))
            out.append(folder + QLatin1Char('/') + name);
    return out;
}

} // namespace

QString autorunProgram(const QString& folder)
{
    const QString name = findCaseInsensitive(folder, QStringLiteral("AUTORUN.INF"));
    if (name.isEmpty())
        return {};
    QByteArray text;
    try {
        Result<QByteArray> bytes = readRegularFile(folder + QLatin1Char('/') + name, 64 * 1024);
        if (!bytes)
            return {};
        text = std::move(bytes).value();
    } catch (const LimitExceeded&) {
        return {}; // no AUTORUN.INF of a real disc is that long
    }
    bool inAutorun = false;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            inAutorun = line.toLower().startsWith("[autorun]");
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (!inAutorun || eq < 0 || line.left(eq).trimmed().toLower() != "open")
            continue;
        // The program, quoted or up to its first space; what follows are
        // its parameters, which the player does not need.
        QString value = QString::fromLatin1(line.mid(eq + 1).trimmed());
        if (value.startsWith(QLatin1Char('"'))) {
            const qsizetype close = value.indexOf(QLatin1Char('"'), 1);
            value = value.mid(1, close < 0 ? -1 : close - 1);
        } else if (const qsizetype space = value.indexOf(QLatin1Char(' ')); space >= 0) {
            value.truncate(space);
        }
        if (value.isEmpty() || value.contains(QLatin1Char(':')) || value.startsWith(QLatin1Char('\\')))
            value = windowsFileName(value); // a drive or the root is the disc itself
        if (value.isEmpty())
            return {};
        // The disc's own folder: it never climbs out with "..".
        const QString path = resolveWindowsPath(value, folder);
        return liesWithin(path, folder) ? path : QString();
    }
    return {};
}

QList<FoundPublication> findPublications(const QString& folder)
{
    const QString root = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString autorun = autorunProgram(root);
    if (!autorun.isEmpty() && QFileInfo(autorun).isFile()) {
        if (auto found = publicationAt(autorun))
            return {*found};
    }
    QStringList candidates = filesIn(root);
    for (const QString& sub : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        if (candidates.size() >= kMaxCandidates)
            break;
        candidates += filesIn(root + QLatin1Char('/') + sub);
    }
    QList<FoundPublication> found;
    for (qsizetype i = 0; i < candidates.size() && i < kMaxCandidates; ++i)
        if (auto publication = publicationAt(candidates[i]))
            found.append(*publication);
    return found;
}

} // namespace lumeria
