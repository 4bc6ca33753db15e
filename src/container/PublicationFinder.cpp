#include "container/PublicationFinder.h"

#include "container/ByteSource.h"
#include "container/Container.h"
#include "container/TextSource.h"
#include "platform/FileIo.h"
#include "platform/IoError.h"
#include "platform/WindowsPath.h"
#include "platform/disc/ImageVolume.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

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
    Result<std::unique_ptr<Container>> opened = openPublicationFile(path);
    if (!opened || !opened.value()->find(QStringLiteral("RUNTIME.PUB")))
        return std::nullopt;
    return FoundPublication{path, titleOf(*opened.value())};
}

// The image entry a path under the image volume's folder names.
std::optional<disc::DiscEntry> imageEntry(const disc::ImageVolume& volume, const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    if (clean != volume.folder() && !clean.startsWith(volume.folder() + QLatin1Char('/')))
        return std::nullopt;
    return volume.image().find(clean.mid(volume.folder().size()));
}

// The names in a folder, from the image when the folder lies in it.
QStringList namesIn(const QString& folder, bool folders)
{
    if (const disc::ImageVolume* volume = disc::imageVolume()) {
        if (const std::optional<disc::DiscEntry> entry = imageEntry(*volume, folder)) {
            QStringList names;
            for (const disc::DiscEntry& e : volume->image().list(*entry))
                if (e.folder == folders)
                    names.append(e.name);
            names.sort(Qt::CaseInsensitive);
            return names;
        }
    }
    return folders ? QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)
                   : QDir(folder).entryList(QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
}

QStringList filesIn(const QString& folder)
{
    QStringList out;
    for (const QString& name : namesIn(folder, false))
        if (isCandidate(name))
            out.append(folder + QLatin1Char('/') + name);
    return out;
}

} // namespace

Result<std::unique_ptr<Container>> openPublicationFile(const QString& path, bool* notAContainer)
{
    const disc::ImageVolume* volume = disc::imageVolume();
    const std::optional<disc::DiscEntry> entry = volume ? imageEntry(*volume, path) : std::nullopt;
    if (!entry)
        return Container::open(path, notAContainer);
    if (entry->folder) {
        if (notAContainer)
            *notAContainer = true;
        return Failure{io::kAccessDenied};
    }
    const disc::DiscEntry file = *entry;
    return Container::openReader(
        volume->pathOf(path.mid(volume->folder().size())), file.size,
        [volume, file](std::span<std::byte> buffer, int64_t offset) -> int64_t {
            const int64_t n = volume->image().read(file, offset, buffer);
            return n < 0 ? -EIO : n;
        },
        notAContainer);
}

QString autorunProgram(const QString& folder)
{
    // Resolving the name makes it real when the folder is a disc image's.
    const QString name = QFileInfo(resolveWindowsPath(QStringLiteral("AUTORUN.INF"), folder)).isFile()
                             ? QFileInfo(resolveWindowsPath(QStringLiteral("AUTORUN.INF"), folder)).fileName()
                             : QString();
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
        // The disc's own folder: it never climbs out with "..". On an image
        // the program is read where it lies, not copied out.
        const disc::NamesOnly inPlace;
        const QString path = resolveWindowsPath(value, folder);
        return liesWithin(path, folder) ? path : QString();
    }
    return {};
}

QList<FoundPublication> findPublications(const QString& folder)
{
    const QString root = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString autorun = autorunProgram(root);
    if (!autorun.isEmpty() && (QFileInfo(autorun).isFile() || openPublicationFile(autorun).ok())) {
        if (auto found = publicationAt(autorun))
            return {*found};
    }
    QStringList candidates = filesIn(root);
    for (const QString& sub : namesIn(root, true)) {
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
