// A reader's CD-ROM as an image: an .iso made by xorriso from a disc's
// folder, and a CUE/BIN written byte by byte with the same file system as
// its data track and two tone tracks of music. The publication on it names
// its files by drive letter and from the root, plays a video from the disc
// and its music from the image's audio tracks.
#include "DiscFixtures.h"
#include "e2e/PlayerRun.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iostream>

namespace lumeria {
namespace {

using test::PlayerRun;

QByteArray button(int x, int y, const QByteArray& action)
{
    return "ObjectType=3\r\nX1=" + QByteArray::number(x) + "\r\nY1=" + QByteArray::number(y) +
           "\r\nX2=" + QByteArray::number(x + 40) + "\r\nY2=" + QByteArray::number(y + 20) +
           "\r\nLineColor=0\r\nFillColor=12632256\r\nLineWidth=1\r\nLineStyle=0\r\nLineOrigin=0\r\n"
           "FillPattern=0\r\nFillMode=0\r\nStyle=0\r\nAlign=2\r\nFont=Arial\r\nFontSize=8\r\nTextColor=0\r\n"
           "Text=B\r\nAction=" +
           action + "\r\n";
}

class PlayerDisc : public test::AutomatedPlayer {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("xorriso")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
            GTEST_SKIP() << "xorriso and ffmpeg make the disc";
        QDir().mkpath(file(QStringLiteral("cd/VIDEO")));
        QDir().mkpath(file(QStringLiteral("cd/DATA")));
        QDir().mkpath(file(QStringLiteral("tmp")));
        QProcess video;
        video.start(QStringLiteral("ffmpeg"),
                    {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                     QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("color=green:s=80x60:r=10:d=3"),
                     QStringLiteral("-c:v"), QStringLiteral("msvideo1"), file(QStringLiteral("cd/VIDEO/intro.avi"))});
        ASSERT_TRUE(video.waitForFinished(60000) && video.exitCode() == 0);
        ASSERT_TRUE(test::writeBytes(file(QStringLiteral("cd/DATA/INFO.TXT")), "on the disc\r\n"));
        // The title's program: a Windows executable with the publication
        // appended, and a second publication AUTORUN.INF does not name.
        pack("Game",
             "MasterPage\r\nPageColor=0\r\nNewPage=One\r\nPageColor=255\r\nShowMaster=No\r\n"
             "PageAction=FR \"E:\\DATA\\INFO.TXT\" \"1\" \"INFO\"|FR \"\\data\\info.txt\" \"1\" \"ROOT\"|"
             "FW \"D:\\SAVE.TXT\" \"0\" \"x\"\r\n"
             "ExitAction=\r\n" +
                 button(10, 210, R"(PV "-1" "-1" "-1" "-1" "D:\VIDEO\INTRO.AVI" "")"),
             file(QStringLiteral("cd/GAME.EXE")), true);
        pack("Other", "NewPage=Elsewhere\r\nPageColor=0\r\nShowMaster=No\r\nPageAction=\r\nExitAction=\r\n",
             file(QStringLiteral("cd/OTHER.LUM")), false);
        ASSERT_TRUE(test::writeBytes(file(QStringLiteral("cd/AUTORUN.INF")), "[autorun]\r\nopen=game.exe /x\r\n"));
        const QString failed = test::makeIso(file(QStringLiteral("cd")), file(QStringLiteral("disc.iso")));
        ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();
    }

