#pragma once

// Builds picture files byte by byte, so tests can make the layouts Qt never
// writes (PCX, 4-bit and run-length BMP) and broken ones.

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <span>
#include <vector>

namespace lumeria::test {

inline void appendU16(QByteArray& out, unsigned v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

inline void appendU32(QByteArray& out, uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((v >> shift) & 0xFF));
}

struct PcxLayout {
    int version = 5;
    int bitsPerPixel = 8;
    int planes = 1;
    int xmin = 0;
    int ymin = 0;
    int xmax = 0;
    int ymax = 0;
    int bytesPerLine = 0;
    int paletteInfo = 1;
    QByteArray ega; // up to 16 RGB triples
};

// A window of width x height at the origin.
inline PcxLayout pcxLayout(int bitsPerPixel, int planes, int width, int height, int bytesPerLine)
{
    PcxLayout l;
    l.bitsPerPixel = bitsPerPixel;
    l.planes = planes;
    l.xmax = width - 1;
    l.ymax = height - 1;
    l.bytesPerLine = bytesPerLine;
    return l;
}

inline QByteArray pcxHeader(const PcxLayout& l)
{
    QByteArray h;
    h.append(char(10));
    h.append(char(l.version));
    h.append(char(1));
    h.append(char(l.bitsPerPixel));
    appendU16(h, unsigned(l.xmin));
    appendU16(h, unsigned(l.ymin));
    appendU16(h, unsigned(l.xmax));
    appendU16(h, unsigned(l.ymax));
    appendU16(h, 96);
    appendU16(h, 96);
    h.append(l.ega.left(48).leftJustified(48, '\0'));
    h.append(char(0));
    h.append(char(l.planes));
    appendU16(h, unsigned(l.bytesPerLine));
    appendU16(h, unsigned(l.paletteInfo));
    return h.leftJustified(128, '\0');
}

// The usual encoder: runs of up to 63 equal bytes, and a byte with both top
// bits set written as a run of one.
inline QByteArray pcxRle(const QByteArray& raw)
{
    QByteArray out;
    for (qsizetype i = 0; i < raw.size();) {
        qsizetype n = 1;
        while (i + n < raw.size() && n < 63 && raw[i + n] == raw[i])
            ++n;
        const auto b = uint8_t(raw[i]);
        if (n > 1 || (b & 0xC0) == 0xC0)
            out.append(char(0xC0 | n));
        out.append(char(b));
        i += n;
    }
    return out;
}

inline QByteArray vgaPalette(const std::vector<uint32_t>& rgb)
{
    QByteArray p(1, char(0x0C));
    for (size_t i = 0; i < 256; ++i) {
        const uint32_t c = i < rgb.size() ? rgb[i] : 0;
        p.append(char((c >> 16) & 0xFF));
        p.append(char((c >> 8) & 0xFF));
        p.append(char(c & 0xFF));
    }
    return p;
}

// A bottom-up Windows bitmap with a BITMAPINFOHEADER; `pixels` is the stored
// pixel data exactly (rows padded, or the run-length stream).
inline QByteArray bmpFile(int width, int height, int bits, uint32_t compression, const std::vector<uint32_t>& table,
                          const QByteArray& pixels)
{
    const auto tableBytes = uint32_t(table.size() * 4);
    const uint32_t dataOffset = 14 + 40 + tableBytes;
    QByteArray b("BM");
    appendU32(b, dataOffset + uint32_t(pixels.size()));
    appendU32(b, 0);
    appendU32(b, dataOffset);
    appendU32(b, 40);
    appendU32(b, uint32_t(width));
    appendU32(b, uint32_t(height));
    appendU16(b, 1);
    appendU16(b, unsigned(bits));
    appendU32(b, compression);
    appendU32(b, uint32_t(pixels.size()));
    appendU32(b, 2835);
    appendU32(b, 2835);
    appendU32(b, uint32_t(table.size()));
    appendU32(b, 0);
    for (uint32_t c : table)
        appendU32(b, c & 0xFFFFFF); // blue, green, red, reserved
    b.append(pixels);
    return b;
}

inline void appendU32be(QByteArray& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(char((v >> shift) & 0xFF));
}

inline uint32_t crc32(const QByteArray& bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= uint8_t(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

inline QByteArray pngChunk(const char* type, const QByteArray& data)
{
    QByteArray out;
    appendU32be(out, uint32_t(data.size()));
    const QByteArray body = QByteArray(type) + data;
    out += body;
    appendU32be(out, crc32(body));
    return out;
}

// A PNG of the given IHDR whose IDAT holds `rows` (each led by its filter
// byte) compressed; tRNS and PLTE are written when given.
inline QByteArray pngFile(int width, int height, int bitDepth, int colourType, const QByteArray& rows,
                          const QByteArray& trns = {}, const QByteArray& plte = {}, int interlace = 0)
{
    QByteArray ihdr;
    appendU32be(ihdr, uint32_t(width));
    appendU32be(ihdr, uint32_t(height));
    ihdr.append(char(bitDepth));
    ihdr.append(char(colourType));
    ihdr.append(char(0));
    ihdr.append(char(0));
    ihdr.append(char(interlace));
    QByteArray out("\x89PNG\r\n\x1A\n", 8);
    out += pngChunk("IHDR", ihdr);
    if (!plte.isEmpty())
        out += pngChunk("PLTE", plte);
    if (!trns.isEmpty())
        out += pngChunk("tRNS", trns);
    out += pngChunk("IDAT", qCompress(rows).mid(4)); // without Qt's length prefix
    return out + pngChunk("IEND", {});
}

inline uint32_t readU32(const QByteArray& a, qsizetype at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | uint8_t(a[at + i]);
    return v;
}

// Joins single-image icon files into one icon of several images, in order.
inline QByteArray joinedIcons(const std::vector<QByteArray>& singles)
{
    QByteArray directory;
    appendU16(directory, 0);
    appendU16(directory, 1);
    appendU16(directory, unsigned(singles.size()));
    const auto dataStart = uint32_t(6 + 16 * singles.size());
    QByteArray images;
    for (const QByteArray& single : singles) {
        QByteArray entry = single.mid(6, 12); // all but the data offset
        const uint32_t size = readU32(single, 6 + 8);
        const uint32_t offset = readU32(single, 6 + 12);
        appendU32(entry, dataStart + uint32_t(images.size()));
        directory.append(entry);
        images.append(single.mid(offset, size));
    }
    return directory + images;
}

inline QByteArray encodedImage(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, quality))
        return {};
    return bytes;
}

inline std::span<const std::byte> asBytes(const QByteArray& a)
{
    return std::as_bytes(std::span(a.constData(), size_t(a.size())));
}

// A one-image icon of a blue square whose top-left pixel is transparent.
inline QByteArray iconFile(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(qRgba(0, 0, 255, 255));
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "ICO");
    return bytes;
}

// The same file as a cursor: type 2, the hotspot where an icon keeps its
// planes and bit count.
inline QByteArray cursorFile(int size, int hotX, int hotY)
{
    QByteArray bytes = iconFile(size);
    bytes[2] = 2;
    bytes[10] = char(hotX);
    bytes[11] = 0;
    bytes[12] = char(hotY);
    bytes[13] = 0;
    return bytes;
}

} // namespace lumeria::test
