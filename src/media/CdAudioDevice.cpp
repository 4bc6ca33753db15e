#include "media/CdAudioDevice.h"

#include "media/AudioFileDevice.h"
#include "media/MciErrors.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>
#include <map>

namespace lumeria::media {

namespace {

// Discs hold at most 99 tracks.
constexpr int kMaxTracks = 99;

} // namespace

CdAudioDevice::CdAudioDevice(const QString& folder, const DeviceServices& services)
{
    static const QRegularExpression pattern(QStringLiteral("^track(\\d{1,2})\\.(ogg|flac|wav|mp3)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    std::map<int, QString> files;
    const QStringList names = folder.isEmpty() ? QStringList() : QDir(folder).entryList(QDir::Files);
    for (const QString& name : names) {
        const QRegularExpressionMatch m = pattern.match(name);
        if (!m.hasMatch())
            continue;
        const int number = m.captured(1).toInt();
        if (number >= 1 && number <= kMaxTracks && !files.count(number))
            files[number] = QDir(folder).filePath(name);
    }
    if (files.empty())
        return;
    m_tracks.resize(size_t(files.rbegin()->first));
    int64_t start = 0;
    for (size_t i = 0; i < m_tracks.size(); ++i) {
        Track& t = m_tracks[i];
        t.start = start;
        const auto file = files.find(int(i) + 1);
        if (file == files.end())
            continue;
        Result<std::unique_ptr<MediaDevice>> opened = openDevice(file->second, DeviceType::WaveAudio, services);
        if (!opened)
            continue; // a track that cannot be read plays as silence of no length
        t.device = std::move(opened).value();
        t.length = std::max<int64_t>(0, t.device->length());
        t.device->setCompletionHandler([this] { trackEnded(); });
        start += t.length;
    }
}

CdAudioDevice::CdAudioDevice(const std::vector<DiscTrack>& tracks, const DeviceServices& services)
{
    const size_t count = std::min(tracks.size(), size_t(kMaxTracks));
    if (std::none_of(tracks.begin(), tracks.begin() + ptrdiff_t(count),
                     [](const DiscTrack& t) { return cdAudioMs(t.length) > 0; }))
        return;
    m_tracks.resize(count);
    int64_t start = 0;
    for (size_t i = 0; i < count; ++i) {
        const DiscTrack& disc = tracks[i];
        Track& t = m_tracks[i];
        t.start = start;
        t.length = cdAudioMs(disc.length);
        start += t.length;
        if (!disc.audio || t.length == 0 || !services.mixer)
            continue;
        auto opened = openCdTrack(disc.file, disc.offset, disc.length, *services.mixer);
        if (!opened)
            continue; // heard as silence, in its place on the disc
        t.device = std::move(opened).value();
        t.device->setCompletionHandler([this] { trackEnded(); });
    }
}

CdAudioDevice::~CdAudioDevice()
{
    m_worker.stop();
    for (Track& t : m_tracks) {
        if (t.device)
            t.device->setCompletionHandler(nullptr);
    }
}

int64_t CdAudioDevice::trackStart(int track) const
{
    return track >= 1 && track <= trackCount() ? m_tracks[size_t(track - 1)].start : 0;
}

int64_t CdAudioDevice::trackLength(int track) const
{
    return track >= 1 && track <= trackCount() ? m_tracks[size_t(track - 1)].length : 0;
}

bool CdAudioDevice::isAudioTrack(int track) const
{
    return track >= 1 && track <= trackCount() && m_tracks[size_t(track - 1)].device != nullptr;
}

int CdAudioDevice::trackAt(int64_t position) const
{
    for (size_t i = 0; i < m_tracks.size(); ++i) {
        const Track& t = m_tracks[i];
        if (t.length > 0 && position >= t.start && position < t.start + t.length)
            return int(i);
    }
    return -1;
}

int64_t CdAudioDevice::nextAudible(int64_t position) const
{
    for (const Track& t : m_tracks) {
        if (t.device && t.length > 0 && position < t.start + t.length)
            return std::max(position, t.start);
    }
    return -1;
}

int CdAudioDevice::currentTrack() const
{
    const int at = trackAt(position());
    if (at >= 0)
        return at + 1;
    return mediaPresent() ? trackCount() : 0;
}

int CdAudioDevice::startTrack(int64_t position)
{
    const int index = trackAt(position);
    if (index < 0 || !m_tracks[size_t(index)].device)
        return mci::kOutOfRange;
    Track& t = m_tracks[size_t(index)];
    m_playing = index;
    const int64_t end = std::min(m_to, t.start + t.length);
    t.device->setAudioEnabled(m_audio);
    return t.device->play(position - t.start, end - t.start);
}

void CdAudioDevice::trackEnded()
{
    if (m_playing < 0)
        return;
    const Track& t = m_tracks[size_t(m_playing)];
    const int64_t end = t.start + t.length;
    m_playing = -1;
    const int64_t next = nextAudible(end);
    if (next >= 0 && next < m_to && startTrack(next) == 0)
        return;
    // What is left before `to` has no audio and passes at once, as in play().
    m_position = m_to;
    // Finishing is reported from the event loop, as every device's is.
    complete();
}

int CdAudioDevice::play(int64_t from, int64_t to)
{
    if (!mediaPresent())
        return mci::kDeviceNotReady;
    const int64_t start = from < 0 ? position() : from;
    const int64_t end = to < 0 ? length() : to;
    if (start > length() || end > length() || start > end)
        return mci::kOutOfRange;
    stop();
    m_position = start;
    m_to = end;
    m_paused = false;
    // Positions in a track without audio pass at once, to the next track
    // that has some.
    const int64_t at = start == end ? -1 : nextAudible(start);
    if (at < 0 || at >= end) {
        endAt(end);
        return 0;
    }
    return startTrack(at);
}

void CdAudioDevice::endAt(int64_t position)
{
    m_position = position;
    m_worker.start([this](uint64_t generation) { m_worker.complete(generation, [this] { complete(); }); });
}

void CdAudioDevice::stop()
{
    m_worker.stop();
    if (m_playing >= 0) {
        m_position = position();
        m_tracks[size_t(m_playing)].device->stop();
        m_playing = -1;
    }
    m_paused = false;
}

int CdAudioDevice::pause()
{
    if (!mediaPresent())
        return mci::kDeviceNotReady;
    if (m_playing >= 0)
        m_tracks[size_t(m_playing)].device->pause();
    m_paused = m_playing >= 0;
    return 0;
}

int CdAudioDevice::resume()
{
    if (!mediaPresent())
        return mci::kDeviceNotReady;
    if (m_playing >= 0 && m_paused)
        m_tracks[size_t(m_playing)].device->resume();
    m_paused = false;
    return 0;
}

int CdAudioDevice::seek(int64_t position)
{
    if (!mediaPresent())
        return mci::kDeviceNotReady;
    if (position < 0 || position > length())
        return mci::kOutOfRange;
    stop();
    m_position = position;
    return 0;
}

DeviceMode CdAudioDevice::mode() const
{
    if (!mediaPresent())
        return DeviceMode::NotReady;
    if (m_playing < 0)
        return DeviceMode::Stopped;
    return m_paused ? DeviceMode::Paused : DeviceMode::Playing;
}

int64_t CdAudioDevice::position() const
{
    if (m_playing < 0)
        return m_position;
    const Track& t = m_tracks[size_t(m_playing)];
    return t.start + std::clamp<int64_t>(t.device->position(), 0, t.length);
}

int64_t CdAudioDevice::length() const
{
    if (m_tracks.empty())
        return 0;
    const Track& last = m_tracks.back();
    return last.start + last.length;
}

void CdAudioDevice::setAudioEnabled(bool enabled)
{
    m_audio = enabled;
    if (m_playing >= 0)
        m_tracks[size_t(m_playing)].device->setAudioEnabled(enabled);
}

} // namespace lumeria::media
