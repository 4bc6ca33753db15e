#include "media/MciInterpreter.h"

#include "media/CdAudioDevice.h"
#include "media/MciErrors.h"
#include "media/MediaList.h"

#include <QFileInfo>

#include <array>

namespace lumeria::media {

namespace {

// CD positions count frames of 1/75 second.
constexpr int64_t kCdFramesPerSecond = 75;

struct TypeName {
    const char* name;
    DeviceType type;
};

constexpr std::array kTypeNames{
    TypeName{"waveaudio", DeviceType::WaveAudio}, TypeName{"sequencer", DeviceType::Sequencer},
    TypeName{"avivideo", DeviceType::AviVideo},   TypeName{"digitalvideo", DeviceType::AviVideo},
    TypeName{"mpegvideo", DeviceType::MpegVideo}, TypeName{"cdaudio", DeviceType::CdAudio},
};

// Every verb that only reads or moves a device may name "all".
bool allowsAll(const QString& verb)
{
    return verb == QLatin1String("close") || verb == QLatin1String("stop") || verb == QLatin1String("pause") ||
           verb == QLatin1String("resume") || verb == QLatin1String("seek");
}

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

QString truth(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// A name that can only be a file: it has a folder or an extension.
bool looksLikeFile(const QString& name)
{
    return name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('.'));
}

QString twoDigits(int64_t v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

// "m[:s[:f]]" with each part one byte, as the packed form allowed.
std::optional<std::array<int64_t, 4>> colonParts(const QString& text, int count)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.isEmpty() || parts.size() > count)
        return std::nullopt;
    std::array<int64_t, 4> out{};
    for (int i = 0; i < parts.size(); ++i) {
        bool ok = false;
        const int v = parts[i].toInt(&ok);
        if (!ok || v < 0 || v > 255)
            return std::nullopt;
        out[size_t(i)] = v;
    }
    return out;
}

CdAudioDevice* asCd(OpenDevice& entry)
{
    return entry.type == DeviceType::CdAudio ? static_cast<CdAudioDevice*>(entry.device.get()) : nullptr;
}

const CdAudioDevice* asCd(const OpenDevice& entry)
{
    return entry.type == DeviceType::CdAudio ? static_cast<const CdAudioDevice*>(entry.device.get()) : nullptr;
}

} // namespace

std::optional<DeviceType> deviceTypeNamed(const QString& name)
{
    for (const TypeName& t : kTypeNames) {
        if (name.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0)
            return t.type;
    }
    return std::nullopt;
}

QString deviceTypeName(DeviceType type)
{
    for (const TypeName& t : kTypeNames) {
        if (t.type == type)
            return QLatin1String(t.name);
    }
    return {};
}

MciInterpreter::MciInterpreter(DeviceTable& devices, DeviceServices services, const MediaEnvironment& environment)
    : m_devices(devices), m_services(std::move(services)), m_env(environment)
{
}

MciReply MciInterpreter::execute(const QString& command)
{
    Result<MciRequest> parsed = parseMciCommand(command);
    if (!parsed)
        return {parsed.error(), {}};
    const MciRequest& r = parsed.value();

    if (r.verb == QLatin1String("open"))
        return open(r);
    if (r.verb == QLatin1String("sysinfo"))
        return sysinfo(r);
    if (r.device.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0)
        return allowsAll(r.verb) ? onAll(r) : MciReply{mci::kCannotUseAll, {}};

    if (OpenDevice* entry = m_devices.byAlias(r.device))
        return run(r, *entry);
    if (r.verb == QLatin1String("close"))
        return {mci::kInvalidDeviceName, {}};

    // A file or a device type named without opening it first is opened for
    // this command, and closed again when it is done.
    const Result<uint16_t> id = autoOpen(r);
    if (!id)
        return {id.error(), {}};
    OpenDevice* entry = m_devices.byId(id.value());
    entry->autoOpened = true;
    const MciReply reply = run(r, *entry);
    // A play that goes on keeps its device until the play ends.
    OpenDevice* after = m_devices.byId(id.value());
    if (after && (reply.code != 0 || r.verb != QLatin1String("play") || after->device->mode() != DeviceMode::Playing))
        m_devices.close(id.value());
    return reply;
}

