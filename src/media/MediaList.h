#pragma once

#include "media/DeviceFactory.h"
#include "media/DeviceTable.h"
#include "media/MediaEnvironment.h"
#include "script/MediaHost.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>
#include <list>
#include <memory>

namespace lumeria::media {

enum class MediaKind : uint8_t { Device = 0, Flic = 1, Cartoon = 2 };

// One playing item: a device of the table (an animation's hidden from
// command strings), which holds its surface and its replay rule.
struct MediaRec {
    uint16_t device = 0;
    MediaMode mode = MediaMode::Start;
    QString file; // the full path, in capitals
    MediaKind kind = MediaKind::Device;
    bool visual = false;
    QRect display; // where a video or animation shows, window coordinates
    QPoint origin; // scroll origin when the area is painted again
    bool inWindow = false;
};

// Where a video goes: the command's numbers (-1 natural size or centred) and
// the page as the window shows it.
struct VideoPlacement {
    MediaPlacement numbers;
    QRect area;    // the page surface in window coordinates
    QPoint scroll; // the window's scroll position
};

// The display rectangle of a video of the natural size within the area:
// width and height -1 take the natural size, left and top -1 centre it
// (divisions truncate, as the integer arithmetic always did).
QRect videoRectangle(const VideoPlacement& placement, QSize natural);

// The command's numbers with the page as the window shows it now.
VideoPlacement pagePlacement(const MediaEnvironment& environment, const MediaPlacement& numbers);

// Everything that plays, newest first, and the rules of playing and
// stopping: one item per file, LOOP plays again, WAIT waits, StopMedia
// stops by file, by kind or all.
class MediaList {
public:
    MediaList(DeviceTable& devices, DeviceServices services, MediaEnvironment& environment);
    ~MediaList();
    MediaList(const MediaList&) = delete;
    MediaList& operator=(const MediaList&) = delete;

    // Plays a file through a device: a sound when placement is null. Returns
    // the device's identifier, 0 when nothing plays (the reader has been
    // told why). In WAIT mode returns once the item has left the list.
    uint16_t play(const QString& file, MediaMode mode, const VideoPlacement* placement = nullptr);
    // Plays a FLIC or cartoon file on the page: repeat times (0 and 1 are
    // once), or until stopped in LOOP mode; a cartoon's frames may be given
    // a delay of their own (0 keeps the file's). False when nothing plays.
    bool playAnimation(MediaKind kind, const QString& file, MediaMode mode, const VideoPlacement& placement, int repeat,
                       int frameDelayMs = 0);

    void stopFile(const QString& file);
    void stopAll();
    void stopSounds();
    void stopVisuals();

    // A device's play reached its end.
    void deviceCompleted(uint16_t id);
    // A device was closed by a command string: its item is gone too.
    void deviceClosed(uint16_t id);

    // Lets events run until the file's item has left the list or the program
    // is quitting.
    void waitForFile(const QString& file);

    const std::list<MediaRec>& items() const { return m_items; }
    bool contains(const QString& file) const;

private:
    std::list<MediaRec>::iterator findDevice(uint16_t id);
    // Enters the opened device and its item, with a surface at the placement
    // when it shows pictures, and starts it; 0 when it does not play.
    uint16_t start(MediaRec rec, std::unique_ptr<MediaDevice> device, const QString& path,
                   const VideoPlacement* placement, Replay replay, bool hidden);
    void stopItem(std::list<MediaRec>::iterator item);
    void removeIf(const std::function<bool(const MediaRec&)>& match);
    QString newAlias() const;
    void showError(const QString& file, const QString& text) const;

    DeviceTable& m_devices;
    DeviceServices m_services;
    MediaEnvironment& m_env;
    std::list<MediaRec> m_items;
};

// The players of the animations on a page: a cartoon file played at its
// own delays or at the one given, a FLIC file from its bytes. Null when the
// file cannot be played.
std::unique_ptr<MediaDevice> openCartoonPlayer(const QString& path, int frameDelayMs);
std::unique_ptr<MediaDevice> openFlicPlayer(QByteArray bytes);

// Two names of one file: compared without their folders, ignoring case.
bool sameMediaFile(const QString& a, const QString& b);

} // namespace lumeria::media
