#include "script/FileCommands.h"
#include "FakeHost.h"
#include "platform/FileIo.h"
#include "platform/IoError.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lumeria {
namespace {

class FileCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { s.host.values.programFolder = dir.path(); }

    QByteArray contents(const QString& name) const
    {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void write(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList dialogs() const { return s.host.calls.filter(QStringLiteral("dialog")); }

    QTemporaryDir dir;
    test::ScriptFixture s;
};

TEST_F(FileCommandsTest, WriteOnANewFileAppendsALine)
{
    s.run(QStringLiteral("FW \"notes.txt\" \"0\" \"abc\""));
    EXPECT_EQ(contents(QStringLiteral("notes.txt")), QByteArray("abc\r\n"));
    s.run(QStringLiteral("FW \"NOTES.TXT\" \"0\" \"Caf\u00e9\""));
    EXPECT_EQ(contents(QStringLiteral("notes.txt")), QByteArray("abc\r\nCaf\xE9\r\n"));
}

TEST_F(FileCommandsTest, LineEditsPadInsertAndDelete)
{
    write(QStringLiteral("notes.txt"), "one\r\ntwo\r\n");
    s.run(QStringLiteral("FW \"notes.txt\" \"5\" \"x\""));
    EXPECT_EQ(contents(QStringLiteral("notes.txt")), QByteArray("one\r\ntwo\r\n\r\n\r\nx\r\n"));
    s.run(QStringLiteral("FL \"notes.txt\" \"2\""));
    EXPECT_EQ(contents(QStringLiteral("notes.txt")), QByteArray("one\r\n\r\ntwo\r\n\r\n\r\nx\r\n"));
    s.run(QStringLiteral("FD \"notes.txt\" \"1\"|FW \"notes.txt\" \"1\" \"first\""));
    EXPECT_EQ(contents(QStringLiteral("notes.txt")), QByteArray("first\r\ntwo\r\n\r\n\r\nx\r\n"));

    // Deleting past the end leaves the file untouched, not even rewritten.
    struct stat before {
    }, after{};
    ::stat(QFile::encodeName(dir.filePath(QStringLiteral("notes.txt"))).constData(), &before);
    s.run(QStringLiteral("FD \"notes.txt\" \"9\""));
    ::stat(QFile::encodeName(dir.filePath(QStringLiteral("notes.txt"))).constData(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_TRUE(dialogs().isEmpty());
}

TEST_F(FileCommandsTest, ReadAndLengthFailSilently)
{
    write(QStringLiteral("data.txt"), "a\r\nb\nc");
    s.run(QStringLiteral("FR \"data.txt\" \"2\" \"L\"|FN \"data.txt\" \"N\"|FR \"data.txt\" \"3\" \"M\""));
    EXPECT_EQ(s.var("L"), QStringLiteral("b"));
    EXPECT_EQ(s.var("M"), QStringLiteral("c"));
    EXPECT_EQ(s.var("N"), QStringLiteral("3"));
    s.engine.variables().set(QStringLiteral("L"), QStringLiteral("old"));
    s.run(QStringLiteral("FR \"data.txt\" \"APPEND\" \"L\"|FR \"gone.txt\" \"1\" \"G\"|FN \"gone.txt\" \"N\""));
    EXPECT_TRUE(s.var("L").isEmpty());
    EXPECT_TRUE(s.var("G").isEmpty());
    EXPECT_EQ(s.var("N"), QStringLiteral("0"));
    EXPECT_TRUE(dialogs().isEmpty());
}

TEST_F(FileCommandsTest, FailedRewriteKeepsTheOldFile)
{
    const QByteArray original = QByteArray(3000, 'o') + "\r\n";
    write(QStringLiteral("big.txt"), original);
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 3100;
    setrlimit(RLIMIT_FSIZE, &small);
    s.run(QStringLiteral("FW \"big.txt\" \"1\" \"") + QString(4000, QLatin1Char('n')) + QStringLiteral("\""));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(contents(QStringLiteral("big.txt")), original);
    EXPECT_EQ(dialogs(), QStringList{QStringLiteral("dialog [Caption] [Le disque est plein !] [OK]")});
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary left over
}

// Runs a script with writes limited to limit bytes a file, as a quota or a
// full disk would cut them short.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) : m_previous(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        struct rlimit small = m_saved;
        small.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_previous);
    }

private:
    struct rlimit m_saved {};
    void (*m_previous)(int);
};

TEST_F(FileCommandsTest, FailedCopyAndAppendLeaveTheTargetAsItWas)
{
    const QByteArray big(200 * 1024, 'b');
    write(QStringLiteral("big.dat"), big);
    write(QStringLiteral("target.dat"), "old content");
    write(QStringLiteral("log.txt"), "first\r\n");
    const QString full = QStringLiteral("dialog [Caption] [Le disque est plein !] [OK]");
    {
        FileSizeLimit limit(64 * 1024);
        s.run(QStringLiteral("FC \"big.dat\" \"target.dat\"|FC \"big.dat\" \"fresh.dat\"|SV \"went\" \"on\""));
        EXPECT_EQ(dialogs(), (QStringList{full, full}));
        s.run(QStringLiteral("FW \"log.txt\" \"APPEND\" \"") + QString(70 * 1024, QLatin1Char('x')) +
              QStringLiteral("\""));
        EXPECT_EQ(dialogs(), QStringList{full});
    }
    EXPECT_EQ(contents(QStringLiteral("target.dat")), QByteArray("old content"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("fresh.dat"))));
    EXPECT_EQ(contents(QStringLiteral("log.txt")), QByteArray("first\r\n")); // no half line
    EXPECT_EQ(s.var("went"), QStringLiteral("on"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3); // no temporary left over

    // Without the limit the same copy replaces the target whole.
    s.run(QStringLiteral("FC \"big.dat\" \"target.dat\""));
    EXPECT_EQ(contents(QStringLiteral("target.dat")), big);
}

TEST_F(FileCommandsTest, WaitsForAnotherProcessHoldingTheFile)
{
    write(QStringLiteral("shared.txt"), "a\r\n");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(QFile::encodeName(dir.filePath(QStringLiteral("shared.txt"))).constData(), O_RDWR);
        ::flock(fd, LOCK_EX);
        [[maybe_unused]] auto n = ::write(ready[1], "x", 1);
        ::usleep(600 * 1000);
        ::_exit(0);
    }
    char byte;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    QElapsedTimer timer;
    timer.start();
    s.run(QStringLiteral("FW \"shared.txt\" \"2\" \"b\""));
    const qint64 waited = timer.elapsed();
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);

    EXPECT_GE(waited, 250);
    EXPECT_EQ(contents(QStringLiteral("shared.txt")), QByteArray("a\r\nb\r\n"));
    EXPECT_TRUE(s.host.calls.contains(QStringLiteral("busy 1")));
    EXPECT_EQ(s.host.calls.last(), QStringLiteral("busy 0"));
}

