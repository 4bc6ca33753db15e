#pragma once

// Animated GIF files written byte by byte: a palette of up to four colours,
// a transparent index, and frames with their delays. The picture data is
// LZW with a clear code every two pixels, so codes never outgrow three bits:
// valid, if large, and small enough to check by eye.

#include <QByteArray>
#include <QRgb>

#include <cstdint>
#include <vector>

namespace lumeria::media::test {

struct GifFrame {
    std::vector<uint8_t> pixels; // palette indices, width × height
    int delayMs = 100;
};

inline QByteArray gifBytes(int width, int height, const std::vector<QRgb>& palette, int transparentIndex,
                           const std::vector<GifFrame>& frames)
{
    QByteArray out("GIF89a");
    auto u16 = [&](int v) {
        out.append(char(v & 0xFF));
        out.append(char((v >> 8) & 0xFF));
    };
    u16(width);
    u16(height);
    out.append(char(0x91)); // a global table of four colours
    out.append('\0');
    out.append('\0');
    for (int i = 0; i < 4; ++i) {
        const QRgb c = i < int(palette.size()) ? palette[size_t(i)] : 0;
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }
    out.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    for (const GifFrame& f : frames) {
        out.append("\x21\xF9\x04", 3);
        out.append(char((2 << 2) | (transparentIndex >= 0 ? 1 : 0))); // restore to background
        u16(f.delayMs / 10);
        out.append(char(transparentIndex >= 0 ? transparentIndex : 0));
        out.append('\0');
        out.append('\x2C');
        u16(0);
        u16(0);
        u16(width);
        u16(height);
        out.append('\0');
        out.append('\x02'); // minimum code size
        QByteArray data;
        uint32_t bits = 0;
        int count = 0;
        auto put = [&](int code) {
            bits |= uint32_t(code) << count;
            count += 3;
            while (count >= 8) {
                data.append(char(bits & 0xFF));
                bits >>= 8;
                count -= 8;
            }
        };
        for (size_t i = 0; i < f.pixels.size(); ++i) {
            if (i % 2 == 0)
                put(4); // clear
            put(f.pixels[i] & 3);
        }
        put(5); // end
        if (count > 0)
            data.append(char(bits & 0xFF));
        for (qsizetype at = 0; at < data.size(); at += 255) {
            const QByteArray block = data.mid(at, 255);
            out.append(char(block.size()));
            out.append(block);
        }
        out.append('\0');
    }
    out.append('\x3B');
    return out;
}

} // namespace lumeria::media::test
