#include "input/Cursors.h"

#include "container/PictureLoader.h"
#include "platform/image/CursorImage.h"

#include <QImage>
#include <QPixmap>

#include <optional>

namespace lumeria {

namespace {

// A cursor file is a few kilobytes; an animated one with many frames a few
// hundred.
constexpr int64_t kMaxCursorFileSize = 4 * 1024 * 1024;

// '#' outline, '.' inside, blank transparent. The finger tip is the hotspot.
constexpr const char* kHand[] = {
    "      ##          ", //
    "     #..#         ", //
    "     #..#         ", //
    "     #..#         ", //
    "     #..#         ", //
    "     #..###       ", //
    "     #..#..###    ", //
    "     #..#..#..##  ", //
    "     #..#..#..#.# ", //
    " ##  #..#..#..#..#", //
    "#..# #...........#", //
    "#...##...........#", //
    " #...#...........#", //
    "  #..............#", //
    "  #..............#", //
    "   #.............#", //
    "   #............# ", //
    "    #...........# ", //
    "    #..........#  ", //
    "     #.........#  ", //
    "     #.........#  ", //
    "     ###########  ", //
};

std::optional<QCursor> cursorFromFile(const Container& container, const QString& name)
{
    if (name.isEmpty())
        return std::nullopt;
    auto bytes = readEntryBytes(container, name, kMaxCursorFileSize);
    if (!bytes)
        return std::nullopt;
    std::optional<CursorImage> image = decodeCursor(bytes.value());
    if (!image)
        return std::nullopt;
    return QCursor(QPixmap::fromImage(image->image), image->hotspot.x(), image->hotspot.y());
}

} // namespace

QCursor PlayerCursors::cursor(WorkAreaCursor which) const
{
    switch (which) {
    case WorkAreaCursor::Application: return application;
    case WorkAreaCursor::Hotspot: return hotspot;
    case WorkAreaCursor::IBeam: return QCursor(Qt::IBeamCursor);
    }
    return application;
}

QCursor handPointCursor()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < int(std::size(kHand)); ++y) {
        for (int x = 0; kHand[y][x] != '\0'; ++x) {
            if (kHand[y][x] == '#')
                image.setPixel(x, y, qRgba(0, 0, 0, 255));
            else if (kHand[y][x] == '.')
                image.setPixel(x, y, qRgba(255, 255, 255, 255));
        }
    }
    return QCursor(QPixmap::fromImage(image), 6, 0);
}

PlayerCursors loadPlayerCursors(const Container& container, const QString& appCursor, const QString& hotspotCursor)
{
    PlayerCursors cursors;
    cursors.application = cursorFromFile(container, appCursor).value_or(QCursor(Qt::ArrowCursor));
    cursors.hotspot = cursorFromFile(container, hotspotCursor).value_or(handPointCursor());
    return cursors;
}

} // namespace lumeria
