#include "DiscFixtures.h"

#include "platform/WindowsPath.h"
#include "platform/disc/CueSheet.h"
#include "platform/disc/DiscImage.h"
#include "platform/disc/ImageVolume.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include <unistd.h>

namespace lumeria::disc {
namespace {

using test::makeIso;
using test::msf;
using test::writeBytes;

// Sheets read against files of given sizes, found by name in any case.
CueParse parse(const QByteArray& text, const std::map<QString, int64_t>& files)
{
    return parseCueSheet(
        text,
        [&](const QString& name) -> std::optional<QString> {
            for (const auto& [file, size] : files)
                if (file.compare(name, Qt::CaseInsensitive) == 0)
                    return QStringLiteral("/disc/") + file;
            return std::nullopt;
        },
        [&](const QString& path) -> std::optional<int64_t> {
            const auto it = files.find(QFileInfo(path).fileName());
            return it == files.end() ? std::nullopt : std::optional<int64_t>(it->second);
        });
}

TEST(CueSheet, PlacesTracksOfMixedSectorSizesAndGapsWhereTheFilesHoldThem)
{
    // One file: a cooked data track of 300 sectors, then audio with a
    // stored pregap of 150 sectors; a second file (named by a Windows path
    // in another case) with one more audio track and a PREGAP not stored.
    const QByteArray sheet = "REM made by a ripper\r\n"
                             "FILE \"C:\\RIPS\\Game.bin\" BINARY\r\n"
                             "  TRACK 01 MODE1/2048\r\n"
                             "    INDEX 01 00:00:00\r\n"
                             "  TRACK 02 AUDIO\r\n"
                             "    FLAGS DCP\r\n"
                             "    INDEX 00 00:04:00\r\n"
                             "    INDEX 01 00:06:00\r\n"
                             "FILE \"track03.BIN\" BINARY\r\n"
                             "  TRACK 03 AUDIO\r\n"
                             "    PREGAP 00:02:00\r\n"
                             "    INDEX 01 00:00:00\r\n";
    const int64_t gameSize = 300 * 2048 + (150 + 750) * 2352;
    const CueParse p = parse(sheet, {{"game.bin", gameSize}, {"TRACK03.bin", 375 * 2352}});
    ASSERT_TRUE(p.error.isEmpty()) << p.error.toStdString();
    ASSERT_EQ(p.sheet.tracks.size(), 3u);
    const CueTrack& data = p.sheet.tracks[0];
    EXPECT_EQ(data.mode, TrackMode::Mode1Cooked);
    EXPECT_EQ(data.file, QStringLiteral("/disc/game.bin"));
    EXPECT_EQ(data.offset, 0);
    EXPECT_EQ(data.sectors, 300); // up to track 2's INDEX 00, not its INDEX 01
    const CueTrack& music = p.sheet.tracks[1];
    EXPECT_EQ(music.offset, 300 * 2048 + 150 * 2352);
    EXPECT_EQ(music.sectors, 750);
    EXPECT_EQ(music.length(), 750 * 2352);
    const CueTrack& last = p.sheet.tracks[2];
    EXPECT_EQ(last.file, QStringLiteral("/disc/TRACK03.bin"));
    EXPECT_EQ(last.offset, 0);
    EXPECT_EQ(last.sectors, 375);
    EXPECT_EQ(last.pregap, 150);
}

TEST(CueSheet, SheetsNoDiscIsLaidOutLikeAreRefusedWithTheirReason)
{
    const std::map<QString, int64_t> files{{"a.bin", 100 * 2352}};
    struct Case {
        QByteArray text;
        const char* says;
    } cases[] = {
        {"FILE \"missing.bin\" BINARY\nTRACK 01 MODE1/2352\nINDEX 01 00:00:00\n", "missing.bin"},
        {"FILE \"a.bin\" BINARY\nTRACK 01 MODE1/2352\nINDEX 00 00:00:00\n", "INDEX 01"},
        {"FILE \"a.bin\" BINARY\nTRACK 01 CDG\nINDEX 01 00:00:00\n", "CDG"},
        {"FILE \"a.bin\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", "WAVE"},
        {"FILE \"a.bin\" BINARY\nTRACK 02 AUDIO\nINDEX 01 00:00:00\nTRACK 01 AUDIO\nINDEX 01 00:00:10\n", "ligne 4"},
        {"FILE \"a.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:10\nINDEX 02 00:00:05\n", "ligne 4"},
        {"FILE \"a.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:61:00\n", "ligne 3"},
        {"FILE \"a.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
         "FILE \"A.BIN\" BINARY\nTRACK 02 AUDIO\nINDEX 01 00:10:00\n",
         "après la fin"},
        {"TRACK 01 AUDIO\n", "ligne 1"},
        {"REM nothing here\n", "aucune piste"},
        {QByteArray(2 << 20, ' '), "trop longue"},
    };
    for (const Case& c : cases) {
        const CueParse p = parse(c.text, files);
        EXPECT_TRUE(p.error.contains(QString::fromUtf8(c.says)))
            << c.text.left(80).toStdString() << " -> " << p.error.toStdString();
        EXPECT_TRUE(p.sheet.tracks.empty());
    }
}

// A folder to make images of: names in mixed case, longer than 8.3, in
// folders, and one folder with enough files that its directory takes
// several sectors.
class DiscImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        source = dir.filePath(QStringLiteral("src"));
        ASSERT_TRUE(QDir().mkpath(source + QStringLiteral("/Video/Clips")));
        ASSERT_TRUE(QDir().mkpath(source + QStringLiteral("/MANY")));
        ASSERT_TRUE(writeBytes(source + QStringLiteral("/README.TXT"), "on the disc\r\n"));
        ASSERT_TRUE(writeBytes(source + QStringLiteral("/Video/Clips/Long Name Intro.avi"), bigFile()));
        for (int i = 0; i < 120; ++i)
            ASSERT_TRUE(writeBytes(source + QStringLiteral("/MANY/FILE%1.DAT").arg(i, 3, 10, QLatin1Char('0')),
                                   QByteArray::number(i)));
    }

