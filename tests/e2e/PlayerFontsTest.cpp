// The fonts a publication brings, drawn by the real player. The font is
// made here, with fonttools, under a family no system has: its "A" is a
// solid box, which no substitute draws.
#include "e2e/PlayerRun.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using test::le;
using test::player;
using test::PlayerRun;

const QString kFamily = QStringLiteral("LumeriaTestGlyphs");

// A TrueType font whose "A" fills its whole em, 1000 units wide, from the
// descender to the ascender.
constexpr const char* kMakeFont = R"(
import sys
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
family, out = sys.argv[1], sys.argv[2]
names = [".notdef", "space", "A"]
fb = FontBuilder(1000, isTTF=True)
fb.setupGlyphOrder(names)
fb.setupCharacterMap({0x20: "space", 0x41: "A"})
box = TTGlyphPen(None)
box.moveTo((0, -200)); box.lineTo((0, 800)); box.lineTo((1000, 800)); box.lineTo((1000, -200)); box.closePath()
fb.setupGlyf({".notdef": TTGlyphPen(None).glyph(), "space": TTGlyphPen(None).glyph(), "A": box.glyph()})
fb.setupHorizontalMetrics({n: (1000, 0) for n in names})
fb.setupHorizontalHeader(ascent=800, descent=-200)
fb.setupNameTable({"familyName": family, "styleName": "Regular"})
fb.setupOS2(sTypoAscender=800, sTypoDescender=-200, usWinAscent=800, usWinDescent=200)
fb.setupPost()
fb.save(out)
)";

// A Python that has fonttools: Debian's own first, which the install script
// gives it, then whichever the path names.
QString pythonWithFonttools()
{
    QStringList candidates;
    for (const QString& found :
         {QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")}),
          QStandardPaths::findExecutable(QStringLiteral("python3"))}) {
        if (!found.isEmpty() && !candidates.contains(found))
            candidates << found;
    }
    for (const QString& python : candidates) {
        QProcess probe;
        probe.start(python, {QStringLiteral("-c"), QStringLiteral("import fontTools.fontBuilder")});
        if (probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0)
            return python;
    }
    return {};
}

QByteArray publication(const QByteArray& face, int points = 36)
{
    return "LumeriaVer=1.0\r\nTitle=Fonts\r\nScreenWidth=200\r\nScreenHeight=100\r\n"
           "MasterPage\r\nPageColor=16777215\r\n"
           "NewPage=Glyphs\r\nPageColor=16777215\r\nShowMaster=No\r\nPageAction=\r\nExitAction=\r\n"
           "ObjectType=8\r\nX1=10\r\nY1=10\r\nX2=190\r\nY2=90\r\nLineColor=0\r\nFillColor=16777215\r\n"
           "LineWidth=0\r\nLineStyle=0\r\nLineOrigin=0\r\nFillPattern=1\r\nFillMode=0\r\n"
           "Align=0\r\nFont=" +
           face + "\r\nFontSize=" + QByteArray::number(points) + "\r\nTextColor=0\r\nWordWrap=No\r\nText=A\r\n";
}

// A Windows raster font, version 3, of 8 by 16 cells for the codes 0x20
// to 0x7E, whose "A" is a full cell and every other glyph empty.
QByteArray bitmapFnt(const QByteArray& face, uint8_t charset = 0)
{
    constexpr int first = 0x20, last = 0x7E, count = last - first + 1, width = 8, height = 16;
    constexpr int headerSize = 148;
    const int bitsOffset = headerSize + (count + 1) * 6;
    QByteArray table, bits;
    for (int i = 0; i <= count; ++i) {
        table += le(width, 2) + le(uint32_t(bitsOffset + bits.size()), 4);
        bits += QByteArray(height, first + i == 'A' ? char(0xFF) : '\0');
    }
    const int faceOffset = bitsOffset + int(bits.size());
    QByteArray h = le(0x300, 2) + le(uint32_t(faceOffset + face.size() + 1), 4) + QByteArray(60, '\0');
    h += le(0, 2) + le(12, 2) + le(96, 2) + le(96, 2);          // raster, points, resolutions
    h += le(13, 2) + le(0, 2) + le(0, 2) + QByteArray(3, '\0'); // ascent, leadings, no styles
    h += le(400, 2) + char(charset) + le(width, 2) + le(height, 2) + char(0x30) + le(width, 2) + le(width, 2);
    h += le(first, 1) + le(last, 1) + le('?' - first, 1) + le(0, 1) + le(width, 2) + le(0, 4);
    h += le(uint32_t(faceOffset), 4) + le(0, 4) + le(uint32_t(bitsOffset), 4) + QByteArray(1, '\0');
    h += le(1, 4) + QByteArray(6, '\0') + le(0, 4) + QByteArray(16, '\0'); // version 3's fields
    return h + table + bits + face + '\0';
}

