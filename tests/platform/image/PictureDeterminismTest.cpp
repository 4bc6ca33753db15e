#include "platform/image/PictureBuilders.h"
#include "platform/image/PictureDecoder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace lumeria {
namespace {

using test::asBytes;

struct Sample {
    QString name;
    QByteArray bytes;
};

// Pictures whose decoding has room to leave pixels unwritten: run-length
// codes that skip, files cut short, masks missing, interlaced and keyed PNG.
std::vector<Sample> awkwardPictures()
{
    std::vector<Sample> out;
    const std::vector<uint32_t> table{0x102030, 0xFF0000, 0x00FF00, 0x0000FF};
    out.push_back({"SKIP.BMP", test::bmpFile(9, 4, 8, 1, table, QByteArray("\x03\x01\x00\x02\x03\x02\x00\x01", 8))});
    out.push_back({"EARLY.BMP", test::bmpFile(9, 4, 4, 2, table, QByteArray("\x05\x12\x00\x00\x00\x01", 6))});
    out.push_back({"LONG.BMP", test::bmpFile(3, 2, 8, 1, table, QByteArray("\xFF\x02\x00\x05\x01\x02\x03", 7))});
    out.push_back({"CUT.BMP", test::bmpFile(7, 5, 24, 0, {}, QByteArray(20, '\x77'))});
    out.push_back({"CUT4.BMP", test::bmpFile(33, 3, 4, 0, table, QByteArray(5, '\x12'))});

    QByteArray rows16;
    for (int y = 0; y < 4; ++y) {
        rows16.append('\0');
        for (int i = 0; i < 7 * 3; ++i)
            rows16 += QByteArray(((y + i) % 3) ? "\x12\x34" : "\xFF\xFF", 2);
    }
    out.push_back({"KEY16.PNG", test::pngFile(7, 4, 16, 2, rows16, QByteArray("\x12\x34\x12\x34\x12\x34", 6))});
    QByteArray adam7;
    for (int pass = 0; pass < 7; ++pass)
        adam7 += QByteArray("\x00\x42", 2);
    out.push_back({"ADAM7.PNG", test::pngFile(2, 2, 8, 0, adam7.left(8), {}, {}, 1)});

    QImage square(16, 16, QImage::Format_ARGB32);
    square.fill(qRgba(10, 200, 30, 255));
    QByteArray icon = test::iconFile(16);
    out.push_back({"ICON.ICO", icon});
    icon.chop(40); // the AND mask and the last colour rows
    icon[6 + 8] = char(icon.size() - 22);
    out.push_back({"CUTMASK.ICO", icon});
    out.push_back({"PNG.ICO", test::joinedIcons({test::encodedImage(square, "ICO")})});

    QImage photo(23, 9, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x * 11, y * 27, (x ^ y) * 9));
    const QByteArray tiff = test::encodedImage(photo, "TIFF");
    out.push_back({"PHOTO.TIF", tiff});
    out.push_back({"CUT.TIF", tiff.left(tiff.size() * 2 / 3)});
    out.push_back({"PHOTO.PNG", test::encodedImage(photo, "PNG")});
    out.push_back({"PHOTO.BMP", test::encodedImage(photo, "BMP")});
    out.push_back({"PHOTO.JPG", test::encodedImage(photo, "JPG", 80)});
    auto pcx = test::pcxLayout(8, 3, 5, 2, 6);
    out.push_back({"PLANES.PCX", test::pcxHeader(pcx) + test::pcxRle(QByteArray(36, '\x3C'))});
    return out;
}

// Every picture file the other tests ship.
std::vector<Sample> shippedPictures()
{
    std::vector<Sample> out;
    QDirIterator it(QStringLiteral(LUMERIA_TEST_DATA),
                    {"*.bmp", "*.png", "*.ico", "*.tif", "*.pcx", "*.BMP", "*.PNG", "*.ICO", "*.TIF", "*.PCX"},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly))
            out.push_back({file.fileName(), file.readAll()});
    }
    return out;
}

// Fills freed heap blocks of about the picture's size with a pattern, so
// that a decoder reading memory it never wrote sees other values the second
// time.
void scribbleHeap(size_t bytes)
{
    std::vector<std::unique_ptr<char[]>> blocks;
    for (int i = 0; i < 16; ++i) {
        blocks.emplace_back(new char[bytes + size_t(i) * 64]);
        std::memset(blocks.back().get(), 0xA5 ^ i, bytes + size_t(i) * 64);
    }
}

TEST(PictureDeterminism, EveryPictureDecodesTheSameTwice)
{
    std::vector<Sample> samples = awkwardPictures();
    const std::vector<Sample> shipped = shippedPictures();
    EXPECT_FALSE(shipped.empty());
    samples.insert(samples.end(), shipped.begin(), shipped.end());
    int decoded = 0;
    for (const Sample& s : samples) {
        const QString name = QFileInfo(s.name).fileName();
        auto first = decodePicture(name, asBytes(s.bytes), {});
        scribbleHeap(first ? size_t(first->image.sizeInBytes()) : 4096);
        auto second = decodePicture(name, asBytes(s.bytes), {});
        ASSERT_EQ(first.ok(), second.ok()) << qPrintable(s.name);
        if (!first)
            continue;
        ++decoded;
        EXPECT_EQ(first->image, second->image) << qPrintable(s.name);
        EXPECT_EQ(first->palette, second->palette) << qPrintable(s.name);
    }
    // Cut files may fail; the rest must decode.
    EXPECT_GE(decoded, int(samples.size()) - 2);
}

} // namespace
} // namespace lumeria