// Waiting is for a file another writer holds; a name that cannot be opened
// at all says so at once instead of freezing the reader for seconds.
TEST_F(FileCommandsTest, ANameThatCannotBeOpenedFailsAtOnce)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    QElapsedTimer timer;
    timer.start();
    s.run(QStringLiteral("FW \"missing\\notes.txt\" \"0\" \"a\"|FL \"folder\" \"1\""));
    EXPECT_LT(timer.elapsed(), 1000);
    const QStringList shown = dialogs();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].contains(ioErrorText(io::kFileNotFound))) << shown[0].toStdString();
    EXPECT_TRUE(shown[1].contains(ioErrorText(io::kAccessDenied))) << shown[1].toStdString();
    EXPECT_FALSE(s.host.calls.contains(QStringLiteral("busy 1")));
}

TEST_F(FileCommandsTest, CopyAndEraseFollowTheirRules)
{
    write(QStringLiteral("src.txt"), "data");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Sub")));
    s.run(QStringLiteral("FC \"src.txt\" \"sub\\\\\"|FC \"src.txt\" \"copy.txt\""));
    EXPECT_EQ(contents(QStringLiteral("Sub/src.txt")), QByteArray("data"));
    EXPECT_EQ(contents(QStringLiteral("copy.txt")), QByteArray("data"));
    EXPECT_TRUE(dialogs().isEmpty());

    s.run(QStringLiteral("FC \"none.txt\" \"x.txt\""));
    EXPECT_EQ(dialogs(), QStringList{QStringLiteral(
                             "dialog [Caption] [Impossible de trouver le fichier devant être copié.] [OK]")});
    s.run(QStringLiteral("FC \"src.txt\" \"SRC.TXT\""));
    EXPECT_EQ(dialogs(),
              QStringList{QStringLiteral("dialog [Caption] [Un fichier ne peut pas être copié sur lui-même.] [OK]")});

    s.run(QStringLiteral("FE \"copy.txt\"|FE \"never-was.txt\""));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("copy.txt"))));
    EXPECT_TRUE(dialogs().isEmpty());
}

