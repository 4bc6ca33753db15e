#include "platform/PictureHeader.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

std::optional<PictureDimensions> dimensionsOf(const QByteArray& bytes)
{
    return pictureDimensions(std::as_bytes(std::span(bytes.constData(), size_t(bytes.size()))));
}

QByteArray encoded(const char* format, int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes;
}

TEST(PictureHeader, QtFormatsAreReadFromTheirContent)
{
    for (const char* format : {"PNG", "BMP", "JPG", "TIFF", "ICO"}) {
        const auto d = dimensionsOf(encoded(format, 37, 21));
        ASSERT_TRUE(d) << format;
        EXPECT_EQ(d->width, 37) << format;
        EXPECT_EQ(d->height, 21) << format;
    }
}

TEST(PictureHeader, PcxWindowIsInclusive)
{
    QByteArray pcx(128, '\0');
    pcx[0] = 10;
    pcx[1] = 5;
    pcx[2] = 1;
    pcx[3] = 8;
    pcx[4] = 10;          // Xmin = 10
    pcx[8] = 49;          // Xmax = 49
    pcx[10] = char(0x2B); // Ymax = 299
    pcx[11] = 1;
    const auto d = dimensionsOf(pcx);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->width, 40);
    EXPECT_EQ(d->height, 300);
}

TEST(PictureHeader, GarbageHasNoSize)
{
    EXPECT_FALSE(dimensionsOf(QByteArray()));
    EXPECT_FALSE(dimensionsOf(QByteArray("definitely not a picture")));
    EXPECT_FALSE(dimensionsOf(encoded("PNG", 5, 5).left(10)));
}

} // namespace
} // namespace lumeria
