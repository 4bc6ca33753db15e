#pragma once

#include <QString>

namespace lumeria {

// How a media command plays: once and return, once and wait, or in a loop.
enum class MediaMode { Start = 0, Wait = 1, Loop = 2 };

// StopMedia's argument: everything, the sounds, the visuals, or one file.
enum class StopTarget { All, Sound, Video, File };

// The arguments of PlayVideoFile, PlayFlicFile and PlayCartoonFile as the
// script gives them; -1 keeps its meaning (natural size, centred) for the
// media layer, which adds the page area and the scroll position itself.
struct MediaPlacement {
    int left = -1;
    int top = -1;
    int width = -1;
    int height = -1;
};

// What the media commands ask of the player: play, stop, the MCI command
// strings and tones. The session's media manager implements it; script tests
// record the calls.
class MediaHost {
public:
    virtual ~MediaHost() = default;

    virtual void playSoundFile(const QString& file, MediaMode mode) = 0;
    virtual void playVideoFile(const QString& file, MediaMode mode, const MediaPlacement& placement) = 0;
    virtual void playFlicFile(const QString& file, MediaMode mode, const MediaPlacement& placement, int option) = 0;
    virtual void playCartoonFile(const QString& file, MediaMode mode, const MediaPlacement& placement, int option1,
                                 int option2) = 0;
    virtual void stopMedia(StopTarget target, const QString& file) = 0;
    // Returns the device layer's result code, 0 for success.
    virtual int mciCommand(const QString& command) = 0;
    // Sounds a tone for the given time, letting events run meanwhile.
    virtual void playTone(int frequency, int milliseconds) = 0;
};

} // namespace lumeria