TEST_F(FileCommandsTest, SafeModeRefusesWritesOutsideAndPrograms)
{
    s.engine.setSafeMode(true);
    s.host.values.temporaryFolder = dir.filePath(QStringLiteral("temp"));
    QTemporaryDir outside;
    const QString target = outside.filePath(QStringLiteral("x.txt"));
    s.run(QStringLiteral("FW \"%1\" \"0\" \"a\"|SV \"went\" \"on\"").arg(target));
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(s.var("went"), QStringLiteral("on"));
    ASSERT_EQ(dialogs().size(), 1);
    EXPECT_TRUE(dialogs().front().contains(QStringLiteral("Mode protégé")));

    s.run(QStringLiteral("FW \"inside.txt\" \"0\" \"a\"|DC \"touch\" \"x\"|IL \"http://example.org\""));
    EXPECT_EQ(contents(QStringLiteral("inside.txt")), QByteArray("a\r\n"));
    EXPECT_EQ(dialogs().size(), 2);
}

TEST_F(FileCommandsTest, SafeModeFollowsLinksBeforeDecidingWhereAWriteGoes)
{
    s.engine.setSafeMode(true);
    s.host.values.temporaryFolder = dir.filePath(QStringLiteral("temp"));
    QTemporaryDir outside;
    ASSERT_TRUE(QFile::link(outside.path(), dir.filePath(QStringLiteral("out"))));
    ASSERT_TRUE(QFile::link(outside.filePath(QStringLiteral("made.txt")), dir.filePath(QStringLiteral("dangling"))));
    write(QStringLiteral("src.txt"), "data");
    s.run(QStringLiteral(
        "FW \"out\\\\x.txt\" \"0\" \"a\"|FC \"src.txt\" \"OUT\\\\copy.txt\"|FW \"dangling\" \"0\" \"a\""));
    EXPECT_TRUE(QDir(outside.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    EXPECT_EQ(dialogs().size(), 3);

    // A link that stays inside is followed as before.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("real")));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("real")), dir.filePath(QStringLiteral("alias"))));
    s.run(QStringLiteral("FW \"alias\\\\y.txt\" \"0\" \"b\""));
    EXPECT_EQ(contents(QStringLiteral("real/y.txt")), QByteArray("b\r\n"));
    EXPECT_TRUE(dialogs().isEmpty());
}

TEST(DosCommand, PlansFollowTheInterpretersRules)
{
    DosCommandPlan p = planDosCommand(QStringLiteral("dir"), QStringLiteral("c:\\"), QStringLiteral("/pub"));
    EXPECT_EQ(p.kind, DosCommandPlan::Kind::Internal);
    EXPECT_EQ(p.program, QStringLiteral("dir c:\\"));

    // The interpreter's own commands are found as the original found them,
    // by the program's text followed by a point, so an empty program hands
    // the whole line to the interpreter.
    p = planDosCommand(QString(), QStringLiteral("DEL x.txt"), QStringLiteral("/pub"));
    EXPECT_EQ(p.kind, DosCommandPlan::Kind::Internal);
    EXPECT_EQ(p.program, QStringLiteral(" DEL x.txt"));

    p = planDosCommand(QStringLiteral("readme.txt"), QString(), QStringLiteral("/pub"));
    EXPECT_EQ(p.kind, DosCommandPlan::Kind::Document);
    EXPECT_EQ(p.program, QStringLiteral("/pub/readme.txt"));

    p = planDosCommand(QStringLiteral("'C:\\Apps\\My Tool.exe'"), QStringLiteral("'a b' c"), QStringLiteral("/pub"));
    EXPECT_EQ(p.kind, DosCommandPlan::Kind::Program);
    EXPECT_EQ(p.program, QStringLiteral("/Apps/My Tool.exe"));
    EXPECT_EQ(p.workingFolder, QStringLiteral("/Apps"));
    EXPECT_EQ(p.arguments, (QStringList{QStringLiteral("a b"), QStringLiteral("c")}));

    p = planDosCommand(QStringLiteral("touch"), QString(), QStringLiteral("/pub"));
    EXPECT_EQ(p.kind, DosCommandPlan::Kind::Program);
    EXPECT_EQ(p.program, QStringLiteral("touch"));
}

TEST_F(FileCommandsTest, DosCommandStartsARealProgramOrSaysWhyNot)
{
    const QString marker = dir.filePath(QStringLiteral("started"));
    s.run(QStringLiteral("DC \"touch\" \"'%1'\"").arg(marker));
    for (int i = 0; i < 100 && !QFileInfo::exists(marker); ++i)
        QThread::msleep(20);
    EXPECT_TRUE(QFileInfo::exists(marker));
    EXPECT_TRUE(dialogs().isEmpty());

    s.run(QStringLiteral("DC \"C:\\nowhere\\nothere.exe\" \"\""));
    EXPECT_EQ(dialogs(), QStringList{QStringLiteral("dialog [Caption] [nothere.exe\r\rLe chemin n'existe pas.] [OK]")});
    write(QStringLiteral("plain.exe"), "not a program");
    s.run(QStringLiteral("DC \"plain.exe\" \"\""));
    EXPECT_TRUE(dialogs().front().contains(QStringLiteral("plain.exe\r\rLe fichier exécutable")));
}

class PathGuard {
public:
    explicit PathGuard(const QString& path) : m_saved(qgetenv("PATH")) { qputenv("PATH", QFile::encodeName(path)); }
    ~PathGuard() { qputenv("PATH", m_saved); }

private:
    QByteArray m_saved;
};

TEST_F(FileCommandsTest, InternetLinkGoesThroughTheDesktop)
{
    QTemporaryDir bin;
    const QString log = bin.filePath(QStringLiteral("opened"));
    QFile opener(bin.filePath(QStringLiteral("xdg-open")));
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write(QStringLiteral("#!/bin/sh\necho \"$1\" > '%1'\n").arg(log).toUtf8());
    opener.close();
    opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    {
        PathGuard path(bin.path() + QStringLiteral(":/usr/bin:/bin"));
        s.run(QStringLiteral("IL \"http://example.org/a?b\""));
    }
    for (int i = 0; i < 100 && !QFileInfo::exists(log); ++i)
        QThread::msleep(20);
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("http://example.org/a?b\n"));
    EXPECT_TRUE(dialogs().isEmpty());

    QTemporaryDir empty;
    {
        PathGuard path(empty.path());
        s.run(QStringLiteral("IL \"http://example.org\""));
    }
    EXPECT_EQ(dialogs(), QStringList{QStringLiteral("dialog [Erreur] [Pas de navigateur] [OK]")});
}

} // namespace
} // namespace lumeria

