#include "media/FlicSource.h"

#include <utility>

namespace lumeria::media {

namespace {

std::span<const std::byte> asBytes(const QByteArray& bytes)
{
    return std::as_bytes(std::span<const char>(bytes.constData(), size_t(bytes.size())));
}

} // namespace

FlicSource::FlicSource(QByteArray bytes, FlicDecoder decoder) : m_bytes(std::move(bytes)), m_decoder(std::move(decoder))
{
}

Result<std::unique_ptr<FlicSource>> FlicSource::open(QByteArray bytes)
{
    // Moving a QByteArray keeps its buffer, so the decoder's view of it
    // stays valid inside the source.
    Result<FlicDecoder> decoder = FlicDecoder::open(asBytes(bytes));
    if (!decoder)
        return Failure{decoder.error()};
    return std::unique_ptr<FlicSource>(new FlicSource(std::move(bytes), std::move(decoder).value()));
}

int64_t FlicSource::lengthMs(std::span<const std::byte> file)
{
    const Result<FlicDecoder> decoder = FlicDecoder::open(file);
    return decoder ? decoder->lengthMs() : 0;
}

int64_t FlicSource::passLengthMs() const
{
    const int delay = m_decoder.frameDelayMs() > 0 ? m_decoder.frameDelayMs() : kUnsetFrameDelayMs;
    return int64_t{m_decoder.frameCount()} * delay;
}

bool FlicSource::firstFrameDecodes()
{
    m_decoder.rewind();
    const Result<bool> decoded = m_decoder.next();
    m_decoder.rewind();
    m_ended = false;
    return decoded && decoded.value();
}

bool FlicSource::rewind()
{
    m_decoder.rewind();
    m_ended = false;
    return true;
}

std::optional<AnimationFrame> FlicSource::next()
{
    if (m_ended)
        return std::nullopt;
    const Result<bool> decoded = m_decoder.next();
    if (!decoded || !decoded.value()) {
        m_ended = true;
        return std::nullopt;
    }
    return AnimationFrame{m_decoder.image(), m_decoder.frameDelayMs()};
}

Result<std::unique_ptr<FrameSource>> openFlic(QByteArray bytes)
{
    Result<std::unique_ptr<FlicSource>> source = FlicSource::open(std::move(bytes));
    if (!source)
        return Failure{source.error()};
    return std::unique_ptr<FrameSource>(std::move(source).value());
}

} // namespace lumeria::media