    static QByteArray bigFile()
    {
        QByteArray b;
        for (int i = 0; i < 20000; ++i)
            b += QByteArray::number(i) + ',';
        return b;
    }

    QString image(const QStringList& options, const QString& name = QStringLiteral("disc.iso"))
    {
        const QString iso = dir.filePath(name);
        const QString failed = makeIso(source, iso, options);
        EXPECT_TRUE(failed.isEmpty()) << failed.toStdString();
        return iso;
    }

    static QByteArray readAll(const DiscImage& disc, const DiscEntry& file)
    {
        QByteArray out(qsizetype(file.size), '\0');
        const int64_t n = disc.read(file, 0, std::as_writable_bytes(std::span(out.data(), size_t(out.size()))));
        return n == out.size() ? out : QByteArray();
    }

    // Every name below the root and the contents of every file, as read.
    static std::map<QString, QByteArray> tree(const DiscImage& disc)
    {
        std::map<QString, QByteArray> out;
        std::vector<std::pair<QString, DiscEntry>> todo{{QString(), disc.root()}};
        while (!todo.empty()) {
            auto [path, folder] = todo.back();
            todo.pop_back();
            for (const DiscEntry& e : disc.list(folder)) {
                const QString p = path + QLatin1Char('/') + e.name;
                if (e.folder)
                    todo.emplace_back(p, e);
                else
                    out[p] = readAll(disc, e);
            }
        }
        return out;
    }

    QTemporaryDir dir;
    QString source;
};

TEST_F(DiscImageTest, RockRidgeJolietAndPlainNamesEachReadTheTree)
{
    QString error;
    const auto rockRidge = DiscImage::open(image({"-J", "-R"}), &error);
    ASSERT_TRUE(rockRidge) << error.toStdString();
    EXPECT_EQ(rockRidge->volumeName(), QStringLiteral("TESTDISC"));
    const auto intro = rockRidge->find(QStringLiteral("VIDEO/clips/long name INTRO.AVI"));
    ASSERT_TRUE(intro);
    EXPECT_EQ(intro->name, QStringLiteral("Long Name Intro.avi"));
    EXPECT_EQ(readAll(*rockRidge, *intro), bigFile());
    EXPECT_EQ(rockRidge->list(*rockRidge->find(QStringLiteral("many"))).size(), 120u);
    const std::map<QString, QByteArray> expected = tree(*rockRidge);
    EXPECT_EQ(expected.size(), 122u);
    EXPECT_EQ(expected.at(QStringLiteral("/MANY/FILE077.DAT")), QByteArray("77"));

    const auto joliet = DiscImage::open(image({"-J"}, QStringLiteral("joliet.iso")), &error);
    ASSERT_TRUE(joliet) << error.toStdString();
    EXPECT_EQ(tree(*joliet), expected);

    // Without either, names are what ISO 9660 allows, without ";1".
    const auto plain = DiscImage::open(image({}, QStringLiteral("plain.iso")), &error);
    ASSERT_TRUE(plain) << error.toStdString();
    const auto readme = plain->find(QStringLiteral("readme.txt"));
    ASSERT_TRUE(readme);
    EXPECT_EQ(readme->name, QStringLiteral("README.TXT"));
    EXPECT_EQ(readAll(*plain, *readme), QByteArray("on the disc\r\n"));
    EXPECT_FALSE(plain->find(QStringLiteral("README.TXT/x")));
    EXPECT_FALSE(plain->find(QStringLiteral("nothing.txt")));
}

