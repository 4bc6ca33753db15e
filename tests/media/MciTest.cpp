#include "MediaTestSupport.h"

#include "media/MciCommand.h"
#include "media/MciErrors.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace lumeria;
using namespace lumeria::media;
using namespace lumeria::media::test;

TEST(MciCommand, WordsQuotesAndMultiWordKeywords)
{
    Result<MciRequest> r =
        parseMciCommand(QStringLiteral("  OPEN \"C:\\My Sounds\\a b.wav\"  Type WaveAudio alias snd "));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->verb, MciVerb::Open);
    EXPECT_EQ(r->device, QStringLiteral("C:\\My Sounds\\a b.wav"));
    EXPECT_EQ(r->type, QStringLiteral("WaveAudio"));
    EXPECT_EQ(r->alias, QStringLiteral("snd"));

    r = parseMciCommand(QStringLiteral("status cd number of tracks wait"));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->item, MciItem::NumberOfTracks);
    EXPECT_TRUE(r->has(MciFlag::Wait));

    r = parseMciCommand(QStringLiteral("seek s to end"));
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r->has(MciFlag::SeekEnd));
    r = parseMciCommand(QStringLiteral("set cd time format tmsf audio all off"));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->timeFormat, MciTimeFormat::Tmsf);
    EXPECT_EQ(r->audio, false);
}

TEST(MciCommand, IntegersTakeColonNotationAndItemsTheirNumbers)
{
    // Bytes low first, each 0..255, any of them left out.
    const struct {
        const char* command;
        uint32_t value;
    } integers[] = {
        {"seek x to 1500", 1500}, {"seek x to 220:5:0", 1500},        {"seek x to :1", 256},
        {"seek x to 250::", 250}, {"seek x to 1:2:3:4", 0x04030201u}, {"seek x to 4294967295", 0xFFFFFFFFu}};
    for (const auto& c : integers) {
        const Result<MciRequest> r = parseMciCommand(QString::fromLatin1(c.command));
        ASSERT_TRUE(r.ok()) << c.command;
        EXPECT_EQ(r->seekTo, c.value) << c.command;
    }
    EXPECT_EQ(parseMciCommand(QStringLiteral("seek x to 4294967296")).error(), mci::kBadInteger);
    EXPECT_EQ(parseMciCommand(QStringLiteral("seek x to -1")).error(), mci::kBadInteger);

    Result<MciRequest> r = parseMciCommand(QStringLiteral("status x 4 track 2"));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->item, MciItem::ByNumber);
    EXPECT_EQ(statusItemNumbered(r->itemNumber, DeviceType::WaveAudio), MciItem::Mode);
    // Numbers past the core's belong to each driver.
    EXPECT_EQ(statusItemNumbered(0x4001, DeviceType::WaveAudio), MciItem::FormatTag);
    EXPECT_EQ(statusItemNumbered(0x4001, DeviceType::CdAudio), MciItem::TrackType);
    EXPECT_EQ(statusItemNumbered(0x4003, DeviceType::CdAudio), MciItem::None);
    r = parseMciCommand(QStringLiteral("set x time format 10"));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->timeFormat, MciTimeFormat::Tmsf);
    r = parseMciCommand(QStringLiteral("info c upc identity product"));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->item, MciItem::Product);
}

