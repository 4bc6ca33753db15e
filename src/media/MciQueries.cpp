// What a device answers about itself (status, capability, info), what set
// changes, sysinfo over the drivers, and positions in each time format.

#include "media/MciDeviceKinds.h"
#include "media/MciErrors.h"
#include "media/MciInterpreter.h"

#include <algorithm>
#include <array>

namespace lumeria::media {

namespace {

// CD positions count frames of 1/75 second.
constexpr int64_t kCdFramesPerSecond = 75;

QString modeName(DeviceMode mode)
{
    switch (mode) {
    case DeviceMode::NotReady: return QStringLiteral("not ready");
    case DeviceMode::Stopped: return QStringLiteral("stopped");
    case DeviceMode::Playing: return QStringLiteral("playing");
    case DeviceMode::Paused: return QStringLiteral("paused");
    case DeviceMode::Seeking: return QStringLiteral("seeking");
    case DeviceMode::Open: return QStringLiteral("open");
    }
    return {};
}

QString timeFormatName(TimeFormat format)
{
    switch (format) {
    case TimeFormat::Milliseconds: return QStringLiteral("milliseconds");
    case TimeFormat::Frames: return QStringLiteral("frames");
    case TimeFormat::Msf: return QStringLiteral("msf");
    case TimeFormat::Tmsf: return QStringLiteral("tmsf");
    case TimeFormat::Bytes: return QStringLiteral("bytes");
    case TimeFormat::Samples: return QStringLiteral("samples");
    }
    return {};
}

QString truth(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString twoDigits(int64_t v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

uint32_t byteOf(uint32_t packed, int index)
{
    return (packed >> (8 * index)) & 0xFF;
}

// The device type names sysinfo takes, and the kinds each stands for. The
// video drivers are installed under names of their own, so "digitalvideo"
// counts none installed and yet the videos that are open.
struct SysinfoType {
    const char* name;
    std::array<std::optional<DeviceType>, 2> kinds;
    int installed;
};

constexpr std::array kSysinfoTypes{
    SysinfoType{"waveaudio", {DeviceType::WaveAudio, std::nullopt}, 1},
    SysinfoType{"sequencer", {DeviceType::Sequencer, std::nullopt}, 1},
    SysinfoType{"cdaudio", {DeviceType::CdAudio, std::nullopt}, 1},
    SysinfoType{"digitalvideo", {DeviceType::AviVideo, DeviceType::MpegVideo}, 0},
    SysinfoType{"animation", {}, 0},
    SysinfoType{"overlay", {}, 0},
    SysinfoType{"videodisc", {}, 0},
    SysinfoType{"vcr", {}, 0},
    SysinfoType{"scanner", {}, 0},
    SysinfoType{"dat", {}, 0},
    SysinfoType{"other", {}, 0},
};

// The drivers "sysinfo all" lists.
constexpr std::array kInstalledDrivers{"waveaudio", "sequencer", "avivideo", "mpegvideo", "cdaudio"};

const SysinfoType* sysinfoTypeNamed(const QString& name)
{
    for (const SysinfoType& t : kSysinfoTypes) {
        if (name.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

bool covers(const SysinfoType* type, DeviceType kind)
{
    return !type || type->kinds[0] == kind || type->kinds[1] == kind;
}

} // namespace

MciReply MciInterpreter::status(const MciRequest& r, OpenDevice& entry)
{
    const MediaDevice& device = *entry.device;
    MciItem item = r.item;
    if (item == MciItem::None)
        return {kindRules(entry.type).statusWithoutItem, {}};
    if (item == MciItem::ByNumber)
        item = statusItemNumbered(r.itemNumber, entry.type);
    if (item == MciItem::None || !itemApplies(item, entry.type))
        return {mci::kBadConstant, {}};
    if (r.has(MciFlag::Start) && (r.track || item != MciItem::Position))
        return {mci::kFlagsNotCompatible, {}};
    std::optional<int> track;
    if (r.track) {
        if (*r.track < 1 || int64_t(*r.track) > device.trackCount())
            return {mci::kOutOfRange, {}};
        track = int(*r.track);
    }
    // Without a disc the drive still tells its mode and settings.
    const bool present = device.mediaPresent();
    const MciReply notReady{mci::kDeviceNotReady, {}};
    const WaveFormat& wave = entry.wave;
    switch (item) {
    case MciItem::Mode: return {0, modeName(device.mode())};
    case MciItem::Ready:
    case MciItem::MediaPresent: return {0, truth(present)};
    case MciItem::TimeFormat: return {0, timeFormatName(entry.timeFormat)};
    case MciItem::FormatTag: return {0, QString::number(wave.formatTag)};
    case MciItem::Channels: return {0, QString::number(wave.channels)};
    case MciItem::SamplesPerSec: return {0, QString::number(wave.samplesPerSec)};
    case MciItem::BytesPerSec: return {0, QString::number(wave.bytesPerSec)};
    case MciItem::Alignment: return {0, QString::number(wave.alignment)};
    case MciItem::BitsPerSample: return {0, QString::number(wave.bitsPerSample)};
    case MciItem::FrameRate:
        if (device.frameRate() <= 0)
            return {mci::kUnsupportedFunction, {}};
        return {0, QString::number(qRound64(device.frameRate() * 1000))};
    case MciItem::NumberOfTracks: return present ? MciReply{0, QString::number(device.trackCount())} : notReady;
    case MciItem::CurrentTrack: return present ? MciReply{0, QString::number(device.currentTrack())} : notReady;
    case MciItem::Position: {
        if (!present)
            return notReady;
        const int64_t at = track ? device.trackStart(*track) : r.has(MciFlag::Start) ? 0 : device.position();
        return {0, formatPosition(entry, at, false)};
    }
    case MciItem::StartPosition: return present ? MciReply{0, formatPosition(entry, 0, false)} : notReady;
    case MciItem::Length:
        if (!present)
            return notReady;
        return {0, formatPosition(entry, track ? device.trackLength(*track) : device.length(), true)};
    case MciItem::TrackType:
        if (!present)
            return notReady;
        if (!track)
            return {mci::kMissingParameter, {}};
        return {0, device.isAudioTrack(*track) ? QStringLiteral("audio") : QStringLiteral("other")};
    case MciItem::None:
    case MciItem::ByNumber:
    case MciItem::CanPlay:
    case MciItem::CanRecord:
    case MciItem::CanSave:
    case MciItem::CanEject:
    case MciItem::HasAudio:
    case MciItem::HasVideo:
    case MciItem::DeviceType:
    case MciItem::UsesFiles:
    case MciItem::CompoundDevice:
    case MciItem::CanReverse:
    case MciItem::CanStretch:
    case MciItem::CanFreeze:
    case MciItem::Inputs:
    case MciItem::Outputs:
    case MciItem::Product:
    case MciItem::File:
    case MciItem::Version:
    case MciItem::Identity:
    case MciItem::Upc:
    case MciItem::Quantity:
    case MciItem::Name:
    case MciItem::InstallName: return {mci::kBadConstant, {}};
    }
    return {mci::kInternal, {}};
}

MciReply MciInterpreter::set(const MciRequest& r, OpenDevice& entry)
{
    if (!r.timeFormat && !r.audio && !r.video && !r.doorOpen && !r.wave.any() && r.extra.isEmpty())
        return {mci::kMissingParameter, {}};
    if (r.wave.any()) {
        if (entry.type != DeviceType::WaveAudio)
            return {mci::kUnrecognizedKeyword, {}};
        // A file keeps the format it was written in; a new element records
        // in what is set, which must be PCM the output can take.
        if (!entry.element.isEmpty())
            return {mci::kNonapplicableFunction, {}};
        const MciWaveSettings& w = r.wave;
        const auto within = [](const std::optional<uint32_t>& v, uint32_t low, uint32_t high) {
            return !v || (*v >= low && *v <= high);
        };
        const bool bitsOk = !w.bitsPerSample || *w.bitsPerSample == 8 || *w.bitsPerSample == 16;
        if ((w.formatTag && *w.formatTag != 1) || !bitsOk || !within(w.channels, 1, 2) ||
            !within(w.samplesPerSec, 8000, 48000) || !within(w.alignment, 1, 4) || !within(w.bytesPerSec, 8000, 192000))
            return {mci::kOutOfRange, {}};
        WaveFormat& f = entry.wave;
        f.formatTag = w.formatTag.value_or(f.formatTag);
        f.channels = w.channels.value_or(f.channels);
        f.samplesPerSec = w.samplesPerSec.value_or(f.samplesPerSec);
        f.bytesPerSec = w.bytesPerSec.value_or(f.bytesPerSec);
        f.alignment = w.alignment.value_or(f.alignment);
        f.bitsPerSample = w.bitsPerSample.value_or(f.bitsPerSample);
    }
    if (r.timeFormat) {
        const std::optional<TimeFormat> format =
            kindTimeFormat(entry.type, *r.timeFormat, entry.device->frameRate() > 0, entry.wave);
        if (!format)
            return {mci::kBadTimeFormat, {}};
        entry.timeFormat = *format;
    }
    if (r.audio)
        entry.device->setAudioEnabled(*r.audio);
    if (r.doorOpen && *r.doorOpen)
        entry.device->stop();
    return {};
}

MciReply MciInterpreter::capability(const MciRequest& r, OpenDevice& entry)
{
    if (r.item == MciItem::None)
        return {mci::kMissingParameter, {}};
    if (!itemApplies(r.item, entry.type))
        return {mci::kBadConstant, {}};
    const bool video = entry.device->hasVideo();
    const bool cd = entry.type == DeviceType::CdAudio;
    switch (r.item) {
    case MciItem::DeviceType: return {0, deviceTypeName(entry.type)};
    case MciItem::CanPlay:
    case MciItem::HasAudio: return {0, truth(true)};
    case MciItem::HasVideo:
    case MciItem::CanStretch: return {0, truth(video)};
    case MciItem::CanEject: return {0, truth(cd)};
    case MciItem::UsesFiles:
    case MciItem::CompoundDevice: return {0, truth(!cd)};
    case MciItem::CanRecord:
    case MciItem::CanSave:
    case MciItem::CanReverse:
    case MciItem::CanFreeze: return {0, truth(false)};
    case MciItem::Inputs: return {0, QStringLiteral("0")};  // nothing records here
    case MciItem::Outputs: return {0, QStringLiteral("1")}; // the mixer
    case MciItem::None:
    case MciItem::ByNumber:
    case MciItem::Length:
    case MciItem::Position:
    case MciItem::NumberOfTracks:
    case MciItem::Mode:
    case MciItem::MediaPresent:
    case MciItem::TimeFormat:
    case MciItem::Ready:
    case MciItem::CurrentTrack:
    case MciItem::StartPosition:
    case MciItem::TrackType:
    case MciItem::FrameRate:
    case MciItem::FormatTag:
    case MciItem::Channels:
    case MciItem::SamplesPerSec:
    case MciItem::BytesPerSec:
    case MciItem::Alignment:
    case MciItem::BitsPerSample:
    case MciItem::Product:
    case MciItem::File:
    case MciItem::Version:
    case MciItem::Identity:
    case MciItem::Upc:
    case MciItem::Quantity:
    case MciItem::Name:
    case MciItem::InstallName: return {mci::kBadConstant, {}};
    }
    return {mci::kInternal, {}};
}

MciReply MciInterpreter::info(const MciRequest& r, OpenDevice& entry)
{
    if (r.item == MciItem::None)
        return {mci::kMissingParameter, {}};
    if (!itemApplies(r.item, entry.type))
        return {mci::kUnrecognizedKeyword, {}};
    const MediaDevice& device = *entry.device;
    switch (r.item) {
    case MciItem::File: return {entry.element.isEmpty() ? mci::kNonapplicableFunction : 0, entry.element};
    case MciItem::Version: return {0, QStringLiteral("1.0")};
    case MciItem::Product: return {0, QStringLiteral("Lumeria %1").arg(deviceTypeName(entry.type))};
    case MciItem::Identity: {
        // A disc is known by its tracks: their count and its length in frames.
        if (!device.mediaPresent())
            return {mci::kDeviceNotReady, {}};
        const int64_t frames = device.length() * kCdFramesPerSecond / 1000;
        return {0, QString::number(uint32_t(frames) ^ uint32_t(device.trackCount() << 24), 16)};
    }
    case MciItem::Upc: return {mci::kNoIdentity, {}}; // track files carry no catalogue number
    case MciItem::None:
    case MciItem::ByNumber:
    case MciItem::Length:
    case MciItem::Position:
    case MciItem::NumberOfTracks:
    case MciItem::Mode:
    case MciItem::MediaPresent:
    case MciItem::TimeFormat:
    case MciItem::Ready:
    case MciItem::CurrentTrack:
    case MciItem::StartPosition:
    case MciItem::TrackType:
    case MciItem::FrameRate:
    case MciItem::FormatTag:
    case MciItem::Channels:
    case MciItem::SamplesPerSec:
    case MciItem::BytesPerSec:
    case MciItem::Alignment:
    case MciItem::BitsPerSample:
    case MciItem::CanPlay:
    case MciItem::CanRecord:
    case MciItem::CanSave:
    case MciItem::CanEject:
    case MciItem::HasAudio:
    case MciItem::HasVideo:
    case MciItem::DeviceType:
    case MciItem::UsesFiles:
    case MciItem::CompoundDevice:
    case MciItem::CanReverse:
    case MciItem::CanStretch:
    case MciItem::CanFreeze:
    case MciItem::Inputs:
    case MciItem::Outputs:
    case MciItem::Quantity:
    case MciItem::Name:
    case MciItem::InstallName: return {mci::kUnrecognizedKeyword, {}};
    }
    return {mci::kInternal, {}};
}

MciReply MciInterpreter::sysinfo(const MciRequest& r)
{
    const bool all = r.device.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0;
    const SysinfoType* type = all ? nullptr : sysinfoTypeNamed(r.device);
    if (r.item == MciItem::None)
        return {mci::kMissingParameter, {}};
    if (r.item == MciItem::InstallName) {
        if (all)
            return {mci::kCannotUseAll, {}};
        if (!type)
            return {mci::kInvalidDeviceName, {}};
        return {0, QStringLiteral("Lumeria %1").arg(QLatin1String(type->name))};
    }
    if (!all && !type)
        return {mci::kDeviceTypeRequired, {}};

    QStringList names;
    if (r.has(MciFlag::Open)) {
        for (const uint16_t id : m_devices.ids()) {
            const OpenDevice* entry = m_devices.byId(id);
            if (entry && covers(type, entry->type))
                names << entry->alias;
        }
    } else if (all) {
        for (const char* name : kInstalledDrivers)
            names << QLatin1String(name);
    } else {
        for (int i = 0; i < type->installed; ++i)
            names << QLatin1String(type->name);
    }
    if (r.item == MciItem::Quantity)
        return {0, QString::number(names.size())};
    if (r.item == MciItem::Name) {
        const uint32_t n = r.number.value_or(0);
        if (n < 1 || n > uint32_t(names.size()))
            return {mci::kOutOfRange, {}};
        return {0, names[qsizetype(n - 1)]};
    }
    return {mci::kUnrecognizedKeyword, {}};
}

Result<int64_t> MciInterpreter::parsePosition(const OpenDevice& entry, uint32_t packed) const
{
    const auto msf = [&](int first) {
        return (int64_t(byteOf(packed, first)) * 60 + byteOf(packed, first + 1)) * 1000 +
               int64_t(byteOf(packed, first + 2)) * 1000 / kCdFramesPerSecond;
    };
    switch (entry.timeFormat) {
    case TimeFormat::Milliseconds: return int64_t(packed);
    case TimeFormat::Frames: return int64_t(double(packed) * 1000.0 / entry.device->frameRate());
    // Set only while the format has a rate.
    case TimeFormat::Bytes: return int64_t(packed) * 1000 / std::max<int64_t>(1, entry.wave.bytesPerSec);
    case TimeFormat::Samples: return int64_t(packed) * 1000 / std::max<int64_t>(1, entry.wave.samplesPerSec);
    case TimeFormat::Msf: return msf(0);
    case TimeFormat::Tmsf: {
        const int track = int(byteOf(packed, 0));
        if (track < 1 || track > entry.device->trackCount())
            return Failure{mci::kOutOfRange};
        return entry.device->trackStart(track) + msf(1);
    }
    }
    return Failure{mci::kInternal};
}

QString MciInterpreter::formatPosition(const OpenDevice& entry, int64_t ms, bool asLength) const
{
    auto msf = [](int64_t v) {
        const int64_t frames = v * kCdFramesPerSecond / 1000;
        const int64_t seconds = frames / kCdFramesPerSecond;
        return twoDigits(seconds / 60) + QLatin1Char(':') + twoDigits(seconds % 60) + QLatin1Char(':') +
               twoDigits(frames % kCdFramesPerSecond);
    };
    const MediaDevice& device = *entry.device;
    switch (entry.timeFormat) {
    case TimeFormat::Milliseconds: return QString::number(ms);
    case TimeFormat::Frames: return QString::number(int64_t(double(ms) * device.frameRate() / 1000.0));
    case TimeFormat::Bytes: return QString::number(ms * int64_t(entry.wave.bytesPerSec) / 1000);
    case TimeFormat::Samples: return QString::number(ms * int64_t(entry.wave.samplesPerSec) / 1000);
    case TimeFormat::Msf: return msf(ms);
    case TimeFormat::Tmsf: {
        // Lengths stay minutes, seconds and frames; positions are counted
        // from the start of their track.
        if (asLength)
            return msf(ms);
        int track = 1;
        for (int t = 1; t <= device.trackCount(); ++t) {
            if (device.trackStart(t) <= ms && (device.trackLength(t) > 0 || t == 1))
                track = t;
        }
        return twoDigits(track) + QLatin1Char(':') + msf(ms - device.trackStart(track));
    }
    }
    return {};
}

} // namespace lumeria::media
