#pragma once

#include "media/FfmpegHandles.h"
#include "platform/Result.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <memory>

namespace lumeria::media {

// One media file opened by libavformat: probed, its streams found, under the
// limits of MediaLimits.h. Sound, video and animated PNG all start here, so a
// hostile file meets one set of checks whichever device reads it.
class FfmpegInput {
public:
    // kFileNotFound, kCannotLoadDriver, or kInvalidFile when libavformat
    // does not know the file well enough to trust it.
    static Result<std::unique_ptr<FfmpegInput>> openFile(const QString& path);
    // A URL with a forced format and its options, as given (a forced format
    // is not probed, and its score says nothing).
    static Result<std::unique_ptr<FfmpegInput>> open(const QByteArray& url, const AVInputFormat* forced,
                                                     AVDictionary** options);

    AVFormatContext* format() const { return m_format.get(); }
    const AVStream& stream(int index) const { return *m_format->streams[index]; }

    // The first picture track (not cover art, of a size within the limits)
    // whose decoder opens, with that decoder; -1 when there is none.
    int pictureStream(CodecPtr* decoder) const;
    // The best sound track, related to `picture` if any, with its decoder
    // open; -1 when none can be decoded.
    int soundStream(int picture, CodecPtr* decoder) const;
    // A decoder for the stream, opened: slices only, as frame threads hold
    // pictures back and report damaged packets late.
    static CodecPtr openDecoder(const AVStream& stream);
    // The end of the stream's last packet in its time base, read without
    // decoding and at most kMaxScanPackets packets, for files whose container
    // gives no duration. The read position is left wherever the scan ended.
    int64_t scanEnd(int index, int64_t originPts);

    // Reading for a play, after a seek: the tracks it wants (a picture and a
    // sound track at most; -1 for none). A packet of one
    // track read while another asks waits in its track's queue, so pictures
    // and sound are pulled at their own pace from one interleaved file.
    void startReading(std::initializer_list<int> tracks);
    // The track's next packet; null at the end of the input.
    PacketPtr nextPacket(int index);
    // A track that has ended: its packets are read past, not kept.
    void dropTrack(int index);
    // The input ends here (damage): only packets already queued remain.
    void endReading() { m_ended = true; }

private:
    explicit FfmpegInput(FormatPtr format) : m_format(std::move(format)) {}

    struct Track {
        int index = -1;
        std::deque<PacketPtr> packets;
        size_t bytes = 0;
    };
    Track* track(int index);

    FormatPtr m_format;
    std::array<Track, 2> m_tracks;
    bool m_ended = false;
};

// A picture of this size is one the player will allocate.
bool pictureSizeAllowed(int width, int height);

} // namespace lumeria::media
