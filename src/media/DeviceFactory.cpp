#include "media/DeviceFactory.h"

#include "media/AudioFileDevice.h"
#include "media/FfmpegInput.h"
#include "media/MciErrors.h"
#include "media/MidiFile.h"
#include "media/MidiFileDevice.h"
#include "media/VideoDecoder.h"
#include "media/VideoFileDevice.h"

#include <QFile>
#include <QFileInfo>

#include <array>
#include <span>

namespace lumeria::media {

namespace {

constexpr int kSniffBytes = 12;

bool looksLikeMidi(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(kSniffBytes);
    return MidiFile::sniff(std::as_bytes(std::span(head.constData(), static_cast<size_t>(head.size()))));
}

} // namespace

QString defaultSoundFont()
{
    static const std::array<const char*, 3> kCandidates = {
        "/usr/share/sounds/sf2/FluidR3_GM.sf2",
        "/usr/share/sounds/sf2/TimGM6mb.sf2",
        "/usr/share/sounds/sf2/default-GM.sf2",
    };
    for (const char* candidate : kCandidates) {
        const QString path = QString::fromLatin1(candidate);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

Result<std::unique_ptr<MediaDevice>> openDevice(const QString& path, std::optional<DeviceType> type,
                                                const DeviceServices& services)
{
    // Audio CDs are no file; they are played elsewhere or not at all.
    if (type == DeviceType::CdAudio)
        return Failure{mci::kUnsupportedFunction};
    if (!QFileInfo(path).isFile())
        return Failure{mci::kFileNotFound};
    if (!services.mixer)
        return Failure{mci::kHardware};

    // The contents decide first: a MIDI file opened as video (publications
    // did that) still plays as MIDI.
    if (looksLikeMidi(path)) {
        const QString font = services.soundFont.isEmpty() ? defaultSoundFont() : services.soundFont;
        auto device = openMidiFile(path, font, *services.mixer);
        if (!device)
            return Failure{device.error()};
        return std::unique_ptr<MediaDevice>(std::move(device).value());
    }
    if (type == DeviceType::Sequencer)
        return Failure{mci::kInvalidFile};

    // Opened once, and what was found decides: a file with pictures plays
    // them whatever type the string named; a "video" without any plays its
    // sound.
    auto input = FfmpegInput::openFile(path);
    if (!input)
        return Failure{input.error()};
    std::unique_ptr<FfmpegInput> opened = std::move(input).value();
    if (auto decoder = VideoDecoder::open(opened))
        return std::unique_ptr<MediaDevice>(VideoFileDevice::open(std::move(decoder).value(), type, *services.mixer));
    if (!opened)
        return Failure{mci::kInvalidFile};
    auto device = openAudioFile(std::move(opened), type.value_or(DeviceType::WaveAudio), *services.mixer);
    if (!device)
        return Failure{device.error()};
    return std::unique_ptr<MediaDevice>(std::move(device).value());
}

} // namespace lumeria::media
