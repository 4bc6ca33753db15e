#include "input/Cursors.h"

#include "ContainerBuilder.h"
#include "container/Container.h"
#include "platform/gdi/GdiTestSupport.h"
#include "platform/image/PictureBuilders.h"

#include <QPixmap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

std::unique_ptr<Container> containerWith(const QTemporaryDir& dir, const std::vector<test::RawEntry>& entries)
{
    const QString path = dir.filePath(QStringLiteral("cursors.lum"));
    EXPECT_TRUE(test::writeFile(path, test::containerBytes(entries)));
    auto opened = Container::open(path);
    EXPECT_TRUE(opened.ok());
    return opened.ok() ? std::move(opened).value() : nullptr;
}

class PlayerCursorsTest : public ::testing::Test {
protected:
    void SetUp() override { gdi::test::ensureGuiApplication(); }
    QTemporaryDir m_dir;
};

TEST_F(PlayerCursorsTest, OwnHandPointsWithItsFingerTip)
{
    const QCursor hand = handPointCursor();
    EXPECT_EQ(hand.hotSpot(), QPoint(6, 0));
    const QImage image = hand.pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(image.pixel(6, 0)), 255);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    // White inside the black outline of the finger.
    EXPECT_EQ(image.pixel(6, 3) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(5, 3) & 0xFFFFFF, 0x000000u);
}

TEST_F(PlayerCursorsTest, PublicationCursorsKeepTheirHotspots)
{
    const auto container =
        containerWith(m_dir, {{"ARROW.CUR", test::cursorFile(32, 3, 5)}, {"FINGER.CUR", test::cursorFile(32, 10, 12)}});
    ASSERT_TRUE(container);
    const PlayerCursors cursors =
        loadPlayerCursors(*container, QStringLiteral("arrow.cur"), QStringLiteral("C:\\PUB\\FINGER.CUR"));
    EXPECT_EQ(cursors.application.shape(), Qt::BitmapCursor);
    EXPECT_EQ(cursors.application.hotSpot(), QPoint(3, 5));
    EXPECT_EQ(cursors.hotspot.hotSpot(), QPoint(10, 12));
    EXPECT_EQ(cursors.cursor(WorkAreaCursor::IBeam).shape(), Qt::IBeamCursor);
}

TEST_F(PlayerCursorsTest, MissingOrDamagedFilesFallBackSilently)
{
    QByteArray damaged = test::cursorFile(32, 3, 5);
    damaged.truncate(30);
    const auto container = containerWith(m_dir, {{"BROKEN.CUR", damaged}});
    ASSERT_TRUE(container);
    PlayerCursors cursors = loadPlayerCursors(*container, QStringLiteral("BROKEN.CUR"), QStringLiteral("GONE.CUR"));
    EXPECT_EQ(cursors.application.shape(), Qt::ArrowCursor);
    EXPECT_EQ(cursors.hotspot.hotSpot(), QPoint(6, 0));
    cursors = loadPlayerCursors(*container, QString(), QString());
    EXPECT_EQ(cursors.application.shape(), Qt::ArrowCursor);
    EXPECT_EQ(cursors.hotspot.hotSpot(), QPoint(6, 0));
}

} // namespace
} // namespace lumeria
