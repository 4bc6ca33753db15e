#include "platform/PictureHeader.h"
#include "platform/image/PictureBuilders.h"
#include "platform/image/PictureDecoder.h"

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using test::asBytes;
using test::bmpFile;
using test::encodedImage;

// The pack tool records what pictureDimensions measures, and pages are laid
// out by it, so it must agree with what the decoders produce.
void expectMeasuredAsDecoded(const char* what, const QString& name, const QByteArray& bytes, QSize expected)
{
    const auto measured = pictureDimensions(asBytes(bytes));
    ASSERT_TRUE(measured) << what;
    EXPECT_EQ(QSize(measured->width, measured->height), expected) << what;
    auto decoded = decodePicture(name, asBytes(bytes), {});
    ASSERT_TRUE(decoded) << what << ": " << decoded.error();
    EXPECT_EQ(decoded->image.size(), expected) << what;
}

TEST(PictureSizes, EveryBitmapVariantIsMeasuredAsItDecodes)
{
    const std::vector<uint32_t> table = {0, 0xFF0000, 0x00FF00, 0x0000FF};
    const QString bmp = QStringLiteral("P.BMP");
    expectMeasuredAsDecoded("top-down", bmp, bmpFile(2, -3, 24, 0, {}, QByteArray(24, '\x20')), QSize(2, 3));
    expectMeasuredAsDecoded("rle8", bmp, bmpFile(4, 2, 8, 1, table, QByteArray("\x04\x01\x00\x00\x04\x02\x00\x01", 8)),
                            QSize(4, 2));
    expectMeasuredAsDecoded("rle4", bmp, bmpFile(6, 1, 4, 2, table, QByteArray("\x06\x12\x00\x01", 4)), QSize(6, 1));
    expectMeasuredAsDecoded("4-bit", bmp, bmpFile(3, 1, 4, 0, table, QByteArray("\x12\x30\x00\x00", 4)), QSize(3, 1));

    // An OS/2 1.x bitmap: 16-bit sizes in a 12-byte header, 3-byte colours.
    QByteArray os2("BM");
    test::appendU32(os2, 14 + 12 + 6 + 8);
    test::appendU32(os2, 0);
    test::appendU32(os2, 14 + 12 + 6);
    test::appendU32(os2, 12);
    test::appendU16(os2, 5);
    test::appendU16(os2, 2);
    test::appendU16(os2, 1);
    test::appendU16(os2, 1);
    os2.append(QByteArray("\0\0\0\xFF\xFF\xFF", 6));
    os2.append(QByteArray("\xA8\0\0\0\x50\0\0\0", 8));
    expectMeasuredAsDecoded("os/2", bmp, os2, QSize(5, 2));
}

TEST(PictureSizes, CursorsAndPlanarPcxAreMeasured)
{
    QImage image(7, 5, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    QByteArray cursor = encodedImage(image, "ICO");
    cursor[2] = 2;
    expectMeasuredAsDecoded("cursor", QStringLiteral("P.ICO"), cursor, QSize(7, 5));

    auto layout = test::pcxLayout(1, 4, 13, 5, 2);
    layout.version = 0;
    expectMeasuredAsDecoded("pcx", QStringLiteral("P.PCX"),
                            test::pcxHeader(layout) + test::pcxRle(QByteArray(4 * 2 * 5, '\x55')), QSize(13, 5));
}

TEST(PictureSizes, AnIconOfSeveralSizesShowsTheOneNearestThirtyTwo)
{
    auto single = [](int side, QRgb colour) {
        QImage image(side, side, QImage::Format_ARGB32);
        image.fill(colour);
        return encodedImage(image, "ICO");
    };
    const QRgb red = qRgba(255, 0, 0, 255), blue = qRgba(0, 0, 255, 255);
    const QByteArray icon = test::joinedIcons({single(16, blue), single(48, blue), single(32, red), single(24, blue)});
    expectMeasuredAsDecoded("icon", QStringLiteral("P.ICO"), icon, QSize(32, 32));
    auto d = decodePicture(QStringLiteral("P.ICO"), asBytes(icon), {});
    ASSERT_TRUE(d);
    EXPECT_EQ(d->image.pixel(5, 5), red);
}

} // namespace
} // namespace lumeria
