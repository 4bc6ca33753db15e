#include "platform/image/CursorImage.h"
#include "platform/image/PictureBuilders.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using test::cursorFile;
using test::iconFile;

std::span<const std::byte> span(const QByteArray& b)
{
    return std::as_bytes(std::span(b.constData(), size_t(b.size())));
}

void put32(QByteArray& b, uint32_t v, bool bigEndian = false)
{
    for (int i = 0; i < 4; ++i)
        b.append(char(bigEndian ? (v >> (24 - 8 * i)) & 0xFF : (v >> (8 * i)) & 0xFF));
}

QByteArray aniFile(const QByteArray& firstFrame, const QByteArray& secondFrame)
{
    QByteArray frames("fram");
    for (const QByteArray& f : {firstFrame, secondFrame}) {
        frames += "icon";
        put32(frames, uint32_t(f.size()));
        frames += f;
        if (f.size() & 1)
            frames += '\0';
    }
    QByteArray body("ACON");
    body += "anih";
    put32(body, 36);
    body += QByteArray(36, '\0');
    body += "LIST";
    put32(body, uint32_t(frames.size()));
    body += frames;
    QByteArray file("RIFF");
    put32(file, uint32_t(body.size()));
    return file + body;
}

TEST(Cursor, HotspotComesFromTheCursorsDirectory)
{
    const auto cursor = decodeCursor(span(cursorFile(32, 5, 9)));
    ASSERT_TRUE(cursor);
    EXPECT_EQ(cursor->image.size(), QSize(32, 32));
    EXPECT_EQ(cursor->hotspot, QPoint(5, 9));
    EXPECT_EQ(qAlpha(cursor->image.pixel(0, 0)), 0); // the mask is kept
}

TEST(Cursor, AnIconUsedAsACursorPointsWithItsCentre)
{
    const auto cursor = decodeCursor(span(iconFile(32)));
    ASSERT_TRUE(cursor);
    EXPECT_EQ(cursor->hotspot, QPoint(16, 16));
}

TEST(Cursor, AnimatedCursorsShowTheirFirstFrame)
{
    const auto cursor = decodeCursor(span(aniFile(cursorFile(32, 3, 4), cursorFile(16, 1, 1))));
    ASSERT_TRUE(cursor);
    EXPECT_EQ(cursor->image.size(), QSize(32, 32));
    EXPECT_EQ(cursor->hotspot, QPoint(3, 4));
}

TEST(Cursor, DamagedFilesGiveNothing)
{
    const QByteArray good = cursorFile(32, 5, 9);
    for (int cut : {0, 3, 6, 15, 40})
        EXPECT_FALSE(decodeCursor(span(good.left(cut)))) << cut;
    EXPECT_FALSE(decodeCursor(span(QByteArray("RIFF\x10\0\0\0ACONjunkjunk", 20))));
    QByteArray hostile = aniFile(good, good);
    hostile[75] = char(0x7F); // the first frame claims more than the file holds
    EXPECT_FALSE(decodeCursor(span(hostile)));
}

} // namespace
} // namespace lumeria