Result<uint16_t> MciInterpreter::autoOpen(const MciRequest& r)
{
    if (r.has(MciFlag::Notify))
        return Failure{mci::kNotifyOnAutoOpen};
    const std::optional<DeviceType> simple = deviceTypeNamed(r.device);
    if (!simple && !looksLikeFile(r.device))
        return Failure{mci::kInvalidDeviceName};
    MciRequest open;
    open.verb = QStringLiteral("open");
    open.device = r.device;
    const MciReply reply = this->open(open);
    if (reply.code != 0)
        return Failure{reply.code};
    OpenDevice* entry = m_devices.byAlias(r.device);
    if (!entry)
        return Failure{mci::kInternal};
    return entry->id;
}

MciReply MciInterpreter::open(const MciRequest& r)
{
    if (r.device.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0)
        return {mci::kCannotUseAll, {}};
    if (r.device.compare(QLatin1String("new"), Qt::CaseInsensitive) == 0)
        return {mci::kUnsupportedFunction, {}}; // a new recording: nothing records here

    // "type!element" names both at once.
    QString element = r.device;
    std::optional<QString> typeText = r.type;
    const qsizetype bang = r.device.indexOf(QLatin1Char('!'));
    if (bang > 0) {
        if (typeText)
            return {mci::kFlagsNotCompatible, {}};
        typeText = r.device.left(bang);
        element = r.device.mid(bang + 1);
    }
    std::optional<DeviceType> type;
    if (typeText) {
        type = deviceTypeNamed(*typeText);
        if (!type)
            return {mci::kInvalidDeviceName, {}};
    }
    // A device type alone is a simple device: only the CD drive is one.
    const std::optional<DeviceType> named = bang > 0 ? std::nullopt : deviceTypeNamed(element);
    const bool simple = named && !typeText;
    if (simple)
        type = named;

    const QString alias = r.alias.value_or(simple ? deviceTypeName(*type) : element);
    if (OpenDevice* existing = m_devices.byAlias(alias)) {
        if (r.alias)
            return {mci::kDuplicateAlias, {}};
        // The same device opened again is shared only when both asked.
        if (r.has(MciFlag::Shareable) && existing->shareable)
            return {0, QString::number(existing->id)};
        return {mci::kDeviceOpen, {}};
    }

    std::unique_ptr<MediaDevice> device;
    QString path;
    if (type == DeviceType::CdAudio) {
        if (!simple && !element.isEmpty())
            return {mci::kNoElementAllowed, {}};
        if (m_env.discTracks.empty())
            device = std::make_unique<CdAudioDevice>(m_env.publicationFolder, m_services);
        else
            device = std::make_unique<CdAudioDevice>(m_env.discTracks, m_services);
    } else {
        if (simple)
            return {mci::kFilenameRequired, {}};
        const std::optional<QString> located = m_env.locate ? m_env.locate(element) : std::optional<QString>(element);
        if (!located || !QFileInfo(*located).isFile())
            return {mci::kFileNotFound, {}};
        path = *located;
        Result<std::unique_ptr<MediaDevice>> opened = openDevice(path, type, m_services);
        if (!opened)
            return {opened.error(), {}};
        device = std::move(opened).value();
    }
    const DeviceType actual = type.value_or(device->type());
    OpenDevice& entry = m_devices.add(alias, path, actual, std::move(device));
    entry.shareable = r.has(MciFlag::Shareable);
    // A video shows at its natural size in the middle of the page until a
    // "put" places it.
    if (entry.device->hasVideo() && m_env.createFrameSink) {
        entry.surface = m_env.createFrameSink(videoRectangle(pagePlacement(m_env, {}), entry.device->naturalSize()));
        entry.device->setFrameSink(entry.surface.get());
    }
    if (entry.device->frameRate() > 0 && actual != DeviceType::CdAudio)
        entry.timeFormat = TimeFormat::Frames;
    return {0, QString::number(entry.id)};
}

