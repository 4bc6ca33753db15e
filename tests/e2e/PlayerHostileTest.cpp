// Hostile publications in the real player: names that climb out of their
// folder, scripts that nest without end, numbers and lines far past any
// real one, pictures that claim 4 giga-pixels. Each one must leave the
// player answering its automation within seconds, and in safe mode nothing
// may be written outside the publication's folder, the extraction folder
// and the temporary folder. Each publication is written here and packed.
#include "e2e/PlayerRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <iostream>

#include <sys/resource.h>
#include <sys/stat.h>

namespace lumeria {
namespace {

using test::PlayerRun;

QByteArray objectLines(int type, const QByteArray& x1, const QByteArray& y1, int x2, int y2)
{
    return "ObjectType=" + QByteArray::number(type) + "\r\nX1=" + x1 + "\r\nY1=" + y1 +
           "\r\nX2=" + QByteArray::number(x2) + "\r\nY2=" + QByteArray::number(y2) +
           "\r\nLineColor=0\r\nFillColor=12632256\r\nLineWidth=1\r\nLineStyle=0\r\nLineOrigin=0\r\n"
           "FillPattern=0\r\nFillMode=0\r\n";
}

QByteArray button(int x, int y, const QByteArray& action)
{
    return objectLines(3, QByteArray::number(x), QByteArray::number(y), x + 40, y + 20) +
           "Style=0\r\nAlign=2\r\nFont=Arial\r\nFontSize=8\r\nTextColor=0\r\nText=B\r\nAction=" + action + "\r\n";
}

QByteArray picture(int x, int y, const QByteArray& name)
{
    return objectLines(4, QByteArray::number(x), QByteArray::number(y), x + 60, y + 60) +
           "Scale=Yes\r\nAspectRatio=No\r\nTransImages=No\r\nFileName=" + name + "\r\nWindowFlags=48\r\n";
}

QByteArray page(const QByteArray& name, const QByteArray& entry = {})
{
    return "NewPage=" + name + "\r\nPageColor=16777215\r\nShowMaster=No\r\nPageAction=" + entry + "\r\nExitAction=\r\n";
}

uint32_t crc32(const QByteArray& bytes)
{
    uint32_t crc = 0xFFFFFFFF;
    for (const char c : bytes) {
        crc ^= uint8_t(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320 & (0U - (crc & 1)));
    }
    return ~crc;
}

using test::le;

QByteArray be32(uint32_t v)
{
    QByteArray out;
    for (int shift = 24; shift >= 0; shift -= 8)
        out += char((v >> shift) & 0xFF);
    return out;
}

// Headers that claim 65 535 × 65 535 pixels over a few bytes of data.
QByteArray giantPng()
{
    const QByteArray ihdr = "IHDR" + be32(65535) + be32(65535) + QByteArray("\x08\x02\x00\x00\x00", 5);
    const QByteArray idat = QByteArray("IDAT") + QByteArray("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + be32(13) + ihdr + be32(crc32(ihdr)) + be32(9) + idat +
           be32(crc32(idat)) + be32(0) + "IEND" + be32(crc32("IEND"));
}

QByteArray giantBmp()
{
    return "BM" + le(54 + 64, 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(65535, 4) + le(65535, 4) + le(1, 2) +
           le(24, 2) + le(0, 4) + le(0, 4) + le(2835, 4) + le(2835, 4) + le(0, 4) + le(0, 4) + QByteArray(64, '\x7f');
}

QByteArray giantPcx()
{
    QByteArray h(128, '\0');
    h[0] = 10;
    h[1] = 5;
    h[2] = 1;
    h[3] = 8;
    h.replace(8, 4, le(65534, 2) + le(65534, 2));
    h[65] = 1;
    h.replace(66, 2, le(65535, 2));
    return h + QByteArray(64, '\xC1') + QByteArray(1, '\x0C') + QByteArray(768, '\0');
}

QByteArray tinyWave()
{
    const QByteArray samples(800, '\x80');
    return "RIFF" + le(36 + uint32_t(samples.size()), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(8000, 4) +
           le(8000, 4) + le(1, 2) + le(8, 2) + "data" + le(uint32_t(samples.size()), 4) + samples;
}

class PlayerHostile : public test::AutomatedPlayer {
protected:
    void SetUp() override
    {
        for (const char* folder : {"pub", "play", "outside", "victim", "tmp", "xdg/data", "xdg/cache", "xdg/config"})
            ASSERT_TRUE(QDir().mkpath(file(QLatin1String(folder))));
        put(file(QStringLiteral("victim/keep.txt")), "keep");
    }

    static void put(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    void putInPublication(const QString& name, const QByteArray& bytes)
    {
        put(file(QStringLiteral("pub/") + name), bytes);
    }

    // Packs pub/ with the given publication text into play/h.lum and runs
    // it; the publication's folder is play/, the temporary folder tmp/ and
    // the per-user folders are under xdg/, so outside/ and victim/ are
    // outside every folder safe mode allows.
    PlayerRun play(const QByteArray& text, const QString& automation, bool safe = false,
                   const QStringList& options = {})
    {
        putInPublication(QStringLiteral("RUNTIME.PUB"), "LumeriaVer=1.0\r\nTitle=Hostile\r\nScreenWidth=320\r\n"
                                                        "ScreenHeight=240\r\nL_OK=OK\r\nL_ERRORTITLE=Erreur\r\n" +
                                                            text);
        QProcess pack;
        pack.start(QStringLiteral(LUMERIA_PACK),
                   {QStringLiteral("build"), file(QStringLiteral("pub")), QStringLiteral("-o"), publication()});
        pack.waitForFinished(60000);
        EXPECT_EQ(pack.exitCode(), 0) << pack.readAllStandardError().toStdString();

        QProcessEnvironment env;
        env.insert(QStringLiteral("TMPDIR"), file(QStringLiteral("tmp")));
        env.insert(QStringLiteral("TEMP"), file(QStringLiteral("tmp")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), file(QStringLiteral("xdg/data")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), file(QStringLiteral("xdg/cache")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), file(QStringLiteral("xdg/config")));
        QStringList args{publication(), QStringLiteral("--mute")};
        if (safe)
            args << QStringLiteral("--safe");
        args << options;
        QElapsedTimer timer;
        timer.start();
        PlayerRun r = automate(args, automation + QStringLiteral("\nquit\n"), {}, env);
        m_elapsed = timer.elapsed();
        return r;
    }

    // The player under a file-size limit, as a quota would hold it.
    PlayerRun playLimited(const QByteArray& text, const QString& automation, rlim_t limit)
    {
        putInPublication(QStringLiteral("RUNTIME.PUB"), "LumeriaVer=1.0\r\nTitle=Hostile\r\nScreenWidth=320\r\n"
                                                        "ScreenHeight=240\r\nL_OK=OK\r\nL_ERRORTITLE=Erreur\r\n" +
                                                            text);
        QProcess pack;
        pack.start(QStringLiteral(LUMERIA_PACK),
                   {QStringLiteral("build"), file(QStringLiteral("pub")), QStringLiteral("-o"), publication()});
        pack.waitForFinished(60000);
        put(file(QStringLiteral("run.auto")), (automation + QStringLiteral("\nquit\n")).toUtf8());
        QProcess p;
        p.setWorkingDirectory(file(QStringLiteral("play")));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.setChildProcessModifier([limit] {
            struct rlimit small {};
            getrlimit(RLIMIT_FSIZE, &small);
            small.rlim_cur = limit;
            setrlimit(RLIMIT_FSIZE, &small);
        });
        p.start(QStringLiteral(LUMERIA_PLAYER),
                {publication(), QStringLiteral("--mute"), QStringLiteral("--automate"),
                 file(QStringLiteral("run.auto")), QStringLiteral("--automate-log"), file(QStringLiteral("run.log"))});
        p.waitForFinished(60000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }

    QString publication() const { return file(QStringLiteral("play/h.lum")); }
    QStringList boxes() const { return logLines().filter(QStringLiteral("dialog ")); }

    void expectNothingWrittenOutside() const
    {
        EXPECT_TRUE(
            QDir(file(QStringLiteral("outside"))).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            << QDir(file(QStringLiteral("outside")))
                   .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                   .join(' ')
                   .toStdString();
        QFile keep(file(QStringLiteral("victim/keep.txt")));
        ASSERT_TRUE(keep.open(QIODevice::ReadOnly));
        EXPECT_EQ(keep.readAll(), QByteArray("keep"));
        EXPECT_EQ(
            QDir(file(QStringLiteral("victim"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{QStringLiteral("keep.txt")});
    }

    // Answered the automation, quit by it, and quickly.
    void expectAnsweredQuickly(const PlayerRun& r, qint64 limitMs = 8000) const
    {
        std::cerr << "  " << m_elapsed << " ms, peak " << r.peakKb / 1024 << " MiB\n";
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_LT(m_elapsed, limitMs);
    }

    qint64 m_elapsed = 0;
};

constexpr qint64 kPeakLimitKb = 1024 * 1024;

// Files the interpreter's commands must not lose: the canary outside, and
// every entry of the publication's folder as it was.
QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

TEST_F(PlayerHostile, NamesLeavingTheFolderWriteNothingOutsideInSafeMode)
{
    const QByteArray outside = QFile::encodeName(file(QStringLiteral("outside")));
    const QByteArray victim = QFile::encodeName(file(QStringLiteral("victim")));
    const QByteArray drive = "C:" + QByteArray(outside).replace('/', '\\');
    const QByteArray longName = QByteArray(300, 'L') + ".TXT";
    putInPublication(QStringLiteral("BEEP.WAV"), tinyWave());
    putInPublication(QStringLiteral("SMALL.BMP"), giantBmp().left(54));

    // Every write a script can ask for, to every kind of name out of the
    // folder; then one inside, which safe mode lets through.
    const QByteArray entry =
        "FW \"..\\..\\outside\\up.txt\" \"0\" \"x\"|FW \"" + outside + "/abs.txt\" \"0\" \"x\"|FW \"" + drive +
        "\\drive.txt\" \"0\" \"x\"|FW \"" + longName + "\" \"0\" \"x\"|FL \"../outside/ins.txt\" \"1\"|FD \"" + victim +
        "/keep.txt\" \"1\"|FC \"h.lum\" \"..\\outside\\\"|FC \"h.lum\" \"" + drive + "\\copy.lum\"|FC \"" + victim +
        "/keep.txt\" \"" + outside + "/\"|FE \"" + victim +
        "/keep.txt\"|FE \"..\\victim\\keep.txt\"|TW \"t\" \"0\" \"0\" \"100\" \"100\" \"..\\..\\" + longName +
        "\" \"\"|TW \"t\" \"0\" \"0\" \"100\" \"100\" \"" + drive + "\\none.txt\" \"\"|IW \"t\" \"0\" \"0\" \"..\\" +
        longName + "\"|FW \"inside.txt\" \"0\" \"x\"|SV \"done\" \"1\"|PS \"BEEP.WAV\" \"\"";
    const QByteArray text = "ExtractOp=8\r\nExtractDir=" + drive + "\\extract\r\nMasterPage\r\nPageColor=0\r\n" +
                            page("One", entry) + picture(10, 10, "..\\..\\outside\\" + longName) +
                            picture(80, 10, drive + "\\SMALL.BMP") + picture(150, 10, "/etc/passwd");
    const PlayerRun r = play(text, QStringLiteral("expect-var done 1\nexpect-page One"), true);
    expectAnsweredQuickly(r);
    expectNothingWrittenOutside();
    EXPECT_TRUE(QFileInfo::exists(file(QStringLiteral("play/inside.txt"))));
    EXPECT_GE(boxes().filter(QStringLiteral("Mode protégé")).size(), 8) << logLines().join('\n').toStdString();
}

TEST_F(PlayerHostile, CopyPastTheFileSizeLimitKeepsTheTargetAndSaysSo)
{
    put(file(QStringLiteral("play/BIG.DAT")), QByteArray(2 * 1024 * 1024, 'b'));
    put(file(QStringLiteral("play/TARGET.DAT")), "old");
    const PlayerRun r =
        playLimited("MasterPage\r\nPageColor=0\r\n" + page("One", "FC \"BIG.DAT\" \"TARGET.DAT\"|SV \"done\" \"1\""),
                    QStringLiteral("expect-var done 1"), 1024 * 1024);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    QFile target(file(QStringLiteral("play/TARGET.DAT")));
    ASSERT_TRUE(target.open(QIODevice::ReadOnly));
    EXPECT_EQ(target.readAll(), QByteArray("old"));
    EXPECT_EQ(QDir(file(QStringLiteral("play"))).entryList(QDir::Files | QDir::Hidden).size(), 3); // no temporary left
    EXPECT_EQ(boxes().filter(QStringLiteral("Le disque est plein")).size(), 1) << logLines().join('\n').toStdString();
}

TEST_F(PlayerHostile, LongNamesFailWithTheirMessageInNormalMode)
{
    const QByteArray longName = QByteArray(300, 'L');
    const QByteArray entry = "FW \"" + longName + ".TXT\" \"0\" \"x\"|FC \"h.lum\" \"" + longName + "\"|FW \"sub\\" +
                             longName + "\\x.txt\" \"0\" \"x\"|FE \"" + longName + "\"|SV \"done\" \"1\"";
    const PlayerRun r = play("MasterPage\r\nPageColor=0\r\n" + page("One", entry) + picture(10, 10, longName),
                             QStringLiteral("expect-var done 1"));
    expectAnsweredQuickly(r);
    EXPECT_EQ(boxes().size(), 3) << logLines().join('\n').toStdString();
    EXPECT_EQ(QDir(file(QStringLiteral("play"))).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("h.lum")});
}

TEST_F(PlayerHostile, PagesGoingToEachOtherStopAtTheNestingLimit)
{
    // Each entry script goes to the other page before it ends, so each runs
    // inside the last: without a limit the stack overflows.
    const QByteArray text = "MasterPage\r\nPageColor=0\r\n" + page("Start") +
                            button(10, 200, "GO \"Ping\"|SV \"back\" \"1\"") +
                            page("Ping", "GO \"Pong\"|SV \"x\" \"1\"") + page("Pong", "GO \"Ping\"|SV \"x\" \"1\"");
    const PlayerRun r = play(text, QStringLiteral("click 20 210\nexpect-var back \nexpect-var x "));
    expectAnsweredQuickly(r);
    ASSERT_EQ(boxes().size(), 1) << logLines().join('\n').toStdString();
    EXPECT_TRUE(boxes().front().contains(QStringLiteral("Trop de scripts imbriqués")));
}

TEST_F(PlayerHostile, AChainOfPagesBelowTheLimitRunsToItsEnd)
{
    QByteArray text = "MasterPage\r\nPageColor=0\r\n" + page("Start") + button(60, 200, "GO \"C1\"|SV \"chain\" \"1\"");
    for (int i = 1; i <= 50; ++i) {
        const QByteArray next = i < 50 ? "GO \"C" + QByteArray::number(i + 1) + "\"|" : QByteArray();
        text += page("C" + QByteArray::number(i), next + "SV \"depth\" \"[depth]x\"");
    }
    const PlayerRun r =
        play(text, QStringLiteral("click 70 210\nexpect-page C50\nexpect-var chain 1\nexpect-var depth ") +
                       QString(50, QLatin1Char('x')));
    expectAnsweredQuickly(r);
    EXPECT_TRUE(boxes().isEmpty()) << logLines().join('\n').toStdString();
}

TEST_F(PlayerHostile, HugeNumbersAndManyObjectsKeepThePlayerResponsive)
{
    const QByteArray digits(1000, '9');
    QByteArray text = "MasterPage\r\nPageColor=0\r\n" +
                      page("One", "MA \"" + digits + "*" + digits + "\" \"" + digits + "\" \"R\"|MA \"-" + digits +
                                      "/0." + digits + "\" \"2\" \"S\"|SV \"done\" \"1\"") +
                      objectLines(5, digits, "-" + digits, 100, 100) + button(10, 200, "SV \"clicked\" \"1\"");
    // The publication holds at most 32 000 objects; this page has them all.
    text.reserve(text.size() + 32000 * 200);
    for (int i = 2; i < 32000; ++i)
        text += objectLines(5, QByteArray::number(i % 300), QByteArray::number(i % 180), i % 300 + 10, i % 180 + 10);
    const PlayerRun r = play(text, QStringLiteral("expect-var done 1\nclick 20 210\nexpect-var clicked 1"));
    expectAnsweredQuickly(r, 15000);
}

TEST_F(PlayerHostile, ThirtyMegabyteLinesAreReadWithoutHanging)
{
    const QByteArray line(30 * 1024 * 1024, 'A');
    putInPublication(QStringLiteral("LINE.TXT"), line);
    put(file(QStringLiteral("play/LINE.TXT")), line);
    const QByteArray text = "Comment=" + line + "\r\nMasterPage\r\nPageColor=0\r\n" +
                            page("One", "FN \"LINE.TXT\" \"N\"|FR \"LINE.TXT\" \"1\" \"L\"|SL \"[L]\" \"LEN\"|SV "
                                        "\"L\" \"\"|TW \"t\" \"0\" \"0\" \"200\" \"100\" \"LINE.TXT\" \"WORDWRAP\"|SV "
                                        "\"done\" \"1\"");
    const PlayerRun r = play(text, QStringLiteral("expect-var done 1\nexpect-var N 1\nexpect-var LEN 31457280"));
    expectAnsweredQuickly(r, 20000);
}

TEST_F(PlayerHostile, GiantPictureHeadersAreRefusedNotAllocated)
{
    putInPublication(QStringLiteral("GIANT.PNG"), giantPng());
    putInPublication(QStringLiteral("GIANT.BMP"), giantBmp());
    putInPublication(QStringLiteral("GIANT.PCX"), giantPcx());
    // A picture that cannot be loaded stops its script with a message, so
    // each pop-up has a button of its own.
    const QByteArray text = "MasterPage\r\nPageColor=0\r\n" +
                            page("One", "IW \"t\" \"0\" \"0\" \"GIANT.PNG\"|IW \"u\" \"0\" \"0\" "
                                        "\"GIANT.PCX\"|SV \"done\" \"1\"") +
                            picture(10, 10, "GIANT.PNG") + picture(80, 10, "GIANT.BMP") +
                            picture(150, 10, "GIANT.PCX") +
                            button(10, 200, "PI \"0\" \"0\" \"GIANT.BMP\" \"0\" \"0\" \"0\"") +
                            button(60, 200, "PI \"0\" \"0\" \"GIANT.PNG\" \"0\" \"0\" \"0\"") +
                            button(110, 200, "PI \"0\" \"0\" \"GIANT.PCX\" \"0\" \"0\" \"0\"|SV \"x\" \"1\"") +
                            button(160, 200, "SV \"clicked\" \"1\"");
    const PlayerRun r = play(text, QStringLiteral("expect-var done 1\nclick 20 210\nclick 70 210\nclick 120 "
                                                  "210\nclick 170 210\nexpect-var clicked 1\nexpect-var x "));
    expectAnsweredQuickly(r);
    const QStringList shown = boxes();
    EXPECT_EQ(shown.size(), 3) << logLines().join('\n').toStdString();
    for (const QString& box : shown)
        EXPECT_TRUE(box.contains(QStringLiteral("Impossible de charger le fichier image"))) << box.toStdString();
}

TEST_F(PlayerHostile, FormattedTextsOfCodesAlone)
{
    QByteArray codes;
    for (int i = 0; i < 200000; ++i)
        codes += "^B^b^I^i";
    codes += "\r\n";
    for (int i = 0; i < 2000; ++i)
        codes += "^F12~^P255~^U^u^C^G\r\n";
    putInPublication(QStringLiteral("CODES.TXT"), codes);
    const QByteArray text = "MasterPage\r\nPageColor=0\r\n" +
                            page("One", "TW \"t\" \"0\" \"0\" \"200\" \"100\" \"CODES.TXT\" \"WORDWRAP\"|SV "
                                        "\"done\" \"1\"") +
                            objectLines(2, "10", "10", 300, 180) +
                            "Font=Arial\r\nFontSize=10\r\nFontStyle=0\r\nTextColor=0\r\nWordWrap=Yes\r\n"
                            "WindowFlags=16\r\nFileName=CODES.TXT\r\nYRange=1\r\nXRange=1\r\nMaxLineHeight=1\r\n";
    const PlayerRun r = play(text, QStringLiteral("expect-var done 1\nclick 100 100\nkey Down\nkey End"));
    expectAnsweredQuickly(r, 15000);
}

TEST_F(PlayerHostile, TextFromADataFileNeverReachesAShell)
{
    put(file(QStringLiteral("play/x.txt")), "x");
    put(file(QStringLiteral("play/data.txt")), "x.txt; touch y $(touch z) `touch w`\r\n");
    const QByteArray entry = "FR \"data.txt\" \"1\" \"A\"|DC \"DEL\" \"[A]\"|DC \"TYPE\" \"[A]\"|DC \"DIR\" \"[A]\"|"
                             "DC \"COPY\" \"[A]\"|DC \"RD\" \"[A]\"|DC \"\" \"DEL [A]\"|SV \"done\" \"1\"";
    // A shell started in the background would have run within the wait.
    const PlayerRun r =
        play("MasterPage\r\nPageColor=0\r\n" + page("One", entry), QStringLiteral("expect-var done 1\nwait 300"));
    expectAnsweredQuickly(r);
    EXPECT_TRUE(boxes().isEmpty()) << logLines().join('\n').toStdString();
    EXPECT_EQ(entriesOf(file(QStringLiteral("play"))),
              (QStringList{QStringLiteral("data.txt"), QStringLiteral("h.lum"), QStringLiteral("x.txt")}));
    for (const char* made : {"y", "z", "w"})
        EXPECT_FALSE(QFileInfo::exists(file(QLatin1String(made)))) << made;
    expectNothingWrittenOutside();
}

TEST_F(PlayerHostile, InternalCommandsKeepTheReadersFiles)
{
    put(file(QStringLiteral("play/A.TXT")), "a");
    put(file(QStringLiteral("play/B.TXT")), "reader's own");
    put(file(QStringLiteral("play/LIST.TXT")), "old");
    const QByteArray entry =
        "DC \"REN\" \"A.TXT B.TXT\"|DC \"ren\" \"a.txt c.txt\"|DC \"MD\" \"SUB\"|"
        "DC \"COPY\" \"c.txt+b.txt sub\\\\all.txt\"|DC \"RD\" \"SUB\"|DC \"DIR\" \"*.TXT > LIST.TXT\"|"
        "DC \"DEL\" \"*.*\"|SV \"done\" \"1\"";
    // Read-only like a file copied from a CD-ROM: DEL *.* leaves it.
    ASSERT_TRUE(QFile::setPermissions(file(QStringLiteral("play/B.TXT")), QFileDevice::ReadOwner));
    const PlayerRun r = play("MasterPage\r\nPageColor=0\r\n" + page("One", entry), QStringLiteral("expect-var done 1"));
    expectAnsweredQuickly(r);
    QFile b(file(QStringLiteral("play/B.TXT")));
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_EQ(b.readAll(), QByteArray("reader's own"));
    QFile all(file(QStringLiteral("play/SUB/all.txt")));
    ASSERT_TRUE(all.open(QIODevice::ReadOnly));
    EXPECT_EQ(all.readAll(), QByteArray("areader's own\x1A"));
    EXPECT_EQ(entriesOf(file(QStringLiteral("play"))), (QStringList{QStringLiteral("B.TXT"), QStringLiteral("SUB")}));
}

TEST_F(PlayerHostile, ExtractionThroughALinkStaysInsideInSafeMode)
{
    putInPublication(QStringLiteral("BEEP.WAV"), tinyWave());
    ASSERT_TRUE(QFile::link(file(QStringLiteral("outside")), file(QStringLiteral("play/LINK"))));
    for (const QByteArray& dir : {QByteArray("LINK"), QByteArray("LINK\\NEWSUB")}) {
        const QByteArray text = "ExtractOp=8\r\nExtractDir=" + dir + "\r\nMasterPage\r\nPageColor=0\r\n" +
                                page("One", "PS \"BEEP.WAV\" \"\"|SV \"done\" \"1\"");
        const PlayerRun r = play(text, QStringLiteral("expect-var done 1"), true);
        expectAnsweredQuickly(r);
        expectNothingWrittenOutside();
        // The sound was extracted, into the publication's own folder.
        EXPECT_TRUE(QFile::remove(file(QStringLiteral("play/BEEP.WAV")))) << dir.toStdString();
    }
}

TEST_F(PlayerHostile, FilesThatAreNotFilesNeitherBlockNorFill)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(file(QStringLiteral("play/PIPE"))).constData(), 0644), 0);
    const QByteArray entry = "FR \"PIPE\" \"1\" \"A\"|FN \"PIPE\" \"N\"|FC \"PIPE\" \"X.TXT\"|FR \"/dev/stdin\" \"1\" "
                             "\"I\"|FR \"/dev/zero\" \"1\" \"Z\"|FN \"/dev/zero\" \"M\"|FC \"/dev/zero\" \"Z.TXT\"|"
                             "FW \"PIPE\" \"3\" \"x\"|DC \"TYPE\" \"PIPE > T.TXT\"|SV \"done\" \"1\"";
    const PlayerRun r =
        play("MasterPage\r\nPageColor=0\r\n" + page("One", entry), QStringLiteral("expect-var done 1"), true);
    expectAnsweredQuickly(r);
    EXPECT_LT(r.peakKb, kPeakLimitKb);
    // /dev/Z.TXT, beside the source, is refused before the source is read.
    EXPECT_EQ(boxes().filter(QStringLiteral("Accès refusé")).size(), 2) << logLines().join('\n').toStdString();
    EXPECT_EQ(boxes().filter(QStringLiteral("Mode protégé")).size(), 1);
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("play/X.TXT"))));
    EXPECT_EQ(QFileInfo(file(QStringLiteral("play/T.TXT"))).size(), 0);
    // Qt keeps its runtime folder there when XDG_RUNTIME_DIR is unset.
    EXPECT_EQ(entriesOf(file(QStringLiteral("tmp"))).filter(QRegularExpression(QStringLiteral("^(?!runtime-)"))),
              QStringList());
}

TEST_F(PlayerHostile, GrowthPastTheBoundsStopsTheScriptNotThePlayer)
{
    put(file(QStringLiteral("play/ONE.TXT")), "one\r\n");
    const QByteArray doubling = "SV \"X\" \"0123456789abcdef\"|SV \"I\" \"0\"|WI \"[I]\" \"<\" \"40\"|SV \"X\" "
                                "\"[X][X]\"|MA \"[I]+1\" \"0\" \"I\"|ENDWHILE|SV \"after\" \"1\"";
    const QByteArray text = "MasterPage\r\nPageColor=0\r\n" + page("One") +
                            button(10, 10, "FW \"ONE.TXT\" \"2147483647\" \"x\"|SV \"after\" \"1\"") +
                            button(60, 10, "FL \"ONE.TXT\" \"2147483647\"|SV \"after\" \"1\"") +
                            button(110, 10, doubling) + button(160, 10, "SV \"alive\" \"1\"");
    const PlayerRun r = play(text, QStringLiteral("click 20 20\nclick 70 20\nclick 120 20\nclick 170 20\n"
                                                  "expect-var alive 1\nexpect-var after "));
    expectAnsweredQuickly(r, 20000);
    EXPECT_LT(r.peakKb, kPeakLimitKb);
    EXPECT_EQ(boxes().filter(QStringLiteral("Pas assez de mémoire !")).size(), 3)
        << logLines().join('\n').toStdString();
    QFile one(file(QStringLiteral("play/ONE.TXT")));
    ASSERT_TRUE(one.open(QIODevice::ReadOnly));
    EXPECT_EQ(one.readAll(), QByteArray("one\r\n"));
    EXPECT_EQ(entriesOf(file(QStringLiteral("play"))),
              (QStringList{QStringLiteral("ONE.TXT"), QStringLiteral("h.lum")}));
}

TEST_F(PlayerHostile, ProgramsAndWritesOutsideAreAskedForOnce)
{
    const QByteArray outside = QFile::encodeName(file(QStringLiteral("outside")));
    const QByteArray marker = QFile::encodeName(file(QStringLiteral("started")));
    const QByteArray text =
        "MasterPage\r\nPageColor=0\r\n" + page("One") +
        button(10, 10,
               "FW \"" + outside + "/a.txt\" \"0\" \"a\"|FW \"" + outside + "/b.txt\" \"0\" \"b\"|SV \"wrote\" \"1\"") +
        button(60, 10, "DC \"touch\" \"'" + marker + "'\"|SV \"ran\" \"1\"");
    // Writing allowed once covers the second write; the program refused.
    const PlayerRun r =
        play(text, QStringLiteral("answer 1\nclick 20 20\nexpect-var wrote 1\nanswer 2\nclick 70 20\nexpect-var ran 1\n"
                                  "wait 300"));
    expectAnsweredQuickly(r);
    EXPECT_EQ(entriesOf(file(QStringLiteral("outside"))),
              (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
    EXPECT_FALSE(QFileInfo::exists(QFile::decodeName(marker)));
    const QStringList asked = boxes().filter(QStringLiteral("Autoriser"));
    ASSERT_EQ(asked.size(), 2) << logLines().join('\n').toStdString();
    EXPECT_TRUE(asked[0].contains(QStringLiteral("écrire hors de son dossier")));
    EXPECT_TRUE(asked[1].contains(QStringLiteral("lancer")));

    // Trusted, the same run asks nothing and starts the program.
    QFile::remove(file(QStringLiteral("outside/a.txt")));
    QFile::remove(file(QStringLiteral("outside/b.txt")));
    const PlayerRun trusted = play(text, QStringLiteral("click 20 20\nclick 70 20\nexpect-var ran 1\nwait 300"), false,
                                   {QStringLiteral("--trust")});
    expectAnsweredQuickly(trusted);
    EXPECT_TRUE(boxes().isEmpty()) << logLines().join('\n').toStdString();
    EXPECT_TRUE(QFileInfo::exists(QFile::decodeName(marker)));
}

// Not hostile, but from the same shelf: a disc's files named by its drive
// letters, beside the publication as a CD-ROM's folders are.
TEST_F(PlayerHostile, DriveLettersNameTheDiscAndCTheReadersOwnFolder)
{
    ASSERT_TRUE(QDir().mkpath(file(QStringLiteral("play/Sounds"))));
    ASSERT_TRUE(QDir().mkpath(file(QStringLiteral("play/DATA"))));
    ASSERT_TRUE(QDir().mkpath(file(QStringLiteral("elsewhere"))));
    put(file(QStringLiteral("play/Sounds/Bell.wav")), tinyWave());
    put(file(QStringLiteral("play/DATA/INFO.TXT")), "from the disc\r\n");
    put(file(QStringLiteral("elsewhere/OTHER.TXT")), "from F\r\n");
    const QByteArray entry = "PS \"D:\\SOUNDS\\BELL.WAV\" \"\"|PS \"\\sounds\\bell.wav\" \"\"|"
                             "FR \"E:\\DATA\\INFO.TXT\" \"1\" \"INFO\"|FR \"F:\\OTHER.TXT\" \"1\" \"OTHER\"|"
                             "FW \"C:\\SAVE.TXT\" \"0\" \"kept\"|SI \"WindowsDir\" \"WIN\"|"
                             "PS \"D:\\SOUNDS\\MISSING.WAV\" \"\"|SV \"done\" \"1\"";
    const PlayerRun r =
        play("MasterPage\r\nPageColor=0\r\n" + page("One", entry),
             QStringLiteral("expect-var done 1\nexpect-var INFO from the disc\n"
                            "expect-var OTHER from F"),
             false, {QStringLiteral("--drive"), QStringLiteral("F=") + file(QStringLiteral("elsewhere"))});
    expectAnsweredQuickly(r);
    // Only the missing sound has a box, naming the file as the publication
    // does; where it was looked for goes to standard error and the log.
    const QStringList shown = boxes();
    ASSERT_EQ(shown.size(), 1) << logLines().join('\n').toStdString();
    EXPECT_TRUE(shown.front().contains(QStringLiteral("MISSING.WAV")));
    EXPECT_FALSE(shown.front().contains(QStringLiteral("SOUNDS")));
    EXPECT_TRUE(r.err.contains("D:\\SOUNDS\\MISSING.WAV: not found as " +
                               QFile::encodeName(file(QStringLiteral("play/Sounds/MISSING.WAV")))))
        << r.err.toStdString();
    EXPECT_TRUE(logLines().contains(QStringLiteral("missing \"D:\\SOUNDS\\MISSING.WAV\" \"%1\"")
                                        .arg(file(QStringLiteral("play/Sounds/MISSING.WAV")))))
        << logLines().join('\n').toStdString();
    QFile saved(file(QStringLiteral("xdg/data/lumeria/drives/c/SAVE.TXT")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("kept\r\n"));
}

TEST_F(PlayerHostile, DriveOptionsThatNameNoFolderAreRefused)
{
    for (const QString& bad : {QStringLiteral("D"), QStringLiteral("1=/tmp"), QStringLiteral("DD=/tmp"),
                               QStringLiteral("D=") + file(QStringLiteral("nowhere"))}) {
        const PlayerRun r = test::player({publication(), QStringLiteral("--list"), QStringLiteral("--drive"), bad});
        EXPECT_EQ(r.exitCode, 2) << bad.toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("--drive")) << r.err.toStdString();
    }
}

TEST_F(PlayerHostile, AFolderPlaysThePublicationOnItAsItsDisc)
{
    // A disc: the publication one folder down, its data at the top, named
    // by drive letter from the root of the disc.
    const QByteArray entry = "FR \"D:\\DATA\\INFO.TXT\" \"1\" \"INFO\"|FR \"\\DATA\\INFO.TXT\" \"1\" \"ROOT\"";
    const PlayerRun packed = play("MasterPage\r\nPageColor=0\r\n" + page("One", entry), QStringLiteral("wait 1"));
    ASSERT_EQ(packed.exitCode, 0);
    ASSERT_TRUE(QDir().mkpath(file(QStringLiteral("disc/PROGRAM"))));
    ASSERT_TRUE(QDir().mkpath(file(QStringLiteral("disc/DATA"))));
    ASSERT_TRUE(QFile::copy(publication(), file(QStringLiteral("disc/PROGRAM/PUB.LUM"))));
    put(file(QStringLiteral("disc/DATA/INFO.TXT")), "on the disc\r\n");
    put(file(QStringLiteral("disc/README.EXE")), "MZ not a publication");

    const PlayerRun r = automate({file(QStringLiteral("disc"))},
                                 QStringLiteral("expect-var INFO on the disc\nexpect-var ROOT on the disc\nquit\n"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();

    // Two publications: the reader is asked which, here by nobody.
    ASSERT_TRUE(QFile::copy(publication(), file(QStringLiteral("disc/OTHER.LUM"))));
    const PlayerRun two = test::player({file(QStringLiteral("disc")), QStringLiteral("--list")});
    EXPECT_EQ(two.exitCode, 1);
    EXPECT_TRUE(two.err.contains("1: " + QFile::encodeName(file(QStringLiteral("disc/OTHER.LUM")))))
        << two.err.toStdString();
    EXPECT_TRUE(two.err.contains("2: " + QFile::encodeName(file(QStringLiteral("disc/PROGRAM/PUB.LUM")))));
    EXPECT_TRUE(two.err.contains("plusieurs publications"));

    // AUTORUN.INF settles it.
    put(file(QStringLiteral("disc/AUTORUN.INF")), "[autorun]\r\nopen=program\\pub.lum\r\n");
    const PlayerRun autorun = test::player({file(QStringLiteral("disc")), QStringLiteral("--list")});
    EXPECT_EQ(autorun.exitCode, 0) << autorun.err.toStdString();
    EXPECT_TRUE(autorun.out.contains("One"));

    const PlayerRun none = test::player({file(QStringLiteral("victim")), QStringLiteral("--list")});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains("Aucune publication sur ce disque.")) << none.err.toStdString();
}

} // namespace
} // namespace lumeria
