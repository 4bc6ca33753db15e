#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <functional>
#include <new>
#include <sys/types.h>

namespace lumeria {

// Bounds on what a publication can make the player hold. Far above what
// any real publication needs, far below what a hostile one could ask for.
namespace limits {
inline constexpr qsizetype kTextLength = qsizetype(64) << 20;   // characters of one value
inline constexpr qsizetype kFileInMemory = qsizetype(64) << 20; // bytes of a file read whole
inline constexpr int kPaddingLines = 1'000'000;                 // empty lines a line edit may add
} // namespace limits

// Thrown where a publication asks for more than a bound allows; caught,
// like std::bad_alloc itself, where a script command ends.
class LimitExceeded : public std::bad_alloc {
public:
    const char* what() const noexcept override { return "a publication's request passed the player's bounds"; }
};

// An open descriptor that closes itself.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    Fd& operator=(Fd&& other) noexcept
    {
        if (this != &other) {
            reset(other.m_fd);
            other.m_fd = -1;
        }
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void release() { m_fd = -1; }
    void reset(int fd = -1);

private:
    int m_fd;
};

// Opens a path that must be a plain file. FIFOs, devices and sockets would
// block the player or never end (a tar archive can carry a FIFO; /dev/zero
// reads forever), so they are refused as access denied, judged on the open
// descriptor without waiting for a writer. flags are open(2)'s; O_CREAT may
// be among them.
Result<Fd> openRegularFile(const QString& path, int flags, mode_t mode = 0644);

// The whole of a plain file, or its I/O code; a file over limit bytes
// throws LimitExceeded.
Result<QByteArray> readRegularFile(const QString& path, qsizetype limit = limits::kFileInMemory);

// Writes everything, retrying short writes; 0 or the I/O code.
int writeAll(int fd, const char* data, qsizetype size);
inline int writeAll(int fd, const QByteArray& bytes)
{
    return writeAll(fd, bytes.constData(), bytes.size());
}

// Reads a descriptor to its end a block at a time, handing each block to
// take; a read error or a non-zero code from take ends it.
int readBlocks(int fd, const std::function<int(const char* data, qsizetype size)>& take);

// Streams one descriptor into another without holding the file in memory.
int copyAll(int from, int to);

// Every whole-file write goes through here: fill writes the new content
// into a temporary file in the target's folder, which replaces the target
// only once complete and on disk, so a failure part-way (a full disk, a
// size limit, a crash) leaves the old target whole and no temporary behind.
// The new file takes the given permissions.
int replaceFile(const QString& path, mode_t mode, const std::function<int(int fd)>& fill);

// The path as the system will follow it: symbolic links in the part that
// exists resolved, the rest kept as written, so a link inside an allowed
// folder cannot lead a write outside it. Empty for a link that leads
// nowhere, since creating through it would write wherever it points.
QString physicalPath(const QString& path);

// True when path, once its links are followed, is folder or lies inside it.
bool liesWithin(const QString& path, const QString& folder);

} // namespace lumeria
