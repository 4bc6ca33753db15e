#pragma once

#include "media/AudioOutput.h"
#include "media/DeviceTable.h"
#include "media/MciInterpreter.h"
#include "media/MediaEnvironment.h"
#include "media/MediaList.h"
#include "script/MediaHost.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <thread>

namespace lumeria::media {

struct MediaOptions {
    AudioOutputOptions output;
    QString soundFont; // empty: the best General MIDI set installed
};

// The pitch the speaker sounded for a PlayTone frequency: its timer counted
// 1193182 Hz down by a divisor the player computed as 1193000 div (f + 19).
double speakerPitch(int frequency);

// Everything media in one run: the list of what plays, the devices the list
// and the command strings share, the audio output. The session owns it; the
// window gives it the environment and stops everything when it closes.
class MediaManager final : public MediaHost {
public:
    explicit MediaManager(MediaOptions options = {});
    ~MediaManager() override;
    MediaManager(const MediaManager&) = delete;
    MediaManager& operator=(const MediaManager&) = delete;

    // The window, from now on, until it hands over another or goes; until
    // then, and after detachEnvironment(), nothing is found and no box
    // shows. Everything playing stops.
    void setEnvironment(MediaEnvironment& environment);
    void detachEnvironment();
    // Loads the media libraries on a thread of its own, once: for a
    // publication that has media, called when its first page is shown, so
    // its first sound does not wait for them.
    void prepareLibraries();
    // Whether a file of that name is one the media libraries would play
    // (sound, music, video), by its extension.
    static bool needsLibraries(const QString& fileName);
    // Ends every item and closes every device, as closing the window does.
    void stopEverything();

    // The items that play, newest first, each by its file name alone.
    QStringList playingFiles() const;
    const MediaList& list() const { return *m_list; }
    Mixer& mixer() { return m_mixer; }
    // A command string with its reply text, for callers that have a buffer.
    MciReply sendString(const QString& command) { return m_mci->execute(command); }

    // MediaHost.
    void playSoundFile(const QString& file, MediaMode mode) override;
    void playVideoFile(const QString& file, MediaMode mode, const MediaPlacement& placement) override;
    void playFlicFile(const QString& file, MediaMode mode, const MediaPlacement& placement, int option) override;
    void playCartoonFile(const QString& file, MediaMode mode, const MediaPlacement& placement, int option1,
                         int option2) override;
    void stopMedia(StopTarget target, const QString& file) override;
    int mciCommand(const QString& command) override;
    // The same, with the reply a script of the original system could read.
    MciReply mciString(const QString& command);
    void playTone(int frequency, int milliseconds) override;

private:
    void deviceCompleted(uint16_t id);

    MediaOptions m_options;
    std::unique_ptr<MediaEnvironment> m_detached;
    MediaEnvironment* m_env;
    Mixer m_mixer;
    DeviceTable m_devices;
    std::unique_ptr<MediaList> m_list;
    std::unique_ptr<MciInterpreter> m_mci;
    std::thread m_preparing;
};

} // namespace lumeria::media
