// The drawing sequence of Wine's gdi32 conformance test (dlls/gdi32/tests/dib.c,
// draw_graphics; wine-mirror/wine at 04f8ecd95691b2536cac76663f9864f7caf450fd,
// LGPL-2.1-or-later), replayed through the canvas onto a 512 x 512 surface and
// hashed as that test hashes a 24-bpp DIB: rows bottom-up, three bytes per
// pixel in blue, green, red order, each row padded to four bytes. After every
// group the hash is compared with the one recorded on Windows and the bits go
// back to 0xcc. Groups that use what the canvas does not have are named with
// the reason, so the list shrinks as the canvas grows.

#include "GdiTestSupport.h"

#include "platform/image/BmpDecoder.h"
#include "platform/image/PictureBuilders.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <algorithm>
#include <cmath>
#include <functional>
#include <iostream>
#include <numbers>
#include <span>
#include <string>

#include <gtest/gtest.h>

namespace lumeria::gdi {
namespace {

constexpr int kSize = 512;
constexpr ColorRef kFill = rgb(0xcc, 0xcc, 0xcc);

// The recorded hashes, in the order the groups compare them. Groups that
// Windows versions drew differently take more than one entry.
constexpr const char* kWindowsHashes[] = {
    "e993b15c9bd14fb45a15310450b7083c44e42665", "edbd7bab3d957fbc85e89612197cf918f5f5af20",
    "6a7efb3b6e0b49336df1bd2937ca09a11d976531", "236eb5ca9da70ec7cc719cd2fd291bab14000257",
    "f98023c7cd8c068f2d7a77ce3600004b90ea12d6", "5c4cb9cea2226fc671bb4a11f8253343ee94bb4b",
    "fd4be592483623dbc800fe28210a1f0daa71999b", "788b8de98c47974fa9f232a6042ae4ca546ddb7d",
    "a8772e6c44ba633fb384a7c4b50b435f1406107e", "883bc8f305c602edca785e21cd00f488583fb13f",
    "3bac4e80993f49dc3926e30524115fca9d7a8026", "91369e35be29059a0665782541db4c8b324c6bb2",
    "0fa8cf332a56bb6d7e14e85861fdd60f51d70501", "593d694cdcc8349b3bfc8257041dbcb27e61da45",
    "1036b91d93e31cd1d4740d0c8642e115e5a38188", "1898073cdb35ca4d2b21bba933ac16a0b4297317",
    "5068bff794553cf5a3145ae407c9a2984357844c", "413a7989969c229dee4ab1798362f32f96cf0a10",
    "0bb222e540b82720d4971e4a2fc626899af03e03", "adc20832d8c43f1cf372d8392535492013cd2306",
    "45649794dcbcabda487f66f7a80fc1bec79047a1", "367c2dc1e91ff9ea0e984d6fb3000cfb4e0ae7e9",
    "9c6afd47dd748a33c585e6655fd4ec1c28976a47", "b4df692ac70a5f9f303270df4641ab014c6cbf46",
    "8bc3128ba47891366fd7b02fde7ca19100e64b9f", "e649e00efe7fea1eb8b17f7867fe089e5270c44b",
    "a0bffbbfb0adf6f188479c88da04e25d76ab4822", "92a1ab214dd8027c407814420449119466c92840",
    "b58f19c1800344a2b8e017eb784705bdb2bd8450", "5747a6d5c6ce79731c55e8cf33f7da3025cd35fd",
    "955390669afed2369b15b32fa519f2f921cdf1a0", "201906f7d763b930a98c97f8eeab417f2b65e723",
    "5313357d50c40c05a3b3a83d0d2013a138c955a1", "701c5af1d0c28294ce7d804b5697643c430d22a0",
    "b0a959745b2db1d9f449e68e4479a4f36301879c", "63f764b9bd2f4876ab1ee0f3c0eb55b5a7de5212",
    "e171f6ec77bca91d6b8559911bce296c0bac469e", "33bb75c12f083d799d287fe9caddedbb3892e6fa",
    "26e7e1c300ba0c5aaaef03eeb71d529f6def9289", "b1f602d2a74095cc0115ae2ae07b642498e6c0fc",
    "03d5eb8e3a6662e6dc183f88ee2f285065fc9c51", "f4c312f9a37ddc54a27f6b1421dab1ce0cec0c27",
    "0f79500eda467cd3cbc220abdd37b5dba695d654", "8d4e3e9d81cc30aaad555ed9e27aed7c615de630",
    "84c43a3cbd7d8c1ac9a0e9b6f07620158079b278", "7d479beeb6758c164566638b5c873c188d6a91e7",
    "80086808fca03e757d812e31d1ae576bf90dac9d", "9560096f1b85ae6d939d736165c44df00a47c424",
    "1015e0217ea13eaa62c7666b8b81aafd75f8f610", "5578c80048520732557abf3a3a3fa22c85015d7d",
    "b25ba91487ec945410deb2b51bc1156890c032a8", "d347ca5c6c4b6a61389247c3b6f61564033e8c25",
    "ee315634ed92da3a32c2675ecd1b369471c60936", "099c688a920f606655b485e8f0a433dc811bc976",
    "9c044a733335bca43766bda2b317249309155079", "354b92008a8409c62d0fa1dff1532c5943aa37a2",
    "8dc9cb7deae5c24d1eae004d53893fa6caf4723c", "cf311a96d41bd98fdbdfb5dfaac4ba1ba9b7d6da",
    "bf5ec23456efe00e1e0931c17de9040ab2092858", "0bbdf0a0489428f96e3c1d3e5305f9a893820852",
    "9d86b1b2bbce90efd3c0b9fe20d23ffa3eeecd20", "8f7a0af421101952e674f37154c1e8c4646ea2d2",
    "e96b79bf88988b5694a04dfc3bd0029361b39801", "d12284f58daabbd173dfae6c7e55fd5d822d89b4",
    "09cb4ab070083144bed4271c0a2a34ccb6ed13c0", "cc5ed4c9e925f0a457a7437fbb8054528cdd9469",
    "c95afd0a020e68a76982fe8663b5d64113987233", "48658ff76c137185c56a53f3ccf0e958d0296742"};

QByteArray hashOfBits(const Surface& s)
{
    const int stride = (kSize * 24 + 31) / 32 * 4;
    QByteArray bits(stride * kSize, '\0');
    for (int row = 0; row < kSize; ++row) {
        // The DIB is bottom-up: its first row is the surface's last.
        char* out = bits.data() + size_t(row) * size_t(stride);
        const int y = kSize - 1 - row;
        for (int x = 0; x < kSize; ++x) {
            const ColorRef c = s.colourAt(x, y);
            out[3 * x] = char((c >> 16) & 0xFF);
            out[3 * x + 1] = char((c >> 8) & 0xFF);
            out[3 * x + 2] = char(c & 0xFF);
        }
    }
    return QCryptographicHash::hash(bits, QCryptographicHash::Sha1).toHex();
}

struct Group {
    const char* name;
    std::function<void(Canvas&)> draw; // empty: skipped
    const char* skipReason = nullptr;
    int hashes = 1; // recorded entries: the first is current Windows, the rest older ones
};

Group skipped(const char* name, const char* reason, int hashes = 1)
{
    return {name, {}, reason, hashes};
}

struct Segment {
    int x0, y0, x1, y1;
};

constexpr Segment kBiasCheck[] = {{100, 100, 200, 150}, {100, 100, 150, 200}, {100, 100, 50, 200}, {100, 100, 0, 150},
                                  {100, 100, 0, 50},    {100, 100, 50, 0},    {100, 100, 150, 0},  {100, 100, 200, 50}};

constexpr Segment kHlineClips[] = {
    {120, 120, 140, 120}, {100, 122, 140, 122}, {99, 124, 140, 124}, {120, 126, 200, 126}, {120, 128, 201, 128},
    {99, 130, 201, 130},  {120, 100, 140, 100}, {120, 99, 140, 99},  {120, 199, 140, 199}, {120, 200, 140, 200},
    {120, 132, 310, 132}, {10, 134, 101, 134},  {10, 136, 100, 136}, {199, 138, 220, 138}, {200, 140, 220, 140}};

constexpr Segment kVlineClips[] = {
    {120, 120, 120, 140}, {100, 120, 100, 140}, {99, 120, 99, 140},  {199, 120, 199, 140}, {200, 120, 200, 140},
    {122, 99, 122, 201},  {124, 100, 124, 140}, {126, 99, 126, 140}, {128, 120, 128, 200}, {130, 120, 130, 201},
    {132, 12, 132, 140},  {134, 90, 134, 101},  {136, 90, 136, 100}, {138, 199, 138, 220}, {140, 200, 140, 220}};

constexpr Segment kLineClips[] = {{90, 110, 310, 120}, {90, 120, 295, 130},  {90, 190, 110, 240}, {90, 130, 100, 135},
                                  {90, 132, 101, 137}, {200, 140, 210, 141}, {199, 142, 210, 143}};

constexpr Segment kWideLines[] = {{100, 10, 200, 10}, {100, 21, 200, 21}, {200, 40, 100, 40}, {200, 61, 100, 61},
                                  {10, 100, 10, 200}, {21, 100, 21, 200}, {40, 200, 40, 100}, {61, 200, 61, 100}};

constexpr Rect kPatBltClips[] = {{120, 120, 140, 126}, {100, 130, 140, 136}, {99, 140, 140, 146},  {180, 130, 200, 136},
                                 {180, 140, 201, 146}, {120, 100, 130, 110}, {140, 99, 150, 110},  {120, 180, 130, 200},
                                 {140, 180, 150, 201}, {199, 150, 210, 156}, {200, 160, 210, 166}, {90, 150, 101, 156},
                                 {90, 160, 100, 166},  {160, 90, 166, 101},  {170, 90, 176, 101},  {160, 199, 166, 210},
                                 {170, 200, 176, 210}};

// Rectangle() takes its corners in any order; the second one is upside down.
constexpr Rect kRectangles[] = {{10, 11, 100, 101}, {250, 100, 350, 10}, {120, 10, 120, 20}, {120, 10, 130, 10},
                                {120, 40, 121, 41}, {130, 50, 132, 52},  {140, 60, 143, 63}, {150, 70, 154, 74},
                                {120, 20, 121, 30}, {130, 20, 132, 30},  {140, 20, 143, 30}, {200, 20, 210, 21},
                                {200, 30, 210, 32}, {200, 40, 210, 43}};

// The hatch bitmaps (set bits take the brush colour), HS_HORIZONTAL first.
constexpr std::array<std::array<uint8_t, 8>, 6> kHatches = {{
    {0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0x00},
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},
    {0x08, 0x08, 0x08, 0xff, 0x08, 0x08, 0x08, 0x08},
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},
}};

