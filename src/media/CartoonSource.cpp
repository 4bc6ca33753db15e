#include "media/CartoonSource.h"

#include "media/FfmpegHandles.h"
#include "media/MciErrors.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>

namespace lumeria::media {

namespace {

// More frames than any cartoon has: a file that claims more is damaged or
// hostile, and playing stops there.
constexpr int kMaxFrames = 100000;

QImage premultiplied(const QImage& image)
{
    return image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                   : image.convertToFormat(QImage::Format_RGB32);
}

// GIF, WebP and MNG: Qt reads them frame by frame with their delays.
class QtAnimationSource final : public FrameSource {
public:
    explicit QtAnimationSource(QString path, QSize size) : m_path(std::move(path)), m_size(size) {}

    QSize size() const override { return m_size; }
    bool rewind() override
    {
        m_reader = std::make_unique<QImageReader>(m_path);
        m_reader->setDecideFormatFromContent(true);
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
    std::unique_ptr<QImageReader> m_reader;
    int m_count = 0;
};

// Animated PNG, which Qt reads only as its first picture.
class FfmpegAnimationSource final : public FrameSource {
public:
    explicit FfmpegAnimationSource(QString path) : m_path(std::move(path)) {}
    ~FfmpegAnimationSource() override { close(); }

    bool open()
    {
        close();
        const QByteArray name = QFile::encodeName(m_path);
        if (ffmpeg().avformat_open_input(&m_format, name.constData(), nullptr, nullptr) < 0)
            return false;
        if (ffmpeg().avformat_find_stream_info(m_format, nullptr) < 0)
            return false;
        m_stream = ffmpeg().av_find_best_stream(m_format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (m_stream < 0)
            return false;
        const AVCodecParameters* par = m_format->streams[m_stream]->codecpar;
        const AVCodec* codec = ffmpeg().avcodec_find_decoder(par->codec_id);
        if (!codec || par->width <= 0 || par->height <= 0 || par->width > 16384 || par->height > 16384)
            return false;
        m_codec = ffmpeg().avcodec_alloc_context3(codec);
        if (!m_codec || ffmpeg().avcodec_parameters_to_context(m_codec, par) < 0 ||
            ffmpeg().avcodec_open2(m_codec, codec, nullptr) < 0)
            return false;
        m_size = QSize(par->width, par->height);
        m_frame = ffmpeg().av_frame_alloc();
        m_packet = ffmpeg().av_packet_alloc();
        m_count = 0;
        return m_frame && m_packet;
    }

    QSize size() const override { return m_size; }
    bool rewind() override { return open(); }
    std::optional<AnimationFrame> next() override
    {
        if (!m_codec || m_count >= kMaxFrames)
            return std::nullopt;
        while (true) {
            const int got = ffmpeg().avcodec_receive_frame(m_codec, m_frame);
            if (got == 0)
                break;
            if (got != AVERROR(EAGAIN))
                return std::nullopt;
            if (m_eof)
                return std::nullopt;
            const int read = ffmpeg().av_read_frame(m_format, m_packet);
            if (read < 0) {
                m_eof = true;
                ffmpeg().avcodec_send_packet(m_codec, nullptr);
                continue;
            }
            if (m_packet->stream_index == m_stream && ffmpeg().avcodec_send_packet(m_codec, m_packet) < 0) {
                ffmpeg().av_packet_unref(m_packet);
                return std::nullopt;
            }
            ffmpeg().av_packet_unref(m_packet);
        }
        ++m_count;
        const AVRational tb = m_format->streams[m_stream]->time_base;
        const int64_t duration = m_frame->pkt_duration > 0 ? m_frame->pkt_duration : 0;
        const int delay = int(ffmpeg().av_rescale_q(duration, tb, AVRational{1, 1000}));
        QImage image(m_frame->width, m_frame->height, QImage::Format_ARGB32);
        if (image.isNull())
            return std::nullopt;
        m_scaler = ffmpeg().sws_getCachedContext(m_scaler, m_frame->width, m_frame->height,
                                                 AVPixelFormat(m_frame->format), m_frame->width, m_frame->height,
                                                 AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr);
        if (!m_scaler)
            return std::nullopt;
        uint8_t* dst[4] = {image.bits(), nullptr, nullptr, nullptr};
        const int dstStride[4] = {int(image.bytesPerLine()), 0, 0, 0};
        ffmpeg().sws_scale(m_scaler, m_frame->data, m_frame->linesize, 0, m_frame->height, dst, dstStride);
        ffmpeg().av_frame_unref(m_frame);
        return AnimationFrame{image.convertToFormat(QImage::Format_ARGB32_Premultiplied), delay};
    }

private:
    void close()
    {
        ffmpeg().sws_freeContext(m_scaler);
        m_scaler = nullptr;
        ffmpeg().av_packet_free(&m_packet);
        ffmpeg().av_frame_free(&m_frame);
        ffmpeg().avcodec_free_context(&m_codec);
        ffmpeg().avformat_close_input(&m_format);
        m_eof = false;
    }

    QString m_path;
    QSize m_size;
    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_codec = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    SwsContext* m_scaler = nullptr;
    int m_stream = -1;
    int m_count = 0;
    bool m_eof = false;
};

bool isAnimatedPng(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    // An acTL chunk before the first image data makes a PNG animated.
    const QByteArray head = f.read(64 * 1024);
    if (!head.startsWith("\x89PNG\r\n\x1a\n"))
        return false;
    const qsizetype actl = head.indexOf("acTL");
    const qsizetype idat = head.indexOf("IDAT");
    return actl > 0 && (idat < 0 || actl < idat);
}

} // namespace

Result<OpenedAnimation> openCartoon(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return Failure{mci::kFileNotFound};
    std::unique_ptr<FrameSource> source;
    if (isAnimatedPng(path)) {
        if (!loadFfmpeg())
            return Failure{mci::kCannotLoadDriver};
        auto ffmpeg = std::make_unique<FfmpegAnimationSource>(path);
        if (!ffmpeg->open())
            return Failure{mci::kInvalidFile};
        source = std::move(ffmpeg);
    } else {
        QImageReader probe(path);
        probe.setDecideFormatFromContent(true);
        if (!probe.canRead())
            return Failure{mci::kInvalidFile};
        source = std::make_unique<QtAnimationSource>(path, probe.size());
    }
    // One pass to count the frames and their time; the size too, where the
    // header did not say it.
    const std::optional<AnimationMeasure> measure = measureAnimation(*source);
    if (!measure)
        return Failure{mci::kInvalidFile};
    OpenedAnimation opened;
    opened.frames = measure->frames;
    opened.lengthMs = measure->lengthMs;
    if (!source->size().isValid())
        source = std::make_unique<QtAnimationSource>(path, measure->size);
    opened.source = std::move(source);
    return opened;
}

} // namespace lumeria::media