TEST_F(DiscImageTest, RawTracksAndDataAfterAStoredGapReadAsThePlainImage)
{
    QString error;
    const QString iso = image({"-J", "-R"});
    QFile f(iso);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray cooked = f.readAll();
    const auto plain = DiscImage::open(iso, &error);
    ASSERT_TRUE(plain);
    const std::map<QString, QByteArray> expected = tree(*plain);

    for (const int mode : {1, 2}) {
        // A .bin of raw sectors with a stored gap of 150 sectors before the
        // data, and two tone tracks after it, in one file.
        const QString bin = dir.filePath(QStringLiteral("mode%1.bin").arg(mode));
        const QByteArray gap(150 * 2352, '\0');
        const QByteArray data = test::rawDataTrack(cooked, mode);
        ASSERT_TRUE(writeBytes(bin, gap + data + test::toneTrack(440, 1) + test::toneTrack(880, 1)));
        const int64_t dataSectors = data.size() / 2352;
        const QString cue = dir.filePath(QStringLiteral("mode%1.cue").arg(mode));
        const QString sheet = QStringLiteral("FILE \"MODE%1.BIN\" BINARY\n"
                                             "  TRACK 01 MODE%1/2352\n    INDEX 00 00:00:00\n    INDEX 01 %2\n"
                                             "  TRACK 02 AUDIO\n    INDEX 01 %3\n"
                                             "  TRACK 03 AUDIO\n    INDEX 01 %4\n")
                                  .arg(mode)
                                  .arg(msf(150), msf(150 + dataSectors), msf(150 + dataSectors + 75));
        ASSERT_TRUE(writeBytes(cue, sheet.toLatin1()));

        for (const QString& named : {cue, bin}) { // a .bin named alone reads through its sheet
            const auto raw = DiscImage::open(named, &error);
            ASSERT_TRUE(raw) << error.toStdString();
            EXPECT_EQ(tree(*raw), expected) << "mode " << mode;
            ASSERT_EQ(raw->tracks().size(), 3u);
            EXPECT_EQ(raw->tracks()[1].mode, TrackMode::Audio);
            EXPECT_EQ(raw->tracks()[1].sectors, 75);
            EXPECT_EQ(raw->tracks()[2].offset, (150 + dataSectors + 75) * 2352);
        }
    }
    // A raw track with no sheet beside it is recognised by its framing.
    const QString lone = dir.filePath(QStringLiteral("lone.img"));
    ASSERT_TRUE(writeBytes(lone, test::rawDataTrack(cooked, 1)));
    const auto guessed = DiscImage::open(lone, &error);
    ASSERT_TRUE(guessed) << error.toStdString();
    EXPECT_EQ(tree(*guessed), expected);
}