void drawSegments(Canvas& c, std::span<const Segment> segments)
{
    for (const Segment& s : segments) {
        c.moveTo({s.x0, s.y0});
        c.lineTo({s.x1, s.y1});
    }
}

// The canvas reads only the truth table of a ROP3 code, bits 16..23.
constexpr Rop3 rop3(int table)
{
    return Rop3(table) << 16;
}

// The test's 256 x 256 bottom-up source DIBs, written as the bitmap files
// they would be and read through the BMP reader, so that its bit-field
// widening and colour tables are what the hashes check. `extra` is the masks
// or the colour table; pixel(row, x, y) writes pixel x into the bytes of
// row y of the bits, the bottom row being row 0.
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitFields = 3;

Surface sourceDib(int bits, uint32_t compression, std::span<const uint32_t> extra, uint32_t coloursUsed,
                  const std::function<void(QByteArray& row, int x, int y)>& pixel)
{
    const int stride = (256 * bits + 31) / 32 * 4;
    QByteArray rows;
    for (int y = 0; y < 256; ++y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < 256; ++x)
            pixel(row, x, y);
        rows += row;
    }
    QByteArray header;
    for (const uint32_t v : {40u, 256u, 256u})
        lumeria::test::appendU32(header, v);
    lumeria::test::appendU16(header, 1);
    lumeria::test::appendU16(header, unsigned(bits));
    for (const uint32_t v : {compression, 0u, 0u, 0u, coloursUsed, 0u})
        lumeria::test::appendU32(header, v);
    for (const uint32_t v : extra)
        lumeria::test::appendU32(header, v);
    const auto offset = uint32_t(14 + header.size());
    QByteArray file("BM");
    lumeria::test::appendU32(file, offset + uint32_t(rows.size()));
    lumeria::test::appendU32(file, 0);
    lumeria::test::appendU32(file, offset);
    file += header + rows;
    const auto decoded = decodeBmp(std::as_bytes(std::span(file.constData(), size_t(file.size()))));
    EXPECT_TRUE(decoded) << decoded.error();
    return decoded ? Surface::fromImage(decoded->image) : Surface(256, 256);
}