    void pack(const QByteArray& title, const QByteArray& pages, const QString& out, bool asExecutable)
    {
        const QString folder = file(QStringLiteral("pub-") + QString::fromLatin1(title));
        QDir().mkpath(folder);
        ASSERT_TRUE(test::writeBytes(folder + QStringLiteral("/RUNTIME.PUB"),
                                     "LumeriaVer=1.0\r\nTitle=" + title +
                                         "\r\nScreenWidth=320\r\nScreenHeight=240\r\nL_OK=OK\r\n"
                                         "L_ERRORTITLE=Erreur\r\n" +
                                         pages));
        QStringList args{QStringLiteral("build"), folder, QStringLiteral("-o"), out};
        if (asExecutable)
            args += {QStringLiteral("--exe"), QStringLiteral(LUMERIA_TEST_DATA "/executables/ICON.EXE")};
        QProcess p;
        p.start(QStringLiteral(LUMERIA_PACK), args);
        ASSERT_TRUE(p.waitForFinished(60000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("TMPDIR"), file(QStringLiteral("tmp")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), file(QStringLiteral("xdg")));
        return env;
    }

    // The CUE/BIN: the ISO as a MODE1/2048 track in a file of its own, and
    // the music in a second file, two tracks of tones.
    QString cueBin()
    {
        QFile iso(file(QStringLiteral("disc.iso")));
        EXPECT_TRUE(iso.open(QIODevice::ReadOnly));
        EXPECT_TRUE(test::writeBytes(file(QStringLiteral("TRACK01.BIN")), iso.readAll()));
        const QByteArray first = test::toneTrack(440, 1.5);
        EXPECT_TRUE(test::writeBytes(file(QStringLiteral("Music.bin")), first + test::toneTrack(880, 1)));
        const QString cue = file(QStringLiteral("disc.cue"));
        EXPECT_TRUE(test::writeBytes(cue, "FILE \"track01.bin\" BINARY\r\n  TRACK 01 MODE1/2048\r\n"
                                          "    INDEX 01 00:00:00\r\nFILE \"MUSIC.BIN\" BINARY\r\n"
                                          "  TRACK 02 AUDIO\r\n    PREGAP 00:02:00\r\n    INDEX 01 00:00:00\r\n"
                                          "  TRACK 03 AUDIO\r\n    INDEX 01 " +
                                              test::msf(first.size() / 2352).toLatin1() + "\r\n"));
        return cue;
    }

    bool leftNothingBehind() const
    {
        // Qt makes its runtime folder there too; the disc's own must be gone.
        return QDir(file(QStringLiteral("tmp"))).entryList({QStringLiteral("lumeria*")}, QDir::AllEntries).isEmpty();
    }
};

TEST_F(PlayerDisc, AnIsoPlaysItsPublicationAndItsFilesByDriveLetter)
{
    const PlayerRun r = automate({file(QStringLiteral("disc.iso"))}, QStringLiteral(R"(wait 200
expect-page One
expect-var INFO on the disc
expect-var ROOT on the disc
click 30 220
wait 700
screenshot video.png
)"),
                                 {}, environment());
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // The disc is read-only, as the CD-ROM was.
    EXPECT_EQ(logLines().filter(QStringLiteral("dialog ")),
              QStringList{QStringLiteral(R"(dialog "Game" "Le disque est protégé en écriture !" "OK" -> 0)")});
    // The video, 80 by 60, centred on the red page.
    const QImage shot(file(QStringLiteral("video.png")));
    ASSERT_FALSE(shot.isNull());
    const QRgb centre = shot.pixel(160, 120);
    EXPECT_GT(qGreen(centre), 100);
    EXPECT_LT(qRed(centre), 60);
    EXPECT_EQ(shot.pixel(160 - 45, 120) & 0xFFFFFF, 0xFF0000u);
    EXPECT_TRUE(leftNothingBehind());

    // AUTORUN.INF chose GAME.EXE over OTHER.LUM; without it the reader is
    // asked which, here by nobody, and the choices are named.
    const PlayerRun listed = test::player({file(QStringLiteral("disc.iso")), QStringLiteral("--list")});
    EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    EXPECT_EQ(listed.out.trimmed(), QByteArray("One"));
    ASSERT_TRUE(QFile::remove(file(QStringLiteral("cd/AUTORUN.INF"))));
    ASSERT_TRUE(test::makeIso(file(QStringLiteral("cd")), file(QStringLiteral("two.iso"))).isEmpty());
    const PlayerRun two =
        test::player({file(QStringLiteral("two.iso")), QStringLiteral("--list")}, {}, {}, environment());
    EXPECT_EQ(two.exitCode, 1);
    EXPECT_TRUE(two.err.contains("plusieurs publications")) << two.err.toStdString();
    EXPECT_TRUE(two.err.contains("GAME.EXE") && two.err.contains("OTHER.LUM")) << two.err.toStdString();
    EXPECT_TRUE(leftNothingBehind());
}

TEST_F(PlayerDisc, ACueSheetsAudioTracksAreTheDiscsMusic)
{
    const QString cue = cueBin();
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("disk"));
    env.insert(QStringLiteral("SDL_DISKAUDIOFILE"), file(QStringLiteral("out.raw")));
    const PlayerRun r = automate({cue}, QStringLiteral(R"(wait 200
expect-page One
expect-var INFO on the disc
mci open cdaudio
mci set cdaudio time format tmsf
mci status cdaudio media present
mci status cdaudio number of tracks
mci status cdaudio type track 1
mci status cdaudio type track 2
mci status cdaudio length track 3
mci play cdaudio from 2 to 3
mci status cdaudio mode
wait 1900
mci status cdaudio mode
mci status cdaudio position
mci close cdaudio
)"),
                                 {}, env);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList log = logLines();
    const QStringList replies = log.filter(QStringLiteral("mci "));
    ASSERT_EQ(replies.size(), 12) << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(replies[2], QStringLiteral(R"(mci "status cdaudio media present" -> 0 "true")"));
    EXPECT_EQ(replies[3], QStringLiteral(R"(mci "status cdaudio number of tracks" -> 0 "3")"));
    EXPECT_EQ(replies[4], QStringLiteral(R"(mci "status cdaudio type track 1" -> 0 "other")"));
    EXPECT_EQ(replies[5], QStringLiteral(R"(mci "status cdaudio type track 2" -> 0 "audio")"));
    EXPECT_EQ(replies[6], QStringLiteral(R"(mci "status cdaudio length track 3" -> 0 "00:01:00")"));
    EXPECT_EQ(replies[7], QStringLiteral(R"(mci "play cdaudio from 2 to 3" -> 0 "")"));
    EXPECT_EQ(replies[8], QStringLiteral(R"(mci "status cdaudio mode" -> 0 "playing")"));
    EXPECT_EQ(replies[9], QStringLiteral(R"(mci "status cdaudio mode" -> 0 "stopped")"));
    EXPECT_EQ(replies[10], QStringLiteral(R"(mci "status cdaudio position" -> 0 "03:00:00:00")"));

