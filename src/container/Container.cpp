#include "container/Container.h"

#include "platform/FileIo.h"
#include "platform/Folders.h"
#include "platform/IoError.h"
#include "platform/WindowsPath.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumeria {

namespace {

// No publication needs a directory this large; refusing it keeps a corrupt
// offset from turning into a huge allocation.
constexpr int64_t kMaxDirectoryBytes = 64 * 1024 * 1024;
constexpr size_t kCopyBlock = 64 * 1024;

QString lookupKey(const QString& name)
{
    return windowsFileName(name).toUpper();
}

// Reads exactly buffer.size() bytes unless the file ends first; returns the
// count, or -errno.
int64_t preadFully(int fd, std::span<std::byte> buffer, int64_t offset)
{
    size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t n = ::pread(fd, buffer.data() + done, buffer.size() - done, off_t(offset + int64_t(done)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -errno;
        }
        if (n == 0)
            break;
        done += size_t(n);
    }
    return int64_t(done);
}

int writeFully(int fd, const std::byte* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= size_t(n);
    }
    return 0;
}

} // namespace

bool isUnsafeEntryName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String("."))
        return true;
    for (QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.isNull())
            return true;
    }
    return name.contains(QLatin1String(".."));
}

Result<std::unique_ptr<Container>> Container::open(const QString& path, bool* notAContainer)
{
    if (notAContainer)
        *notAContainer = false;
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Failure{ioCodeFromErrno(errno, IoOp::Read)};
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int code = ioCodeFromErrno(errno, IoOp::Read);
        ::close(fd);
        return Failure{code};
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        if (notAContainer)
            *notAContainer = true;
        return Failure{io::kAccessDenied};
    }
    auto shared = std::make_shared<Fd>(fd);
    return openReader(
        path, st.st_size,
        [shared](std::span<std::byte> buffer, int64_t offset) { return preadFully(shared->get(), buffer, offset); },
        notAContainer);
}

Result<std::unique_ptr<Container>> Container::openReader(const QString& path, int64_t fileSize, Reader read,
                                                         bool* notAContainer)
{
    if (notAContainer)
        *notAContainer = false;
    auto shapeless = [notAContainer](int code) {
        if (notAContainer)
            *notAContainer = true;
        return Failure{code};
    };
    if (fileSize < 4)
        return shapeless(io::kReadError);

    std::byte tail[4];
    if (read(tail, fileSize - 4) != 4)
        return Failure{io::kReadError};
    const auto directoryOffset = int64_t(
        int32_t(uint32_t(tail[0]) | uint32_t(tail[1]) << 8 | uint32_t(tail[2]) << 16 | uint32_t(tail[3]) << 24));
    if (directoryOffset < 0 || directoryOffset > fileSize - 4)
        return shapeless(io::kReadError);
    const int64_t directorySize = fileSize - 4 - directoryOffset;
    if (directorySize > kMaxDirectoryBytes)
        return Failure{io::kOutOfMemory};

    std::vector<std::byte> bytes(static_cast<size_t>(directorySize));
    const int64_t got = read(bytes, directoryOffset);
    if (got < 0)
        return Failure{ioCodeFromErrno(int(-got), IoOp::Read)};
    if (got != directorySize)
        return Failure{io::kReadError};

    auto directory = parseDirectory(bytes, directoryOffset);
    if (!directory)
        return shapeless(directory.error());
    return std::unique_ptr<Container>(new Container(path, std::move(read), std::move(directory).value()));
}

Result<std::unique_ptr<Container>> Container::openOwnExecutable()
{
    // A program with nothing appended ends in its own bytes, most often in
    // zeros, which read as a directory at offset 0 that takes in the whole
    // program: reading tens of megabytes at every start only to refuse
    // them. An appended directory always follows the program, so a tail
    // that points at the start of the file is no container.
    const QString path = executablePath();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Failure{ioCodeFromErrno(errno, IoOp::Read)};
    struct stat st {};
    std::byte tail[4]{};
    const bool readTail = ::fstat(fd, &st) == 0 && st.st_size >= 4 && preadFully(fd, tail, st.st_size - 4) == 4;
    ::close(fd);
    if (!readTail)
        return Failure{io::kReadError};
    if (std::all_of(std::begin(tail), std::end(tail), [](std::byte b) { return b == std::byte{0}; }))
        return Failure{io::kReadError};
    return open(path);
}

Container::Container(QString path, Reader read, Directory directory)
    : m_path(std::move(path)), m_read(std::move(read)), m_entries(std::move(directory.entries)),
      m_rejected(directory.rejected)
{
    m_programFolder = QFileInfo(m_path).absolutePath();
    m_folder.path = m_programFolder;
    m_index.reserve(qsizetype(m_entries.size()));
    for (size_t i = 0; i < m_entries.size(); ++i)
        m_index.insert(m_entries[i].Name.toUpper(), i);
}

