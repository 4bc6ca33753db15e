#pragma once

#include "media/DeviceFactory.h"
#include "media/MediaDevice.h"
#include "media/MediaEnvironment.h"
#include "media/PlayWorker.h"

#include <QString>

#include <memory>
#include <vector>

namespace lumeria::media {

// The CD drive old titles played their music from. There is no drive to
// ask here, so the disc is made of audio files beside the publication named
// TRACKnn (.ogg, .flac, .wav or .mp3, any letter case), the way such titles
// are kept today; without them the drive has no disc. Track numbers follow
// the file names: a missing number (the data track 1 of a mixed-mode disc)
// is a track with no audio. A publication on a disc image has the image's
// own tracks instead. Positions are milliseconds from the start of the disc.
class CdAudioDevice final : public MediaDevice {
public:
    CdAudioDevice(const QString& folder, const DeviceServices& services);
    // Every track of the image is on the disc and keeps its length, so the
    // tracks start where they do on the image; an audio track that cannot
    // be read, and a data track, are tracks without audio. An image of
    // nothing but empty tracks is no disc.
    CdAudioDevice(const std::vector<DiscTrack>& tracks, const DeviceServices& services);
    ~CdAudioDevice() override;

    bool mediaPresent() const override { return !m_tracks.empty(); }
    int trackCount() const override { return int(m_tracks.size()); }
    // 0 for a track that is not on the disc.
    int64_t trackStart(int track) const override;
    int64_t trackLength(int track) const override;
    bool isAudioTrack(int track) const override;
    int currentTrack() const override;

    DeviceType type() const override { return DeviceType::CdAudio; }
    int play(int64_t from, int64_t to) override;
    void stop() override;
    int pause() override;
    int resume() override;
    int seek(int64_t position) override;
    DeviceMode mode() const override;
    int64_t position() const override;
    int64_t length() const override;
    void setAudioEnabled(bool enabled) override;

private:
    struct Track {
        std::unique_ptr<MediaDevice> device; // null for a track without audio
        int64_t start = 0;
        int64_t length = 0;
    };
    int trackAt(int64_t position) const;
    // The first position from this one that lies in a track with audio; -1
    // when none does.
    int64_t nextAudible(int64_t position) const;
    int startTrack(int64_t position);
    void trackEnded();
    // A play with nothing to hear ends at once, reported from the event loop
    // as every device's end is, unless a stop or a newer play comes first.
    void endAt(int64_t position);

    std::vector<Track> m_tracks; // index 0 is track 1
    PlayWorker m_worker;         // only for plays that end at once
    int m_playing = -1;          // index of the track that plays, -1 when none
    int64_t m_position = 0;
    int64_t m_to = 0;
    bool m_paused = false;
    bool m_audio = true;
};

} // namespace lumeria::media
