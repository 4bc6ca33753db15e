#include "media/MediaList.h"

#include "media/AnimationDevice.h"
#include "media/CartoonSource.h"
#include "media/FlicSource.h"
#include "platform/WindowsPath.h"

namespace lumeria::media {

namespace {

const QString kBreak = QStringLiteral("\r\r");

} // namespace

bool sameMediaFile(const QString& a, const QString& b)
{
    return windowsFileName(a).compare(windowsFileName(b), Qt::CaseInsensitive) == 0;
}

QRect videoRectangle(const VideoPlacement& placement, QSize natural)
{
    const MediaPlacement& n = placement.numbers;
    const int width = n.width == -1 ? natural.width() : n.width;
    const int height = n.height == -1 ? natural.height() : n.height;
    const int left = n.left == -1 ? placement.area.width() / 2 - width / 2 - placement.scroll.x() : n.left;
    const int top = n.top == -1 ? placement.area.height() / 2 - height / 2 - placement.scroll.y() : n.top;
    return QRect(placement.area.left() + left, placement.area.top() + top, width, height);
}

VideoPlacement pagePlacement(const MediaEnvironment& environment, const MediaPlacement& numbers)
{
    return VideoPlacement{numbers, environment.pageArea(), environment.scrollOffset()};
}

MediaList::MediaList(DeviceTable& devices, DeviceServices services, MediaEnvironment& environment)
    : m_devices(devices), m_services(std::move(services)), m_env(environment)
{
}

MediaList::~MediaList()
{
    stopAll();
}

void MediaList::showError(const QString& file, const QString& text) const
{
    const MediaMessages words = m_env.messages();
    m_env.errorBox(words.errorTitle, windowsFileName(file) + kBreak + text, words.okButton);
}

QString MediaList::newAlias() const
{
    // The alias is the tick count, as it always was; two plays within one
    // millisecond would have shared it and the second failed to open, so a
    // taken one moves on to the next free tick.
    int64_t tick = m_env.clock();
    QString alias;
    do {
        alias = QStringLiteral("LuMedia%1").arg(tick++);
    } while (m_devices.aliasTaken(alias));
    return alias;
}

uint16_t MediaList::play(const QString& file, MediaMode mode, const VideoPlacement* placement)
{
    const std::optional<QString> path = m_env.locate(file);
    if (!path) {
        showError(file, m_env.messages().extractError);
        return 0;
    }
    stopFile(file);

    Result<std::unique_ptr<MediaDevice>> opened = openDevice(*path, std::nullopt, m_services);
    if (!opened) {
        showError(file, m_env.messages().mediaError);
        return 0;
    }
    MediaRec rec;
    rec.mode = mode;
    rec.file = path->toUpper();
    const Replay replay = mode == MediaMode::Loop ? Replay{.endless = true} : Replay{};
    const uint16_t id = start(std::move(rec), std::move(opened).value(), *path, placement, replay, false);
    if (id != 0 && mode == MediaMode::Wait)
        m_env.wait([this, id] { return findDevice(id) == m_items.end(); });
    return id;
}

uint16_t MediaList::start(MediaRec rec, std::unique_ptr<MediaDevice> device, const QString& path,
                          const VideoPlacement* placement, Replay replay, bool hidden)
{
    rec.visual = device->hasVideo();
    const QSize natural = device->naturalSize();
    const DeviceType type = device->type();
    OpenDevice& entry = m_devices.add(newAlias(), path, type, std::move(device), hidden);
    entry.replay = replay;
    rec.device = entry.id;
    if (rec.visual && placement) {
        rec.display = videoRectangle(*placement, natural);
        rec.origin = placement->scroll;
        rec.inWindow = true;
        entry.surface = m_env.createFrameSink(rec.display);
        entry.device->setFrameSink(entry.surface.get());
    }
    const uint16_t id = entry.id;
    m_items.push_front(std::move(rec));
    if (entry.device->play(0, -1) != 0) {
        stopItem(m_items.begin());
        return 0;
    }
    return id;
}

bool MediaList::playAnimation(MediaKind kind, const QString& file, MediaMode mode, const VideoPlacement& placement,
                              int repeat, int frameDelayMs)
{
    // The FLIC player read its file from the container itself, at the
    // entry's place; cartoons, like every device, play a real file.
    std::optional<QByteArray> bytes;
    QString path;
    if (kind == MediaKind::Flic) {
        bytes = m_env.readFile(file);
        path = file;
    } else if (const std::optional<QString> located = m_env.locate(file)) {
        path = *located;
    }
    if (path.isEmpty() || (kind == MediaKind::Flic && !bytes)) {
        showError(file, m_env.messages().extractError);
        return false;
    }
    stopFile(file);
    std::unique_ptr<MediaDevice> player =
        kind == MediaKind::Flic ? openFlicPlayer(std::move(*bytes)) : openCartoonPlayer(path, frameDelayMs);
    if (!player) {
        showError(file, m_env.messages().mediaError);
        return false;
    }

    MediaRec rec;
    rec.kind = kind;
    rec.file = path.toUpper();
    const Replay replay =
        mode == MediaMode::Loop ? Replay{.endless = true} : Replay{.timesLeft = std::max(1, repeat) - 1};
    if (start(std::move(rec), std::move(player), path, &placement, replay, true) == 0)
        return false;
    if (mode == MediaMode::Wait)
        waitForFile(file);
    return true;
}

std::unique_ptr<MediaDevice> openCartoonPlayer(const QString& path, int frameDelayMs)
{
    Result<OpenedAnimation> opened = openCartoon(path);
    if (!opened)
        return nullptr;
    const int64_t length = frameDelayMs > 0 ? int64_t(frameDelayMs) * opened->frames : opened->lengthMs;
    return std::make_unique<AnimationDevice>(std::move(opened.value().source), length, frameDelayMs);
}

std::unique_ptr<MediaDevice> openFlicPlayer(QByteArray bytes)
{
    // The header counts the frames. Decoding them all to count them would
    // hold the window for as long as the file takes to play; the frames are
    // decoded on the device's own thread as they are shown.
    Result<std::unique_ptr<FlicSource>> source = FlicSource::open(std::move(bytes));
    if (!source || !source.value()->firstFrameDecodes())
        return nullptr;
    const int64_t length = source.value()->passLengthMs();
    return std::make_unique<AnimationDevice>(std::move(source).value(), length);
}

std::list<MediaRec>::iterator MediaList::findDevice(uint16_t id)
{
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
        if (id != 0 && it->device == id)
            return it;
    }
    return m_items.end();
}

