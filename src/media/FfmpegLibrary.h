#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace lumeria::media {

// FFmpeg's libraries, in the order they are opened.
enum class FfmpegPart { Avutil, Swresample, Swscale, Avcodec, Avformat };

// Every FFmpeg function the media layer calls, with the part it comes from.
// The pointers are typed from the headers, so a header that no longer
// matches a call fails to compile.
#define LUMERIA_FFMPEG_FUNCTIONS(X)                                                                                    \
    X(Avutil, av_channel_layout_check)                                                                                 \
    X(Avutil, av_channel_layout_compare)                                                                               \
    X(Avutil, av_channel_layout_copy)                                                                                  \
    X(Avutil, av_channel_layout_default)                                                                               \
    X(Avutil, av_channel_layout_uninit)                                                                                \
    X(Avutil, av_dict_free)                                                                                            \
    X(Avutil, av_dict_set)                                                                                             \
    X(Avutil, av_frame_alloc)                                                                                          \
    X(Avutil, av_frame_free)                                                                                           \
    X(Avutil, av_frame_unref)                                                                                          \
    X(Avutil, av_get_bytes_per_sample)                                                                                 \
    X(Avutil, av_log_get_level)                                                                                        \
    X(Avutil, av_log_set_level)                                                                                        \
    X(Avutil, av_pix_fmt_desc_get)                                                                                     \
    X(Avutil, av_rescale)                                                                                              \
    X(Avutil, av_rescale_q)                                                                                            \
    X(Avutil, av_sample_fmt_is_planar)                                                                                 \
    X(Swresample, swr_alloc_set_opts2)                                                                                 \
    X(Swresample, swr_convert)                                                                                         \
    X(Swresample, swr_free)                                                                                            \
    X(Swresample, swr_get_out_samples)                                                                                 \
    X(Swresample, swr_init)                                                                                            \
    X(Swscale, sws_freeContext)                                                                                        \
    X(Swscale, sws_getCachedContext)                                                                                   \
    X(Swscale, sws_scale)                                                                                              \
    X(Avcodec, av_packet_alloc)                                                                                        \
    X(Avcodec, av_packet_free)                                                                                         \
    X(Avcodec, av_packet_get_side_data)                                                                                \
    X(Avcodec, av_packet_move_ref)                                                                                     \
    X(Avcodec, av_packet_new_side_data)                                                                                \
    X(Avcodec, av_packet_unref)                                                                                        \
    X(Avcodec, avcodec_alloc_context3)                                                                                 \
    X(Avcodec, avcodec_find_decoder)                                                                                   \
    X(Avcodec, avcodec_flush_buffers)                                                                                  \
    X(Avcodec, avcodec_free_context)                                                                                   \
    X(Avcodec, avcodec_open2)                                                                                          \
    X(Avcodec, avcodec_parameters_to_context)                                                                          \
    X(Avcodec, avcodec_receive_frame)                                                                                  \
    X(Avcodec, avcodec_send_packet)                                                                                    \
    X(Avformat, av_find_best_stream)                                                                                   \
    X(Avformat, av_find_input_format)                                                                                  \
    X(Avformat, av_guess_frame_rate)                                                                                   \
    X(Avformat, av_guess_sample_aspect_ratio)                                                                          \
    X(Avformat, av_read_frame)                                                                                         \
    X(Avformat, av_seek_frame)                                                                                         \
    X(Avformat, avformat_close_input)                                                                                  \
    X(Avformat, avformat_find_stream_info)                                                                             \
    X(Avformat, avformat_open_input)                                                                                   \
    X(Avformat, avformat_seek_file)

struct FfmpegApi {
#define LUMERIA_FFMPEG_POINTER(part, name) decltype(&::name) name = nullptr;
    LUMERIA_FFMPEG_FUNCTIONS(LUMERIA_FFMPEG_POINTER)
#undef LUMERIA_FFMPEG_POINTER
};

// Opens FFmpeg the first time it is asked, from any thread; false, then and
// for the rest of the run, when it cannot be loaded (the reason went to the
// console once).
bool loadFfmpeg();

// The functions, once loadFfmpeg() has returned true; every FFmpeg call goes
// through here.
const FfmpegApi& ffmpeg();

} // namespace lumeria::media
