#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <span>

namespace lumeria {

class Container;
struct ContainerEntry;

// Random access to the bytes of one named text, wherever it lives. Readers
// (the publication parser, the article engine) go through this so that a text
// inside the container and a file on disk read alike.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Copies up to buffer.size() bytes from position: the count copied, 0 at
    // or past the end, or a negative code (io::kNotInContainer, or minus an
    // I/O code).
    virtual int64_t readAt(int64_t position, std::span<std::byte> buffer) = 0;
};

// An entry of a container, found by its name; a name the container lacks
// reads as io::kNotInContainer.
class EntrySource final : public ByteSource {
public:
    EntrySource(const Container& container, QString name) : m_container(container), m_name(std::move(name)) {}
    int64_t readAt(int64_t position, std::span<std::byte> buffer) override;

private:
    const Container& m_container;
    QString m_name;
    const ContainerEntry* m_entry = nullptr;
    bool m_looked = false;
};

// A file on disk, opened on construction and read with positioned reads.
class FileSource final : public ByteSource {
public:
    explicit FileSource(const QString& path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // 0 when the file is open, else the I/O code of opening it.
    int openError() const { return m_openError; }
    int64_t readAt(int64_t position, std::span<std::byte> buffer) override;

private:
    int m_fd = -1;
    int m_openError = 0;
};

// Bytes held in memory: texts built at run time, tests, fuzzing.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    int64_t readAt(int64_t position, std::span<std::byte> buffer) override;

private:
    QByteArray m_bytes;
};

} // namespace lumeria
