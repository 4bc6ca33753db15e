#pragma once

#include "media/AnimationDevice.h"
#include "media/FlicDecoder.h"
#include "platform/Result.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace lumeria::media {

// A FLI or FLC file as the frames an AnimationDevice plays. A damaged frame
// ends the pass: the last good frame stays on screen.
class FlicSource final : public FrameSource {
public:
    // kInvalidFile when the bytes are not an 8-bit FLI or FLC.
    static Result<std::unique_ptr<FlicSource>> open(QByteArray bytes);
    // Frames × delay, as the media list reports the length; 0 when the bytes
    // are not a FLIC.
    static int64_t lengthMs(std::span<const std::byte> file);

    FlicSource(const FlicSource&) = delete;
    FlicSource& operator=(const FlicSource&) = delete;

    // One pass at the frames' delay, from the header alone: a frame that
    // asks for no time stays kUnsetFrameDelayMs, as it does when played.
    int64_t passLengthMs() const;
    // Whether the first frame decodes; the decoder is back at the start
    // after it. One frame is all a header-only check may cost the caller.
    bool firstFrameDecodes();

    QSize size() const override { return {m_decoder.width(), m_decoder.height()}; }
    bool rewind() override;
    std::optional<AnimationFrame> next() override;

    const FlicDecoder& decoder() const { return m_decoder; }

private:
    FlicSource(QByteArray bytes, FlicDecoder decoder);

    // The decoder reads these bytes in place; they never change after open.
    const QByteArray m_bytes;
    FlicDecoder m_decoder;
    bool m_ended = false;
};

// What the media list calls for a .FLI or .FLC file.
Result<std::unique_ptr<FrameSource>> openFlic(QByteArray bytes);

} // namespace lumeria::media
