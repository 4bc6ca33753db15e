#include "media/CartoonSource.h"

#include "media/FfmpegHandles.h"
#include "media/FfmpegInput.h"
#include "media/MciErrors.h"
#include "media/MediaLimits.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <optional>

namespace lumeria::media {

namespace {

constexpr int kMaxFrames = kMaxAnimationFrames;
// Opening a cartoon decodes its frames on the window's thread to learn its
// length; past this many pixels (a second or so of decoding, some hundreds
// of frames of a full page) the rest is reckoned from the frame count the
// file gives, at the delays seen so far.
constexpr int64_t kMeasurePixels = int64_t(128) * 1024 * 1024;

QImage premultiplied(const QImage& image)
{
    return image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                   : image.convertToFormat(QImage::Format_RGB32);
}

// The reader of an animation, told its format by the file's first bytes
// where they name one: deciding from content alone has Qt load every image
// format plugin to ask each whether it knows the file.
std::unique_ptr<QImageReader> animationReader(const QString& path)
{
    QByteArray format;
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray head = f.read(12);
        if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
            format = "gif";
        else if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
            format = "webp";
        else if (head.startsWith("\x8aMNG\r\n\x1a\n"))
            format = "mng";
    }
    auto reader = std::make_unique<QImageReader>(path, format);
    if (format.isEmpty())
        reader->setDecideFormatFromContent(true);
    else
        reader->setAutoDetectImageFormat(false);
    return reader;
}

// GIF, WebP and MNG: Qt reads them frame by frame with their delays.
class QtAnimationSource final : public FrameSource {
public:
    QtAnimationSource(QString path, QSize size, int frameCount)
        : m_path(std::move(path)), m_size(size), m_frameCount(frameCount)
    {
    }

    QSize size() const override { return m_size; }
    int frameCountHint() const override { return m_frameCount; }
    bool rewind() override
    {
        m_reader = animationReader(m_path);
        m_count = 0;
        return m_reader->canRead();
    }
    std::optional<AnimationFrame> next() override
    {
        if (!m_reader || m_count >= kMaxFrames || !m_reader->canRead())
            return std::nullopt;
        QImage image = m_reader->read();
        if (image.isNull())
            return std::nullopt;
        ++m_count;
        return AnimationFrame{premultiplied(image), m_reader->nextImageDelay()};
    }

private:
    QString m_path;
    QSize m_size;
    int m_frameCount;
    std::unique_ptr<QImageReader> m_reader;
    int m_count = 0;
};

// Animated PNG, which Qt reads only as its first picture.
class FfmpegAnimationSource final : public FrameSource {
public:
    FfmpegAnimationSource(QString path, int frameCount) : m_path(std::move(path)), m_frameCount(frameCount) {}

    int frameCountHint() const override { return m_frameCount; }

    bool open()
    {
        m_codec.reset();
        m_input.reset();
        m_eof = false;
        m_count = 0;
        auto input = FfmpegInput::openFile(m_path);
        if (!input)
            return false;
        m_input = std::move(input).value();
        m_stream = m_input->pictureStream(&m_codec);
        if (m_stream < 0)
            return false;
        m_input->startReading({m_stream});
        const AVCodecParameters& par = *m_input->stream(m_stream).codecpar;
        m_size = QSize(par.width, par.height);
        return m_frame != nullptr;
    }

