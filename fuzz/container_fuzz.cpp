// Feeds arbitrary bytes to the container reader as a whole file, then reads
// and extracts every entry it accepts.
#include "container/Container.h"
#include "container/TextSource.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir out;
    const int fd = memfd_create("container", 0);
    if (fd < 0)
        return 0;
    if (size > 0 && write(fd, data, size) != ssize_t(size)) {
        close(fd);
        return 0;
    }
    auto opened = lumeria::Container::open(QStringLiteral("/proc/self/fd/") + QString::number(fd));
    if (opened) {
        lumeria::Container& c = *opened.value();
        c.setExtractionFolder({out.path(), false}, 128);
        std::byte buffer[3000];
        for (const lumeria::ContainerEntry& e : c.entries()) {
            for (int64_t pos = -1; pos <= e.Size; pos += 1500)
                (void)c.readAt(e.Name, pos, buffer);
            (void)c.pictureSize(e.Name);
            if (e.Size < 4096)
                (void)c.extract(e.Name);
        }
        c.close();
        for (const QString& left : QDir(out.path()).entryList(QDir::Files))
            QFile::remove(out.filePath(left));
    }
    close(fd);
    return 0;
}