    // What was heard: track 2's tone, for its length.
    const auto line = std::find_if(log.begin(), log.end(), [](const QString& l) { return l.startsWith("audio "); });
    ASSERT_NE(line, log.end()) << log.join(QLatin1Char('\n')).toStdString();
    const QStringList format = line->split(QLatin1Char(' '));
    ASSERT_EQ(format.size(), 4) << log.join(QLatin1Char('\n')).toStdString();
    const int rate = format[1].toInt();
    const int channels = format[2].toInt();
    ASSERT_GT(rate, 0);
    ASSERT_GT(channels, 0);
    QFile raw(file(QStringLiteral("out.raw")));
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    std::vector<int16_t> left;
    for (qsizetype i = 0; i + 2 <= bytes.size(); i += 2 * channels) {
        int16_t v;
        std::memcpy(&v, bytes.constData() + i, 2);
        left.push_back(v);
    }
    const auto loud = [](int16_t v) { return std::abs(v) > 3000; };
    const auto first = std::find_if(left.begin(), left.end(), loud);
    const auto last = std::find_if(left.rbegin(), left.rend(), loud).base();
    ASSERT_TRUE(first < last);
    const double seconds = double(last - first) / rate;
    EXPECT_NEAR(seconds, 1.5, 0.08);
    int crossings = 0;
    for (auto it = first; it + 1 < last; ++it)
        crossings += (*it < 0) != (*(it + 1) < 0);
    const double hz = crossings / 2.0 / seconds;
    EXPECT_NEAR(hz, 440, 6);
    std::cout << "track 2 heard at " << hz << " Hz for " << seconds << " s\n";
    EXPECT_TRUE(leftNothingBehind());
}

TEST_F(PlayerDisc, BadImagesSayWhatIsWrongAndPlayNothing)
{
    const QString cue = cueBin();
    QFile iso(file(QStringLiteral("disc.iso")));
    ASSERT_TRUE(iso.open(QIODevice::ReadOnly));
    ASSERT_TRUE(test::writeBytes(file(QStringLiteral("cut.iso")), iso.read(16 * 2048 + 100)));
    ASSERT_TRUE(QFile::remove(file(QStringLiteral("Music.bin"))));
    ASSERT_TRUE(test::writeBytes(file(QStringLiteral("empty.iso")), {}));
    struct Case {
        QString image;
        QByteArray says;
    } cases[] = {
        {file(QStringLiteral("cut.iso")), "cut.iso n'est pas une image de disque lisible."},
        {file(QStringLiteral("empty.iso")), "empty.iso n'est pas une image de disque lisible."},
        {cue, "Le fichier MUSIC.BIN nomm\xC3\xA9 par la feuille CUE est introuvable."},
    };
    for (const Case& c : cases) {
        const PlayerRun r = test::player({c.image, QStringLiteral("--list")}, {}, {}, environment());
        EXPECT_EQ(r.exitCode, 1) << c.image.toStdString();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    // The data track named alone, with no sheet of its name beside it, is
    // the plain image it is.
    const PlayerRun alone =
        test::player({file(QStringLiteral("TRACK01.BIN")), QStringLiteral("--list")}, {}, {}, environment());
    EXPECT_EQ(alone.exitCode, 0) << alone.err.toStdString();
    EXPECT_EQ(alone.out.trimmed(), QByteArray("One"));
    EXPECT_TRUE(leftNothingBehind());
}

} // namespace
} // namespace lumeria