namespace lumeria {
namespace {

class ContainedFileCommandsTest : public FileCommandsTest {
protected:
    QString outsidePath(const QString& name) const { return outside.filePath(name); }
    QTemporaryDir outside;
};

TEST_F(ContainedFileCommandsTest, TextReadFromADataFileNeverReachesAShell)
{
    write(QStringLiteral("x.txt"), "x");
    write(QStringLiteral("data.txt"), "x.txt; touch y $(touch z) `touch w`\r\n");
    s.run(QStringLiteral("FR \"data.txt\" \"1\" \"A\"|DC \"DEL\" \"[A]\"|DC \"TYPE\" \"[A]\"|DC \"DIR\" \"[A]\"|"
                         "DC \"COPY\" \"[A]\"|DC \"RD\" \"[A]\"|SV \"went\" \"on\""));
    EXPECT_EQ(s.var("went"), QStringLiteral("on"));
    EXPECT_TRUE(dialogs().isEmpty()) << "a failed internal command shows nothing";
    QThread::msleep(200); // a shell started in the background would have run by now
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("data.txt"), QStringLiteral("x.txt")}));
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath(QStringLiteral("y"))));

    // Quotes written as ' make the same text one name.
    write(QStringLiteral("x.txt; touch y"), "x");
    s.run(QStringLiteral("DC \"del\" \"'x.txt; touch y'\""));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("x.txt; touch y"))));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("x.txt"))));
}