Container::~Container()
{
    close();
}

const ContainerEntry* Container::find(const QString& name) const
{
    const auto it = m_index.constFind(lookupKey(name));
    return it == m_index.constEnd() ? nullptr : &m_entries[*it];
}

int64_t Container::readAt(const QString& name, int64_t position, std::span<std::byte> buffer) const
{
    const ContainerEntry* entry = find(name);
    if (!entry)
        return io::kNotInContainer;
    return readAt(*entry, position, buffer);
}

int64_t Container::readAt(const ContainerEntry& entry, int64_t position, std::span<std::byte> buffer) const
{
    if (!m_read)
        return -io::kInvalidHandle;
    if (position < 0 || position >= entry.Size)
        return 0;
    const auto count = size_t(std::min<int64_t>(int64_t(buffer.size()), entry.Size - position));
    const int64_t got = m_read(buffer.first(count), int64_t(entry.Offset) + position);
    if (got < 0)
        return -ioCodeFromErrno(int(-got), IoOp::Read);
    return got;
}

std::optional<PictureDimensions> Container::pictureSize(const QString& name) const
{
    const ContainerEntry* entry = find(name);
    if (!entry)
        return std::nullopt;
    return PictureDimensions{entry->Width, entry->Height};
}

void Container::setExtractionFolder(ExtractionFolder folder, uint8_t extractOp)
{
    m_folder = std::move(folder);
    m_extractOp = extractOp;
}

ExtractResult Container::extract(const QString& name, const QString& replacementExtension)
{
    auto withExtension = [&](const QString& fileName) {
        return replacementExtension.isEmpty() ? fileName : changeFileExtension(fileName, replacementExtension);
    };

    const auto it = m_index.constFind(lookupKey(name));
    if (it == m_index.constEnd()) {
        if (windowsFileName(name).endsWith(QLatin1String(".DLL"), Qt::CaseInsensitive))
            return {ExtractStatus::Existing, name, 0};
        const QString fileName = withExtension(windowsFileName(name));
        const QString existing = findCaseInsensitive(m_programFolder, fileName);
        if (!existing.isEmpty() && !isUnsafeEntryName(fileName))
            return {ExtractStatus::Existing, m_programFolder + QLatin1Char('/') + existing, 0};
        return {ExtractStatus::Failed, m_programFolder + QLatin1Char('/') + fileName, io::kFileNotFound};
    }

    ContainerEntry& entry = m_entries[*it];
    if (isUnsafeEntryName(entry.Name))
        return {ExtractStatus::Failed, {}, io::kPathNotFound};
    const QString fileName = withExtension(entry.Name);
    if (isUnsafeEntryName(fileName))
        return {ExtractStatus::Failed, {}, io::kPathNotFound};

    const QString& folder = m_folder.path;
    const QString existing = findCaseInsensitive(folder, fileName);
    if (!existing.isEmpty())
        return {ExtractStatus::Existing, folder + QLatin1Char('/') + existing, 0};

    const QString target = folder + QLatin1Char('/') + fileName;
    if (const int code = extractTo(entry, target))
        return {ExtractStatus::Failed, target, code};
    entry.Extracted = true;
    entry.ExtractedPath = target;
    return {ExtractStatus::Extracted, target, 0};
}

int Container::extractTo(const ContainerEntry& entry, const QString& target) const
{
    const QByteArray native = QFile::encodeName(target);
    // O_EXCL with O_NOFOLLOW: never write through a link or over a file that
    // appeared since the existence check.
    const int out = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (out < 0)
        return ioCodeFromErrno(errno, IoOp::Write);

    int code = 0;
    std::vector<std::byte> block(kCopyBlock);
    for (int64_t done = 0; done < entry.Size && code == 0;) {
        const int64_t got = readAt(entry, done, block);
        if (got <= 0) {
            code = got < 0 ? int(-got) : io::kReadError;
            break;
        }
        if (const int err = writeFully(out, block.data(), size_t(got)))
            code = ioCodeFromErrno(err, IoOp::Write);
        done += got;
    }
    if (::close(out) != 0 && code == 0)
        code = ioCodeFromErrno(errno, IoOp::Write);
    if (code != 0)
        ::unlink(native.constData());
    return code;
}

void Container::close()
{
    if (!m_read)
        return;
    m_read = nullptr;
    if (!(m_extractOp & extractop::kDeleteAtClose))
        return;
    for (ContainerEntry& entry : m_entries) {
        if (!entry.Extracted)
            continue;
        QFile::remove(entry.ExtractedPath);
        entry.Extracted = false;
    }
    if (m_folder.created)
        removeCreatedFolder(m_folder.path);
}

} // namespace lumeria
