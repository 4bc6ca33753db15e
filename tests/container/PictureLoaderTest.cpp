#include "container/PictureLoader.h"
#include "ContainerBuilder.h"
#include "container/Container.h"
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

} // namespace
} // namespace lumeria