// A DIB given as the bytes the test lays out in memory (colour table, then
// rows in storage order), read through the BMP reader. A negative height is
// top-down, as in the DIB's header.
Surface dibOfBytes(int width, int height, int bits, std::span<const uint32_t> table, uint32_t coloursUsed,
                   const QByteArray& rows)
{
    QByteArray header;
    for (const uint32_t v : {40u, uint32_t(width), uint32_t(height)})
        lumeria::test::appendU32(header, v);
    lumeria::test::appendU16(header, 1);
    lumeria::test::appendU16(header, unsigned(bits));
    for (const uint32_t v : {kBiRgb, 0u, 0u, 0u, coloursUsed, 0u})
        lumeria::test::appendU32(header, v);
    for (const uint32_t v : table)
        lumeria::test::appendU32(header, v);
    const auto offset = uint32_t(14 + header.size());
    QByteArray file("BM");
    lumeria::test::appendU32(file, offset + uint32_t(rows.size()));
    lumeria::test::appendU32(file, 0);
    lumeria::test::appendU32(file, offset);
    file += header + rows;
    const auto decoded = decodeBmp(std::as_bytes(std::span(file.constData(), size_t(file.size()))));
    EXPECT_TRUE(decoded) << decoded.error();
    return decoded ? Surface::fromImage(decoded->image) : Surface(std::abs(width), std::abs(height));
}

// A run-length DIB (compression 1 for RLE8, 2 for RLE4) read through the
// BMP reader, with the pixels its codes wrote.
struct RunLengthDib {
    Surface pixels;
    BitMask written;
    Dib dib() const { return {pixels.view(), true, &written}; }
};

RunLengthDib runLengthDib(int width, int height, int bits, uint32_t compression, std::span<const uint32_t> table,
                          const QByteArray& codes)
{
    QByteArray header;
    for (const uint32_t v : {40u, uint32_t(width), uint32_t(height)})
        lumeria::test::appendU32(header, v);
    lumeria::test::appendU16(header, 1);
    lumeria::test::appendU16(header, unsigned(bits));
    for (const uint32_t v : {compression, uint32_t(codes.size()), 0u, 0u, 0u, 0u})
        lumeria::test::appendU32(header, v);
    for (const uint32_t v : table)
        lumeria::test::appendU32(header, v);
    const auto offset = uint32_t(14 + header.size());
    QByteArray file("BM");
    lumeria::test::appendU32(file, offset + uint32_t(codes.size()));
    lumeria::test::appendU32(file, 0);
    lumeria::test::appendU32(file, offset);
    file += header + codes;
    const auto decoded = decodeBmp(std::as_bytes(std::span(file.constData(), size_t(file.size()))));
    EXPECT_TRUE(decoded) << decoded.error();
    RunLengthDib out{decoded ? Surface::fromImage(decoded->image) : Surface(width, height), BitMask(width, height)};
    if (decoded && decoded->runLengthWritten.size() == size_t(width) * size_t(height)) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                out.written.set(x, y, decoded->runLengthWritten[size_t(y) * size_t(width) + size_t(x)] != 0);
        }
    }
    return out;
}

// CreateDIBPatternBrushPt: the DIB's own colours, as many pixels as it has.
Brush dibBrush(const Surface& dib)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < dib.height(); ++y) {
        for (int x = 0; x < dib.width(); ++x)
            pixels.push_back(dib.pixel(x, y));
    }
    return Brush::colourPattern(dib.width(), dib.height(), std::move(pixels));
}

QByteArray bytesWith(int size, std::initializer_list<std::pair<int, uint8_t>> set)
{
    QByteArray b(size, '\0');
    for (const auto& [at, v] : set)
        b[at] = char(v);
    return b;
}

// CreatePatternBrush of the test's 16 x 16 monochrome device bitmap, whose
// rows are 16-bit words, bytes in memory order.
Brush ddbBrush()
{
    constexpr uint32_t words[] = {0x11112222, 0x33334444, 0x55556666, 0x77778888,
                                  0xaaaaaaaa, 0x00000000, 0x98765432, 0xabcdef00};
    std::vector<uint32_t> bits;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const int byteIndex = y * 2 + x / 8;
            const uint32_t byte = (words[byteIndex / 4] >> (8 * (byteIndex % 4))) & 0xff;
            bits.push_back((byte >> (7 - x % 8)) & 1);
        }
    }
    return Brush::monochromePattern(16, 16, std::move(bits));
}

// 100 x 20 pattern blits of every code that reads no source, down the page.
void brushPatBlts(Canvas& c, const std::function<void(int)>& before = {})
{
    for (int i = 0, y = 10; i < 256; ++i) {
        if (before)
            before(i);
        if (rop3UsesSource(rop3(i)))
            continue;
        c.patBlt({10 + i, y, 110 + i, y + 20}, rop3(i));
        y += 25;
    }
}

void putU16(QByteArray& row, int x, uint32_t v)
{
    row[2 * x] = char(v & 0xFF);
    row[2 * x + 1] = char((v >> 8) & 0xFF);
}

void putU32(QByteArray& row, int x, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        row[4 * x + i] = char((v >> (8 * i)) & 0xFF);
}

// The colour tables the test fills, RGBQUADs read as DWORDs. Entries reach
// past a byte and into the next one exactly as the test's arithmetic does.
std::vector<uint32_t> colourTable(int count, const std::function<uint32_t(int)>& entry)
{
    std::vector<uint32_t> table;
    for (int i = 0; i < count; ++i)
        table.push_back(entry(i));
    return table;
}

// The palette of 256 entries the test makes from the default 8-bit colour
// table: the twenty static colours at both ends, and between them red, green
// and blue in 3, 3 and 2 bits of the index.
std::vector<ColorRef> eightBitDefaultPalette()
{
    std::vector<ColorRef> entries(256);
    for (int i = 0; i < 256; ++i)
        entries[size_t(i)] = rgb((i & 7) * 0x20, ((i >> 3) & 7) * 0x20, ((i >> 6) & 3) * 0x40);
    for (size_t i = 0; i < 10; ++i) {
        entries[i] = kDefaultPalette[i];
        entries[246 + i] = kDefaultPalette[10 + i];
    }
    return entries;
}

void blitWhole(Canvas& c, const Surface& source)
{
    c.bitBlt({100, 100, 356, 356}, source.view(), {0, 0}, kSrcCopy);
}

void overlappingRectangles(Canvas& c)
{
    c.drawRectangle({10, 10, 100, 100});
    c.drawRectangle({20, 15, 30, 40});
    c.drawRectangle({15, 15, 20, 20});
    c.drawRectangle({15, 20, 50, 45});
}

