#pragma once

// Writes container files byte by byte, so tests can make both the layouts the
// pack tool writes and the malformed ones it never would.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <vector>

namespace lumeria::test {

struct RawEntry {
    QByteArray name;
    QByteArray data;
    uint8_t type = 1;
    int32_t width = 0;
    int32_t height = 0;
    // When set, written instead of the real offset and size.
    bool overrideRange = false;
    int32_t offset = 0;
    int32_t size = 0;
};

inline void appendInt32(QByteArray& out, int32_t v)
{
    const auto u = uint32_t(v);
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((u >> shift) & 0xFF));
}

inline QByteArray containerBytes(const std::vector<RawEntry>& entries, const QByteArray& prefix = {})
{
    QByteArray out = prefix;
    QByteArray directory;
    for (const RawEntry& e : entries) {
        const auto offset = int32_t(out.size());
        out.append(e.data);
        directory.append(char(e.name.size()));
        directory.append(e.name);
        directory.append(char(e.type));
        appendInt32(directory, e.overrideRange ? e.offset : offset);
        appendInt32(directory, e.overrideRange ? e.size : int32_t(e.data.size()));
        appendInt32(directory, e.width);
        appendInt32(directory, e.height);
    }
    const auto directoryOffset = int32_t(out.size());
    out.append(directory);
    appendInt32(out, directoryOffset);
    return out;
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace lumeria::test
