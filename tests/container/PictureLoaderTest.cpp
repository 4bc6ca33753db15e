#include "container/PictureLoader.h"
#include "ContainerBuilder.h"
#include "container/Container.h"
#include "container/PictureCache.h"
#include "platform/IoError.h"
#include "platform/image/PictureError.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using test::containerBytes;
using test::RawEntry;

QByteArray png(QRgb colour)
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class PictureLoaderTest : public ::testing::Test {
protected:
    std::unique_ptr<Container> open(const std::vector<RawEntry>& entries)
    {
        const QString path = m_dir.filePath(QStringLiteral("pub.lum"));
        EXPECT_TRUE(test::writeFile(path, containerBytes(entries, QByteArray(100, 'P'))));
        auto c = Container::open(path);
        EXPECT_TRUE(c.ok()) << c.error();
        return c ? std::move(c).value() : nullptr;
    }

    QTemporaryDir m_dir;
};

TEST_F(PictureLoaderTest, AnEntryIsFoundByAnyPathAndDecoded)
{
    auto c = open({{"LOGO.PNG", png(qRgb(9, 8, 7)), 2, 3, 2}, {"OTHER.PNG", png(qRgb(1, 1, 1)), 2, 3, 2}});
    ASSERT_TRUE(c);
    auto d = loadPicture(*c, QStringLiteral("C:\\Art\\logo.png"), {});
    ASSERT_TRUE(d) << pictureErrorText(d.error()).toStdString();
    EXPECT_EQ(d->image.size(), QSize(3, 2));
    EXPECT_EQ(d->image.pixel(2, 1), qRgb(9, 8, 7));
}

TEST_F(PictureLoaderTest, AMissingNameFails)
{
    auto c = open({{"LOGO.PNG", png(qRgb(9, 8, 7)), 2, 3, 2}});
    ASSERT_TRUE(c);
    EXPECT_EQ(loadPicture(*c, QStringLiteral("NOPE.PNG"), {}).error(), io::kNotInContainer);
}

TEST_F(PictureLoaderTest, TheRequestedNameAndOptionsChooseTheReader)
{
    // A compressed publication keeps the first name of a bitmap stored as PNG.
    auto c = open({{"BACK.BMP", png(qRgb(50, 60, 70)), 2, 3, 2}, {"EMPTY.PNG", {}, 2}});
    ASSERT_TRUE(c);
    EXPECT_EQ(loadPicture(*c, QStringLiteral("BACK.BMP"), {}).error(), picture::kUndecodable);
    const PictureOptions compressed{.compressImages = true, .library = ImageLibrary::PngOnly};
    auto d = loadPicture(*c, QStringLiteral("BACK.BMP"), compressed);
    ASSERT_TRUE(d) << d.error();
    EXPECT_EQ(d->transparentColour, 0x463C32u);
    EXPECT_EQ(loadPicture(*c, QStringLiteral("EMPTY.PNG"), {}).error(), picture::kUndecodable);
}

TEST_F(PictureLoaderTest, TheCacheSharesEqualBytesAndKeepsToItsBudget)
{
    // Each 3 × 2 picture holds 24 bytes of pixels, and its entry costs a
    // little more: the budget holds two.
    auto c = open({{"A.PNG", png(qRgb(1, 1, 1)), 2, 3, 2},
                   {"SAME.PNG", png(qRgb(1, 1, 1)), 2, 3, 2},
                   {"COPY.BMP", png(qRgb(1, 1, 1)), 2, 3, 2},
                   {"B.PNG", png(qRgb(2, 2, 2)), 2, 3, 2},
                   {"C.PNG", png(qRgb(3, 3, 3)), 2, 3, 2},
                   {"BAD.PNG", QByteArray("not a picture"), 2}});
    ASSERT_TRUE(c);
    PictureCache cache(200);
    ASSERT_TRUE(cache.picture(*c, QStringLiteral("A.PNG"), {}));
    ASSERT_TRUE(cache.picture(*c, QStringLiteral("same.png"), {}));
    EXPECT_EQ(cache.decodes(), 1);

    ASSERT_TRUE(cache.picture(*c, QStringLiteral("B.PNG"), {}));
    ASSERT_TRUE(cache.picture(*c, QStringLiteral("A.PNG"), {})); // A is now the newest
    ASSERT_TRUE(cache.picture(*c, QStringLiteral("C.PNG"), {})); // B, the oldest, goes
    EXPECT_LE(cache.bytesHeld(), 200);
    EXPECT_EQ(cache.decodes(), 3);
    ASSERT_TRUE(cache.picture(*c, QStringLiteral("A.PNG"), {}));
    EXPECT_EQ(cache.decodes(), 3);
    const std::optional<DecodedPicture> b = cache.picture(*c, QStringLiteral("B.PNG"), {});
    ASSERT_TRUE(b);
    EXPECT_EQ(b->image.pixel(0, 0), qRgb(2, 2, 2));
    EXPECT_EQ(cache.decodes(), 4);

    // The same bytes under a name of another format are read as that
    // format; a picture that does not decode is not decoded again on every
    // paint, and a missing one is not decoded at all.
    EXPECT_FALSE(cache.picture(*c, QStringLiteral("COPY.BMP"), {}));
    EXPECT_FALSE(cache.picture(*c, QStringLiteral("BAD.PNG"), {}));
    EXPECT_FALSE(cache.picture(*c, QStringLiteral("BAD.PNG"), {}));
    EXPECT_FALSE(cache.picture(*c, QStringLiteral("NONE.PNG"), {}));
    EXPECT_EQ(cache.decodes(), 6);
}

} // namespace
} // namespace lumeria