Group overlapping(const char* name, int dx, int dy, int sx, int sy, Rop3 rop, int hashes = 1)
{
    return {name,
            [=](Canvas& c) {
                overlappingRectangles(c);
                // Source and destination are the same pixels, overlapping.
                c.bitBlt({dx, dy, dx + 100, dy + 100}, c.target(), {sx, sy}, rop);
            },
            nullptr, hashes};
}

std::vector<Group> drawGraphics()
{
    const Pen solidPen = Pen::solid(rgb(0, 0, 0xff));
    const Pen dashedPen = Pen::styled(PenStyle::Dash, rgb(0xff, 0, 0));
    const Brush solidBrush = Brush::solid(rgb(0x33, 0xaa, 0xff));
    const Region clip = Region(Rect{10, 10, 200, 20}).united(Rect{100, 100, 200, 200}).united(Rect{290, 100, 300, 200});
    const char* const gradientFill = "GradientFill: no metafile record or page object fills through it";
    const char* const alphaBlend = "AlphaBlend: no metafile record or page object blends through it";

    std::vector<Group> groups;
    groups.push_back({"empty", [](Canvas&) {}});
    groups.push_back({"h and v solid lines", [=](Canvas& c) {
                          c.setPen(solidPen);
                          for (int i = 1; i <= 16; ++i) {
                              c.setRop2(Rop2(i));
                              drawSegments(c, std::array{Segment{10, i * 3, 100, i * 3},
                                                         Segment{100, 50 + i * 3, 10, 50 + i * 3},
                                                         Segment{120 + i * 3, 10, 120 + i * 3, 100},
                                                         Segment{170 + i * 3, 100, 170 + i * 3, 10}});
                          }
                      }});
    groups.push_back({"diagonal solid lines", [](Canvas& c) {
                          c.setRop2(Rop2::CopyPen);
                          for (int i = 0; i < 16; ++i) {
                              const double s = std::sin(std::numbers::pi * i / 8.0);
                              const double co = std::cos(std::numbers::pi * i / 8.0);
                              // The test passes doubles to int parameters: truncated.
                              c.moveTo({int(200.5 + 10 * co), int(200.5 + 10 * s)});
                              c.lineTo({int(200.5 + 100 * co), int(200.5 + 100 * s)});
                          }
                      }});
    groups.push_back({"more diagonal solid lines", [](Canvas& c) { drawSegments(c, kBiasCheck); }});
    groups.push_back({"solid patblt", [=](Canvas& c) {
                          c.setBrush(solidBrush);
                          for (int i = 0, y = 10; i < 256; ++i) {
                              // PatBlt refuses codes that read a source; nothing moves on.
                              if (rop3UsesSource(rop3(i)))
                                  continue;
                              c.patBlt({10, y, 110, y + 10}, rop3(i));
                              y += 20;
                          }
                      }});
    groups.push_back({"clipped solid hlines", [=](Canvas& c) {
                          c.clipTo(clip);
                          drawSegments(c, kHlineClips);
                      }});
    groups.push_back({"clipped solid vlines", [](Canvas& c) { drawSegments(c, kVlineClips); }});
    groups.push_back({"clipped solid diagonal lines", [](Canvas& c) { drawSegments(c, kLineClips); }});
    groups.push_back({"clipped patblt", [](Canvas& c) {
                          for (const Rect& r : kPatBltClips)
                              c.patBlt(r, kPatCopy);
                      }});
    groups.push_back({"clipped dashed hlines", [=](Canvas& c) {
                          c.setPen(dashedPen);
                          c.setBackgroundMode(BackgroundMode::Transparent);
                          c.setBackgroundColour(rgb(0, 0xff, 0));
                          drawSegments(c, kHlineClips);
                      }});
    groups.push_back({"clipped dashed hlines r -> l", [](Canvas& c) {
                          for (const Segment& s : kHlineClips) {
                              c.moveTo({s.x1 - 1, s.y1});
                              c.lineTo({s.x0 - 1, s.y0});
                          }
                      }});
    groups.push_back({"clipped dashed vlines", [](Canvas& c) { drawSegments(c, kVlineClips); }});
    groups.push_back({"clipped dashed vlines b -> t", [](Canvas& c) {
                          for (const Segment& s : kVlineClips) {
                              c.moveTo({s.x1, s.y1 - 1});
                              c.lineTo({s.x0, s.y0 - 1});
                          }
                      }});
    groups.push_back({"clipped dashed diagonal lines", [](Canvas& c) { drawSegments(c, kLineClips); }});
    groups.push_back({"clipped opaque dashed diagonal lines", [](Canvas& c) {
                          c.setBackgroundMode(BackgroundMode::Opaque);
                          drawSegments(c, kLineClips);
                          // ExtSelectClipRgn(NULL): the clip is the whole surface again.
                          DcState state = c.state();
                          state.clip = Region(Rect{0, 0, kSize, kSize});
                          c.setState(state);
                      }});
    // The 16 x 16 pattern brushes, from DIBs of every depth and a device
    // bitmap, each laid from a brush origin.
    const QByteArray bits8888 = bytesWith(1024, {{2, 0xff}, {6, 0xff}, {14, 0xff}, {65, 0xff}, {69, 0xff}, {72, 0xff}});
    groups.push_back({"top-down 8888 dib brush patblt", [=](Canvas& c) {
                          c.setBrush(dibBrush(dibOfBytes(16, -16, 32, {}, 0, bits8888)));
                          c.setBrushOrigin({1, 1});
                          brushPatBlts(c);
                      }});
    groups.push_back({"bottom-up 8888 dib brush patblt", [=](Canvas& c) {
                          c.setBrush(dibBrush(dibOfBytes(16, 16, 32, {}, 0, bits8888)));
                          c.setBrushOrigin({4, 100});
                          brushPatBlts(c);
                      }});
    groups.push_back({"top-down 24 bpp brush patblt", [](Canvas& c) {
                          const QByteArray bits =
                              bytesWith(768, {{0, 0xff}, {3, 0xff}, {6, 0xff}, {8, 0xff}, {49, 0xff}, {52, 0xff}});
                          c.setBrush(dibBrush(dibOfBytes(16, -16, 24, {}, 0, bits)));
                          c.setBrushOrigin({1, 1});
                          brushPatBlts(c);
                      }});
    groups.push_back({"top-down 555 dib brush patblt", [](Canvas& c) {
                          const QByteArray bits = bytesWith(512, {{0, 0xff}, {1, 0xff}, {32, 0x7c}, {34, 0x7c}});
                          c.setBrush(dibBrush(dibOfBytes(16, -16, 16, {}, 0, bits)));
                          c.setBrushOrigin({1, 1});
                          brushPatBlts(c);
                          c.setBrushOrigin({0, 0});
                      }});
    groups.push_back({"top-down 8 bpp dib brush patblt", [](Canvas& c) {
                          // Three colours: index 6 is past them.
                          const uint32_t table[] = {0xff0000, 0xffffff, 0};
                          const QByteArray bits = bytesWith(256, {{0, 1}, {1, 1}, {16, 2}, {17, 2}, {32, 6}, {33, 6}});
                          c.setBrush(dibBrush(dibOfBytes(16, -16, 8, table, 3, bits)));
                          c.setBrushOrigin({1, 1});
                          brushPatBlts(c);
                      }});
    groups.push_back({"top-down 4 bpp dib brush patblt", [](Canvas& c) {
                          // The test reuses its buffer: the 16-colour table
                          // holds the previous brush's colours and pixels.
                          const uint32_t table[] = {0xff0000, 0xffffff, 0, 0x0101, 0, 0, 0, 0x0202,
                                                    0,        0,        0, 0x0606, 0, 0, 0, 0};
                          c.setBrush(dibBrush(dibOfBytes(16, -16, 4, table, 0, QByteArray(128, '\0'))));
                          c.setBrushOrigin({1, 1});
                          brushPatBlts(c);
                      }});
    groups.push_back({"top-down 1 bpp dib brush patblt", [](Canvas& c) {
                          // Its rows start where the test's stale pointer
                          // does not: the first is the old colour table's
                          // black entry, the next three begin 0xf0.
                          const uint32_t table[] = {0xff0000, 0xffffff};
                          const QByteArray bits = bytesWith(64, {{4, 0xf0}, {8, 0xf0}, {12, 0xf0}});
                          c.setBrush(dibBrush(dibOfBytes(16, -16, 1, table, 2, bits)));
                          brushPatBlts(c);
                      }});
    groups.push_back({"1 bpp ddb brush patblt", [](Canvas& c) {
                          c.setBrush(ddbBrush());
                          brushPatBlts(c, [&](int i) {
                              c.setTextColour(rgb(i, 2 * i, 255 - i));
                              c.setBackgroundColour(rgb(255 - i, i / 3, i));
                          });
                          c.setBrushOrigin({0, 0});
                          c.setTextColour(rgb(0, 0, 0));
                          c.setBackgroundColour(rgb(0, 0xff, 0));
                          c.setBrush(Brush::solid(rgb(0xff, 0xff, 0xff)));
                      }});
    groups.push_back({"rectangles", [=](Canvas& c) {
                          c.setPen(solidPen);
                          c.setBrush(solidBrush);
                          for (const Rect& r : kRectangles)
                              c.drawRectangle(r);
                          c.setPen(dashedPen);
                          for (const Rect& r : kRectangles)
                              c.drawRectangle({r.left, r.top + 150, r.right, r.bottom + 150});
                          c.setPen(solidPen);
                      }});
    groups.push_back({"PaintRgn", [=](Canvas& c) { c.fillRegion(clip, solidBrush); }});
    groups.push_back(
        skipped("rtl", "right-to-left layout (SetLayout): pages and their pictures are laid out left to right"));
    groups.push_back({"hatch brushes",
                      [](Canvas& c) {
                          // A hatch brush is a monochrome pattern whose set bits
                          // take its colour and whose clear bits the background;
                          // the canvas's pattern brushes give 0 bits the text colour.
                          c.setTextColour(rgb(0xff, 0, 0));
                          for (int i = 0, y = 10; i < 256; ++i) {
                              if (rop3UsesSource(rop3(i)))
                                  continue;
                              for (int style = 0; style < 6; ++style) {
                                  std::array<uint8_t, 8> rows{};
                                  for (size_t r = 0; r < 8; ++r)
                                      rows[r] = uint8_t(~kHatches[size_t(style)][r]);
                                  c.setBrush(Brush::pattern(rows));
                                  const int x = 10 + i + 30 * style;
                                  c.patBlt({x, y, x + 20, y + 20}, rop3(i));
                              }
                              y += 25;
                          }
                          c.setTextColour(rgb(0, 0, 0));
                          c.setBrush(Brush::solid(rgb(0x33, 0xaa, 0xff)));
                      },
                      nullptr, 2});
    groups.push_back(overlapping("overlapping BitBlt SRCCOPY +x, +y", 20, 20, 10, 10, kSrcCopy));
    groups.push_back(overlapping("overlapping BitBlt SRCCOPY -x, -y", 10, 10, 20, 20, kSrcCopy));
    groups.push_back(overlapping("overlapping BitBlt SRCCOPY +x, -y", 20, 10, 10, 20, kSrcCopy));
    groups.push_back(overlapping("overlapping BitBlt SRCCOPY -x, +y", 10, 20, 20, 10, kSrcCopy));
    groups.push_back(overlapping("overlapping BitBlt PATPAINT +x, +y", 20, 20, 10, 10, kPatPaint));
    groups.push_back(overlapping("overlapping BitBlt PATPAINT -x, -y", 10, 10, 20, 20, kPatPaint));
    groups.push_back(overlapping("overlapping BitBlt PATPAINT +x, -y", 20, 10, 10, 20, kPatPaint, 2));
    groups.push_back(overlapping("overlapping BitBlt PATPAINT -x, +y", 10, 20, 20, 10, kPatPaint));
    groups.push_back({"BitBlt src 32-bpp SRCCOPY", [](Canvas& c) {
                          const Surface src = sourceDib(32, kBiRgb, {}, 0, [](QByteArray& row, int x, int y) {
                              const uint8_t a = uint8_t((x + y) * 2);
                              const uint8_t r = uint8_t(uint8_t(y + 2 * x) * a / 255);
                              const uint8_t g = uint8_t(uint8_t(x + y / 3) * a / 255);
                              const uint8_t b = uint8_t(uint8_t(x / 3 + 2 * y) * a / 255);
                              // (a << 24) | RGB(r, g, b): RGB's low byte, r, is the DIB's blue.
                              putU32(row, x, uint32_t(a) << 24 | rgb(r, g, b));
                          });
                          blitWhole(c, src);
                          for (const Rect& r : {Rect{1, 4, 3, 6}, Rect{1, 8, 17, 10}, Rect{1, 12, 16, 14},
                                                Rect{0, 16, 8, 18}, Rect{0, 20, 9, 22}, Rect{7, 24, 8, 26},
                                                Rect{7, 28, 9, 30}, Rect{7, 32, 16, 34}, Rect{7, 36, 17, 38}})
                              c.bitBlt(r, src.view(), {0, 0}, kSrcCopy);
                      }});
    groups.push_back(skipped("AlphaBlend src 32-bpp no alpha", alphaBlend));
    groups.push_back(skipped("AlphaBlend src 32-bpp alpha", alphaBlend));
    groups.push_back({"BitBlt src 32-bpp r10g10b10 SRCCOPY", [](Canvas& c) {
                          const uint32_t masks[] = {0x3ff00000, 0x000ffc00, 0x000003ff};
                          blitWhole(c, sourceDib(32, kBiBitFields, masks, 0, [](QByteArray& row, int x, int y) {
                                        const uint32_t r = uint32_t(7 * x + 3 * y) % 1024;
                                        const uint32_t g = uint32_t(11 * x + y / 3) % 1024;
                                        const uint32_t b = uint32_t(x / 3 + 9 * y) % 1024;
                                        putU32(row, x, r << 20 | g << 10 | b);
                                    }));
                      }});
    groups.push_back({"BitBlt src 32-bpp b6g6r6 SRCCOPY", [](Canvas& c) {
                          const uint32_t masks[] = {0x00003f, 0x000fc0, 0x03f000};
                          blitWhole(c, sourceDib(32, kBiBitFields, masks, 0, [](QByteArray& row, int x, int y) {
                                        const uint32_t r = uint32_t(y + 2 * x) % 64;
                                        const uint32_t g = uint32_t(x + y / 3) % 64;
                                        const uint32_t b = uint32_t(x / 3 + 2 * y) % 64;
                                        putU32(row, x, r | g << 6 | b << 12);
                                    }));
                      }});
    groups.push_back({"BitBlt src 24-bpp SRCCOPY", [](Canvas& c) {
                          blitWhole(c, sourceDib(24, kBiRgb, {}, 0, [](QByteArray& row, int x, int y) {
                                        row[3 * x] = char(x + 3 * y);
                                        row[3 * x + 1] = char(2 * x + 7 * y);
                                        row[3 * x + 2] = char(5 * x + 12 * y);
                                    }));
                      }});
    groups.push_back(skipped("AlphaBlend src 24-bpp", alphaBlend));
    const auto sixteen = [](QByteArray& row, int x, int y) {
        putU16(row, x, uint16_t(x | x << 4 | x << 8 | y << 3 | y << 7));
    };
    groups.push_back({"BitBlt src 16-bpp SRCCOPY", [=](Canvas& c) {
                          // 16-bit BI_RGB is 5-5-5.
                          blitWhole(c, sourceDib(16, kBiRgb, {}, 0, sixteen));
                      }});
    groups.push_back({"BitBlt src 16-bpp b4g4r4 SRCCOPY", [=](Canvas& c) {
                          const uint32_t masks[] = {0x00000f, 0x0000f0, 0x000f00};
                          blitWhole(c, sourceDib(16, kBiBitFields, masks, 0, sixteen));
                      }});
    groups.push_back({"BitBlt src 8-bpp SRCCOPY", [](Canvas& c) {
                          // 160 colours: indices past them are black.
                          const auto table = colourTable(
                              160, [](int i) { return uint32_t(i) | uint32_t(i * 3) << 8 | uint32_t(i / 2) << 16; });
                          blitWhole(c, sourceDib(8, kBiRgb, table, 160,
                                                 [](QByteArray& row, int x, int y) { row[x] = char(3 * x + 5 * y); }));
                      }});
    groups.push_back(skipped("AlphaBlend src 8-bpp", alphaBlend));
    groups.push_back({"BitBlt src 4-bpp SRCCOPY", [](Canvas& c) {
                          const auto table = colourTable(
                              12, [](int i) { return uint32_t(i) | uint32_t(i * 5) << 8 | uint32_t(i * 19) << 16; });
                          blitWhole(c, sourceDib(4, kBiRgb, table, 12, [](QByteArray& row, int x, int y) {
                                        if ((x & 1) == 0)
                                            row[x / 2] = char(7 * x + 3 * y);
                                    }));
                      }});
    groups.push_back({"BitBlt src 1-bpp SRCCOPY", [](Canvas& c) {
                          const auto table = colourTable(2, [](int i) {
                              return uint32_t(i + 37) | uint32_t(i * 91) << 8 | uint32_t(i * 53) << 16;
                          });
                          const Surface src = sourceDib(1, kBiRgb, table, 0, [](QByteArray& row, int x, int y) {
                              if ((x & 7) == 0)
                                  row[x / 8] = char(7 * x + 3 * y);
                          });
                          blitWhole(c, src);
                          c.bitBlt({10, 10, 13, 20}, src.view(), {0, 0}, kSrcCopy);
                          c.bitBlt({20, 10, 23, 20}, src.view(), {2, 0}, kSrcCopy);
                          c.bitBlt({30, 10, 33, 20}, src.view(), {5, 0}, kSrcCopy);
                          c.bitBlt({40, 10, 43, 20}, src.view(), {6, 0}, kSrcCopy);
                          c.bitBlt({50, 10, 70, 20}, src.view(), {6, 0}, kSrcCopy);
                      }});
    groups.push_back(skipped("AlphaBlend src 1-bpp", alphaBlend));
    groups.push_back({"rle stretchdibits", [](Canvas& c) {
                          // An 8 x 8 bitmap in grey levels: two rows of runs,
                          // a delta over two rows and a run cut at the edge.
                          const uint8_t rle8[] = {0x03, 0x02, 0x04, 0xf0, 0x00, 0x00, 0x00, 0x03, 0x04, 0x05,
                                                  0x06, 0x00, 0x00, 0x02, 0x01, 0x02, 0x05, 0x80, 0x00, 0x01};
                          const auto greys = colourTable(256, [](int i) { return uint32_t(i) * 0x010101u; });
                          const RunLengthDib rle = runLengthDib(
                              8, 8, 8, 1, greys, QByteArray(reinterpret_cast<const char*>(rle8), sizeof rle8));
                          const Dib dib = rle.dib();
                          c.stretchDibits({10, 10, 7, 7}, dib, {0, 0, 7, 7}, kSrcCopy);
                          c.stretchDibits({100, 10, 7, 7}, dib, {0, 0, 7, 7}, kSrcAnd);
                          c.stretchDibits({200, 10, 7, 7}, dib, {0, 1, 7, 7}, kSrcCopy);
                          c.stretchDibits({300, 10, 7, 7}, dib, {1, 0, 7, 7}, kSrcCopy);
                          c.stretchDibits({400, 10, 16, 16}, dib, {0, 0, 8, 8}, kSrcCopy);
                      }});
    groups.push_back({"stretchdibits", [](Canvas& c) {
                          const uint32_t fourByFour[] = {0x000000, 0xff0000, 0x00ff00, 0x0000ff, 0xffffff, 0x00ffff,
                                                         0xff00ff, 0xffff00, 0x000000, 0xff0000, 0x00ff00, 0x0000ff,
                                                         0xffffff, 0x00ffff, 0xff00ff, 0xffff00};
                          QByteArray bits(64, '\0');
                          for (int i = 0; i < 16; ++i)
                              putU32(bits, i, fourByFour[i]);
                          // The same bytes read bottom-up, then top-down, at
                          // y 10 and 100; what GDI returns is checked too.
                          for (const int height : {4, -4}) {
                              const Surface pixels = dibOfBytes(4, height, 32, {}, 0, bits);
                              const Dib dib{pixels.view(), height > 0};
                              const int y = height > 0 ? 10 : 100;
                              EXPECT_EQ(c.stretchDibits({10, y, 4, 4}, dib, {0, 0, 4, 4}, kSrcCopy), 4);
                              EXPECT_EQ(c.stretchDibits({20, y, 4, 4}, dib, {0, 0, 4, 4}, kSrcAnd), height);
                              EXPECT_EQ(c.stretchDibits({30, y, 3, 3}, dib, {1, 1, 3, 3}, kSrcCopy), 4);
                              EXPECT_EQ(c.stretchDibits({40, y, 3, 3}, dib, {1, 1, 3, 3}, kSrcAnd), height);
                              EXPECT_EQ(c.stretchDibits({50, y, -2, -2}, dib, {2, 3, -2, -2}, kSrcCopy), 4);
                              EXPECT_EQ(c.stretchDibits({60, y, -2, -2}, dib, {2, 3, -2, -2}, kSrcAnd), height);
                          }
                      }});
    groups.push_back({"Colors", [](Canvas& c) {
                          // Every high byte over every low byte, as GDI reads
                          // them; indices name the 8-bit default palette's
                          // entries.
                          const auto solidPatBlt = [&](int x, int y, uint32_t value) {
                              c.setBrush(Brush::solid(colourFromGdi(value)));
                              c.patBlt({x, y, x + 1, y + 1}, kPatCopy);
                          };
                          for (uint32_t i = 0; i < 256; ++i) {
                              const int x = int(i) * 2;
                              const uint32_t spread = (i & 0x07) << 5 | ((i & 0x38) << 2) << 8 | (i & 0xc0) << 16;
                              solidPatBlt(x, 10, 0x10ff0000u | i);
                              solidPatBlt(x, 20, 0x01000000u | i);
                              solidPatBlt(x, 30, spread);
                              solidPatBlt(x, 40, 0x02000000u | spread);
                              for (uint32_t j = 0; j < 256; ++j)
                                  solidPatBlt(x, 50 + int(j), j << 24 | i);
                          }
                          solidPatBlt(0, 50, rgb(0, 0xff, 0));
                          solidPatBlt(2, 50, 0x02000000u | rgb(0, 0xff, 0));
                          solidPatBlt(4, 50, rgb(0, 1, 0xff));
                          solidPatBlt(6, 50, 0x02000000u | rgb(0, 1, 0xff));
                          solidPatBlt(8, 50, rgb(0xff, 0, 0));
                          solidPatBlt(10, 50, 0x02000000u | rgb(0xff, 0, 0));
                          c.setBrush(Brush::solid(rgb(0x33, 0xaa, 0xff)));
                      }});
    groups.push_back({"SetPixel", [](Canvas& c) {
                          const auto setPixel = [&](int x, int y, uint32_t value) {
                              c.setPixel({x, y}, colourFromGdi(value));
                          };
                          for (uint32_t i = 0; i < 256; ++i) {
                              const int x = int(i) * 2;
                              const uint32_t spread = (i & 0x07) << 5 | ((i & 0x38) << 2) << 8 | (i & 0xc0) << 16;
                              setPixel(x, 10, 0x10ff0000u | i);
                              setPixel(x, 20, 0x01000000u | i);
                              setPixel(x, 30, spread);
                              setPixel(x, 40, 0x02000000u | spread);
                              for (uint32_t j = 0; j < 256; ++j) {
                                  setPixel(x, 50 + int(j), j << 24 | spread);
                                  setPixel(x + 1, 50 + int(j), j << 24 | i);
                              }
                          }
                      }});
    groups.push_back(skipped("GdiGradientFill rectangles", gradientFill));
    groups.push_back(skipped("GdiGradientFill triangles", gradientFill));
    groups.push_back({"wide pen", [](Canvas& c) {
                          c.setPen(Pen::solid(rgb(0xff, 0, 0), 7));
                          drawSegments(c, kWideLines);
                      }});
    // ExtCreatePen(PS_GEOMETRIC | ...) pens along an open square.
    const std::array<QPoint, 4> polyLines = {QPoint(100, 100), QPoint(200, 100), QPoint(200, 200), QPoint(100, 200)};
    groups.push_back({"wide pen - flat caps, mitred", [=](Canvas& c) {
                          c.setPen(
                              Pen::geometricPen(PenStyle::Solid, 9, rgb(0xff, 0, 0), PenCap::Flat, PenJoin::Mitre));
                          c.drawPolyline(polyLines);
                      }});
    groups.push_back({"wide pen - square caps, bevelled", [=](Canvas& c) {
                          c.setPen(
                              Pen::geometricPen(PenStyle::Solid, 16, rgb(0xff, 0, 0), PenCap::Square, PenJoin::Bevel));
                          c.drawPolyline(polyLines);
                      }});
    groups.push_back({"wide pen - empty segments", [](Canvas& c) {
                          // PolyPolyline of one polyline whose middle segment has no length.
                          c.setPen(
                              Pen::geometricPen(PenStyle::Solid, 9, rgb(0xff, 0, 0), PenCap::Flat, PenJoin::Mitre));
                          const std::array<QPoint, 4> points = {QPoint(100, 100), QPoint(200, 100), QPoint(200, 100),
                                                                QPoint(200, 200)};
                          c.drawPolyline(points);
                      }});
    // Pens of every width from 1 to 19 painting the 16 x 16 monochrome
    // pattern in the DC's colours, each an L of two separate lines.
    const auto brushedLs = [](Canvas& c, const std::function<PenStyle(int)>& style,
                              const std::function<ColorRef(int)>& background) {
        for (int i = 1; i < 20; ++i) {
            c.setPen(Pen::geometricPen(style(i), i, ddbBrush(), PenCap::Flat, PenJoin::Bevel));
            c.setTextColour(rgb(2 * i, i, 255 - i));
            c.setBackgroundColour(background(i));
            c.moveTo({10 * i, 10});
            c.lineTo({10 * i, 200 + i});
            c.lineTo({20 * i, 200 + i});
        }
    };
    groups.push_back({"wide brushed pen",
                      [=](Canvas& c) {
                          // A 12-wide pen along the open square first, in the
                          // colours the DC already holds. The test draws every
                          // format on one DC, and the text drawn after the
                          // formats before this one left its colour red; the
                          // background is the dashed lines' green.
                          c.setTextColour(rgb(0xff, 0, 0));
                          c.setPen(Pen::geometricPen(PenStyle::Solid, 12, ddbBrush(), PenCap::Flat, PenJoin::Bevel));
                          c.drawPolyline(polyLines);
                          brushedLs(
                              c, [](int) { return PenStyle::Solid; }, [](int i) { return rgb(255 - i, i, i / 3); });
                      },
                      nullptr, 2});
    groups.push_back({"dashed wide brushed pen",
                      [=](Canvas& c) {
                          // The style is i % 5: solid, dash, dot, dash-dot, dash-dot-dot.
                          constexpr PenStyle styles[] = {PenStyle::Solid, PenStyle::Dash, PenStyle::Dot,
                                                         PenStyle::DashDot, PenStyle::DashDotDot};
                          brushedLs(
                              c, [&](int i) { return styles[i % 5]; }, [](int i) { return rgb(i, 255 - i, i / 3); });
                          c.setTextColour(rgb(0, 0, 0));
                          c.setBackgroundColour(rgb(0, 0xff, 0));
                          c.setPen(Pen::solid(rgb(0, 0, 0)));
                      },
                      nullptr, 2});
    groups.push_back({"PALETTEINDEX",
                      [](Canvas& c) {
                          const auto paletteIndex = [](int i) { return ColorRef(0x01000000u | uint32_t(i)); };
                          // Pen, brush and colours name entries of a palette
                          // selected only afterwards; changing the entries
                          // changes what they draw.
                          c.setBrush(Brush::solid(paletteIndex(3)));
                          c.setPen(Pen::styled(PenStyle::Dash, paletteIndex(5)));
                          c.setTextColour(paletteIndex(38));
                          c.setBackgroundColour(paletteIndex(9));
                          std::vector<ColorRef> entries;
                          for (int i = 0; i < 80; ++i)
                              entries.push_back(rgb(i * 3, i * 7, 128 - i));
                          const std::vector<ColorRef> first(entries.begin(), entries.begin() + 40);
                          const std::vector<ColorRef> second(entries.begin() + 40, entries.end());
                          c.setPalette(first);
                          c.fillRect({20, 10, 30, 20}, Brush::solid(paletteIndex(15)));
                          c.drawRectangle({0, 0, 10, 10});
                          c.setPalette(second);
                          c.drawRectangle({10, 0, 10, 10});
                          // The cross hatch in entry 7 over the background.
                          std::array<uint8_t, 8> cross{};
                          for (size_t r = 0; r < 8; ++r)
                              cross[r] = uint8_t(~kHatches[4][r]);
                          c.setTextColour(paletteIndex(7));
                          c.setBrush(Brush::pattern(cross));
                          c.patBlt({20, 0, 30, 10}, kPatCopy);
                          c.setPalette(first);
                          c.patBlt({30, 0, 40, 10}, kPatCopy);
                          c.setTextColour(paletteIndex(38));
                          c.setBrush(ddbBrush());
                          c.patBlt({40, 0, 50, 10}, kPatCopy);
                          c.setPalette(second);
                          c.patBlt({50, 0, 60, 10}, kPatCopy);
                          // SelectPalette of the DC's palette before.
                          c.setPalette(eightBitDefaultPalette());
                      },
                      nullptr, 2});
    groups.push_back({"flood fill", [](Canvas& c) {
                          const auto solidPatBlt = [&](int x, int y, int w, int h, ColorRef colour) {
                              c.fillRect({x, y, x + w, y + h}, Brush::solid(colour));
                          };
                          solidPatBlt(0, 0, 512, 512, rgb(0, 0, 0xff));
                          solidPatBlt(10, 10, 200, 200, rgb(0, 0xff, 0));
                          solidPatBlt(10, 50, 50, 50, rgb(0, 0, 0xff));
                          solidPatBlt(100, 160, 50, 50, rgb(0, 0, 0xff));
                          solidPatBlt(90, 160, 70, 10, rgb(0, 0, 0xff));
                          // A bar cut out of the clip stops the flood.
                          DcState state = c.state();
                          state.clip = Region(Rect{0, 0, kSize, kSize}).subtracted(Rect{180, 10, 190, 210});
                          c.setState(state);
                          c.setBrush(Brush::solid(rgb(0xff, 0, 0)));
                          EXPECT_TRUE(c.floodFill({100, 100}, rgb(0, 0xff, 0), FloodMode::Surface));
                          state.clip = Region(Rect{0, 0, kSize, kSize});
                          c.setState(state);
                          // Outside the surface there is nothing to start from.
                          EXPECT_FALSE(c.floodFill({-1, -1}, rgb(0, 0xff, 0), FloodMode::Surface));
                      }});
    return groups;
}

