// Feeds arbitrary bytes to the disc-image readers. An input starting with
// an even byte is the sectors of an ISO 9660 file system from sector 16 on
// (the sixteen sectors before it are always zeros, so the fuzzer spends
// nothing on them): the whole tree is walked, every file read. An odd byte
// starts a CUE sheet, read against two files of fixed sizes. Every entry
// must lie inside the track, every read inside the file.
#include "platform/disc/CueSheet.h"
#include "platform/disc/DiscImage.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace {

void walk(const lumeria::disc::DiscImage& disc, int64_t sectors)
{
    std::vector<std::pair<lumeria::disc::DiscEntry, int>> todo{{disc.root(), 0}};
    std::vector<std::byte> buffer(4096);
    int visited = 0;
    while (!todo.empty() && visited < 2000) {
        const auto [folder, depth] = todo.back();
        todo.pop_back();
        for (const lumeria::disc::DiscEntry& e : disc.list(folder)) {
            if (++visited >= 2000)
                break;
            if (int64_t(e.sector) + (int64_t(e.size) + 2047) / 2048 > sectors)
                __builtin_trap(); // an entry outside the track was believed
            if (e.folder) {
                if (depth < 8)
                    todo.emplace_back(e, depth + 1);
                continue;
            }
            const int64_t n = disc.read(e, 0, buffer);
            if (n > int64_t(e.size) || n > int64_t(buffer.size()))
                __builtin_trap();
            (void)disc.read(e, int64_t(e.size) - 1, buffer);
            (void)disc.find(e.name);
        }
    }
    (void)disc.find(QStringLiteral("a/b/c/d"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if (data[0] % 2 == 0) {
        QByteArray image(16 * 2048, '\0');
        image += rest;
        image.append((2048 - image.size() % 2048) % 2048, '\0');
        const int64_t sectors = image.size() / 2048;
        QString error;
        if (const auto disc = lumeria::disc::DiscImage::fromIsoBytes(image, &error))
            walk(*disc, sectors);
        return 0;
    }
    const lumeria::disc::CueParse parsed = lumeria::disc::parseCueSheet(
        rest,
        [](const QString& name) -> std::optional<QString> {
            if (name.compare(QLatin1String("a.bin"), Qt::CaseInsensitive) == 0)
                return QStringLiteral("/a.bin");
            if (name.compare(QLatin1String("b.bin"), Qt::CaseInsensitive) == 0)
                return QStringLiteral("/b.bin");
            return std::nullopt;
        },
        [](const QString& path) -> std::optional<int64_t> {
            return path == QLatin1String("/a.bin") ? 700 * 2352 : 123457;
        });
    if (!parsed.error.isEmpty() && !parsed.sheet.tracks.empty())
        __builtin_trap(); // a refused sheet gives no tracks
    for (const lumeria::disc::CueTrack& t : parsed.sheet.tracks) {
        const int64_t fileSize = t.file == QLatin1String("/a.bin") ? 700 * 2352 : 123457;
        if (t.offset < 0 || t.sectors < 0 || t.offset + t.length() > fileSize)
            __builtin_trap(); // a track outside its file
    }
    return 0;
}