TEST_F(DiscImageTest, LyingRecordsAndDamagedImagesNeverReadOutsideTheTrack)
{
    QString error;
    const QString iso = image({"-R"});
    QFile f(iso);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray good = f.readAll();
    const auto disc = DiscImage::fromIsoBytes(good, &error);
    ASSERT_TRUE(disc);
    const DiscEntry readme = *disc->find(QStringLiteral("README.TXT"));

    // The record of README.TXT, found by its extent in the root directory.
    const DiscEntry root = disc->root();
    const qsizetype rootAt = qsizetype(root.sector) * 2048;
    qsizetype record = -1;
    for (qsizetype at = rootAt; at < rootAt + 2048 && good[at] != 0; at += uint8_t(good[at])) {
        uint32_t extent;
        std::memcpy(&extent, good.constData() + at + 2, 4);
        if (extent == readme.sector)
            record = at;
    }
    ASSERT_GE(record, 0);

    // Its extent moved past the end of the image: left out, the rest stays.
    QByteArray lying = good;
    const uint32_t far = uint32_t(good.size() / 2048 + 10);
    std::memcpy(lying.data() + record + 2, &far, 4);
    const auto lied = DiscImage::fromIsoBytes(lying, &error);
    ASSERT_TRUE(lied);
    EXPECT_FALSE(lied->find(QStringLiteral("README.TXT")));
    EXPECT_TRUE(lied->find(QStringLiteral("Video/Clips/Long Name Intro.avi")));

    // Made a folder pointing at the root: a loop that paths walk a bounded
    // number of times.
    QByteArray loop = good;
    std::memcpy(loop.data() + record + 2, &root.sector, 4);
    std::memcpy(loop.data() + record + 10, &root.size, 4);
    loop[record + 25] = char(0x02);
    const auto looped = DiscImage::fromIsoBytes(loop, &error);
    ASSERT_TRUE(looped);
    QString deep;
    for (int i = 0; i < 200; ++i)
        deep += QStringLiteral("README.TXT/");
    EXPECT_FALSE(looped->find(deep + QStringLiteral("Video")));
    EXPECT_TRUE(looped->find(QStringLiteral("README.TXT/README.TXT/Video")));

    // Cut short: the file system or the files past the cut cannot be read,
    // which is said, and nothing is read beyond what is there.
    for (const qsizetype size : {qsizetype(0), qsizetype(16 * 2048), qsizetype(17 * 2048), good.size() / 2}) {
        const auto cut = DiscImage::fromIsoBytes(good.left(size), &error);
        if (!cut)
            continue;
        (void)tree(*cut);
    }
    EXPECT_FALSE(DiscImage::fromIsoBytes(good.left(16 * 2048), &error));

    // Not a disc at all.
    const QString text = dir.filePath(QStringLiteral("notes.iso"));
    ASSERT_TRUE(writeBytes(text, QByteArray(40000, 'x')));
    EXPECT_FALSE(DiscImage::open(text, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("notes.iso"))) << error.toStdString();
    EXPECT_FALSE(DiscImage::open(dir.filePath(QStringLiteral("absent.cue")), &error));
}

TEST_F(DiscImageTest, PathsOnTheImageVolumeBringOutOnlyWhatTheyName)
{
    QString error;
    auto disc = DiscImage::open(image({"-J", "-R"}), &error);
    ASSERT_TRUE(disc);
    auto volume = ImageVolume::create(std::move(disc));
    ASSERT_TRUE(volume);
    const QString folder = volume->folder();
    setImageVolume(volume.get());
    DriveMap drives;
    drives.volume = folder;
    drives.publicationFolder = folder;
    setDriveMap(drives);

    // Folders show at once, files only when named.
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/Video")).isDir());
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/README.TXT")));
    const QString intro = resolveWindowsPath(QStringLiteral("D:\\VIDEO\\CLIPS\\LONG NAME INTRO.AVI"), folder);
    EXPECT_EQ(intro, folder + QStringLiteral("/Video/Clips/Long Name Intro.avi"));
    QFile copied(intro);
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
    EXPECT_EQ(copied.readAll(), bigFile());
    EXPECT_FALSE(QFileInfo(intro).isWritable() && ::geteuid() != 0);
    EXPECT_EQ(resolveWindowsPath(QStringLiteral("readme.txt"), folder), folder + QStringLiteral("/README.TXT"));
    EXPECT_EQ(volume->copiedBytes(), bigFile().size() + 13);
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/MANY/FILE001.DAT")));
    // Names the disc lacks stay as written and bring nothing.
    EXPECT_EQ(resolveWindowsPath(QStringLiteral("\\NEW\\X.TXT"), folder), folder + QStringLiteral("/NEW/X.TXT"));
    {
        const NamesOnly inPlace;
        resolveWindowsPath(QStringLiteral("\\MANY\\FILE002.DAT"), folder);
        EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/MANY/FILE002.DAT")));
    }

    volume.reset();
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_EQ(imageVolume(), nullptr);
    setDriveMap(DriveMap());
}

} // namespace
} // namespace lumeria::disc
