#include "media/DeviceTable.h"

#include <algorithm>

namespace lumeria::media {

DeviceTable::~DeviceTable()
{
    // Listeners belong to owners that may be gone already.
    m_closed = nullptr;
    m_completed = nullptr;
    closeAll();
}

OpenDevice* DeviceTable::byId(uint16_t id)
{
    for (const auto& d : m_devices) {
        if (d->id == id)
            return d.get();
    }
    return nullptr;
}

OpenDevice* DeviceTable::byAlias(const QString& alias)
{
    for (const auto& d : m_devices) {
        if (!d->hidden && d->alias.compare(alias, Qt::CaseInsensitive) == 0)
            return d.get();
    }
    return nullptr;
}

bool DeviceTable::aliasTaken(const QString& alias) const
{
    return std::any_of(m_devices.begin(), m_devices.end(),
                       [&](const auto& d) { return d->alias.compare(alias, Qt::CaseInsensitive) == 0; });
}

OpenDevice& DeviceTable::add(const QString& alias, const QString& element, DeviceType type,
                             std::unique_ptr<MediaDevice> device, bool hidden)
{
    // Identifiers wrap round at 16 bits; 0 means "no device" and an
    // identifier still in use is never handed out twice.
    do {
        if (m_nextId == 0)
            m_nextId = 1;
    } while (byId(m_nextId) && ++m_nextId);
    auto entry = std::make_unique<OpenDevice>();
    entry->id = m_nextId++;
    entry->alias = alias;
    entry->element = element;
    entry->type = type;
    entry->hidden = hidden;
    entry->device = std::move(device);
    entry->timeFormat = type == DeviceType::CdAudio ? TimeFormat::Msf : TimeFormat::Milliseconds;
    const uint16_t id = entry->id;
    entry->device->setCompletionHandler([this, id] { completed(id); });
    m_devices.push_back(std::move(entry));
    return *m_devices.back();
}

void DeviceTable::completed(uint16_t id)
{
    OpenDevice* entry = byId(id);
    if (!entry)
        return;
    Replay& replay = entry->replay;
    if (replay.pending()) {
        if (!replay.endless)
            --replay.timesLeft;
        if (entry->device->play(replay.from, replay.to) == 0)
            return;
    }
    replay = {};
    if (m_completed)
        m_completed(id);
}

void DeviceTable::close(uint16_t id)
{
    const auto it = std::find_if(m_devices.begin(), m_devices.end(), [id](const auto& d) { return d->id == id; });
    if (it == m_devices.end())
        return;
    // Out of the table before anything runs: a close listener may start
    // other media, or close more.
    std::unique_ptr<OpenDevice> entry = std::move(*it);
    m_devices.erase(it);
    entry->device->setCompletionHandler(nullptr);
    entry->device->stop();
    entry->device.reset();
    const QRect shownAt = entry->surface ? entry->surface->rectangle() : QRect();
    entry->surface.reset();
    if (m_closed)
        m_closed(id, shownAt);
}

void DeviceTable::closeAll()
{
    while (!m_devices.empty())
        close(m_devices.back()->id);
}

std::vector<uint16_t> DeviceTable::ids() const
{
    std::vector<uint16_t> out;
    out.reserve(m_devices.size());
    for (const auto& d : m_devices) {
        if (!d->hidden)
            out.push_back(d->id);
    }
    return out;
}

} // namespace lumeria::media