// A .FON: a 16-bit NE executable whose one font resource is fnt.
QByteArray fonWrapping(const QByteArray& fnt)
{
    constexpr int shift = 4;
    QByteArray file = "MZ" + QByteArray(0x3A, '\0') + le(0x40, 4);
    const int neOffset = int(file.size());
    QByteArray resources = le(shift, 2) + le(0x8008, 2) + le(1, 2) + le(0, 4);
    const int resourceTable = 0x40;
    const int fntAt = (neOffset + resourceTable + 12 + 12 + 2 + 1 + 15) / 16 * 16;
    resources += le(uint32_t(fntAt >> shift), 2) + le(uint32_t((fnt.size() + 15) >> shift), 2) + le(0x1C30, 2) +
                 le(0x8001, 2) + le(0, 4) + le(0, 2);
    QByteArray header =
        "NE" + QByteArray(0x22, '\0') + le(resourceTable, 2) + le(uint32_t(resourceTable + resources.size()), 2);
    header += QByteArray(resourceTable - header.size(), '\0');
    file += header + resources + QByteArray(1, '\0'); // an empty resident name table
    file += QByteArray(fntAt - file.size(), '\0');
    return file + fnt + QByteArray(15, '\0');
}

// The dark pixels of an exported page: how many, and how much of the
// rectangle around them they fill.
struct Ink {
    int pixels = 0;
    QRect bounds;
    double fill() const { return bounds.isEmpty() ? 0.0 : double(pixels) / (bounds.width() * bounds.height()); }
};

Ink inkOf(const QImage& page)
{
    Ink ink;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(page.pixel(x, y)) < 128) {
                ++ink.pixels;
                ink.bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return ink;
}

