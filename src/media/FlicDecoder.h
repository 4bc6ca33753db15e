#pragma once

#include "platform/Result.h"

#include <QImage>
#include <QRgb>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace lumeria::media {

// The frames of an 8-bit FLI or FLC animation, decoded one after another
// onto a palette-indexed canvas. Each frame chunk only changes what differs
// from the frame before, so frames come strictly in order; going back means
// rewinding to the first. The decoder reads the caller's bytes in place:
// they must outlive it and stay where they are.
class FlicDecoder {
public:
    enum class Kind { Fli, Flc };

    // kInvalidFile when the header is not that of an 8-bit FLI or FLC.
    static Result<FlicDecoder> open(std::span<const std::byte> file);

    Kind kind() const { return m_kind; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    int frameCount() const { return m_frameCount; }
    int frameDelayMs() const { return m_delayMs; }
    int64_t lengthMs() const { return int64_t{m_frameCount} * m_delayMs; }
    int framesDecoded() const { return m_decoded; }

    // Decodes the next frame onto the canvas and palette: false after the
    // last. A damaged frame fails (kInvalidFile) and so does every call after
    // it until rewind(); the canvas may then hold part of that frame.
    Result<bool> next();
    // Back before the first frame, with a black canvas and palette.
    void rewind();

    std::span<const uint8_t> pixels() const { return m_pixels; }
    const std::array<QRgb, 256>& palette() const { return m_palette; }
    // The canvas through the palette, Format_RGB32.
    QImage image() const;

private:
    FlicDecoder() = default;
    bool decodeFrame(std::span<const std::byte> frame);

    std::span<const std::byte> m_file;
    Kind m_kind = Kind::Fli;
    int m_width = 0;
    int m_height = 0;
    int m_frameCount = 0;
    int m_delayMs = 0;
    size_t m_firstFrame = 0;
    size_t m_pos = 0;
    int m_decoded = 0;
    bool m_failed = false;
    std::vector<uint8_t> m_pixels;
    std::array<QRgb, 256> m_palette{};
};

} // namespace lumeria::media