TEST(GdiHashOracle, EveryDrawableGroupGivesWindowsHash)
{
    Surface surface(kSize, kSize, kFill);
    Canvas canvas(surface);
    // The test selects the 8-bit default palette into its DC before it draws.
    canvas.setPalette(eightBitDefaultPalette());
    size_t entry = 0;
    int held = 0;
    std::vector<std::string> skips;
    for (const Group& group : drawGraphics()) {
        ASSERT_LE(entry + size_t(group.hashes), std::size(kWindowsHashes)) << group.name;
        const std::span<const char* const> expected(kWindowsHashes + entry, size_t(group.hashes));
        entry += size_t(group.hashes);
        if (!group.draw) {
            skips.push_back(std::string(group.name) + ": " + group.skipReason);
            continue;
        }
        group.draw(canvas);
        const QByteArray hash = hashOfBits(surface);
        surface.fill(kFill);
        const bool matches =
            std::any_of(expected.begin(), expected.end(), [&](const char* h) { return hash == QByteArray(h); });
        EXPECT_TRUE(matches) << group.name << ": expected " << expected.front() << " got " << hash.constData();
        held += matches ? 1 : 0;
    }
    EXPECT_EQ(entry, std::size(kWindowsHashes)) << "every recorded hash has its group";
    std::string list;
    for (const std::string& s : skips)
        list += "\n  " + s;
    std::cout << held << " groups hold Windows' hash; " << skips.size() << " skipped:" << list << "\n";
}

} // namespace
} // namespace lumeria::gdi