class PlayerFonts : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_python = pythonWithFonttools();
        if (m_python.isEmpty()) {
            // The install script provides it; where it ran, its absence is a fault.
            if (qEnvironmentVariableIsSet("CI"))
                FAIL() << "no python3 with fonttools (python3-fonttools) to make the test font";
            GTEST_SKIP() << "no python3 with fonttools (python3-fonttools) to make the test font";
        }
        m_font = makeFont(kFamily);
        ASSERT_FALSE(m_font.isEmpty());
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    QByteArray makeFont(const QString& family)
    {
        const QString out = path(QStringLiteral("made.ttf"));
        QProcess make;
        make.start(m_python, {QStringLiteral("-c"), QString::fromLatin1(kMakeFont), family, out});
        make.waitForFinished(60000);
        EXPECT_EQ(make.exitCode(), 0) << make.readAllStandardError().toStdString();
        QFile f(out);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Packs a folder holding RUNTIME.PUB and the given files into
    // FOLDER/NAME.lum, the publication lying apart from its sources.
    QString pack(const QString& name, const QByteArray& face, const QList<QPair<QString, QByteArray>>& files = {},
                 int points = 36)
    {
        const QString source = path(name + QStringLiteral("-src"));
        const QString target = path(name);
        EXPECT_TRUE(QDir().mkpath(source) && QDir().mkpath(target));
        write(source + QStringLiteral("/RUNTIME.PUB"), publication(face, points));
        for (const auto& [file, bytes] : files)
            write(source + QLatin1Char('/') + file, bytes);
        const QString out = target + QLatin1Char('/') + name + QStringLiteral(".lum");
        QProcess packer;
        packer.start(QStringLiteral(LUMERIA_PACK), {QStringLiteral("build"), source, QStringLiteral("-o"), out});
        packer.waitForFinished(60000);
        EXPECT_EQ(packer.exitCode(), 0) << packer.readAllStandardError().toStdString();
        return out;
    }

    static void write(const QString& file, const QByteArray& bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << file.toStdString();
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    // Exports the publication's one page and returns it.
    QImage exported(const QString& publicationPath, PlayerRun* run = nullptr)
    {
        const QString out = QFileInfo(publicationPath).absolutePath() + QStringLiteral("/pages");
        const PlayerRun r = player({QStringLiteral("--export-pages"), out, publicationPath});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        if (run)
            *run = r;
        return QImage(out + QStringLiteral("/0001-Glyphs.png"));
    }

    QTemporaryDir m_dir;
    QString m_python;
    QByteArray m_font;
};

// 36 points are 48 pixels of em: the box is 48 pixels on each side.
void expectBox(const Ink& ink)
{
    EXPECT_GE(ink.bounds.width(), 44) << ink.bounds.width();
    EXPECT_GE(ink.bounds.height(), 44) << ink.bounds.height();
    EXPECT_LE(ink.bounds.width(), 52) << ink.bounds.width();
    EXPECT_GT(ink.fill(), 0.97) << ink.fill();
}

TEST_F(PlayerFonts, AFontInTheContainerWinsAndAFontBesideThePublicationToo)
{
    const Ink inside =
        inkOf(exported(pack(QStringLiteral("inside"), kFamily.toLatin1(), {{QStringLiteral("GLYPHS.TTF"), m_font}})));
    expectBox(inside);

    // The face names the family case aside, as Windows matched it.
    const Ink caseAside = inkOf(
        exported(pack(QStringLiteral("caseaside"), "lumeriatestglyphs", {{QStringLiteral("GLYPHS.TTF"), m_font}})));
    expectBox(caseAside);

    // Not in the container but in the publication's folder.
    const QString beside = pack(QStringLiteral("beside"), kFamily.toLatin1());
    write(QFileInfo(beside).absolutePath() + QStringLiteral("/glyphs.ttf"), m_font);
    expectBox(inkOf(exported(beside)));

    // A font of a core font's name wins over that name's substitute.
    const QByteArray arial = makeFont(QStringLiteral("Arial"));
    ASSERT_FALSE(arial.isEmpty());
    expectBox(inkOf(exported(pack(QStringLiteral("arial"), "Arial", {{QStringLiteral("ARIAL.TTF"), arial}}))));

    // Without the font the substitute draws a letter, which leaves much of
    // its box white.
    const Ink substitute = inkOf(exported(pack(QStringLiteral("without"), kFamily.toLatin1())));
    EXPECT_GT(substitute.pixels, 40);
    EXPECT_LT(substitute.fill(), 0.7) << substitute.fill();
}

TEST_F(PlayerFonts, FontsThatCannotBeUsedAreNamedAndThePageStillDraws)
{
    QList<QPair<QString, QByteArray>> files = {
        {QStringLiteral("BROKEN.TTF"), QByteArray("\x00\x01\x00\x00not a font at all", 21)},
        {QStringLiteral("EMPTY.OTF"), QByteArray()},
    };
    // More fonts than a publication may bring: the first 64 are taken, the
    // rest named as left out. All carry the one family, which some of those
    // taken give the page.
    files << QPair<QString, QByteArray>(QStringLiteral("GLYPHS.TTF"), m_font);
    for (int i = 0; i < 64; ++i)
        files << QPair<QString, QByteArray>(QStringLiteral("MORE%1.TTF").arg(i, 2, 10, QLatin1Char('0')), m_font);
    PlayerRun r;
    const Ink ink = inkOf(exported(pack(QStringLiteral("bad"), kFamily.toLatin1(), files), &r));
    expectBox(ink);
    EXPECT_TRUE(r.err.contains("BROKEN.TTF: not a font the player can read")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("EMPTY.OTF: not a font the player can read")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("more than 64 fonts")) << r.err.toStdString();
}

TEST_F(PlayerFonts, WindowsBitmapFontsDrawTheirOwnCells)
{
    // 12 points are 16 pixels, the font's one size: its "A" is its cell.
    const auto expectCell = [](const Ink& ink) {
        EXPECT_EQ(ink.bounds.size(), QSize(8, 16));
        EXPECT_EQ(ink.pixels, 8 * 16);
    };
    PlayerRun r;
    expectCell(inkOf(exported(
        pack(QStringLiteral("fnt"), "LumeriaTestFnt", {{QStringLiteral("BITS.FNT"), bitmapFnt("LumeriaTestFnt")}}, 12),
        &r)));
    EXPECT_FALSE(r.err.contains("BITS.FNT")) << r.err.toStdString();

    const QString beside = pack(QStringLiteral("fon"), "LumeriaTestFon", {}, 12);
    write(QFileInfo(beside).absolutePath() + QStringLiteral("/bits.fon"), fonWrapping(bitmapFnt("LumeriaTestFon")));
    expectCell(inkOf(exported(beside)));

    // An OEM font's codes are not characters the text path can look up:
    // the font is named and the substitute draws.
    const Ink oem = inkOf(exported(pack(QStringLiteral("oem"), "LumeriaTestOem",
                                        {{QStringLiteral("OEM.FNT"), bitmapFnt("LumeriaTestOem", 255)}}, 12),
                                   &r));
    EXPECT_NE(oem.pixels, 8 * 16);
    EXPECT_GT(oem.pixels, 10);
    EXPECT_TRUE(r.err.contains("OEM.FNT: not a Windows bitmap font the player can draw")) << r.err.toStdString();
}

} // namespace
} // namespace lumeria
