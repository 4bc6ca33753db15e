#include "media/MciInterpreter.h"

#include "media/CdAudioDevice.h"
#include "media/EmptyElementDevice.h"
#include "media/MciDeviceKinds.h"
#include "media/MciErrors.h"
#include "media/MediaList.h"

#include <QFileInfo>

#include <array>

namespace lumeria::media {

namespace {

struct TypeName {
    const char* name;
    DeviceType type;
};

constexpr std::array kTypeNames{
    TypeName{"waveaudio", DeviceType::WaveAudio}, TypeName{"sequencer", DeviceType::Sequencer},
    TypeName{"avivideo", DeviceType::AviVideo},   TypeName{"digitalvideo", DeviceType::AviVideo},
    TypeName{"mpegvideo", DeviceType::MpegVideo}, TypeName{"cdaudio", DeviceType::CdAudio},
};

// Where a command is looked up. Commands of the system's core table reach
// "all" and any name; the others are in a driver's own table, so without a
// device to ask they are not commands at all.
enum class Reach { System, AllowsAll, OneDevice, DriverTable };

Reach reachOf(MciVerb verb)
{
    switch (verb) {
    case MciVerb::Open:
    case MciVerb::Sysinfo:
    case MciVerb::Sound: return Reach::System;
    case MciVerb::Close:
    case MciVerb::Stop:
    case MciVerb::Pause:
    case MciVerb::Resume:
    case MciVerb::Seek: return Reach::AllowsAll;
    case MciVerb::Play:
    case MciVerb::Status:
    case MciVerb::Set:
    case MciVerb::Capability:
    case MciVerb::Info:
    case MciVerb::Record:
    case MciVerb::Save:
    case MciVerb::Break: return Reach::OneDevice;
    case MciVerb::Cue:
    case MciVerb::Realize:
    case MciVerb::Update:
    case MciVerb::Window:
    case MciVerb::Put:
    case MciVerb::Where:
    case MciVerb::SetAudio:
    case MciVerb::SetVideo:
    case MciVerb::Load:
    case MciVerb::Delete: return Reach::DriverTable;
    }
    return Reach::OneDevice;
}

// A name that can only be a file: it has a folder or an extension.
bool looksLikeFile(const QString& name)
{
    return name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('.'));
}

bool isWord(const QString& text, const char* word)
{
    return text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

} // namespace

std::optional<DeviceType> deviceTypeNamed(const QString& name)
{
    for (const TypeName& t : kTypeNames) {
        if (isWord(name, t.name))
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

MciInterpreter::MciInterpreter(DeviceTable& devices, DeviceServices services, MediaEnvironment& environment)
    : m_devices(devices), m_services(std::move(services)), m_env(environment)
{
}

MciReply MciInterpreter::execute(const QString& command, ReturnBuffer buffer)
{
    Result<MciRequest> parsed = parseMciCommand(command);
    if (!parsed)
        return {parsed.error(), {}};
    const MciRequest& r = parsed.value();
    const MciReply reply = dispatch(r);
    // Sysinfo answers in the return buffer alone.
    if (r.verb == MciVerb::Sysinfo && reply.code == 0 && buffer == ReturnBuffer::None)
        return {mci::kParamOverflow, {}};
    return reply;
}

MciReply MciInterpreter::dispatch(const MciRequest& r)
{
    if (r.verb == MciVerb::Open)
        return open(r);
    if (r.verb == MciVerb::Sysinfo)
        return sysinfo(r);
    // The system's named sounds are not here to play; a sound device that
    // has none of a name plays nothing and succeeds.
    if (r.verb == MciVerb::Sound)
        return {};
    const Reach reach = reachOf(r.verb);
    if (isWord(r.device, "all")) {
        if (reach == Reach::DriverTable)
            return {mci::kUnrecognizedCommand, {}};
        return reach == Reach::AllowsAll ? onAll(r) : MciReply{mci::kCannotUseAll, {}};
    }

    if (OpenDevice* entry = m_devices.byAlias(r.device)) {
        // A device a command opened on the fly keeps its notification for
        // closing itself.
        if (entry->autoOpened && r.has(MciFlag::Notify))
            return {mci::kNotifyOnAutoOpen, {}};
        return run(r, *entry);
    }
    if (r.verb == MciVerb::Close)
        return {mci::kInvalidDeviceName, {}};

    // A file or a device type named without opening it first is opened for
    // this command, and closed again when it is done.
    const Result<uint16_t> id = autoOpen(r);
    if (!id)
        return {reach == Reach::DriverTable && id.error() == mci::kInvalidDeviceName ? mci::kUnrecognizedCommand
                                                                                     : id.error(),
                {}};
    OpenDevice* entry = m_devices.byId(id.value());
    entry->autoOpened = true;
    const MciReply reply = run(r, *entry);
    // A play that goes on keeps its device until the play ends.
    OpenDevice* after = m_devices.byId(id.value());
    if (after && (reply.code != 0 || r.verb != MciVerb::Play || after->device->mode() != DeviceMode::Playing))
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
    open.verb = MciVerb::Open;
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
    if (isWord(r.device, "all"))
        return {mci::kCannotUseAll, {}};

    // "type!element" names both at once; "!element" only the element.
    QString element = r.device;
    std::optional<QString> typeText = r.type;
    const qsizetype bang = r.device.indexOf(QLatin1Char('!'));
    if (bang >= 0) {
        if (typeText)
            return {mci::kFlagsNotCompatible, {}};
        if (bang > 0)
            typeText = r.device.left(bang);
        element = r.device.mid(bang + 1);
        if (!typeText && element.isEmpty())
            return {mci::kInvalidDeviceName, {}};
    }
    std::optional<DeviceType> type;
    if (typeText) {
        type = deviceTypeNamed(*typeText);
        if (!type)
            return {mci::kInvalidDeviceName, {}};
    }
    // "new" is an element to record into: it needs an alias to be named by,
    // and a device that records.
    const bool isNew = bang < 0 && isWord(element, "new");
    if (isNew) {
        if (!r.alias || !type)
            return {mci::kNewRequiresAlias, {}};
        if (r.has(MciFlag::Shareable) || *type != DeviceType::WaveAudio)
            return {mci::kUnsupportedFunction, {}};
        element.clear();
    }
    // A device type alone opens the driver without an element.
    const std::optional<DeviceType> named = bang >= 0 || isNew ? std::nullopt : deviceTypeNamed(element);
    const bool byType = named && !typeText;
    if (byType) {
        type = named;
        element.clear();
    }

    const QString alias = r.alias.value_or(byType ? deviceTypeName(*type) : element);
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
        if (!byType && !element.isEmpty())
            return {mci::kNoElementAllowed, {}};
        const std::vector<DiscTrack> tracks = m_env.discTracks();
        if (tracks.empty())
            device = std::make_unique<CdAudioDevice>(m_env.publicationFolder(), m_services);
        else
            device = std::make_unique<CdAudioDevice>(tracks, m_services);
    } else if (byType || isNew) {
        device = std::make_unique<EmptyElementDevice>(*type);
    } else {
        // Without a type, only a file's extension could name its driver.
        if (!type && !looksLikeFile(element))
            return {mci::kInvalidDeviceName, {}};
        const std::optional<QString> located = m_env.locate(element);
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
    entry.wave = entry.device->waveFormat().value_or(WaveFormat{});
    // A video shows at its natural size in the middle of the page until a
    // "put" places it.
    if (entry.device->hasVideo()) {
        entry.surface = m_env.createFrameSink(videoRectangle(pagePlacement(m_env, {}), entry.device->naturalSize()));
        entry.device->setFrameSink(entry.surface.get());
    }
    if (entry.device->frameRate() > 0 && actual != DeviceType::CdAudio)
        entry.timeFormat = TimeFormat::Frames;
    return {0, QString::number(entry.id)};
}

MciReply MciInterpreter::onAll(const MciRequest& r)
{
    if (r.verb == MciVerb::Close) {
        for (const uint16_t id : m_devices.ids())
            m_devices.close(id);
        return {};
    }
    // Every device answers; one code when they agree, "multiple" when not.
    std::optional<int> code;
    for (const uint16_t id : m_devices.ids()) {
        OpenDevice* entry = m_devices.byId(id);
        if (!entry)
            continue;
        const int answer = run(r, *entry).code;
        code = !code || *code == answer ? answer : mci::kMultiple;
    }
    return {code.value_or(0), {}};
}

MciReply MciInterpreter::run(const MciRequest& r, OpenDevice& entry)
{
    MediaDevice& device = *entry.device;
    switch (r.verb) {
    case MciVerb::Play: return play(r, entry);
    case MciVerb::Close: m_devices.close(entry.id); return {};
    case MciVerb::Stop:
        entry.replay = {};
        device.stop();
        // A device opened for a play closes when the play is stopped.
        if (entry.autoOpened)
            m_devices.close(entry.id);
        return {};
    case MciVerb::Pause: return pause(entry);
    case MciVerb::Resume: return resume(entry);
    case MciVerb::Seek: return seek(r, entry);
    case MciVerb::Status: return status(r, entry);
    case MciVerb::Set: return set(r, entry);
    case MciVerb::Capability: return capability(r, entry);
    case MciVerb::Info: return info(r, entry);
    case MciVerb::Cue: return cue(entry);
    case MciVerb::SetAudio:
        if (r.volume && *r.volume > 1000)
            return {mci::kOutOfRange, {}};
        return {};
    case MciVerb::Window:
        // The player shows a video on the page, not in a window of its own;
        // sound has none at all.
        if (!device.hasVideo())
            return {mci::kNoWindow, {}};
        return placeVideo(r, entry);
    case MciVerb::Where:
    case MciVerb::Put: return placeVideo(r, entry);
    case MciVerb::Record:
    case MciVerb::Save:
    case MciVerb::Load:
    case MciVerb::Delete: return {mci::kUnsupportedFunction, {}};
    // Nothing to prepare or arrange for a device that only plays.
    case MciVerb::Realize:
    case MciVerb::Update:
    case MciVerb::SetVideo:
    case MciVerb::Break: return {};
    case MciVerb::Open:
    case MciVerb::Sysinfo:
    case MciVerb::Sound: return {mci::kInternal, {}};
    }
    return {mci::kInternal, {}};
}

MciReply MciInterpreter::pause(OpenDevice& entry)
{
    MediaDevice& device = *entry.device;
    const DeviceMode mode = device.mode();
    if (mode == DeviceMode::Paused)
        return {};
    if (mode != DeviceMode::Playing) {
        if (const int code = kindRules(entry.type).pauseWhenStopped)
            return {code, {}};
    }
    return {device.pause(), {}};
}

MciReply MciInterpreter::resume(OpenDevice& entry)
{
    MediaDevice& device = *entry.device;
    if (!device.mediaPresent())
        return {mci::kDeviceNotReady, {}};
    const DeviceMode mode = device.mode();
    if (mode == DeviceMode::Playing)
        return {};
    if (mode != DeviceMode::Paused) {
        if (const int code = kindRules(entry.type).resumeWhenStopped)
            return {code, {}};
    }
    return {device.resume(), {}};
}

MciReply MciInterpreter::cue(OpenDevice& entry)
{
    const DeviceMode mode = entry.device->mode();
    if (mode == DeviceMode::Playing || mode == DeviceMode::Paused)
        return {kindRules(entry.type).cueWhilePlaying, {}};
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
    // A play from the end starts over, as the drivers did.
    const int64_t position = entry.device->position();
    const bool restart = from < 0 && position >= length && entry.device->mode() != DeviceMode::Paused;
    const int64_t start = from >= 0 ? from : (restart ? 0 : position);
    // Nothing plays backwards: an end before the start is out of range.
    if (start > length || to > length || (to >= 0 && start > to))
        return {mci::kOutOfRange, {}};
    entry.replay = r.has(MciFlag::Repeat) ? Replay{.endless = true, .from = start, .to = to} : Replay{};
    if (restart)
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
    entry.replay = {};
    return {entry.device->seek(target), {}};
}

void MciInterpreter::deviceCompleted(uint16_t id)
{
    OpenDevice* entry = m_devices.byId(id);
    if (!entry)
        return;
    // A repeat was played again by the table; this play is over for good.
    if (entry->autoOpened)
        m_devices.close(id);
}

MciReply MciInterpreter::placeVideo(const MciRequest& r, OpenDevice& entry)
{
    // "where"/"put" take "source", "destination" or "window"; a rectangle
    // follows "at" (or directly), as left, top, width, height. Its numbers
    // are read before any device is asked.
    QStringList words;
    for (const QString& w : r.extra)
        words << w.toLower();
    qsizetype at = 1;
    if (words.value(at) == QLatin1String("at"))
        ++at;
    std::optional<std::array<int, 4>> rectangle;
    if (r.verb == MciVerb::Put && at < words.size()) {
        std::array<int, 4> v{};
        for (int i = 0; i < 4; ++i) {
            bool ok = false;
            v[size_t(i)] = words.value(at + i).toInt(&ok);
            if (!ok)
                return {mci::kBadInteger, {}};
        }
        rectangle = v;
    }
    if (!entry.device->hasVideo())
        return {mci::kUnsupportedFunction, {}};
    const QRect page = m_env.pageArea();
    const QSize natural = entry.device->naturalSize();
    const QRect shown = entry.surface ? entry.surface->rectangle() : QRect(QPoint(), natural);
    if (r.verb == MciVerb::Where) {
        if (words.value(0) == QLatin1String("source"))
            return {0, QStringLiteral("0 0 %1 %2").arg(natural.width()).arg(natural.height())};
        if (words.value(0) != QLatin1String("destination") && words.value(0) != QLatin1String("window"))
            return {mci::kMissingParameter, {}};
        const QRect at = shown.translated(-page.topLeft());
        return {0, QStringLiteral("%1 %2 %3 %4").arg(at.left()).arg(at.top()).arg(at.width()).arg(at.height())};
    }
    if (r.verb == MciVerb::Window) {
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
    QRect target(QPoint(), natural);
    target.moveCenter(page.center());
    if (rectangle) {
        const std::array<int, 4>& v = *rectangle;
        target = QRect(page.left() + v[0], page.top() + v[1], v[2], v[3]);
    }
    if (what == QLatin1String("source"))
        return {}; // the picture is always shown whole
    if (entry.surface) {
        const QRect before = entry.surface->rectangle();
        entry.surface->setRectangle(target);
        if (before != target)
            m_env.invalidate(before);
    }
    return {};
}

} // namespace lumeria::media
