#include "media/MediaManager.h"

#include "media/FfmpegLibrary.h"
#include "media/FluidSynthLibrary.h"
#include "media/QuietEnvironment.h"
#include "media/SdlLibrary.h"
#include "platform/WindowsPath.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdlib>

namespace lumeria::media {

namespace {

// The speaker timer's input clock, and the one the player's divisor used.
constexpr double kTimerClock = 1193182.0;
constexpr int kDivisorClock = 1193000;
constexpr int kHighestTone = 32767;
// How long a tone may take to leave the device after its time is up.
constexpr int kToneGrace = 200;

} // namespace

double speakerPitch(int frequency)
{
    const int f = std::clamp(std::abs(frequency), 0, kHighestTone);
    const int divisor = kDivisorClock / (f + 19);
    return kTimerClock / divisor;
}

MediaManager::MediaManager(MediaOptions options)
    : m_options(std::move(options)), m_detached(std::make_unique<QuietEnvironment>()), m_env(m_detached.get()),
      m_mixer(m_options.output)
{
    setEnvironment(*m_detached);
    m_devices.setCompletionListener([this](uint16_t id) { deviceCompleted(id); });
    m_devices.setCloseListener([this](uint16_t id, const QRect& shownAt) {
        m_list->deviceClosed(id);
        if (!shownAt.isEmpty())
            m_env->invalidate(shownAt);
    });
    m_mixer.setOpenListener([this](const AudioFormat& format) {
        m_env->log(QStringLiteral("audio %1 %2 %3").arg(format.rate).arg(format.channels).arg(format.sampleFormat));
    });
}

MediaManager::~MediaManager()
{
    if (m_preparing.joinable())
        m_preparing.join();
    stopEverything();
    m_devices.setCompletionListener(nullptr);
    m_devices.setCloseListener(nullptr);
}

void MediaManager::setEnvironment(MediaEnvironment& environment)
{
    // The list and the interpreter hold the environment by reference: what
    // played through the old one stops, and they are made anew.
    if (m_list)
        stopEverything();
    m_env = &environment;
    const DeviceServices services{&m_mixer, m_options.soundFont};
    m_list = std::make_unique<MediaList>(m_devices, services, environment);
    m_mci = std::make_unique<MciInterpreter>(m_devices, services, environment);
}

void MediaManager::detachEnvironment()
{
    setEnvironment(*m_detached);
}

void MediaManager::prepareLibraries()
{
    if (m_preparing.joinable())
        return;
    // A device that needs a library meanwhile waits for this load rather
    // than starting a second one.
    m_preparing = std::thread([] {
        loadSdl();
        loadFfmpeg();
        loadFluidSynth();
    });
}

bool MediaManager::needsLibraries(const QString& fileName)
{
    static const QStringList kExtensions = {
        QStringLiteral("wav"), QStringLiteral("mid"),  QStringLiteral("midi"), QStringLiteral("rmi"),
        QStringLiteral("avi"), QStringLiteral("mpg"),  QStringLiteral("mpeg"), QStringLiteral("mp3"),
        QStringLiteral("ogg"), QStringLiteral("flac"), QStringLiteral("aif"),  QStringLiteral("aiff"),
        QStringLiteral("au"),  QStringLiteral("voc"),  QStringLiteral("mov"),  QStringLiteral("mp4"),
    };
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && kExtensions.contains(fileName.mid(dot + 1), Qt::CaseInsensitive);
}

void MediaManager::stopEverything()
{
    m_list->stopAll();
    m_devices.closeAll();
}

QStringList MediaManager::playingFiles() const
{
    QStringList names;
    for (const MediaRec& item : m_list->items())
        names << windowsFileName(item.file);
    return names;
}

void MediaManager::deviceCompleted(uint16_t id)
{
    for (const MediaRec& item : m_list->items()) {
        if (item.device == id) {
            m_list->deviceCompleted(id);
            return;
        }
    }
    m_mci->deviceCompleted(id);
}

void MediaManager::playSoundFile(const QString& file, MediaMode mode)
{
    m_list->play(file, mode);
}

void MediaManager::playVideoFile(const QString& file, MediaMode mode, const MediaPlacement& numbers)
{
    const VideoPlacement where = pagePlacement(*m_env, numbers);
    m_list->play(file, mode, &where);
}

void MediaManager::playFlicFile(const QString& file, MediaMode mode, const MediaPlacement& numbers, int repeat)
{
    m_list->playAnimation(MediaKind::Flic, file, mode, pagePlacement(*m_env, numbers), repeat);
}

void MediaManager::playCartoonFile(const QString& file, MediaMode mode, const MediaPlacement& numbers, int repeat,
                                   int frameDelay)
{
    m_list->playAnimation(MediaKind::Cartoon, file, mode, pagePlacement(*m_env, numbers), repeat, frameDelay);
}

void MediaManager::stopMedia(StopTarget target, const QString& file)
{
    switch (target) {
    case StopTarget::All: m_list->stopAll(); break;
    case StopTarget::Sound: m_list->stopSounds(); break;
    case StopTarget::Video: m_list->stopVisuals(); break;
    case StopTarget::File: m_list->stopFile(file); break;
    }
}

int MediaManager::mciCommand(const QString& command)
{
    // MCICommand gave the platform no buffer for a reply.
    return m_mci->execute(command, ReturnBuffer::None).code;
}

MciReply MediaManager::mciString(const QString& command)
{
    return m_mci->execute(command);
}

void MediaManager::playTone(int frequency, int milliseconds)
{
    const std::shared_ptr<AudioStream> tone = m_mixer.playTone(speakerPitch(frequency), milliseconds);
    // The speaker stayed on for the whole time while events ran, whether or
    // not a sound device could be had; what the device still holds of the
    // tone is let out before the stream goes.
    QElapsedTimer elapsed;
    elapsed.start();
    m_env->wait([&] {
        return elapsed.elapsed() >= milliseconds &&
               (!tone || tone->drained() || elapsed.elapsed() >= milliseconds + kToneGrace);
    });
    if (tone)
        m_mixer.removeStream(tone);
}

} // namespace lumeria::media
