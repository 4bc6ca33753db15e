#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace lumeria {

// Bounds-checked little-endian reads over untrusted bytes. Every read either
// yields a value and advances, or yields nothing and leaves the position alone.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::byte> bytes) : m_bytes(bytes) {}

    size_t position() const { return m_pos; }
    size_t remaining() const { return m_bytes.size() - m_pos; }
    bool atEnd() const { return m_pos == m_bytes.size(); }

    bool seek(size_t pos)
    {
        if (pos > m_bytes.size())
            return false;
        m_pos = pos;
        return true;
    }

    std::optional<uint8_t> u8()
    {
        if (remaining() < 1)
            return std::nullopt;
        return static_cast<uint8_t>(m_bytes[m_pos++]);
    }

    std::optional<uint16_t> u16le()
    {
        if (remaining() < 2)
            return std::nullopt;
        const auto v = static_cast<uint16_t>(at(0) | (at(1) << 8));
        m_pos += 2;
        return v;
    }

    std::optional<uint16_t> u16be()
    {
        if (remaining() < 2)
            return std::nullopt;
        const auto v = static_cast<uint16_t>((at(0) << 8) | at(1));
        m_pos += 2;
        return v;
    }

    std::optional<uint32_t> u32le()
    {
        if (remaining() < 4)
            return std::nullopt;
        const uint32_t v = at(0) | (at(1) << 8) | (at(2) << 16) | (static_cast<uint32_t>(at(3)) << 24);
        m_pos += 4;
        return v;
    }

    std::optional<uint32_t> u32be()
    {
        if (remaining() < 4)
            return std::nullopt;
        const uint32_t v = (static_cast<uint32_t>(at(0)) << 24) | (at(1) << 16) | (at(2) << 8) | at(3);
        m_pos += 4;
        return v;
    }

    std::optional<int32_t> i32le()
    {
        const auto v = u32le();
        if (!v)
            return std::nullopt;
        return static_cast<int32_t>(*v);
    }

    std::optional<std::span<const std::byte>> bytes(size_t count)
    {
        if (remaining() < count)
            return std::nullopt;
        auto out = m_bytes.subspan(m_pos, count);
        m_pos += count;
        return out;
    }

    bool skip(size_t count)
    {
        if (remaining() < count)
            return false;
        m_pos += count;
        return true;
    }

private:
    uint32_t at(size_t i) const { return static_cast<uint8_t>(m_bytes[m_pos + i]); }

    std::span<const std::byte> m_bytes;
    size_t m_pos = 0;
};

} // namespace lumeria
