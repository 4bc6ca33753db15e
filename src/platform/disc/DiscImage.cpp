#include "platform/disc/DiscImage.h"

#include "platform/WindowsPath.h"

#include <QFileInfo>

#include <cdio/iso9660.h>

#include <algorithm>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumeria::disc {

namespace {

constexpr int kBlock = ISO_BLOCKSIZE;
constexpr uint32_t kMaxFolderBytes = uint32_t(16) << 20;
constexpr size_t kMaxEntries = 65536;
constexpr int kMaxDescriptors = 64;
constexpr int kMaxContinuations = 8;
constexpr size_t kMaxCachedFolders = 4096;
constexpr int kMaxComponents = 64;
// Offsets in a volume descriptor and a directory record.
constexpr int kVolumeId = 40;
constexpr int kEscapes = 88;
constexpr int kRootRecord = 156;
constexpr int kRecordMin = 33;

uint32_t le32(const std::byte* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint8_t u8(const std::byte* p)
{
    return uint8_t(*p);
}

QString ucs2(const std::byte* p, int bytes)
{
    QString out;
    for (int i = 0; i + 1 < bytes; i += 2) {
        const char16_t c = char16_t(u8(p + i) << 8 | u8(p + i + 1));
        if (c == 0)
            break;
        out.append(QChar(c));
    }
    return out;
}

// An ISO or Joliet name as a reader sees it: without ";1" and the dot
// mastering tools add to names without an extension.
QString plainName(QString name)
{
    if (const qsizetype semicolon = name.lastIndexOf(QLatin1Char(';')); semicolon >= 0)
        name.truncate(semicolon);
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    return name;
}

bool hasIsoSignature(const std::byte* descriptor)
{
    return std::memcmp(descriptor + 1, ISO_STANDARD_ID, 5) == 0;
}

// Reads count bytes at offset, retrying short reads.
bool preadAll(int fd, std::byte* out, size_t count, int64_t offset)
{
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd, out + done, count - done, off_t(offset + int64_t(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// Which framing puts an ISO 9660 descriptor at sector 16 of a file with no
// sheet: a plain .iso, or a raw copy of a data track.
std::optional<TrackMode> guessFraming(int fd, int64_t fileSize)
{
    for (TrackMode mode :
         {TrackMode::Mode1Cooked, TrackMode::Mode1Raw, TrackMode::Mode2Raw, TrackMode::Mode2Headerless}) {
        std::byte id[6];
        const int64_t at = int64_t(ISO_PVD_SECTOR) * sectorSize(mode) + userDataOffset(mode);
        if (at + 6 <= fileSize && preadAll(fd, id, sizeof id, at) && hasIsoSignature(id))
            return mode;
    }
    return std::nullopt;
}

QString notADisc(const QString& path)
{
    return QStringLiteral("%1 n'est pas une image de disque lisible.").arg(QFileInfo(path).fileName());
}

} // namespace

DiscImage::~DiscImage() = default;

std::unique_ptr<DiscImage> DiscImage::open(const QString& path, QString* error)
{
    std::unique_ptr<DiscImage> image(new DiscImage);
    image->m_path = path;
    const QFileInfo info(path);
    QString sheet;
    if (info.suffix().compare(QLatin1String("cue"), Qt::CaseInsensitive) == 0) {
        sheet = path;
    } else if (info.suffix().compare(QLatin1String("bin"), Qt::CaseInsensitive) == 0) {
        const QString name = findCaseInsensitive(info.absolutePath(), info.completeBaseName() + QStringLiteral(".cue"));
        if (!name.isEmpty())
            sheet = info.absolutePath() + QLatin1Char('/') + name;
    }
    if (!sheet.isEmpty()) {
        CueParse parsed = readCueSheet(sheet);
        if (!parsed.error.isEmpty()) {
            *error = parsed.error;
            return nullptr;
        }
        image->m_tracks = std::move(parsed.sheet.tracks);
    } else {
        Result<Fd> fd = openRegularFile(path, O_RDONLY);
        struct stat st {};
        if (!fd || ::fstat(fd.value().get(), &st) != 0) {
            *error = notADisc(path);
            return nullptr;
        }
        const std::optional<TrackMode> mode = guessFraming(fd.value().get(), st.st_size);
        if (!mode) {
            *error = notADisc(path);
            return nullptr;
        }
        image->m_tracks.push_back({1, *mode, path, 0, st.st_size / sectorSize(*mode), 0, 0});
    }

    const auto data = std::find_if(image->m_tracks.begin(), image->m_tracks.end(),
                                   [](const CueTrack& t) { return t.mode != TrackMode::Audio; });
    if (data == image->m_tracks.end()) {
        *error = QStringLiteral("Ce disque ne contient que de la musique : aucune piste de données.");
        return nullptr;
    }
    Result<Fd> fd = openRegularFile(data->file, O_RDONLY);
    if (!fd) {
        *error = notADisc(data->file);
        return nullptr;
    }
    image->m_data = std::move(fd).value();
    image->m_dataOffset = data->offset;
    image->m_dataSectors = data->sectors;
    image->m_sectorSize = sectorSize(data->mode);
    image->m_userOffset = userDataOffset(data->mode);
    if (!image->mount(error)) {
        if (error->isEmpty())
            *error = notADisc(path);
        return nullptr;
    }
    return image;
}

std::unique_ptr<DiscImage> DiscImage::fromIsoBytes(QByteArray bytes, QString* error)
{
    std::unique_ptr<DiscImage> image(new DiscImage);
    image->m_dataSectors = bytes.size() / kBlock;
    image->m_memory = std::move(bytes);
    image->m_tracks.push_back({1, TrackMode::Mode1Cooked, {}, 0, image->m_dataSectors, 0, 0});
    if (!image->mount(error))
        return nullptr;
    return image;
}

bool DiscImage::readSector(uint32_t sector, std::byte* out) const
{
    if (int64_t(sector) >= m_dataSectors)
        return false;
    const int64_t at = m_dataOffset + int64_t(sector) * m_sectorSize + m_userOffset;
    if (!m_data.valid()) {
        if (at + kBlock > m_memory.size())
            return false;
        std::memcpy(out, m_memory.constData() + at, kBlock);
        return true;
    }
    return preadAll(m_data.get(), out, kBlock, at);
}

bool DiscImage::mount(QString* error)
{
    std::byte sector[kBlock];
    bool primary = false;
    DiscEntry jolietRoot;
    QString jolietName;
    for (int i = 0; i < kMaxDescriptors; ++i) {
        if (!readSector(uint32_t(ISO_PVD_SECTOR + i), sector) || !hasIsoSignature(sector))
            break;
        const uint8_t type = u8(sector);
        if (type == ISO_VD_END)
            break;
        const std::byte* record = sector + kRootRecord;
        DiscEntry root{QString(), true, le32(record + 2), le32(record + 10)};
        if (type == ISO_VD_PRIMARY && !primary) {
            primary = true;
            m_root = root;
            m_volumeName = QString::fromLatin1(reinterpret_cast<const char*>(sector + kVolumeId), 32).trimmed();
        } else if (type == ISO_VD_SUPPLEMENTARY && m_joliet == 0 && u8(sector + kEscapes) == 0x25 &&
                   u8(sector + kEscapes + 1) == 0x2F) {
            const uint8_t level = u8(sector + kEscapes + 2);
            if (level == 0x40 || level == 0x43 || level == 0x45) {
                m_joliet = level == 0x40 ? 1 : level == 0x43 ? 2 : 3;
                jolietRoot = root;
                jolietName = ucs2(sector + kVolumeId, 32).trimmed();
            }
        }
    }
    if (!primary) {
        error->clear();
        return false;
    }

    // Rock Ridge announces itself by an SP entry in the root's own record.
    if (readSector(m_root.sector, sector)) {
        const int length = u8(sector);
        const int nameLength = u8(sector + 32);
        int at = kRecordMin + nameLength + (nameLength % 2 == 0 ? 1 : 0);
        if (length >= kRecordMin && at + 7 <= length && u8(sector + at) == 'S' && u8(sector + at + 1) == 'P' &&
            u8(sector + at + 4) == 0xBE && u8(sector + at + 5) == 0xEF) {
            m_rockRidge = true;
            m_suspSkip = u8(sector + at + 6);
        }
    }
    if (!m_rockRidge && m_joliet) {
        m_root = jolietRoot;
        if (!jolietName.isEmpty())
            m_volumeName = jolietName;
    } else {
        m_joliet = 0;
    }
    if (int64_t(m_root.sector) >= m_dataSectors)
        return false;
    return true;
}

bool DiscImage::readDirectory(const DiscEntry& folder, std::vector<DiscEntry>& out) const
{
    const uint32_t bytes = std::min(folder.size, kMaxFolderBytes);
    const uint32_t sectors = (bytes + kBlock - 1) / kBlock;
    std::byte sector[kBlock];
    std::byte more[kBlock];
    for (uint32_t s = 0; s < sectors && out.size() < kMaxEntries; ++s) {
        if (!readSector(folder.sector + s, sector))
            return !out.empty();
        int pos = 0;
        while (pos + kRecordMin <= kBlock && out.size() < kMaxEntries) {
            const int length = u8(sector + pos);
            if (length == 0)
                break; // the rest of the sector is padding: records never cross sectors
            if (length < kRecordMin || pos + length > kBlock)
                break;
            const std::byte* r = sector + pos;
            pos += length;
            const uint8_t flags = u8(r + 25);
            const int nameLength = u8(r + 32);
            if (kRecordMin + nameLength > length)
                continue;
            if (nameLength == 1 && (u8(r + 33) == 0 || u8(r + 33) == 1))
                continue; // "." and ".."
            if (flags & 0x04)
                continue; // an associated file: not a name of the folder
            DiscEntry entry;
            entry.folder = flags & 0x02;
            entry.sector = le32(r + 2);
            entry.size = le32(r + 10);
            const int64_t extent = (int64_t(entry.size) + kBlock - 1) / kBlock;
            if (int64_t(entry.sector) + extent > m_dataSectors)
                continue; // a record pointing past the track
            if (m_rockRidge) {
                // NM entries, in the record's System Use area and in the
                // continuation areas CE entries point to.
                QByteArray name;
                const std::byte* area = r;
                int from = kRecordMin + nameLength + (nameLength % 2 == 0 ? 1 : 0) + m_suspSkip;
                int end = length;
                for (int continuation = 0; continuation <= kMaxContinuations;) {
                    bool next = false;
                    while (from + 4 <= end) {
                        const std::byte* e = area + from;
                        const int size = u8(e + 2);
                        if (size < 4 || from + size > end)
                            break;
                        if (u8(e) == 'N' && u8(e + 1) == 'M' && size >= 5 && !(u8(e + 4) & 0x06))
                            name.append(reinterpret_cast<const char*>(e + 5), size - 5);
                        if (u8(e) == 'C' && u8(e + 1) == 'E' && size >= 28 && continuation < kMaxContinuations) {
                            const uint32_t block = le32(e + 4);
                            const uint32_t offset = le32(e + 12);
                            const uint32_t span = le32(e + 20);
                            if (offset < uint32_t(kBlock) && span <= uint32_t(kBlock) - offset &&
                                readSector(block, more)) {
                                next = true;
                                area = more;
                                from = int(offset);
                                end = int(offset + span);
                                ++continuation;
                                break;
                            }
                        }
                        if (u8(e) == 'S' && u8(e + 1) == 'T')
                            break; // the end of System Use entries
                        from += size;
                    }
                    if (!next)
                        break;
                }
                entry.name = QString::fromUtf8(name.left(255));
            }
            if (entry.name.isEmpty()) {
                entry.name =
                    plainName(m_joliet ? ucs2(r + 33, nameLength)
                                       : QString::fromLatin1(reinterpret_cast<const char*>(r + 33), nameLength));
            }
            if (entry.name.isEmpty() || entry.name == QLatin1String(".") || entry.name == QLatin1String("..") ||
                entry.name.contains(QLatin1Char('/')))
                continue;
            // A file over 4 GiB is written as several records of one name;
            // the parts lie one after another.
            if (!out.empty() && out.back().name == entry.name && !entry.folder && !out.back().folder &&
                int64_t(out.back().sector) + (int64_t(out.back().size) + kBlock - 1) / kBlock == entry.sector &&
                out.back().size % kBlock == 0 && uint64_t(out.back().size) + entry.size <= UINT32_MAX) {
                out.back().size += entry.size;
                continue;
            }
            out.push_back(std::move(entry));
        }
    }
    return true;
}

std::vector<DiscEntry> DiscImage::list(const DiscEntry& folder) const
{
    if (!folder.folder)
        return {};
    const auto cached = m_folders.find(folder.sector);
    if (cached != m_folders.end())
        return cached->second;
    std::vector<DiscEntry> entries;
    readDirectory(folder, entries);
    if (m_folders.size() >= kMaxCachedFolders)
        m_folders.clear();
    m_folders[folder.sector] = entries;
    return entries;
}

std::optional<DiscEntry> DiscImage::find(const QString& path) const
{
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.size() > kMaxComponents)
        return std::nullopt;
    DiscEntry at = m_root;
    for (const QString& part : parts) {
        const std::optional<DiscEntry> next = child(at, part);
        if (!next)
            return std::nullopt;
        at = *next;
    }
    return at;
}

std::optional<DiscEntry> DiscImage::child(const DiscEntry& folder, const QString& name) const
{
    const std::vector<DiscEntry> entries = list(folder);
    auto match = std::find_if(entries.begin(), entries.end(), [&](const DiscEntry& e) { return e.name == name; });
    if (match == entries.end())
        match = std::find_if(entries.begin(), entries.end(),
                             [&](const DiscEntry& e) { return e.name.compare(name, Qt::CaseInsensitive) == 0; });
    if (match == entries.end())
        return std::nullopt;
    return *match;
}

int64_t DiscImage::read(const DiscEntry& file, int64_t position, std::span<std::byte> buffer) const
{
    if (position < 0 || position >= int64_t(file.size) || buffer.empty())
        return 0;
    const int64_t count = std::min<int64_t>(int64_t(buffer.size()), int64_t(file.size) - position);
    // A track of plain sectors holds a file as one run of bytes.
    if (m_data.valid() && m_sectorSize == kBlock && m_userOffset == 0) {
        const int64_t at = m_dataOffset + int64_t(file.sector) * kBlock + position;
        return preadAll(m_data.get(), buffer.data(), size_t(count), at) ? count : -1;
    }
    std::byte sector[kBlock];
    int64_t done = 0;
    while (done < count) {
        const int64_t at = position + done;
        const uint32_t s = file.sector + uint32_t(at / kBlock);
        const int inSector = int(at % kBlock);
        if (!readSector(s, sector))
            return done > 0 ? done : -1;
        const int64_t n = std::min<int64_t>(kBlock - inSector, count - done);
        std::memcpy(buffer.data() + done, sector + inSector, size_t(n));
        done += n;
    }
    return done;
}

} // namespace lumeria::disc
