#include "container/ByteSource.h"

#include "container/Container.h"
#include "platform/FileIo.h"
#include "platform/IoError.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace lumeria {

int64_t EntrySource::readAt(int64_t position, std::span<std::byte> buffer)
{
    // A container's directory never changes once read, so the first lookup
    // answers for every read after it: a text is read in a hundred pieces.
    if (!m_looked) {
        m_entry = m_container.find(m_name);
        m_looked = true;
    }
    if (!m_entry)
        return io::kNotInContainer;
    return m_container.readAt(*m_entry, position, buffer);
}

FileSource::FileSource(const QString& path)
{
    // A FIFO would hold the open, and a device read on for ever.
    Result<Fd> fd = openRegularFile(path, O_RDONLY);
    if (fd) {
        m_fd = fd->get();
        fd->release();
    } else {
        m_openError = fd.error();
    }
}

FileSource::~FileSource()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int64_t FileSource::readAt(int64_t position, std::span<std::byte> buffer)
{
    if (m_fd < 0)
        return -m_openError;
    if (position < 0)
        return 0;
    for (;;) {
        const ssize_t n = ::pread(m_fd, buffer.data(), buffer.size(), off_t(position));
        if (n >= 0)
            return n;
        if (errno != EINTR)
            return -ioCodeFromErrno(errno, IoOp::Read);
    }
}

int64_t MemorySource::readAt(int64_t position, std::span<std::byte> buffer)
{
    if (position < 0 || position >= m_bytes.size())
        return 0;
    const auto count = size_t(std::min<int64_t>(int64_t(buffer.size()), m_bytes.size() - position));
    std::memcpy(buffer.data(), m_bytes.constData() + position, count);
    return int64_t(count);
}

} // namespace lumeria