TEST_F(ContainedFileCommandsTest, AskedOnceForEachKindAndARefusalHolds)
{
    s.engine.setTrust(Trust::Ask);
    s.host.values.temporaryFolder = dir.filePath(QStringLiteral("temp"));
    // Inside its own folder nothing is asked.
    s.run(QStringLiteral("FW \"inside.txt\" \"0\" \"a\"|DC \"REN\" \"inside.txt moved.txt\""));
    EXPECT_TRUE(dialogs().isEmpty());
    EXPECT_EQ(contents(QStringLiteral("moved.txt")), QByteArray("a\r\n"));

    s.host.answers = {1};
    s.run(QStringLiteral("FW \"%1\" \"0\" \"a\"|FW \"%2\" \"0\" \"b\"")
              .arg(outsidePath(QStringLiteral("one.txt")), outsidePath(QStringLiteral("two.txt"))));
    ASSERT_EQ(dialogs().size(), 1);
    EXPECT_TRUE(dialogs().front().contains(QStringLiteral("écrire hors de son dossier")));
    EXPECT_TRUE(dialogs().front().endsWith(QStringLiteral("[Autoriser/Refuser]")));
    EXPECT_TRUE(dialogs().front().contains(outsidePath(QStringLiteral("one.txt"))));
    EXPECT_EQ(QFile(outsidePath(QStringLiteral("two.txt"))).size(), 3);

    // Programs are another kind: asked for on their own, and refused here.
    const QString marker = outsidePath(QStringLiteral("started"));
    s.host.answers = {2};
    s.run(QStringLiteral("DC \"touch\" \"'%1'\"|DC \"touch\" \"'%1'\"|SV \"went\" \"on\"").arg(marker));
    ASSERT_EQ(dialogs().size(), 2);
    EXPECT_TRUE(dialogs()[0].contains(QStringLiteral("veut lancer")));
    EXPECT_TRUE(dialogs()[0].contains(marker));
    EXPECT_TRUE(dialogs()[1].contains(QStringLiteral("Mode protégé"))) << "later ones fail as in safe mode";
    EXPECT_EQ(s.var("went"), QStringLiteral("on"));
    QThread::msleep(200);
    EXPECT_FALSE(QFileInfo::exists(marker));
}

