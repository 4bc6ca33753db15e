#include "platform/disc/ImageVolume.h"

#include "platform/FileIo.h"
#include "platform/Folders.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace lumeria::disc {

namespace {

constexpr int64_t kMaxCopied = int64_t(4) << 30;
constexpr int64_t kCopyBlock = 1 << 20;

ImageVolume*& current()
{
    static ImageVolume* volume = nullptr;
    return volume;
}

int namesOnly = 0;

} // namespace

NamesOnly::NamesOnly()
{
    ++namesOnly;
}

NamesOnly::~NamesOnly()
{
    --namesOnly;
}

void setImageVolume(ImageVolume* volume)
{
    current() = volume;
}

ImageVolume* imageVolume()
{
    return current();
}

bool liesOnImageVolume(const QString& path)
{
    const ImageVolume* volume = current();
    if (!volume)
        return false;
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    return clean == volume->folder() || clean.startsWith(volume->folder() + QLatin1Char('/'));
}

std::unique_ptr<ImageVolume> ImageVolume::create(std::unique_ptr<DiscImage> image)
{
    const QString base = temporaryFolder().isEmpty() ? QDir::tempPath() : temporaryFolder();
    QByteArray pattern = QFile::encodeName(base + QStringLiteral("/lumeria-disc-XXXXXX"));
    if (!::mkdtemp(pattern.data()))
        return nullptr;
    return std::unique_ptr<ImageVolume>(new ImageVolume(std::move(image), QFile::decodeName(pattern)));
}

ImageVolume::ImageVolume(std::unique_ptr<DiscImage> image, QString folder)
    : m_image(std::move(image)), m_folder(std::move(folder))
{
    makeFolder(m_folder, m_image->root());
}

ImageVolume::~ImageVolume()
{
    if (current() == this)
        current() = nullptr;
    QDir(m_folder).removeRecursively();
}

QString ImageVolume::pathOf(const QString& imagePath) const
{
    QString path = m_folder;
    for (const QString& part : imagePath.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        path += QLatin1Char('/') + part;
    return path;
}

void ImageVolume::makeFolder(const QString& path, const DiscEntry& entry)
{
    // The folders inside are made too, so that a folder read for its
    // names shows them; files come when named.
    if (m_listed.contains(path))
        return;
    m_listed.append(path);
    for (const DiscEntry& child : m_image->list(entry))
        if (child.folder)
            ::mkdir(QFile::encodeName(path + QLatin1Char('/') + child.name).constData(), 0755);
}

void ImageVolume::materialize(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    if (clean != m_folder && !clean.startsWith(m_folder + QLatin1Char('/')))
        return;
    const QStringList parts = clean.mid(m_folder.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    DiscEntry at = m_image->root();
    QString real = m_folder;
    for (const QString& part : parts) {
        const std::optional<DiscEntry> next = m_image->child(at, part);
        if (!next)
            return;
        at = *next;
        real += QLatin1Char('/') + at.name;
        if (at.folder) {
            ::mkdir(QFile::encodeName(real).constData(), 0755);
            makeFolder(real, at);
            continue;
        }
        if (namesOnly > 0 || QFileInfo::exists(real) || m_copied + int64_t(at.size) > kMaxCopied)
            return;
        m_copied += at.size;
        const DiscEntry file = at;
        const int code = replaceFile(real, 0444, [&](int fd) {
            std::vector<std::byte> block(size_t(std::min<int64_t>(kCopyBlock, std::max<int64_t>(file.size, 1))));
            for (int64_t done = 0; done < int64_t(file.size);) {
                const int64_t n = m_image->read(file, done, block);
                if (n <= 0)
                    return EIO;
                if (const int written = writeAll(fd, reinterpret_cast<const char*>(block.data()), qsizetype(n)))
                    return written;
                done += n;
            }
            return 0;
        });
        if (code != 0)
            m_copied -= at.size;
        return;
    }
}

} // namespace lumeria::disc
