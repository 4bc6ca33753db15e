// Videos, FLIC animations and cartoons in the real player: shown over the
// page where the commands put them, and the page back, pixel for pixel,
// when they stop. The publication is made here: its video by the ffmpeg
// command, its animations byte by byte.
#include "e2e/PlayerRun.h"
#include "media/FlicWriter.h"
#include "media/GifWriter.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using namespace media::test;
using test::PlayerRun;

constexpr QRgb kRed = 0xFF0000;

QByteArray button(int x, int y, const QString& action)
{
    return QStringLiteral("ObjectType=3\r\nX1=%1\r\nY1=%2\r\nX2=%3\r\nY2=%4\r\nLineColor=0\r\nFillColor=12632256\r\n"
                          "LineWidth=1\r\nLineStyle=0\r\nLineOrigin=0\r\nFillPattern=0\r\nFillMode=0\r\nStyle=0\r\n"
                          "Align=2\r\nFont=Arial\r\nFontSize=8\r\nTextColor=0\r\nText=B\r\nAction=%5\r\n")
        .arg(x)
        .arg(y)
        .arg(x + 40)
        .arg(y + 20)
        .arg(action)
        .toLatin1();
}

class PlayerVideo : public test::AutomatedPlayer {
protected:
    // A red 320 × 240 page with five buttons along its bottom edge.
    bool makePublication()
    {
        const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
        if (ffmpeg.isEmpty())
            return false;
        QDir().mkpath(file(QStringLiteral("pub")));
        QProcess p;
        p.start(ffmpeg, {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                         QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("color=green:s=80x60:r=10:d=4"),
                         QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                         QStringLiteral("sine=frequency=500:d=4"), QStringLiteral("-c:v"), QStringLiteral("msvideo1"),
                         QStringLiteral("-c:a"), QStringLiteral("pcm_s16le"), file(QStringLiteral("pub/CLIP.AVI"))});
        p.waitForFinished(60000);
        if (p.exitCode() != 0)
            return false;

        // A FLIC in palette index 1 (pure blue), looping.
        FlicWriter flic(FlicKind::Flc, 40, 30, 40);
        Bytes palette;
        palette.u16(1).u8(0).u8(0);
        for (int i = 0; i < 256; ++i)
            palette.u8(0).u8(0).u8(i == 1 ? 255 : 0);
        const std::vector<uint8_t> pixels(40 * 30, 1);
        flic.addFrame(frame({chunk(kColor256, palette), chunk(kByteRun, encodeByteRun(pixels, 40, 30))}));
        flic.addFrame(frame({chunk(kByteRun, encodeByteRun(pixels, 40, 30))}));
        QFile fl(file(QStringLiteral("pub/SPIN.FLC")));
        if (!fl.open(QIODevice::WriteOnly) || fl.write(flic.build().toQByteArray()) < 0)
            return false;
        fl.close();

        // A cartoon whose left half is transparent and right half white.
        std::vector<uint8_t> toon(16);
        for (int i = 0; i < 16; ++i)
            toon[size_t(i)] = i % 4 < 2 ? 0 : 3;
        QFile gif(file(QStringLiteral("pub/TOON.GIF")));
        if (!gif.open(QIODevice::WriteOnly) ||
            gif.write(gifBytes(4, 4, {0, 0, 0, qRgb(255, 255, 255)}, 0, {{toon, 100}, {toon, 100}})) < 0)
            return false;
        gif.close();

        QByteArray pub = "LumeriaVer=1.0\r\nTitle=Video\r\nScreenWidth=320\r\nScreenHeight=240\r\nExtractOp=132\r\n"
                         "L_OK=OK\r\nL_ERRORTITLE=Erreur\r\nMasterPage\r\nPageColor=0\r\nNewPage=One\r\n"
                         "PageColor=255\r\nShowMaster=No\r\nPageAction=\r\nExitAction=\r\n";
        pub += button(10, 210, QStringLiteral(R"(PV "-1" "-1" "-1" "-1" "CLIP.AVI" "")"));
        pub += button(60, 210, QStringLiteral(R"(SM "VIDEO")"));
        pub += button(110, 210, QStringLiteral(R"(PF "10" "10" "-1" "-1" "SPIN.FLC" "0" "LOOP")"));
        pub += button(160, 210, QStringLiteral(R"(PC "240" "10" "40" "40" "TOON.GIF" "0" "0" "LOOP")"));
        pub += button(210, 210, QStringLiteral(R"(SM "")"));
        QFile text(file(QStringLiteral("pub/RUNTIME.PUB")));
        if (!text.open(QIODevice::WriteOnly) || text.write(pub) < 0)
            return false;
        text.close();

        QProcess pack;
        pack.start(QStringLiteral(LUMERIA_PACK), {QStringLiteral("build"), file(QStringLiteral("pub")),
                                                  QStringLiteral("-o"), file(QStringLiteral("video.lum"))});
        pack.waitForFinished(60000);
        return pack.exitCode() == 0;
    }

    QRgb at(const char* shot, int x, int y) const { return QImage(file(QLatin1String(shot))).pixel(x, y) & 0xFFFFFF; }
};

TEST_F(PlayerVideo, VideoAndAnimationsShowOverThePageAndLeaveItAsItWas)
{
    if (!makePublication())
        GTEST_SKIP() << "the ffmpeg command is needed to make the test video";
    const PlayerRun r = automate({file(QStringLiteral("video.lum"))}, QStringLiteral(R"(wait 200
screenshot before.png
click 30 220
wait 600
screenshot video.png
click 130 220
click 180 220
wait 400
expect-media TOON.GIF SPIN.FLC CLIP.AVI
screenshot all.png
click 80 220
wait 200
expect-media none
screenshot after.png
)"));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    // The video: 80 × 60, centred on the page.
    EXPECT_EQ(at("before.png", 160, 120), kRed);
    const QRgb green = at("video.png", 160, 120);
    EXPECT_GT(qGreen(green), 100);
    EXPECT_LT(qRed(green), 60);
    EXPECT_EQ(at("video.png", 160 - 41, 120), kRed);
    EXPECT_EQ(at("video.png", 160, 120 + 31), kRed);
    // The FLIC at (10, 10), its natural 40 × 30.
    EXPECT_EQ(at("all.png", 30, 25), 0x0000FF);
    EXPECT_EQ(at("all.png", 51, 25), kRed);
    // The cartoon stretched to 40 × 40 at (240, 10): the page shows through
    // its transparent left half.
    EXPECT_EQ(at("all.png", 245, 30), kRed);
    EXPECT_EQ(at("all.png", 270, 30), 0xFFFFFF);

    // Stopped, the page is back exactly as it was.
    const QImage before(file(QStringLiteral("before.png")));
    const QImage after(file(QStringLiteral("after.png")));
    ASSERT_EQ(before.size(), after.size());
    EXPECT_EQ(before.convertToFormat(QImage::Format_RGB32), after.convertToFormat(QImage::Format_RGB32));
}

TEST_F(PlayerVideo, TheWindowGoesCleanlyWhileEverythingStillPlays)
{
    // The video's surface is a widget of the window, the video the
    // session's: the run ends with all of it playing, and must not crash.
    if (!makePublication())
        GTEST_SKIP() << "the ffmpeg command is needed to make the test video";
    const PlayerRun r = automate({file(QStringLiteral("video.lum"))},
                                 QStringLiteral("wait 200\nclick 30 220\nclick 130 220\nclick 180 220\nwait 300\n"
                                                "expect-media TOON.GIF SPIN.FLC CLIP.AVI\n"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

} // namespace
} // namespace lumeria