MciReply MciInterpreter::onAll(const MciRequest& r)
{
    if (r.verb == QLatin1String("close")) {
        m_devices.closeAll();
        return {};
    }
    for (const uint16_t id : m_devices.ids()) {
        if (OpenDevice* entry = m_devices.byId(id))
            run(r, *entry);
    }
    return {};
}

MciReply MciInterpreter::run(const MciRequest& r, OpenDevice& entry)
{
    const QString& verb = r.verb;
    MediaDevice& device = *entry.device;
    if (verb == QLatin1String("play"))
        return play(r, entry);
    if (verb == QLatin1String("close")) {
        m_devices.close(entry.id);
        return {};
    }
    if (verb == QLatin1String("stop")) {
        entry.repeat = false;
        device.stop();
        return {};
    }
    if (verb == QLatin1String("pause"))
        return {device.pause(), {}};
    if (verb == QLatin1String("resume"))
        return {device.resume(), {}};
    if (verb == QLatin1String("seek"))
        return seek(r, entry);
    if (verb == QLatin1String("status"))
        return status(r, entry);
    if (verb == QLatin1String("set"))
        return set(r, entry);
    if (verb == QLatin1String("capability"))
        return capability(r, entry);
    if (verb == QLatin1String("info")) {
        if (r.item == QLatin1String("file"))
            return {entry.element.isEmpty() ? mci::kNonapplicableFunction : 0, entry.element};
        if (r.item == QLatin1String("version"))
            return {0, QStringLiteral("1.0")};
        return {0, QStringLiteral("Lumeria %1").arg(deviceTypeName(entry.type))};
    }
    if (verb == QLatin1String("where") || verb == QLatin1String("put") || verb == QLatin1String("window"))
        return placeVideo(r, entry);
    if (verb == QLatin1String("record") || verb == QLatin1String("save") || verb == QLatin1String("load") ||
        verb == QLatin1String("delete"))
        return {mci::kUnsupportedFunction, {}};
    // cue, realize, update, window, put, setaudio, setvideo, break: nothing
    // to prepare or arrange for a device that only plays.
    return {};
}

MciReply MciInterpreter::play(const MciRequest& r, OpenDevice& entry)
{
    if (entry.element.isEmpty() && entry.type != DeviceType::CdAudio)
        return {mci::kFilenameRequired, {}};
    int64_t from = -1;
    int64_t to = -1;
    if (r.from) {
        const Result<int64_t> v = parsePosition(entry, *r.from);
        if (!v)
            return {v.error(), {}};
        from = v.value();
    }
    if (r.to) {
        const Result<int64_t> v = parsePosition(entry, *r.to);
        if (!v)
            return {v.error(), {}};
        to = v.value();
    }
    const int64_t length = entry.device->length();
    if ((from >= 0 && from > length) || (to >= 0 && to > length) || (from >= 0 && to >= 0 && from > to))
        return {mci::kOutOfRange, {}};
    entry.repeat = r.has(MciFlag::Repeat);
    entry.repeatFrom = from < 0 ? entry.device->position() : from;
    entry.repeatTo = to;
    // A play from the end starts over, as the drivers did.
    if (from < 0 && entry.device->position() >= length && entry.device->mode() != DeviceMode::Paused)
        from = 0;
    const int code = entry.device->play(from, to);
    if (code != 0)
        return {code, {}};
    if (r.has(MciFlag::Wait))
        waitForPlayEnd(entry.id);
    return {};
}

void MciInterpreter::waitForPlayEnd(uint16_t id)
{
    if (!m_env.wait)
        return;
    m_env.wait([this, id] {
        OpenDevice* entry = m_devices.byId(id);
        if (!entry)
            return true;
        const DeviceMode mode = entry->device->mode();
        return mode != DeviceMode::Playing && mode != DeviceMode::Paused;
    });
}

