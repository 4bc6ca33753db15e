#pragma once

#include "media/FfmpegLibrary.h"

#include <memory>
#include <mutex>

namespace lumeria::media {

struct FormatCloser {
    void operator()(AVFormatContext* ctx) const { ffmpeg().avformat_close_input(&ctx); }
};
struct CodecCloser {
    void operator()(AVCodecContext* ctx) const { ffmpeg().avcodec_free_context(&ctx); }
};
struct SwrCloser {
    void operator()(SwrContext* ctx) const { ffmpeg().swr_free(&ctx); }
};
struct SwsCloser {
    void operator()(SwsContext* ctx) const { ffmpeg().sws_freeContext(ctx); }
};
struct PacketCloser {
    void operator()(AVPacket* p) const { ffmpeg().av_packet_free(&p); }
};
struct FrameCloser {
    void operator()(AVFrame* f) const { ffmpeg().av_frame_free(&f); }
};

using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecCloser>;
using SwrPtr = std::unique_ptr<SwrContext, SwrCloser>;
using SwsPtr = std::unique_ptr<SwsContext, SwsCloser>;
using PacketPtr = std::unique_ptr<AVPacket, PacketCloser>;
using FramePtr = std::unique_ptr<AVFrame, FrameCloser>;

// Damaged publications are common; FFmpeg's chatter about each bad packet is
// noise on the console, its errors are kept.
inline void quietenFfmpeg()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (ffmpeg().av_log_get_level() > AV_LOG_ERROR)
            ffmpeg().av_log_set_level(AV_LOG_ERROR);
    });
}

} // namespace lumeria::media
