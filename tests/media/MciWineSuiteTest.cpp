// The result codes Windows gives command strings, as Wine's winmm
// conformance suite records them: dlls/winmm/tests/mci.c (commit
// a40df0be47848c0a73d91033a71326c1eb153581) and dlls/winmm/tests/mcicda.c
// (commit cb17000c3a321f863aeb5e72f43f939bcb96237a) of wine-mirror/wine,
// LGPL-2.1-or-later. Each ok(err == X) there was run on Windows, todo_wine
// lines included; broken(...) answers are kept as alternatives.
//
// Each Wine test function is one table, run in its order through the real
// interpreter over real devices: a two-second wave file the test writes in
// place of the one Wine records, and the CD drive once without a disc and
// once with track files. Scripts send no return buffer and no window, so
// what the suite checks in a returned string, a notification or a command
// structure is left out; the codes of the strings around it are kept. A
// command structure that sets up state the strings rely on is sent as the
// string it stands for. Cases that need what the player has no notion of
// are listed with the reason and not sent.

#include "MediaTestSupport.h"

#include "media/MciErrors.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <span>
#include <string>

using namespace lumeria;
using namespace lumeria::media;
using namespace lumeria::media::test;

namespace {

constexpr int kNone = -1;

struct WineCase {
    const char* command;
    int code;
    int alternative = kNone; // a broken(...) or either-or answer
    // Sent as MCICommand sends it: no return buffer.
    bool noBuffer = false;
    // Why the case is not sent; null when it is.
    const char* outOfScope = nullptr;
    // Milliseconds the suite lets pass before the case.
    int sleepBefore = 0;
};

constexpr WineCase withoutBuffer(const char* command, int code)
{
    return WineCase{command, code, kNone, true};
}

constexpr WineCase notSent(const char* command, int code, int alternative, const char* why)
{
    return WineCase{command, code, alternative, false, why};
}

constexpr WineCase after(int ms, const char* command, int code)
{
    return WineCase{command, code, kNone, false, nullptr, ms};
}

// Runs the cases in order; "%path%" stands for what "info tempfile.wav
// file" answered, as the suite keeps it.
void runCases(ManagerFixture& f, const char* function, std::span<const WineCase> cases)
{
    QString path = QStringLiteral("tempfile.wav");
    int sent = 0;
    int matched = 0;
    for (const WineCase& c : cases) {
        if (c.outOfScope)
            continue;
        if (c.sleepBefore > 0)
            spinFor(c.sleepBefore);
        QString command = QString::fromLatin1(c.command);
        command.replace(QLatin1String("%path%"), path);
        int code = 0;
        if (c.noBuffer) {
            code = f.manager().mciCommand(command);
        } else {
            const MciReply reply = f.manager().sendString(command);
            code = reply.code;
            if (command == QLatin1String("info tempfile.wav file") && code == 0)
                path = reply.text;
        }
        ++sent;
        const bool ok = code == c.code || (c.alternative != kNone && code == c.alternative);
        matched += ok ? 1 : 0;
        EXPECT_TRUE(ok) << function << ": \"" << c.command << "\" gave " << code << ", Windows " << c.code
                        << (c.alternative != kNone ? " or " + std::to_string(c.alternative) : std::string());
    }
    std::printf("[ wine ] %s: %d of %d cases give Windows' code\n", function, matched, sent);
}

// The suite's tempfile.wav: two seconds, so "to 2000" is its end.
void writeTempFile(ManagerFixture& f)
{
    f.writeTone(QStringLiteral("tempfile.wav"), 2000);
}

// clang-format off
constexpr WineCase kMciParser[] = {
    {"open new type waveaudio alias x notify", 0}, // sent as a command structure
    {"open avivideo alias a", 0},
    {"", mci::kMissingCommandString},
    {"open", mci::kMissingDeviceName},
    {"open notify", mci::kInvalidDeviceName},
    {"open new", mci::kNewRequiresAlias},
    {"open new type waveaudio alias r shareable shareable", mci::kDuplicateFlags},
    {"status x position wait wait", mci::kDuplicateFlags},
    {"status x length length", mci::kFlagsNotCompatible},
    {"status x length position", mci::kFlagsNotCompatible},
    {"set x time format milliseconds time format ms", mci::kFlagsNotCompatible},
    {"status x", mci::kMissingParameter},
    {"status a", mci::kUnsupportedFunction},
    {"status x track", mci::kBadInteger},
    {"status x track 3", mci::kMissingParameter},
    {"status x 2 track 3", mci::kOutOfRange},
    {"status x 0x4", mci::kBadConstant},
    {"status x 4", 0},
    {"status x 4 notify", 0},
    {"set x milliseconds", mci::kUnrecognizedKeyword},
    {"set x milliseconds ms", mci::kUnrecognizedKeyword},
    {"capability x can   save", 0},
    {"status x nsa", mci::kBadConstant},
    {"seek x to 0:0:0:0:0", mci::kBadInteger},
    {"seek x to 0:0:0:0:", mci::kBadInteger},
    {"seek x to :0:0:0:0", mci::kBadInteger},
    {"seek x to 256:0:0:0", mci::kBadInteger},
    {"seek x to 0:256", mci::kBadInteger},
    {"status all time format", mci::kCannotUseAll},
    {"cue all", mci::kUnrecognizedCommand},
    {"open all", mci::kCannotUseAll},
    {"sysinfo avivideo quantity", mci::kDeviceTypeRequired},
    {"sysinfo digitalvideo quantity", 0},
    {"sysinfo digitalvideo quantity open", 0},
    {"put a window at 0 0", mci::kBadInteger},
    // Newer systems compare every device's answer; older ones gave the last one's.
    {"pause all", mci::kMultiple, mci::kNonapplicableFunction},
    {"status x time format", 0}, // sent as a command structure
    {"status x mode", 0},
    {"capability x uses files", 0},
    {"capability x has video", 0},
    {"capability x device type", 0},
    {"info a version", 0},
    {"close x", 0}, // sent as a command structure
    {"close a", 0},
};

constexpr WineCase kOpenCloseWave[] = {
    {"sysinfo all quantity", 0},
    {"open new type waveaudio alias r shareable", mci::kUnsupportedFunction},
    {"open new type waveaudio alias mysound notify", 0},
    {"status mysound time format", 0},
    {"sysinfo mysound quantity open", mci::kDeviceTypeRequired},
    {"sysinfo nosuchalias quantity open", mci::kDeviceTypeRequired},
    {"sysinfo all installname", mci::kCannotUseAll},
    {"sysinfo nodev installname", mci::kInvalidDeviceName},
    {"close mysound notify", 0},
    {"open no-such-file-exists.wav alias y buffer 6", mci::kFileNotFound},
    {"open no-such-dir\\file.wav alias y type waveaudio", mci::kFileNotFound, mci::kInvalidFile},
    {"open ! alias no", mci::kInvalidDeviceName},
    {"open !no-such-file-exists.wav alias no", mci::kFileNotFound, mci::kInvalidDeviceName},
    {"open nosuchdevice!tempfile.wav alias no", mci::kFileNotFound, mci::kInvalidDeviceName},
    {"close waveaudio", mci::kInvalidDeviceName},
    {"close all notify", 0},
    {"close all notify", 0},
    {"sysinfo waveaudio quantity open", 0},
    {"open new type waveaudio", mci::kNewRequiresAlias},
    {"open waveaudio", 0}, // sent as a command structure
    {"capability waveaudio device type", 0}, // sent as a command structure
    {"open no-such-file.wav alias waveaudio", mci::kDuplicateAlias},
    {"close all wait", 0}, // sent as a command structure
    {"close all notify", 0},
    {"close all notify", 0},
};

// Without a recording device the suite closes the new element after the
// failed record and skips the rest, as this port does.
constexpr WineCase kRecordWave[] = {
    {"open new type waveaudio alias x notify", 0}, // sent as a command structure
    {"status x time format", 0}, // sent as a command structure
    {"info x file", mci::kNonapplicableFunction},
    {"status x length", 0},
    {"status x samplespersec", 0},
    // Out of range on machines with no sound.
    {"set x format tag pcm", 0, mci::kOutOfRange},
    {"set x bytespersec 22050 alignment 2 samplespersec 11025 channels 1 bitspersample 16", 0, mci::kOutOfRange},
    {"set x bitspersample 4", mci::kOutOfRange},
    {"capability x inputs notify", 0}, // sent as a command structure
    notSent("record x to 2000 wait", 0, mci::kWaveInputsUnsuitable, "the player records nothing"),
    {"close x", 0},
};

constexpr WineCase kThreads[] = {
    {"open tempfile.wav alias x", 0},
    notSent("play x", mci::kInvalidDeviceName, kNone, "sent from a second thread: scripts have one"),
    notSent("close x", mci::kInvalidDeviceName, kNone, "sent from a second thread: scripts have one"),
    {"close x", 0},
};

constexpr WineCase kPlayWave[] = {
    {"open waveaudio!tempfile.wav alias mysound", 0},
    {"status mysound length", 0},
    {"cue output", mci::kUnrecognizedCommand},
    {"cue mysound output notify", 0},
    {"status mysound mode", 0},
    {"pause mysound", mci::kNonapplicableFunction},
    {"play mysound from 0 to 0 notify", 0},
    {"play mysound from 250 to 0", mci::kOutOfRange},
    after(100, "status mysound mode", 0),
    {"play MYSOUND from 250 to 0 notify", mci::kOutOfRange},
    {"play mysound from 500 to 220:5:0 wait", 0},
    {"status mysound position", 0},
    {"play mysound to 1000", mci::kOutOfRange},
    {"play mysound TO 3000 notify", mci::kOutOfRange},
    {"play mysound to 2000", 0},
    {"cue mysound output", mci::kNonapplicableFunction},
    {"play mysound to 3000", mci::kOutOfRange},
    {"stop mysound Wait", 0},
    {"Seek Mysound to 250 wait Notify", 0},
    {"seek mysound to 0xfa", mci::kBadInteger},
    {"seek mysound to :1", 0},
    {"seek mysound to 250::", 0},
    {"seek mysound to 250:0", 0},
    {"status mysound position notify", 0},
    {"status mysound mode", 0},
    {"play mysound to 250 wait notify", 0},
    {"cue mysound output", 0},
    {"close mysound", 0},
};

constexpr WineCase kAsyncWave[] = {
    {"open tempfile.wav alias mysound notify type waveaudio", 0},
    {"status mysound mode", 0},
    {"play mysound notify", 0},
    after(500, "status mysound time format", 0), // sent as a command structure
    {"set mysound time format milliseconds", 0}, // sent as a command structure
    {"status mysound position", 0},
    {"pause mysound wait", 0},
    {"status mysound mode notify", 0},
    {"status mysound position", 0},
    {"stop mysound wait", 0},
    {"info mysound file notify", 0},
    {"status mysound mode", 0},
    {"status mysound position", 0},
    {"resume mysound wait", mci::kNonapplicableFunction},
    {"play mysound wait", 0},
    {"status mysound position", 0},
    {"seek mysound to start wait", 0},
    {"play mysound to 1000 notify", 0},
    {"pause mysound notify", 0},
    {"cue mysound output notify", mci::kNonapplicableFunction},
    {"resume mysound notify", 0},
    {"seek mysound to 0 wait", 0},
    {"status mysound mode", 0},
    {"seek mysound wait", mci::kMissingParameter},
    {"seek mysound to start to 0", mci::kFlagsNotCompatible},
    {"PLAY mysound to 1000 notify", 0},
    {"pause mysound wait", 0},
    {"resume mysound wait", 0},
    {"status mysound mode", 0},
    {"pause  mysound wait", 0},
    {"pause mysound wait", 0},
    {"status mysound position", 0},
    after(10, "close mysound wait", 0),
};

constexpr WineCase kAutoOpenWave[] = {
    // The suite's own record of what a missing return buffer does.
    withoutBuffer("sysinfo waveaudio quantity open", mci::kParamOverflow),
    {"sysinfo waveaudio quantity open", 0},
    // Without a sound of that name, or no sound device: a hardware error.
    {"sound NoSuchSoundDefined wait", 0, mci::kHardware},
    {"sound SystemExclamation notify wait", 0, mci::kHardware},
    after(16, "sysinfo waveaudio notify name 1 open", mci::kOutOfRange),
    {"play no-such-file-exists.wav notify", mci::kNotifyOnAutoOpen},
    {"play tempfile.wav notify", mci::kNotifyOnAutoOpen},
    {"play tempfile.wav", 0},
    {"sysinfo waveaudio quantity open", 0},
    {"sysinfo waveaudio quantity open", 0}, // sent as a command structure
    {"sysinfo waveaudio name 1 open notify", 0},
    {"info tempfile.wav file", 0},
    withoutBuffer("status tempfile.wav mode", 0),
    {"status \"%path%\" mode", 0},
    {"status tempfile.wav mode", 0},
    {"open tempfile.wav", mci::kDeviceOpen},
    {"open foo.wav alias tempfile.wav", mci::kDuplicateAlias},
    {"status tempfile.wav mode notify", mci::kNotifyOnAutoOpen},
    {"pause tempfile.wav", 0},
    {"status tempfile.wav mode", 0},
    {"stop tempfile.wav wait", 0},
    after(16, "sysinfo waveaudio quantity open", 0),
    {"status \"%path%\" mode wait", 0},
    {"capability waveaudio outputs", 0},
    {"capability waveaudio device type", 0},
    {"pause \"%path%\"", mci::kNonapplicableFunction},
};

constexpr WineCase kPlayWaveTypeMpegvideo[] = {
    {"open tempfile.wav type MPEGVideo alias mysound", 0},
    {"play mysound", 0}, // sent as a command structure
    {"status mysound mode", 0},
    {"status mysound mode", 0}, // sent as a command structure
    {"setaudio mysound volume to 1000", 0},
    {"status mysound mode", 0},
    {"setaudio mysound volume to 1001", mci::kOutOfRange},
    {"status mysound mode", 0},
    {"close mysound", 0},
    {"open tempfile.wav type MPEGVideo alias mysound", 0},
    {"play mysound", 0},
    {"play mysound", 0},
    {"close mysound", 0},
};

constexpr WineCase kAsyncWaveTypeMpegvideo[] = {
    {"open tempfile.wav alias mysound notify type mpegvideo", 0},
    {"play mysound notify", 0},
    after(500, "pause mysound wait", 0),
    {"status mysound mode notify", 0},
    {"seek mysound to start wait", 0},
    {"set mysound time format milliseconds", 0},
    {"play mysound to 1500 notify", 0},
    after(200, "window mysound state hide", mci::kNoWindow),
    {"window mysound text abracadabra", mci::kNoWindow},
    notSent("window mysound handle 65552", mci::kInternal, kNone, "names a window of the system by its handle"),
    {"window mysound handle 3735928559", mci::kNoWindow},
    {"close mysound wait", 0},
};

constexpr WineCase kFinalCloseAll[] = {
    {"close all", 0},
};

// mcicda.c's test_play up to its check for a disc, then the end of the run.
constexpr WineCase kCdPlayWithoutDisc[] = {
    {"open cdaudio alias c notify shareable", 0},
    {"sysinfo all name 1 open", 0},
    {"capability c has video notify", 0},
    {"capability c can play", 0},
    {"capability c", mci::kMissingParameter},
    {"status c time format", 0}, // sent as a command structure
    {"info c product wait notify", 0},
    {"status c media present", 0}, // sent as a command structure
    notSent("open a: type cdaudio alias x shareable", 0, mci::kInvalidFile,
            "test_openclose walks the machine's drive letters"),
    // Sent as a command structure; a drive without a disc may answer 262.
    {"stop all", 0, mci::kHardware},
    {"close all", 0},
};

// The disc: two audio tracks of 1.2 s and 1.6 s (90 and 120 frames), so the
// suite takes its "no mixed data+audio CD" path with track 1. It starts at
// 00:00:00 where a pressed disc starts two seconds in.
constexpr WineCase kCdPlayWithDisc[] = {
    {"open cdaudio alias c notify shareable", 0},
    {"sysinfo all name 1 open", 0},
    {"capability c has video notify", 0},
    {"capability c can play", 0},
    {"capability c", mci::kMissingParameter},
    {"status c time format", 0}, // sent as a command structure
    {"info c product wait notify", 0},
    {"status c media present", 0}, // sent as a command structure
    {"status c mode", 0}, // sent as a command structure
    {"status c mode", 0},
    {"status c ready", 0},
    {"info c product identity", 0},
    {"info c identity", 0, mci::kHardware},
    {"info c upc", 0, mci::kNoIdentity},
    {"status c number of tracks", 0}, // sent as a command structure
    {"status c length", 0},
    {"status c position", 0},
    {"status c position start notify", 0},
    {"status c position start track 1 notify", mci::kFlagsNotCompatible},
    {"play c from 00:02:00 to 00:01:00 notify", mci::kOutOfRange},
    // Not a function the drive lacks: the drive's own error.
    {"resume c", mci::kHardware, mci::kUnsupportedFunction},
    {"seek c wait", mci::kMissingParameter},
    {"seek c to start to end", mci::kFlagsNotCompatible, 0},
    {"seek c to start notify", 0},
    {"status c mode", 0},
    {"set c video on", 0},
    {"set c audio all on", 0, mci::kHardware},
    {"set c time format ms", 0},
    {"status c position start", 0},
    {"status c position start track 1", mci::kFlagsNotCompatible},
    {"status c notify wait", mci::kMissingParameter},
    {"status c length track 1", 0},
    {"status c type track 1", 0}, // sent as a command structure
    {"set c time format msf", 0},
    {"status c length track 2", 0},   // sent as a command structure
    {"status c position track 2", 0}, // sent as a command structure
    {"seek c to 00:02:60", 0},        // sent as a command structure: position + length
    {"seek c to 00:02:61", mci::kOutOfRange}, // sent as a command structure: one frame further
    {"set c time format tmsf", 0},
    {"play c from 1 notify", 0}, // sent as a command structure
    {"status c mode", 0},
    {"pause c", 0},
    {"status c mode", 0},
    {"resume c", 0},                         // sent as a command structure
    {"play c", 0},                           // sent as a command structure
    {"play c from 2:00:01:00 to 1", mci::kOutOfRange}, // sent as a command structure
    {"status c mode", 0},
    {"stop c notify", 0},        // sent as a command structure
    {"play c from 1 notify", 0}, // sent as a command structure
    {"seek c to 1", 0},          // sent as a command structure
    {"status c mode", 0},
    {"play c from 1 to 1:00:00:21 notify", 0}, // sent as a command structure
    {"status c mode", 0},
    {"status c mode notify", 0},
    {"stop c", 0},
    {"status c length track 2", 0},             // sent as a command structure
    {"play c from 2 to 2:00:01:45 notify", 0}, // sent as a command structure
    {"status c current track", 0},
    {"stop c", 0}, // sent as a command structure
    {"stop all", 0, mci::kHardware}, // sent as a command structure
    {"close all", 0},
};
// clang-format on

} // namespace