bool MediaList::contains(const QString& file) const
{
    for (const MediaRec& item : m_items) {
        if (sameMediaFile(item.file, file))
            return true;
    }
    return false;
}

void MediaList::stopItem(std::list<MediaRec>::iterator item)
{
    if (item == m_items.end())
        return;
    const uint16_t id = item->device;
    m_items.erase(item);
    // The table paints the page again where the surface was.
    m_devices.close(id);
}

void MediaList::removeIf(const std::function<bool(const MediaRec&)>& match)
{
    // Stopping may run code that changes the list (a close listener), so
    // each pass starts from the front again.
    for (;;) {
        auto it = std::find_if(m_items.begin(), m_items.end(), match);
        if (it == m_items.end())
            return;
        stopItem(it);
    }
}

void MediaList::stopFile(const QString& file)
{
    removeIf([&](const MediaRec& item) { return sameMediaFile(item.file, file); });
}

void MediaList::stopAll()
{
    removeIf([](const MediaRec&) { return true; });
}

void MediaList::stopSounds()
{
    removeIf([](const MediaRec& item) { return !item.visual; });
}

void MediaList::stopVisuals()
{
    removeIf([](const MediaRec& item) { return item.visual; });
}

void MediaList::deviceCompleted(uint16_t id)
{
    // The table has played it again as long as its replay rule asked.
    stopItem(findDevice(id));
}

void MediaList::deviceClosed(uint16_t id)
{
    const auto item = findDevice(id);
    if (item != m_items.end())
        m_items.erase(item);
}

void MediaList::waitForFile(const QString& file)
{
    m_env.wait([this, file] { return !contains(file); });
}

} // namespace lumeria::media