TEST_F(ContainedFileCommandsTest, FilesThatAreNotFilesAreDeniedAtOnce)
{
    const QString fifo = dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    QElapsedTimer timer;
    timer.start();
    s.run(QStringLiteral("SV \"L\" \"x\"|FR \"pipe\" \"1\" \"L\"|FN \"pipe\" \"N\"|FR \"/dev/zero\" \"1\" \"Z\"|"
                         "FN \"/dev/zero\" \"M\""));
    EXPECT_TRUE(s.var("L").isEmpty());
    EXPECT_EQ(s.var("N"), QStringLiteral("0"));
    EXPECT_EQ(s.var("M"), QStringLiteral("0"));
    EXPECT_TRUE(dialogs().isEmpty());

    s.run(QStringLiteral("FC \"pipe\" \"copy.txt\"|FC \"/dev/zero\" \"zero.txt\"|FW \"pipe\" \"1\" \"x\""));
    EXPECT_EQ(dialogs().size(), 3);
    for (const QString& d : dialogs())
        EXPECT_TRUE(d.contains(ioErrorText(io::kAccessDenied))) << d.toStdString();
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("copy.txt"))));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("zero.txt"))));
}

TEST_F(ContainedFileCommandsTest, LinesAreReadAndCountedWithoutHoldingTheFile)
{
    write(QStringLiteral("mixed.txt"), "one\r\ntwo\nthree\rfour");
    s.run(QStringLiteral("FN \"mixed.txt\" \"N\"|FR \"mixed.txt\" \"3\" \"C\"|FR \"mixed.txt\" \"4\" \"D\"|"
                         "FR \"mixed.txt\" \"5\" \"E\""));
    EXPECT_EQ(s.var("N"), QStringLiteral("4"));
    EXPECT_EQ(s.var("C"), QStringLiteral("three"));
    EXPECT_EQ(s.var("D"), QStringLiteral("four"));
    EXPECT_TRUE(s.var("E").isEmpty());
    write(QStringLiteral("ends.txt"), "a\r\n\r\n");
    s.run(QStringLiteral("FN \"ends.txt\" \"N\""));
    EXPECT_EQ(s.var("N"), QStringLiteral("2"));
}

TEST_F(ContainedFileCommandsTest, RequestsPastTheBoundsStopTheScriptWithTheMemoryMessage)
{
    const QString memory = QStringLiteral("dialog [Erreur] [Pas assez de mémoire !] [OK]");
    write(QStringLiteral("one.txt"), "a\r\n");
    for (const QString& line :
         {QStringLiteral("FW \"one.txt\" \"2147483647\" \"x\""), QStringLiteral("FL \"one.txt\" \"2000000\"")}) {
        s.run(line + QStringLiteral("|SV \"after\" \"ran\""));
        EXPECT_EQ(dialogs(), QStringList{memory}) << line.toStdString();
        EXPECT_TRUE(s.var("after").isEmpty());
        EXPECT_EQ(contents(QStringLiteral("one.txt")), QByteArray("a\r\n"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no temporary left";
    }
    // Padding that stays within the bound is carried out.
    s.run(QStringLiteral("FW \"one.txt\" \"1000\" \"z\""));
    EXPECT_TRUE(dialogs().isEmpty());
    s.run(QStringLiteral("FN \"one.txt\" \"N\""));
    EXPECT_EQ(s.var("N"), QStringLiteral("1000"));

    // A value doubled again and again stops at the bound, long before the
    // machine's memory, and the script with it.
    s.run(QStringLiteral("SV \"X\" \"0123456789abcdef\"|SV \"I\" \"0\"|WI \"[I]\" \"<\" \"40\"|SV \"X\" \"[X][X]\"|"
                         "MA \"[I]+1\" \"0\" \"I\"|ENDWHILE|SV \"after\" \"ran\""));
    EXPECT_EQ(dialogs(), QStringList{memory});
    EXPECT_TRUE(s.var("after").isEmpty());
    EXPECT_LE(s.var("X").size(), limits::kTextLength);
    EXPECT_EQ(s.var("I"), QStringLiteral("22"));
}

} // namespace
} // namespace lumeria
