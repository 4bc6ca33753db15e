#include "platform/image/PictureDecoder.h"
#include "platform/image/IconDecoder.h"
#include "platform/image/PictureBuilders.h"
#include "platform/image/PictureError.h"

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using test::asBytes;
using test::bmpFile;
using test::encodedImage;

Result<DecodedPicture> decode(const QString& name, const QByteArray& bytes, PictureOptions options = {})
{
    return decodePicture(name, asBytes(bytes), options);
}

// 4 x 3 pixels, all different, the bottom-left one (0, 2) included.
QImage sample()
{
    QImage image(4, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            image.setPixel(x, y, qRgb(40 * x + 10, 60 * y + 20, 7 * (x + y) + 1));
    return image;
}

QByteArray samplePcx()
{
    auto l = test::pcxLayout(8, 3, 1, 1, 2);
    return test::pcxHeader(l) + test::pcxRle(QByteArray("\x11\x00\x22\x00\x33\x00", 6));
}

void expectSamePixels(const QImage& actual, const QImage& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            EXPECT_EQ(actual.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
}

TEST(PictureDispatch, LosslessFormatsDecodeExactly)
{
    const QImage image = sample();
    for (const auto& [name, format] : {std::pair{"A.PNG", "PNG"}, {"b.bmp", "BMP"}, {"C.TIF", "TIFF"}}) {
        auto d = decode(QString::fromLatin1(name), encodedImage(image, format));
        ASSERT_TRUE(d) << name << ": " << d.error();
        EXPECT_EQ(d->image.format(), QImage::Format_RGB32) << name;
        expectSamePixels(d->image, image);
        EXPECT_EQ(d->transparency, PictureTransparency::ColourKey);
        // Bottom-left pixel (10, 140, 15) as a Windows colour value.
        EXPECT_EQ(d->transparentColour, 0x0F8C0Au) << name;
    }
}

TEST(PictureDispatch, TheNameDecidesTheReaderNotTheContent)
{
    const QByteArray png = encodedImage(sample(), "PNG");
    EXPECT_EQ(decode(QStringLiteral("A.BMP"), png).error(), picture::kUndecodable);
    EXPECT_EQ(decode(QStringLiteral("A.PCX"), png).error(), picture::kUndecodable);
    EXPECT_EQ(decode(QStringLiteral("A.JPG"), png).error(), picture::kUndecodable);
    EXPECT_TRUE(decode(QStringLiteral("A.PCX"), samplePcx()));
    EXPECT_EQ(decode(QStringLiteral("A.PNG"), samplePcx()).error(), picture::kUndecodable);
}

TEST(PictureDispatch, CompressedPublicationsStoreOtherFormatsAsPng)
{
    const QByteArray png = encodedImage(sample(), "PNG");
    const PictureOptions compressed{.compressImages = true};
    for (const char* name : {"PIC.PCX", "pic.bmp", "C:\\ART\\PIC.TIF", "PIC.GIF", "PIC"}) {
        auto d = decode(QString::fromLatin1(name), png, compressed);
        ASSERT_TRUE(d) << name << ": " << d.error();
        expectSamePixels(d->image, sample());
    }
    // JPEG, icons and metafiles were stored as they were.
    EXPECT_EQ(decode(QStringLiteral("PIC.JPG"), png, compressed).error(), picture::kUndecodable);
    EXPECT_TRUE(decode(QStringLiteral("PIC.JPG"), encodedImage(sample(), "JPG"), compressed));
    EXPECT_EQ(decode(QStringLiteral("PIC.WMF"), png, compressed).error(), picture::kUndecodable);
    EXPECT_EQ(decode(QStringLiteral("PIC.ICO"), png, compressed).error(), picture::kUndecodable);
}

TEST(PictureDispatch, ExtensionsOutsideTheListFailWithoutDecoding)
{
    const QByteArray png = encodedImage(sample(), "PNG");
    const QByteArray jpeg = encodedImage(sample(), "JPG");
    EXPECT_EQ(decode(QStringLiteral("ANIM.GIF"), png).error(), picture::kUnknownExtension);
    EXPECT_EQ(decode(QStringLiteral("NOEXT"), png).error(), picture::kUnknownExtension);
    EXPECT_EQ(decode(QStringLiteral("DIR.PNG\\NOEXT"), png).error(), picture::kUnknownExtension);
    // Found by position in a text of four-letter extensions: longer spellings
    // are not found, prefixes are.
    EXPECT_EQ(decode(QStringLiteral("PHOTO.JPEG"), jpeg).error(), picture::kUnknownExtension);
    EXPECT_EQ(decode(QStringLiteral("SCAN.TIFF"), encodedImage(sample(), "TIFF")).error(), picture::kUnknownExtension);
    EXPECT_TRUE(decode(QStringLiteral("PHOTO.JP"), jpeg));
    EXPECT_EQ(pictureFormatFor(QStringLiteral("X.P"), false), PictureFormat::Png);
}

TEST(PictureLibrary, OnlyTheStandardLibraryOrNoneReadsEveryFormat)
{
    EXPECT_EQ(imageLibraryFor(QString()), ImageLibrary::Standard);
    EXPECT_EQ(imageLibraryFor(QStringLiteral("SKY32V3C.DLL")), ImageLibrary::Standard);
    EXPECT_EQ(imageLibraryFor(QStringLiteral("C:\\Program\\sky32v3c.Dll")), ImageLibrary::Standard);
    EXPECT_EQ(imageLibraryFor(QStringLiteral("PNGONLY.DLL")), ImageLibrary::PngOnly);
    EXPECT_EQ(imageLibraryFor(QStringLiteral("SKY32V3C.DLL.BAK")), ImageLibrary::PngOnly);
    EXPECT_EQ(imageLibraryFor(QStringLiteral("SKY32V3C\\OTHER.DLL")), ImageLibrary::PngOnly);
}

TEST(PictureLibrary, AnotherLibraryDecodesOnlyPngAndThePlatformsOwnFormats)
{
    const PictureOptions other{.library = ImageLibrary::PngOnly};
    const QImage image = sample();
    EXPECT_TRUE(decode(QStringLiteral("A.PNG"), encodedImage(image, "PNG"), other));
    EXPECT_EQ(decode(QStringLiteral("A.BMP"), encodedImage(image, "BMP"), other).error(), picture::kNotInLibrary);
    EXPECT_EQ(decode(QStringLiteral("A.TIF"), encodedImage(image, "TIFF"), other).error(), picture::kNotInLibrary);
    EXPECT_EQ(decode(QStringLiteral("A.JPG"), encodedImage(image, "JPG"), other).error(), picture::kNotInLibrary);
    EXPECT_EQ(decode(QStringLiteral("A.PCX"), samplePcx(), other).error(), picture::kNotInLibrary);
    EXPECT_TRUE(decode(QStringLiteral("A.ICO"), encodedImage(image, "ICO"), other));

    // Such publications were compressed, so their bitmaps arrive as PNG.
    const PictureOptions compressedOther{.compressImages = true, .library = ImageLibrary::PngOnly};
    EXPECT_TRUE(decode(QStringLiteral("A.BMP"), encodedImage(image, "PNG"), compressedOther));
}

TEST(PictureTransparencyKey, IsTheVisibleBottomLeftPixelOfABottomUpBitmap)
{
    // 24 bits, 2 x 2, stored bottom row first: the first stored pixel is the
    // bottom-left one.
    QByteArray rows;
    rows.append("\x01\x02\x03\x04\x05\x06\x00\x00", 8); // bottom: (3,2,1) (6,5,4)
    rows.append("\x07\x08\x09\x0A\x0B\x0C\x00\x00", 8); // top
    auto d = decode(QStringLiteral("K.BMP"), bmpFile(2, 2, 24, 0, {}, rows));
    ASSERT_TRUE(d) << d.error();
    EXPECT_EQ(d->image.pixel(0, 1), qRgb(3, 2, 1));
    EXPECT_EQ(d->transparentColour, 0x010203u);
}

TEST(PictureAlpha, PngAlphaIsDroppedAndColoursKept)
{
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(200, 100, 50, 0));
    image.setPixel(1, 0, qRgba(10, 20, 30, 128));
    auto d = decode(QStringLiteral("A.PNG"), encodedImage(image, "PNG"));
    ASSERT_TRUE(d) << d.error();
    EXPECT_EQ(d->image.format(), QImage::Format_RGB32);
    EXPECT_EQ(d->image.pixel(0, 0), qRgb(200, 100, 50));
    EXPECT_EQ(d->image.pixel(1, 0), qRgb(10, 20, 30));
}

TEST(PictureAlpha, IconsAndCursorsKeepTheirMask)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(qRgba(0, 0, 0, 0));
    for (int i = 0; i < 16; ++i)
        image.setPixel(i, i, qRgba(255, 0, 0, 255));
    QByteArray ico = encodedImage(image, "ICO");
    auto d = decode(QStringLiteral("APP.ICO"), ico);
    ASSERT_TRUE(d) << d.error();
    EXPECT_EQ(d->image.format(), QImage::Format_ARGB32);
    EXPECT_EQ(d->transparency, PictureTransparency::AlphaMask);
    EXPECT_EQ(qAlpha(d->image.pixel(1, 0)), 0);
    EXPECT_EQ(d->image.pixel(3, 3), qRgba(255, 0, 0, 255));

    ico[2] = 2; // the same file as a cursor
    auto cursor = decodeIcon(asBytes(ico));
    ASSERT_TRUE(cursor) << cursor.error();
    EXPECT_EQ(qAlpha(cursor->image.pixel(1, 0)), 0);
    EXPECT_EQ(qAlpha(cursor->image.pixel(5, 5)), 255);
}

} // namespace
} // namespace lumeria