MciReply MciInterpreter::seek(const MciRequest& r, OpenDevice& entry)
{
    const int given = int(r.has(MciFlag::SeekStart)) + int(r.has(MciFlag::SeekEnd)) + int(r.seekTo.has_value());
    if (given == 0)
        return {mci::kMissingParameter, {}};
    if (given > 1)
        return {mci::kFlagsNotCompatible, {}};
    int64_t target = 0;
    if (r.has(MciFlag::SeekEnd)) {
        target = entry.device->length();
    } else if (r.seekTo) {
        const Result<int64_t> v = parsePosition(entry, *r.seekTo);
        if (!v)
            return {v.error(), {}};
        target = v.value();
        if (target > entry.device->length())
            return {mci::kOutOfRange, {}};
    }
    entry.repeat = false;
    return {entry.device->seek(target), {}};
}

MciReply MciInterpreter::status(const MciRequest& r, OpenDevice& entry)
{
    const MediaDevice& device = *entry.device;
    const CdAudioDevice* cd = asCd(entry);
    const QString& item = r.item;
    std::optional<int> track;
    if (r.track) {
        bool ok = false;
        const int t = r.track->toInt(&ok);
        if (!ok)
            return {mci::kBadInteger, {}};
        const int count = cd ? cd->trackCount() : 1;
        if (t < 1 || t > count)
            return {mci::kOutOfRange, {}};
        track = t;
    }
    if (cd && !cd->mediaPresent() && item != QLatin1String("mode") && item != QLatin1String("ready") &&
        item != QLatin1String("media present") && item != QLatin1String("time format"))
        return {mci::kDeviceNotReady, {}};

    if (item == QLatin1String("mode"))
        return {0, modeName(device.mode())};
    if (item == QLatin1String("ready"))
        return {0, truth(!cd || cd->mediaPresent())};
    if (item == QLatin1String("media present"))
        return {0, truth(!cd || cd->mediaPresent())};
    if (item == QLatin1String("number of tracks"))
        return {0, QString::number(cd ? cd->trackCount() : 1)};
    if (item == QLatin1String("current track"))
        return {0, QString::number(cd ? cd->currentTrack() : 1)};
    if (item == QLatin1String("time format")) {
        switch (entry.timeFormat) {
        case TimeFormat::Milliseconds: return {0, QStringLiteral("milliseconds")};
        case TimeFormat::Frames: return {0, QStringLiteral("frames")};
        case TimeFormat::Msf: return {0, QStringLiteral("msf")};
        case TimeFormat::Tmsf: return {0, QStringLiteral("tmsf")};
        }
    }
    if (item == QLatin1String("position")) {
        const int64_t at = track ? (cd ? cd->trackStart(*track) : 0) : device.position();
        return {0, formatPosition(entry, at, false)};
    }
    if (item == QLatin1String("start position"))
        return {0, formatPosition(entry, 0, false)};
    if (item == QLatin1String("length")) {
        const int64_t length = track && cd ? cd->trackLength(*track) : device.length();
        return {0, formatPosition(entry, length, true)};
    }
    if (item == QLatin1String("type")) {
        if (!track)
            return {mci::kMissingParameter, {}};
        return {0, !cd || cd->isAudioTrack(*track) ? QStringLiteral("audio") : QStringLiteral("other")};
    }
    if (item == QLatin1String("frame rate")) {
        if (device.frameRate() <= 0)
            return {mci::kUnsupportedFunction, {}};
        return {0, QString::number(qRound64(device.frameRate() * 1000))};
    }
    return {mci::kUnrecognizedKeyword, {}};
}

MciReply MciInterpreter::set(const MciRequest& r, OpenDevice& entry)
{
    if (!r.timeFormat && !r.audio && !r.video && !r.doorOpen && r.extra.isEmpty())
        return {mci::kMissingParameter, {}};
    if (r.timeFormat) {
        const QString& f = *r.timeFormat;
        const bool cd = entry.type == DeviceType::CdAudio;
        TimeFormat format;
        if (f == QLatin1String("milliseconds") || f == QLatin1String("ms"))
            format = TimeFormat::Milliseconds;
        else if (f == QLatin1String("msf"))
            format = TimeFormat::Msf;
        else if (f == QLatin1String("tmsf"))
            format = TimeFormat::Tmsf;
        else if (f == QLatin1String("frames"))
            format = TimeFormat::Frames;
        else if (f == QLatin1String("bytes") || f == QLatin1String("samples") || f == QLatin1String("smpte") ||
                 f.startsWith(QLatin1String("smpte")) || f == QLatin1String("song pointer"))
            return {mci::kBadTimeFormat, {}};
        else
            return {mci::kBadConstant, {}};
        const bool fits = format == TimeFormat::Milliseconds || (cd && format != TimeFormat::Frames) ||
                          (format == TimeFormat::Frames && entry.device->frameRate() > 0);
        if (!fits)
            return {mci::kBadTimeFormat, {}};
        entry.timeFormat = format;
    }
    if (r.audio)
        entry.device->setAudioEnabled(*r.audio);
    if (r.doorOpen && *r.doorOpen)
        entry.device->stop();
    return {};
}

