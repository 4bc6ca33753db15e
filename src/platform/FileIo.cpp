#include "platform/FileIo.h"

#include "platform/IoError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumeria {

void Fd::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

Result<Fd> openRegularFile(const QString& path, int flags, mode_t mode)
{
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty())
        return Failure{io::kFileNotFound};
    // O_NONBLOCK keeps a FIFO without a writer from holding the open.
    Fd fd(::open(native.constData(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, mode));
    if (!fd.valid())
        return Failure{ioCodeFromErrno(errno, (flags & O_ACCMODE) == O_RDONLY ? IoOp::Read : IoOp::Write)};
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return Failure{ioCodeFromErrno(errno, IoOp::Read)};
    if (!S_ISREG(info.st_mode))
        return Failure{io::kAccessDenied};
    const int status = ::fcntl(fd.get(), F_GETFL);
    if (status >= 0)
        ::fcntl(fd.get(), F_SETFL, status & ~O_NONBLOCK);
    return fd;
}

int writeAll(int fd, const char* p, qsizetype left)
{
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return ioCodeFromErrno(errno, IoOp::Write);
        }
        p += n;
        left -= n;
    }
    return 0;
}

int readBlocks(int fd, const std::function<int(const char*, qsizetype)>& take)
{
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return ioCodeFromErrno(errno, IoOp::Read);
        }
        if (n == 0)
            return 0;
        if (const int code = take(buf, n))
            return code;
    }
}

int copyAll(int from, int to)
{
    return readBlocks(from, [to](const char* data, qsizetype n) { return writeAll(to, data, n); });
}

Result<QByteArray> readRegularFile(const QString& path, qsizetype limit)
{
    Result<Fd> fd = openRegularFile(path, O_RDONLY);
    if (!fd)
        return Failure{fd.error()};
    struct stat info {};
    if (::fstat(fd->get(), &info) != 0)
        return Failure{ioCodeFromErrno(errno, IoOp::Read)};
    if (info.st_size > limit)
        throw LimitExceeded();
    QByteArray out;
    out.reserve(qsizetype(info.st_size));
    // The size was read before: a file that grows while it is read must not
    // carry the player past the bound either.
    const int code = readBlocks(fd->get(), [&out, limit](const char* data, qsizetype n) {
        if (out.size() + n > limit)
            throw LimitExceeded();
        out.append(data, n);
        return 0;
    });
    if (code != 0)
        return Failure{code};
    return out;
}

int replaceFile(const QString& path, mode_t mode, const std::function<int(int)>& fill)
{
    const QByteArray native = QFile::encodeName(path);
    QByteArray pattern = QFile::encodeName(QFileInfo(path).absolutePath() + QStringLiteral("/.lumeria-XXXXXX"));
    Fd tmp(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!tmp.valid())
        return ioCodeFromErrno(errno, IoOp::Write);
    int code = 0;
    try {
        code = fill(tmp.get());
    } catch (...) {
        ::unlink(pattern.constData());
        throw;
    }
    if (code == 0 && ::fchmod(tmp.get(), mode & 07777) != 0)
        code = ioCodeFromErrno(errno, IoOp::Write);
    if (code == 0 && ::fsync(tmp.get()) != 0)
        code = ioCodeFromErrno(errno, IoOp::Write);
    if (::close(tmp.get()) != 0 && code == 0)
        code = ioCodeFromErrno(errno, IoOp::Write);
    tmp.release();
    if (code == 0 && ::rename(pattern.constData(), native.constData()) != 0)
        code = ioCodeFromErrno(errno, IoOp::Write);
    if (code != 0)
        ::unlink(pattern.constData());
    return code;
}

QString physicalPath(const QString& path)
{
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString rest;
    for (;;) {
        const QFileInfo info(existing);
        if (info.exists())
            return QDir::cleanPath(info.canonicalFilePath() + rest);
        if (info.isSymLink())
            return {};
        const qsizetype slash = existing.lastIndexOf(QLatin1Char('/'));
        if (slash <= 0)
            return existing.isEmpty() ? rest : existing + rest;
        rest.prepend(existing.mid(slash));
        existing.truncate(slash);
    }
}

bool liesWithin(const QString& path, const QString& folder)
{
    const QString target = physicalPath(path);
    const QString root = physicalPath(folder);
    if (target.isEmpty() || root.isEmpty())
        return false;
    return target == root || target.startsWith(root == QLatin1String("/") ? root : root + QLatin1Char('/'));
}

} // namespace lumeria