// mci.c runs its functions in one process, one after the other: so do these.
TEST(WineMciSuite, WaveaudioAndTheParser)
{
    ManagerFixture f;
    writeTempFile(f);
    runCases(f, "test_mciParser", kMciParser);
    runCases(f, "test_openCloseWAVE", kOpenCloseWave);
    runCases(f, "test_recordWAVE", kRecordWave);
    runCases(f, "test_threads", kThreads);
    runCases(f, "test_playWAVE", kPlayWave);
    runCases(f, "test_asyncWAVE", kAsyncWave);
    runCases(f, "test_AutoOpenWAVE", kAutoOpenWave);
    runCases(f, "test_playWaveTypeMpegvideo", kPlayWaveTypeMpegvideo);
    runCases(f, "test_asyncWaveTypeMpegvideo", kAsyncWaveTypeMpegvideo);
    runCases(f, "START_TEST(mci)", kFinalCloseAll);
}

TEST(WineMciSuite, CdDriveWithoutDisc)
{
    ManagerFixture f;
    runCases(f, "test_play (no disc)", kCdPlayWithoutDisc);
}

TEST(WineMciSuite, CdDriveWithTrackFiles)
{
    ManagerFixture f;
    f.writeTone(QStringLiteral("TRACK01.WAV"), 1200, 440.0);
    f.writeTone(QStringLiteral("TRACK02.WAV"), 1600, 880.0);
    runCases(f, "test_play", kCdPlayWithDisc);
}