MciReply MciInterpreter::capability(const MciRequest& r, OpenDevice& entry)
{
    const QString& item = r.item;
    const bool video = entry.device->hasVideo();
    if (item == QLatin1String("device type"))
        return {0, deviceTypeName(entry.type)};
    if (item == QLatin1String("can play") || item == QLatin1String("has audio"))
        return {0, truth(true)};
    if (item == QLatin1String("has video"))
        return {0, truth(video)};
    if (item == QLatin1String("can eject"))
        return {0, truth(entry.type == DeviceType::CdAudio)};
    if (item == QLatin1String("uses files") || item == QLatin1String("compound device"))
        return {0, truth(entry.type != DeviceType::CdAudio)};
    if (item == QLatin1String("can stretch"))
        return {0, truth(video)};
    return {0, truth(false)}; // record, save, reverse, freeze
}

MciReply MciInterpreter::sysinfo(const MciRequest& r)
{
    const bool all = r.device.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0;
    const std::optional<DeviceType> type = deviceTypeNamed(r.device);
    if (!all && !type)
        return {mci::kInvalidDeviceName, {}};
    if (r.item == QLatin1String("quantity")) {
        if (!all)
            return {0, QStringLiteral("1")};
        return {0, QString::number(int(kTypeNames.size()) - 1)}; // digitalvideo is avivideo under another name
    }
    if (r.item == QLatin1String("name")) {
        const int n = r.extra.isEmpty() ? 0 : r.extra.front().toInt();
        if (!all)
            return {n == 1 ? 0 : mci::kOutOfRange, n == 1 ? deviceTypeName(*type) : QString()};
        const QStringList names{QStringLiteral("waveaudio"), QStringLiteral("sequencer"), QStringLiteral("avivideo"),
                                QStringLiteral("mpegvideo"), QStringLiteral("cdaudio")};
        if (n < 1 || n > names.size())
            return {mci::kOutOfRange, {}};
        return {0, names[n - 1]};
    }
    return {0, all ? QString() : QStringLiteral("Lumeria %1").arg(deviceTypeName(*type))};
}

void MciInterpreter::deviceCompleted(uint16_t id)
{
    OpenDevice* entry = m_devices.byId(id);
    if (!entry)
        return;
    if (entry->repeat && entry->device->play(entry->repeatFrom, entry->repeatTo) == 0)
        return;
    if (entry->autoOpened)
        m_devices.close(id);
}

