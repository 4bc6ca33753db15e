// Metafiles written by other programs, drawn through the decoder picture
// objects use and held against libwmf's renderings of them.
#include "../gdi/GdiTestSupport.h"
#include "platform/image/PictureDecoder.h"

#include <QFile>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <utility>

namespace lumeria {
namespace {

QByteArray dataFile(const QString& name)
{
    QFile f(QStringLiteral(LUMERIA_TEST_DATA "/metafiles/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
    return f.readAll();
}

std::span<const std::byte> span(const QByteArray& b)
{
    return std::as_bytes(std::span(b.constData(), size_t(b.size())));
}

QImage shown(const QByteArray& metafile)
{
    gdi::test::ensureGuiApplication();
    auto d = decodePicture(QStringLiteral("PICTURE.WMF"), span(metafile), PictureOptions{});
    EXPECT_TRUE(d) << d.error();
    return d ? d->image.convertToFormat(QImage::Format_RGB32) : QImage();
}

bool near(QRgb a, QRgb b)
{
    constexpr int kLevels = 48;
    return std::abs(qRed(a) - qRed(b)) <= kLevels && std::abs(qGreen(a) - qGreen(b)) <= kLevels &&
           std::abs(qBlue(a) - qBlue(b)) <= kLevels;
}

// Share of the pixels of `a` with no pixel of like colour in `b` within one
// pixel: glyphs of other fonts and edges a pixel apart do not count, ink
// missing or added does.
double unmatched(const QImage& a, const QImage& b)
{
    int64_t misses = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy)
                for (int dx = -1; dx <= 1 && !found; ++dx) {
                    const int u = x + dx, v = y + dy;
                    found = u >= 0 && v >= 0 && u < b.width() && v < b.height() && near(a.pixel(x, y), b.pixel(u, v));
                }
            misses += !found;
        }
    return double(misses) / double(int64_t(a.width()) * a.height());
}

double inkShare(const QImage& image)
{
    int64_t ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += (image.pixel(x, y) & 0xFFFFFFu) != 0xFFFFFFu;
    return double(ink) / double(int64_t(image.width()) * image.height());
}

struct Agreement {
    const char* file;
    // Most that may differ either way, in percent of the picture.
    double percent;
};

// Where libwmf is wrong the threshold says so: it draws nothing of the
// Chinese text of poi-64716_image3 (this system has no Chinese font either,
// but draws a box per character), and in fjftest it leaves hollow an
// ellipse drawn with a solid brush selected. MathType equations and the
// other texts differ by their fonts.
TEST(MetafilesFromOtherPrograms, AgreeWithLibwmfWithinEachFilesThreshold)
{
    for (const Agreement& a : std::initializer_list<Agreement>{
             {"libwmf-formula1", 10.5},
             {"libwmf-formula2", 9.5},
             {"libwmf-formula3", 8},
             {"libwmf-formula4", 9.5},
             {"libwmf-sample", 1},
             {"libwmf-sample2", 1},
             {"libwmf-arrow01", 1},
             {"libwmf-ant", 12.5},
             {"libwmf-text", 12},
             {"libwmf-2doorvan", 9},
             {"libwmf-anim0002", 7},
             {"libwmf-fjftest", 37.5},
             {"poi-64716_image1", 7.5},
             {"poi-64716_image2", 9},
             {"poi-64716_image3", 5},
             {"poi-santa", 3.5},
             {"poi-testException2.doc-2", 13},
             {"poi-60677", 3.5},
             {"w2s-symbol-font-tables", 13.5},
         }) {
        const QString name = QLatin1String(a.file);
        const QImage ours = shown(dataFile(name + QLatin1String(".wmf")));
        const QImage reference =
            QImage::fromData(dataFile(name + QLatin1String(".wmf2gd.png"))).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(ours.size(), reference.size()) << a.file;
        // For looking at them: ours on the left, libwmf's on the right.
        if (const char* review = std::getenv("LUMERIA_METAFILE_REVIEW")) {
            QImage pair(ours.width() * 2 + 8, ours.height(), QImage::Format_RGB32);
            pair.fill(qRgb(255, 0, 255));
            QPainter painter(&pair);
            painter.drawImage(0, 0, ours);
            painter.drawImage(ours.width() + 8, 0, reference);
            painter.end();
            pair.save(QLatin1String(review) + QLatin1Char('/') + name + QLatin1String(".png"));
        }
        const double extra = 100 * unmatched(ours, reference), missing = 100 * unmatched(reference, ours);
        std::printf("%-28s unmatched: ours %5.2f%%, libwmf's %5.2f%%; ink %5.2f%% / %5.2f%%\n", a.file, extra, missing,
                    100 * inkShare(ours), 100 * inkShare(reference));
        EXPECT_LE(std::max(extra, missing), a.percent) << a.file;
    }
}

// A metafile of 16-bit words: header, the records given, end record.
QByteArray metafile(std::initializer_list<std::initializer_list<int>> records, std::optional<QRect> placeable = {})
{
    QByteArray b;
    const auto put16 = [&](int v) { b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    if (placeable) {
        for (int v : {0xCDD7, 0x9AC6, 0, placeable->left(), placeable->top(), placeable->right() + 1,
                      placeable->bottom() + 1, 96, 0, 0, 0})
            put16(v);
    }
    for (int v : {1, 9, 0x0300, 0, 0, 4, 0, 0, 0})
        put16(v);
    for (const auto& r : records) {
        // Size in words (low, high), then the function and its parameters.
        put16(int(r.size()) + 2);
        put16(0);
        for (int v : r)
            put16(v);
    }
    for (int v : {3, 0, 0})
        put16(v);
    return b;
}

// Columns holding ink, leftmost to rightmost.
std::pair<int, int> inkColumns(const QImage& image)
{
    int left = image.width(), right = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFFu) != 0xFFFFFFu) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    return {left, right};
}

TEST(MetafilesFromOtherPrograms, APlaceableFilesOwnViewportDoesNotMoveItOutOfItsFrame)
{
    // The wmf2svg symbol tables set the viewport to their window extent
    // (15000 by 13300 units at 2540 to the inch): shown in its 567 x 503
    // frame the picture was 26 times too large and all white.
    const QImage tables = shown(dataFile(QStringLiteral("w2s-symbol-font-tables.wmf")));
    ASSERT_EQ(tables.size(), QSize(567, 503));
    EXPECT_GT(inkShare(tables), 0.15);
    // The four table frames: a black line down the left of each.
    for (const QPoint at : {QPoint(23, 100), QPoint(299, 100), QPoint(23, 350), QPoint(299, 350)}) {
        bool line = false;
        for (int dx = -3; dx <= 3; ++dx)
            line = line || tables.pixel(at.x() + dx, at.y()) == qRgb(0, 0, 0);
        EXPECT_TRUE(line) << at.x() << "," << at.y();
    }

    // Made here: a 20 x 20 placeable picture whose viewport records ask for
    // ten times its size and a move, then a black rectangle over its window.
    const QByteArray moved = metafile({{0x0103, 8},
                                       {0x020C, 20, 20},
                                       {0x020E, 200, 200},
                                       {0x020D, 50, 50},
                                       {0x02FC, 0, 0, 0, 0},
                                       {0x012D, 0},
                                       {0x041B, 20, 20, 0, 0}},
                                      QRect(0, 0, 20, 20));
    const QImage square = shown(moved);
    ASSERT_EQ(square.size(), QSize(20, 20));
    EXPECT_EQ(square.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(square.pixel(19, 19), qRgb(0, 0, 0));
}

TEST(MetafilesFromOtherPrograms, AFontsWidthNarrowsItsGlyphs)
{
    // "MM" at 40 pixels, once at the face's own width and once asking for
    // an average character width of 5.
    const auto text = [](int width) {
        return metafile({{0x020C, 50, 200},
                         {0x02FB, -40, width, 0, 0, 400, 0, 0, 0, 0, 'A' | 'r' << 8, 'i' | 'a' << 8, 'l'},
                         {0x012D, 0},
                         {0x0521, 2, 'M' | 'M' << 8, 5, 5}},
                        QRect(0, 0, 200, 50));
    };
    const auto [wideLeft, wideRight] = inkColumns(shown(text(0)));
    const auto [narrowLeft, narrowRight] = inkColumns(shown(text(5)));
    ASSERT_GT(wideRight, wideLeft);
    ASSERT_GT(narrowRight, narrowLeft);
    const int wide = wideRight - wideLeft, narrow = narrowRight - narrowLeft;
    // Arial's average width at 40 pixels is about 18: the glyphs shrink to
    // between a fifth and a third of theirs.
    EXPECT_LT(narrow * 3, wide);
    EXPECT_GT(narrow * 6, wide);

    // MathType's brackets: the opening one of the first group, font 635
    // units high and 221 wide, stays clear of the "s" it encloses.
    const QImage formula = shown(dataFile(QStringLiteral("libwmf-formula1.wmf")));
    ASSERT_EQ(formula.size(), QSize(222, 41));
    int bracket = 0;
    for (int y = 0; y < formula.height(); ++y)
        for (int x = 52; x <= 56; ++x)
            bracket += (formula.pixel(x, y) & 0xFFFFFFu) != 0xFFFFFFu;
    EXPECT_GT(bracket, 10) << "the bracket is drawn where the file puts it";
    int between = 0;
    for (int y = 24; y <= 30; ++y)
        for (int x = 56; x <= 57; ++x)
            between += qRed(formula.pixel(x, y)) < 128;
    EXPECT_EQ(between, 0) << "the bracket does not run into the s";
}

// Runs of columns holding ink: one per glyph when glyphs do not touch.
int inkRuns(const QImage& image)
{
    int runs = 0;
    bool inRun = false;
    for (int x = 0; x < image.width(); ++x) {
        bool ink = false;
        for (int y = 0; y < image.height() && !ink; ++y)
            ink = qRed(image.pixel(x, y)) < 128;
        runs += ink && !inRun;
        inRun = ink;
    }
    return runs;
}

TEST(MetafilesFromOtherPrograms, EastAsianCharacterSetsReadTwoBytesACharacter)
{
    // D6 D0 is one character in GB 2312 (U+4E2D), two in the Western code
    // page. The POI chart's labels are GB 2312 under charset 134.
    const auto text = [](int charset) {
        return metafile({{0x020C, 40, 200},
                         {0x02FB, -24, 0, 0, 0, 400, 0, charset << 8, 0, 0, 'A' | 'r' << 8, 'i' | 'a' << 8, 'l'},
                         {0x012D, 0},
                         {0x0521, 4, 0xD0D6, 0xD0D6, 5, 5}},
                        QRect(0, 0, 200, 40));
    };
    EXPECT_EQ(inkRuns(shown(text(134))), 2);
    EXPECT_EQ(inkRuns(shown(text(0))), 4);
}

} // namespace
} // namespace lumeria
