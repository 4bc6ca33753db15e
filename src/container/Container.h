#pragma once

#include "container/Directory.h"
#include "container/ExtractionFolder.h"
#include "platform/PictureHeader.h"
#include "platform/Result.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace lumeria {

enum class ExtractStatus : int { Failed = 0, Extracted = 1, Existing = 2 };

struct ExtractResult {
    ExtractStatus status = ExtractStatus::Failed;
    QString path;      // the file to use
    int errorCode = 0; // runtime I/O code when Failed
};

// The files a publication carries, appended to the player's executable or to
// a file of their own: data, then a directory, then the directory's offset in
// the last four bytes. The file stays open, read-only, from open to close.
class Container {
public:
    // Opens the container at the end of a file. Fails with the I/O code of
    // opening or reading the file, the read-error code when the directory
    // does not fit the file, or the out-of-memory code for a directory larger
    // than any publication could need. notAContainer, when given, tells a
    // file that holds no container (not a plain file, too short, a directory
    // offset or entry outside the file) from one that could not be read.
    static Result<std::unique_ptr<Container>> open(const QString& path, bool* notAContainer = nullptr);
    // Reads up to buffer.size() bytes at offset: the count (short only at
    // the end), or -errno.
    using Reader = std::function<int64_t(std::span<std::byte> buffer, int64_t offset)>;
    // The container at the end of fileSize bytes read by read: a file that
    // lies inside something else, such as a disc image. path names it for
    // the reader, and its folder is the program's folder.
    static Result<std::unique_ptr<Container>> openReader(const QString& path, int64_t fileSize, Reader read,
                                                         bool* notAContainer = nullptr);
    // The container appended to the running program.
    static Result<std::unique_ptr<Container>> openOwnExecutable();

    ~Container();
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;

    const QString& filePath() const { return m_path; }
    // The folder of the file the container came from: what the runtime calls
    // the program's folder.
    const QString& programFolder() const { return m_programFolder; }
    const std::vector<ContainerEntry>& entries() const { return m_entries; }
    int rejectedEntries() const { return m_rejected; }

    // Any folder part of the name is dropped and the rest compared upper-cased;
    // a name listed twice resolves to its last occurrence.
    const ContainerEntry* find(const QString& name) const;

    // Copies up to buffer.size() bytes of the entry from position: the count
    // copied, 0 at or past its end, io::kNotInContainer when the name is
    // absent, or a negative I/O code.
    int64_t readAt(const QString& name, int64_t position, std::span<std::byte> buffer) const;
    int64_t readAt(const ContainerEntry& entry, int64_t position, std::span<std::byte> buffer) const;

    // The picture size recorded in the directory; nothing is decoded.
    std::optional<PictureDimensions> pictureSize(const QString& name) const;

    // Where Extract writes, decided once the publication is parsed; until then
    // the program's folder.
    void setExtractionFolder(ExtractionFolder folder, uint8_t extractOp);
    const ExtractionFolder& extractionFolder() const { return m_folder; }

    // Gives a real file for an entry. An existing file (of that name in any
    // letter case) is used unchanged; a name the container lacks is looked for
    // in the program's folder, and a library name is left to the system.
    ExtractResult extract(const QString& name, const QString& replacementExtension = {});

    // Closes the file; with ExtractOp bit 128 deletes what was extracted and
    // the extraction folder if the player created it. Called by the destructor.
    void close();

private:
    Container(QString path, Reader read, Directory directory);
    int extractTo(const ContainerEntry& entry, const QString& target) const;

    QString m_path;
    QString m_programFolder;
    Reader m_read; // empty once closed
    std::vector<ContainerEntry> m_entries;
    QHash<QString, size_t> m_index; // upper-cased name -> last entry of that name
    int m_rejected = 0;
    ExtractionFolder m_folder;
    uint8_t m_extractOp = 0;
};

// True when an entry name could escape the extraction folder or is not a plain
// file name: it holds a separator, "..", a drive colon or a NUL, or is empty.
bool isUnsafeEntryName(const QString& name);

} // namespace lumeria