// The fuzzer reaches a row sooner from its words: a row added to the
// table belongs in the dictionary too.
TEST(MciCommand, FuzzDictionaryHasEveryWordOfTheTable)
{
    QFile file(QStringLiteral(LUMERIA_TEST_DATA "/../../fuzz/mci.dict"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString dictionary = QString::fromLatin1(file.readAll());
    for (const QString& phrase : mciTableWords()) {
        for (const QString& word : phrase.split(QLatin1Char(' ')))
            EXPECT_TRUE(dictionary.contains(QLatin1Char('"') + word + QLatin1Char('"'))) << word.toStdString();
        if (phrase.contains(QLatin1Char(' '))) {
            EXPECT_TRUE(dictionary.contains(QLatin1Char('"') + phrase + QLatin1Char('"'))) << phrase.toStdString();
        }
    }
}

TEST(MciCommand, MalformedStringsGiveThePlatformsCodes)
{
    const struct {
        const char* command;
        int code;
    } cases[] = {
        {"", mci::kMissingCommandString},
        {"   ", mci::kMissingCommandString},
        {"dance snd", mci::kUnrecognizedCommand},
        {"play", mci::kMissingDeviceName},
        {"open \"a.wav", mci::kNoClosingQuote},
        {"play snd backwards", mci::kUnrecognizedKeyword},
        {"play snd wait wait", mci::kDuplicateFlags},
        {"play snd from", mci::kBadInteger},
        {"play snd from 1:2:3:4:5", mci::kBadInteger},
        {"open a.wav alias", mci::kMissingStringArgument},
        {"status snd colour", mci::kBadConstant},
        {"set snd colour", mci::kUnrecognizedKeyword},
        {"set snd time format ms time format msf", mci::kFlagsNotCompatible},
        {"status snd mode length", mci::kFlagsNotCompatible},
        {"set snd audio all loud", mci::kBadConstant},
    };
    for (const auto& c : cases) {
        const Result<MciRequest> r = parseMciCommand(QString::fromLatin1(c.command));
        EXPECT_EQ(r.error(), c.code) << c.command;
    }
}

TEST(Mci, OpenPlayStatusCloseRoundTrip)
{
    ManagerFixture f;
    f.writeTone(QStringLiteral("A B.WAV"), 500);
    EXPECT_EQ(f.mci(QStringLiteral("open \"C:\\Sons\\a b.wav\" type waveaudio alias snd")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status snd length")), QStringLiteral("500"));
    EXPECT_EQ(f.reply(QStringLiteral("status snd mode")), QStringLiteral("stopped"));
    EXPECT_EQ(f.reply(QStringLiteral("status snd time format")), QStringLiteral("milliseconds"));
    EXPECT_EQ(f.reply(QStringLiteral("status snd number of tracks")), QStringLiteral("1"));
    EXPECT_EQ(f.reply(QStringLiteral("capability snd device type")), QStringLiteral("waveaudio"));
    EXPECT_EQ(f.reply(QStringLiteral("capability snd has video")), QStringLiteral("false"));
    EXPECT_EQ(f.mci(QStringLiteral("play snd from 100")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status snd mode")), QStringLiteral("playing"));
    EXPECT_EQ(f.mci(QStringLiteral("pause snd")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status snd mode")), QStringLiteral("paused"));
    const int paused = f.reply(QStringLiteral("status snd position")).toInt();
    spinFor(100);
    EXPECT_EQ(f.reply(QStringLiteral("status snd position")).toInt(), paused);
    EXPECT_GE(paused, 100);
    EXPECT_EQ(f.mci(QStringLiteral("resume snd")), 0);
    EXPECT_EQ(f.mci(QStringLiteral("seek snd to start")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status snd position")), QStringLiteral("0"));
    EXPECT_EQ(f.mci(QStringLiteral("seek snd to 250")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status snd position")), QStringLiteral("250"));
    // A play that names its end returns with it when asked to wait.
    const int64_t took = timed([&] { EXPECT_EQ(f.mci(QStringLiteral("play snd from 100 to 300 wait")), 0); });
    EXPECT_GE(took, 180);
    EXPECT_LT(took, 1500);
    EXPECT_EQ(f.reply(QStringLiteral("status snd mode")), QStringLiteral("stopped"));
    EXPECT_EQ(f.mci(QStringLiteral("close snd")), 0);
    EXPECT_EQ(f.mci(QStringLiteral("status snd mode")), mci::kInvalidDeviceName);
}

TEST(Mci, BadRequestsGiveTheirCodesAndLeaveNothingOpen)
{
    ManagerFixture f;
    f.writeTone(QStringLiteral("A.WAV"), 200);
    f.write(QStringLiteral("JUNK.WAV"), QByteArray(300, '\x5a'));
    EXPECT_EQ(f.mci(QStringLiteral("open missing.wav")), mci::kFileNotFound);
    EXPECT_EQ(f.mci(QStringLiteral("open junk.wav alias j")), mci::kInvalidFile);
    EXPECT_EQ(f.mci(QStringLiteral("open a.wav type tapedeck")), mci::kInvalidDeviceName);
    EXPECT_EQ(f.mci(QStringLiteral("play nosuchdevice")), mci::kInvalidDeviceName);
    EXPECT_EQ(f.mci(QStringLiteral("close nosuchdevice")), mci::kInvalidDeviceName);
    EXPECT_EQ(f.mci(QStringLiteral("open all")), mci::kCannotUseAll);
    EXPECT_EQ(f.mci(QStringLiteral("play a.wav notify")), mci::kNotifyOnAutoOpen);

    EXPECT_EQ(f.mci(QStringLiteral("open a.wav alias x")), 0);
    EXPECT_EQ(f.mci(QStringLiteral("open a.wav alias x")), mci::kDuplicateAlias);
    EXPECT_EQ(f.mci(QStringLiteral("status all mode")), mci::kCannotUseAll);
    EXPECT_EQ(f.mci(QStringLiteral("play x from 999999")), mci::kOutOfRange);
    EXPECT_EQ(f.mci(QStringLiteral("play x from 150 to 100")), mci::kOutOfRange);
    EXPECT_EQ(f.mci(QStringLiteral("play x from soon")), mci::kBadInteger);
    EXPECT_EQ(f.mci(QStringLiteral("seek x")), mci::kMissingParameter);
    EXPECT_EQ(f.mci(QStringLiteral("set x time format msf")), mci::kBadTimeFormat);
    EXPECT_EQ(f.mci(QStringLiteral("set x time format fortnights")), mci::kBadConstant);
    EXPECT_EQ(f.mci(QStringLiteral("record x")), mci::kUnsupportedFunction);
    EXPECT_EQ(f.mci(QStringLiteral("set x time format ms audio all off")), 0);
    EXPECT_EQ(f.mci(QStringLiteral("close all")), 0);
    EXPECT_EQ(f.mci(QStringLiteral("status x mode")), mci::kInvalidDeviceName);
}

TEST(Mci, WaveFormatIsTheFilesAndANewElementsIsSet)
{
    ManagerFixture f;
    f.writeTone(QStringLiteral("A.WAV"), 200, 1000.0, 22050);
    EXPECT_EQ(f.mci(QStringLiteral("open a.wav alias a")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status a samplespersec")), QStringLiteral("22050"));
    EXPECT_EQ(f.reply(QStringLiteral("status a bitspersample")), QStringLiteral("16"));
    EXPECT_EQ(f.reply(QStringLiteral("status a 16387")), QStringLiteral("22050")); // by its number
    EXPECT_EQ(f.mci(QStringLiteral("set a time format samples")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status a length")), QStringLiteral("4410"));
    EXPECT_EQ(f.mci(QStringLiteral("set a time format 8")), 0); // bytes
    EXPECT_EQ(f.reply(QStringLiteral("status a length")), QStringLiteral("8820"));
    EXPECT_EQ(f.mci(QStringLiteral("seek a to 4410")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status a position")), QStringLiteral("4410"));
    EXPECT_EQ(f.mci(QStringLiteral("set a time format tmsf")), mci::kBadTimeFormat);
    EXPECT_EQ(f.mci(QStringLiteral("set a channels 2")), mci::kNonapplicableFunction);
    EXPECT_EQ(f.mci(QStringLiteral("status a type track 1")), mci::kBadConstant); // the CD's item

    EXPECT_EQ(f.mci(QStringLiteral("open new type waveaudio alias n")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status n samplespersec")), QStringLiteral("11025"));
    EXPECT_EQ(f.mci(QStringLiteral("set n samplespersec 22050 channels 2 bitspersample 16")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status n channels")), QStringLiteral("2"));
    EXPECT_EQ(f.mci(QStringLiteral("set n format tag 2")), mci::kOutOfRange);
    EXPECT_EQ(f.mci(QStringLiteral("play n")), mci::kFilenameRequired);
    EXPECT_EQ(f.reply(QStringLiteral("sysinfo waveaudio quantity open")), QStringLiteral("2"));
    EXPECT_EQ(f.reply(QStringLiteral("sysinfo waveaudio name 2 open")), QStringLiteral("n"));
    // A script's MCICommand has no buffer for sysinfo's text.
    EXPECT_EQ(f.manager().mciCommand(QStringLiteral("sysinfo waveaudio name 2 open")), mci::kParamOverflow);
    EXPECT_EQ(f.mci(QStringLiteral("close all")), 0);
}

TEST(Mci, AFileNamedWithoutOpeningIsOpenedForTheCommand)
{
    ManagerFixture f;
    f.writeTone(QStringLiteral("A.WAV"), 200);
    EXPECT_EQ(f.reply(QStringLiteral("status a.wav length")), QStringLiteral("200"));
    EXPECT_EQ(f.mci(QStringLiteral("close a.wav")), mci::kInvalidDeviceName);
    const int64_t took = timed([&] { EXPECT_EQ(f.mci(QStringLiteral("play a.wav wait")), 0); });
    EXPECT_GE(took, 180);
    EXPECT_EQ(f.mci(QStringLiteral("close a.wav")), mci::kInvalidDeviceName);
    // Played without waiting, it stays open until its end, then closes.
    EXPECT_EQ(f.mci(QStringLiteral("play a.wav")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status a.wav mode")), QStringLiteral("playing"));
    EXPECT_TRUE(waitUntil([&] { return f.mci(QStringLiteral("close a.wav")) == mci::kInvalidDeviceName; }, 2000));
}

TEST(Mci, RepeatPlaysUntilStopped)
{
    ManagerFixture f;
    f.writeTone(QStringLiteral("R.WAV"), 100);
    EXPECT_EQ(f.mci(QStringLiteral("open r.wav alias r")), 0);
    EXPECT_EQ(f.mci(QStringLiteral("play r repeat")), 0);
    spinFor(350);
    EXPECT_EQ(f.reply(QStringLiteral("status r mode")), QStringLiteral("playing"));
    EXPECT_EQ(f.mci(QStringLiteral("stop r")), 0);
    spinFor(150);
    EXPECT_EQ(f.reply(QStringLiteral("status r mode")), QStringLiteral("stopped"));
}

TEST(Mci, CdDriveWithoutTrackFilesHasNoDisc)
{
    ManagerFixture f;
    EXPECT_EQ(f.mci(QStringLiteral("open cdaudio")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status cdaudio media present")), QStringLiteral("false"));
    EXPECT_EQ(f.reply(QStringLiteral("status cdaudio mode")), QStringLiteral("not ready"));
    EXPECT_EQ(f.mci(QStringLiteral("play cdaudio")), mci::kDeviceNotReady);
    EXPECT_EQ(f.mci(QStringLiteral("status cdaudio number of tracks")), mci::kDeviceNotReady);
    EXPECT_EQ(f.mci(QStringLiteral("open cdaudio")), mci::kDeviceOpen);
    EXPECT_EQ(f.mci(QStringLiteral("close cdaudio")), 0);
}

TEST(Mci, CdTracksComeFromTrackFilesBesideThePublication)
{
    ManagerFixture f;
    // Track 1 is the data track of a mixed-mode disc: no file.
    f.writeTone(QStringLiteral("Track02.wav"), 400, 500.0);
    f.writeTone(QStringLiteral("TRACK03.WAV"), 200, 2000.0);
    EXPECT_EQ(f.mci(QStringLiteral("open cdaudio alias cd shareable")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status cd media present")), QStringLiteral("true"));
    EXPECT_EQ(f.reply(QStringLiteral("status cd number of tracks")), QStringLiteral("3"));
    EXPECT_EQ(f.reply(QStringLiteral("status cd type track 1")), QStringLiteral("other"));
    EXPECT_EQ(f.reply(QStringLiteral("status cd type track 2")), QStringLiteral("audio"));
    EXPECT_EQ(f.reply(QStringLiteral("status cd time format")), QStringLiteral("msf"));
    EXPECT_EQ(f.reply(QStringLiteral("status cd length")), QStringLiteral("00:00:45"));
    EXPECT_EQ(f.mci(QStringLiteral("set cd time format tmsf")), 0);
    EXPECT_EQ(f.reply(QStringLiteral("status cd length track 3")), QStringLiteral("00:00:15"));
    EXPECT_EQ(f.reply(QStringLiteral("status cd position track 3")), QStringLiteral("03:00:00:00"));

    // From the start of track 2 to the start of track 3: the first file alone.
    int64_t took = timed([&] { EXPECT_EQ(f.mci(QStringLiteral("play cd from 2 to 3 wait")), 0); });
    EXPECT_GE(took, 380);
    EXPECT_LT(took, 2000);
    EXPECT_EQ(f.reply(QStringLiteral("status cd current track")), QStringLiteral("3"));
    // Across the track boundary to the end of the disc.
    took = timed([&] { EXPECT_EQ(f.mci(QStringLiteral("play cd from 2:00:00:15 wait")), 0); });
    EXPECT_GE(took, 200 + 200 - 40);
    EXPECT_EQ(f.mci(QStringLiteral("play cd from 4")), mci::kOutOfRange);
    EXPECT_EQ(f.mci(QStringLiteral("close cd")), 0);
}