MciReply MciInterpreter::placeVideo(const MciRequest& r, OpenDevice& entry)
{
    if (!entry.device->hasVideo())
        return {mci::kUnsupportedFunction, {}};
    // "where"/"put" take "source", "destination" or "window"; a rectangle
    // follows "at" (or directly), as left, top, width, height.
    QStringList words;
    for (const QString& w : r.extra)
        words << w.toLower();
    const QRect page = m_env.pageArea ? m_env.pageArea() : QRect();
    const QSize natural = entry.device->naturalSize();
    const QRect shown = entry.surface ? entry.surface->rectangle() : QRect(QPoint(), natural);
    if (r.verb == QLatin1String("where")) {
        if (words.value(0) == QLatin1String("source"))
            return {0, QStringLiteral("0 0 %1 %2").arg(natural.width()).arg(natural.height())};
        if (words.value(0) != QLatin1String("destination") && words.value(0) != QLatin1String("window"))
            return {mci::kMissingParameter, {}};
        const QRect at = shown.translated(-page.topLeft());
        return {0, QStringLiteral("%1 %2 %3 %4").arg(at.left()).arg(at.top()).arg(at.width()).arg(at.height())};
    }
    if (r.verb == QLatin1String("window")) {
        // "window ALIAS state hide|show|..." is all a page can use.
        const qsizetype state = words.indexOf(QLatin1String("state"));
        if (state < 0 || state + 1 >= words.size())
            return {};
        const QString what = words[state + 1];
        if (entry.surface)
            entry.surface->setVisible(what != QLatin1String("hide") && what != QLatin1String("minimize"));
        return {};
    }
    // put
    const QString what = words.value(0);
    if (what != QLatin1String("destination") && what != QLatin1String("window") && what != QLatin1String("source") &&
        what != QLatin1String("frame") && what != QLatin1String("video"))
        return {mci::kMissingParameter, {}};
    qsizetype at = 1;
    if (words.value(at) == QLatin1String("at"))
        ++at;
    QRect target(QPoint(), natural);
    target.moveCenter(page.center());
    if (at < words.size()) {
        std::array<int, 4> v{};
        for (int i = 0; i < 4; ++i) {
            bool ok = false;
            v[size_t(i)] = words.value(at + i).toInt(&ok);
            if (!ok)
                return {mci::kBadInteger, {}};
        }
        target = QRect(page.left() + v[0], page.top() + v[1], v[2], v[3]);
    }
    if (what == QLatin1String("source"))
        return {}; // the picture is always shown whole
    if (entry.surface) {
        const QRect before = entry.surface->rectangle();
        entry.surface->setRectangle(target);
        if (m_env.invalidate && before != target)
            m_env.invalidate(before);
    }
    return {};
}

Result<int64_t> MciInterpreter::parsePosition(const OpenDevice& entry, const QString& text) const
{
    switch (entry.timeFormat) {
    case TimeFormat::Milliseconds:
    case TimeFormat::Frames: {
        bool ok = false;
        const qlonglong v = text.toLongLong(&ok);
        if (!ok || v < 0)
            return Failure{mci::kBadInteger};
        if (entry.timeFormat == TimeFormat::Milliseconds)
            return v;
        return int64_t(double(v) * 1000.0 / entry.device->frameRate());
    }
    case TimeFormat::Msf: {
        const auto p = colonParts(text, 3);
        if (!p)
            return Failure{mci::kBadInteger};
        return ((*p)[0] * 60 + (*p)[1]) * 1000 + (*p)[2] * 1000 / kCdFramesPerSecond;
    }
    case TimeFormat::Tmsf: {
        const auto p = colonParts(text, 4);
        const CdAudioDevice* cd = asCd(entry);
        if (!p || !cd)
            return Failure{mci::kBadInteger};
        if ((*p)[0] < 1 || (*p)[0] > cd->trackCount())
            return Failure{mci::kOutOfRange};
        return cd->trackStart(int((*p)[0])) + ((*p)[1] * 60 + (*p)[2]) * 1000 + (*p)[3] * 1000 / kCdFramesPerSecond;
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
    switch (entry.timeFormat) {
    case TimeFormat::Milliseconds: return QString::number(ms);
    case TimeFormat::Frames: return QString::number(int64_t(double(ms) * entry.device->frameRate() / 1000.0));
    case TimeFormat::Msf: return msf(ms);
    case TimeFormat::Tmsf: {
        // Lengths stay minutes, seconds and frames; positions are counted
        // from the start of their track.
        const CdAudioDevice* cd = asCd(entry);
        if (asLength || !cd)
            return msf(ms);
        int track = 1;
        for (int t = 1; t <= cd->trackCount(); ++t) {
            if (cd->trackStart(t) <= ms && (cd->trackLength(t) > 0 || t == 1))
                track = t;
        }
        return twoDigits(track) + QLatin1Char(':') + msf(ms - cd->trackStart(track));
    }
    }
    return {};
}

} // namespace lumeria::media