    QSize size() const override { return m_size; }
    bool rewind() override { return open(); }
    std::optional<AnimationFrame> next() override
    {
        if (!m_codec || m_count >= kMaxFrames)
            return std::nullopt;
        while (true) {
            const int got = ffmpeg().avcodec_receive_frame(m_codec.get(), m_frame.get());
            if (got == 0)
                break;
            if (got != AVERROR(EAGAIN) || m_eof)
                return std::nullopt;
            const PacketPtr packet = m_input->nextPacket(m_stream);
            m_eof = !packet;
            if (ffmpeg().avcodec_send_packet(m_codec.get(), packet.get()) < 0 && packet)
                return std::nullopt;
        }
        ++m_count;
        const AVFrame& f = *m_frame;
        const AVRational tb = m_input->stream(m_stream).time_base;
        const int64_t duration = f.pkt_duration > 0 ? f.pkt_duration : 0;
        const int delay = int(ffmpeg().av_rescale_q(duration, tb, AVRational{1, 1000}));
        // A frame may not be larger than the file said.
        if (!pictureSizeAllowed(f.width, f.height))
            return std::nullopt;
        QImage image(f.width, f.height, QImage::Format_ARGB32);
        if (image.isNull())
            return std::nullopt;
        m_scaler.reset(ffmpeg().sws_getCachedContext(m_scaler.release(), f.width, f.height, AVPixelFormat(f.format),
                                                     f.width, f.height, AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr,
                                                     nullptr));
        if (!m_scaler)
            return std::nullopt;
        uint8_t* dst[4] = {image.bits(), nullptr, nullptr, nullptr};
        const int dstStride[4] = {int(image.bytesPerLine()), 0, 0, 0};
        ffmpeg().sws_scale(m_scaler.get(), f.data, f.linesize, 0, f.height, dst, dstStride);
        ffmpeg().av_frame_unref(m_frame.get());
        return AnimationFrame{image.convertToFormat(QImage::Format_ARGB32_Premultiplied), delay};
    }

private:
    QString m_path;
    int m_frameCount;
    QSize m_size;
    std::unique_ptr<FfmpegInput> m_input;
    CodecPtr m_codec;
    FramePtr m_frame{ffmpeg().av_frame_alloc()};
    SwsPtr m_scaler;
    int m_stream = -1;
    int m_count = 0;
    bool m_eof = false;
};

// The frame count of an animated PNG, from its acTL chunk; nothing for a
// PNG that is not animated or a file that is no PNG.
std::optional<int> animatedPngFrames(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    // An acTL chunk before the first image data makes a PNG animated.
    const QByteArray head = f.read(64 * 1024);
    if (!head.startsWith("\x89PNG\r\n\x1a\n"))
        return std::nullopt;
    const qsizetype actl = head.indexOf("acTL");
    const qsizetype idat = head.indexOf("IDAT");
    if (actl <= 0 || (idat >= 0 && actl > idat))
        return std::nullopt;
    int frames = 0;
    if (actl + 8 <= head.size()) {
        const auto b = [&](qsizetype i) { return uint32_t(uint8_t(head[actl + 4 + i])); };
        frames = int(std::min<uint32_t>(b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3), kMaxFrames));
    }
    return frames;
}

} // namespace

Result<OpenedAnimation> openCartoon(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return Failure{mci::kFileNotFound};
    std::unique_ptr<FrameSource> source;
    if (const std::optional<int> frames = animatedPngFrames(path)) {
        if (!loadFfmpeg())
            return Failure{mci::kCannotLoadDriver};
        auto ffmpeg = std::make_unique<FfmpegAnimationSource>(path, *frames);
        if (!ffmpeg->open())
            return Failure{mci::kInvalidFile};
        source = std::move(ffmpeg);
    } else {
        const std::unique_ptr<QImageReader> probe = animationReader(path);
        if (!probe->canRead())
            return Failure{mci::kInvalidFile};
        // Qt's readers count the frames by walking the file's blocks, which
        // costs a small part of decoding them.
        source =
            std::make_unique<QtAnimationSource>(path, probe->size(), std::clamp(probe->imageCount(), 0, kMaxFrames));
    }
    // One pass to count the frames and their time; the size too, where the
    // header did not say it.
    const std::optional<AnimationMeasure> measure = measureAnimation(*source, kMeasurePixels);
    if (!measure)
        return Failure{mci::kInvalidFile};
    OpenedAnimation opened;
    opened.frames = measure->frames;
    opened.lengthMs = measure->lengthMs;
    if (!measure->complete && source->frameCountHint() > measure->frames) {
        opened.frames = source->frameCountHint();
        opened.lengthMs = measure->lengthMs * opened.frames / measure->frames;
    }
    if (!source->size().isValid())
        source = std::make_unique<QtAnimationSource>(path, measure->size, source->frameCountHint());
    opened.source = std::move(source);
    return opened;
}

} // namespace lumeria::media
