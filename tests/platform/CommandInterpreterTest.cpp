// The old command interpreter's own commands, carried out on a real folder:
// what they change, what they refuse, and that no text of theirs is ever
// run as a command of another language.
#include "platform/CommandInterpreter.h"

#include "platform/Codepage.h"
#include "platform/WindowsPath.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace lumeria::dos {
namespace {

class CommandInterpreterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_context.currentFolder = m_dir.path();
        m_context.resolve = [](const QString& name, const QString& base) { return resolveWindowsPath(name, base); };
        m_context.mayWrite = [this](const QString& path) {
            m_writes.append(path);
            return m_allowWrites;
        };
        m_context.displayName = [this](const QString& path) {
            QString rel = QDir(m_dir.path()).relativeFilePath(path);
            rel = rel == QLatin1String(".") ? QString() : rel;
            return QStringLiteral("C:\\") + rel.replace(QLatin1Char('/'), QLatin1Char('\\'));
        };
        m_context.codepage = &Codepage::windows1252();
        m_context.now = QDateTime(QDate(2026, 12, 9), QTime(4, 5, 6, 70));
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray contents(const QString& name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    bool exists(const QString& name) const { return QFileInfo::exists(path(name)); }
    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }
    bool run(const QString& line) { return dos::run(line, m_context); }

    QTemporaryDir m_dir;
    Context m_context;
    bool m_allowWrites = true;
    QStringList m_writes;
};

TEST_F(CommandInterpreterTest, ShellTextInParametersIsNeverRun)
{
    write(QStringLiteral("x.txt"), "keep");
    for (const QString& hostile : {QStringLiteral("x.txt; touch y $(touch z) `touch w`"),
                                   QStringLiteral("x.txt && touch v | touch u"), QStringLiteral("x.txt & touch t")})
        for (const QString& command : {QStringLiteral("DEL"), QStringLiteral("TYPE"), QStringLiteral("DIR"),
                                       QStringLiteral("COPY"), QStringLiteral("RD"), QStringLiteral("REN")})
            EXPECT_FALSE(run(command + QLatin1Char(' ') + hostile)) << command.toStdString();
    EXPECT_EQ(entries(), QStringList{QStringLiteral("x.txt")});
    EXPECT_EQ(contents(QStringLiteral("x.txt")), QByteArray("keep"));

    // Quoted, the same text is a name like any other.
    const QString odd = QStringLiteral("a;$(b)`c`&d.txt");
    write(odd, "odd");
    EXPECT_TRUE(run(QStringLiteral("DEL \"%1\"").arg(odd)));
    EXPECT_FALSE(exists(odd));
    EXPECT_TRUE(exists(QStringLiteral("x.txt")));

    // Only the interpreter's own commands exist here.
    EXPECT_FALSE(run(QStringLiteral("touch y")));
    EXPECT_FALSE(run(QStringLiteral("DIRX")));
    EXPECT_FALSE(exists(QStringLiteral("y")));
}

TEST_F(CommandInterpreterTest, DeleteTakesWildcardsButNeverFoldersReadOnlyOrHiddenFiles)
{
    for (const char* name : {"XA.TXT", "xb.dat", "Y.TXT", "noext", ".hidden"})
        write(QString::fromLatin1(name), "1");
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("XSUB/deep")));
    write(QStringLiteral("XSUB/XC.TXT"), "1");

    EXPECT_TRUE(run(QStringLiteral("DEL X*")));
    EXPECT_EQ(entries(), (QStringList{QStringLiteral(".hidden"), QStringLiteral("XSUB"), QStringLiteral("Y.TXT"),
                                      QStringLiteral("noext")}));
    EXPECT_TRUE(exists(QStringLiteral("XSUB/XC.TXT"))) << "never recursive";

    write(QStringLiteral("ro.txt"), "1");
    ASSERT_EQ(::chmod(QFile::encodeName(path(QStringLiteral("ro.txt"))).constData(), 0444), 0);
    EXPECT_FALSE(run(QStringLiteral("DEL *.*"))) << "a read-only file stays, and the command says it failed";
    EXPECT_EQ(entries(), (QStringList{QStringLiteral(".hidden"), QStringLiteral("XSUB"), QStringLiteral("ro.txt")}));

    // A folder named alone is emptied of its files, never removed.
    EXPECT_TRUE(run(QStringLiteral("ERASE xsub")));
    EXPECT_FALSE(exists(QStringLiteral("XSUB/XC.TXT")));
    EXPECT_TRUE(exists(QStringLiteral("XSUB/deep")));
    EXPECT_FALSE(run(QStringLiteral("DEL nothing.here")));
}

TEST_F(CommandInterpreterTest, RenameNeverReplacesAFile)
{
    write(QStringLiteral("A.TXT"), "a");
    write(QStringLiteral("b.txt"), "reader's own");
    EXPECT_FALSE(run(QStringLiteral("REN A.TXT B.TXT"))) << "names differing in case are one name";
    EXPECT_EQ(contents(QStringLiteral("b.txt")), QByteArray("reader's own"));
    EXPECT_EQ(contents(QStringLiteral("A.TXT")), QByteArray("a"));

    EXPECT_TRUE(run(QStringLiteral("RENAME a.txt C.TXT")));
    EXPECT_EQ(contents(QStringLiteral("C.TXT")), QByteArray("a"));
    EXPECT_FALSE(run(QStringLiteral("REN C.TXT sub\\D.TXT"))) << "the new name is a name, not a path";

    write(QStringLiteral("one.txt"), "1");
    write(QStringLiteral("two.txt"), "2");
    write(QStringLiteral("two.bak"), "old");
    EXPECT_FALSE(run(QStringLiteral("REN *.txt *.bak"))) << "two.bak is there";
    EXPECT_EQ(contents(QStringLiteral("one.bak")), QByteArray("1"));
    EXPECT_EQ(contents(QStringLiteral("two.bak")), QByteArray("old"));
    EXPECT_EQ(contents(QStringLiteral("two.txt")), QByteArray("2"));
}

TEST_F(CommandInterpreterTest, FoldersAreMadeOneAtATimeAndRemovedOnlyEmpty)
{
    EXPECT_TRUE(run(QStringLiteral("MD NEW")));
    EXPECT_FALSE(run(QStringLiteral("MKDIR new"))) << "already there";
    EXPECT_FALSE(run(QStringLiteral("MD a\\b\\c")));
    EXPECT_FALSE(exists(QStringLiteral("a")));
    write(QStringLiteral("NEW/f.txt"), "1");
    EXPECT_FALSE(run(QStringLiteral("RD NEW")));
    EXPECT_TRUE(exists(QStringLiteral("NEW/f.txt")));
    EXPECT_TRUE(run(QStringLiteral("DEL new\\f.txt")));
    EXPECT_TRUE(run(QStringLiteral("RMDIR new")));
    EXPECT_FALSE(exists(QStringLiteral("NEW")));
    EXPECT_FALSE(run(QStringLiteral("RD .")));
    EXPECT_TRUE(QFileInfo(m_dir.path()).isDir());
}

TEST_F(CommandInterpreterTest, CopyJoinsWithPlusAndNeverOntoItself)
{
    write(QStringLiteral("a.txt"), "first\r\n\x1Atrailing junk");
    write(QStringLiteral("b.txt"), "second\r\n");
    EXPECT_TRUE(run(QStringLiteral("COPY a.txt+b.txt c.txt")));
    // Joined files are text: each ends at its Ctrl+Z and the result gets one.
    EXPECT_EQ(contents(QStringLiteral("c.txt")), QByteArray("first\r\nsecond\r\n\x1A"));
    EXPECT_TRUE(run(QStringLiteral("COPY /B a.txt + b.txt d.bin")));
    EXPECT_EQ(contents(QStringLiteral("d.bin")), QByteArray("first\r\n\x1Atrailing junksecond\r\n"));

    EXPECT_FALSE(run(QStringLiteral("COPY a.txt A.TXT")));
    EXPECT_FALSE(run(QStringLiteral("COPY a.txt")));
    EXPECT_EQ(contents(QStringLiteral("a.txt")), QByteArray("first\r\n\x1Atrailing junk"));

    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("Out")));
    EXPECT_TRUE(run(QStringLiteral("COPY *.txt out")));
    EXPECT_EQ(QDir(path(QStringLiteral("Out"))).entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")}));
    EXPECT_EQ(contents(QStringLiteral("Out/a.txt")), contents(QStringLiteral("a.txt")));
    EXPECT_FALSE(run(QStringLiteral("COPY missing.txt out")));
}

TEST_F(CommandInterpreterTest, RedirectedOutputIsWrittenInTheCodePageWithCrLf)
{
    write(QStringLiteral("Café.txt"), "12345");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("SUB")));
    EXPECT_TRUE(run(QStringLiteral("DIR > list.txt")));
    const QByteArray list = contents(QStringLiteral("list.txt"));
    EXPECT_TRUE(list.startsWith(" Le volume dans le lecteur C n'a pas de nom\r\n")) << list.constData();
    EXPECT_TRUE(list.contains(" R\xE9pertoire de C:\\\r\n")) << list.constData();
    EXPECT_TRUE(list.contains("CAF\xC9     TXT             5  ")) << list.constData();
    EXPECT_TRUE(list.contains("<REP>"));
    EXPECT_TRUE(list.contains(" Caf\xE9.txt\r\n"));
    EXPECT_TRUE(list.contains("         1 fichier(s)"));
    for (qsizetype i = list.indexOf('\n'); i >= 0; i = list.indexOf('\n', i + 1))
        ASSERT_EQ(list[i - 1], '\r');

    EXPECT_TRUE(run(QStringLiteral("TYPE caf\xE9.txt >> list.txt")));
    EXPECT_TRUE(contents(QStringLiteral("list.txt")).endsWith("\r\n12345"));
    EXPECT_TRUE(run(QStringLiteral("VER>ver.txt")));
    EXPECT_EQ(contents(QStringLiteral("ver.txt")), QByteArray("\r\nWindows 95. [Version 4.00.950]\r\n\r\n"));
    EXPECT_TRUE(run(QStringLiteral("DATE > d.txt")));
    EXPECT_TRUE(contents(QStringLiteral("d.txt")).startsWith("La date du jour est mer 09/12/2026\r\n"));
    EXPECT_TRUE(run(QStringLiteral("TIME > t.txt")));
    EXPECT_TRUE(contents(QStringLiteral("t.txt")).startsWith("L'heure actuelle est  4:05:06,07\r\n"));
    EXPECT_TRUE(run(QStringLiteral("CHCP > c.txt")));
    EXPECT_EQ(contents(QStringLiteral("c.txt")), QByteArray("Page de codes active : 850\r\n"));
    EXPECT_TRUE(run(QStringLiteral("CD sub > cd.txt")));
    EXPECT_EQ(contents(QStringLiteral("cd.txt")), QByteArray());
    EXPECT_TRUE(run(QStringLiteral("TREE > tree.txt")));
    EXPECT_TRUE(contents(QStringLiteral("tree.txt")).endsWith("C:.\r\n\\---SUB\r\n"));
}

TEST_F(CommandInterpreterTest, ConsoleCommandsLeaveNothingBehind)
{
    write(QStringLiteral("f.txt"), "1");
    const QStringList before = entries();
    for (const char* line : {"DIR", "DIR /W /S", "TYPE f.txt", "VER", "TREE /F", "DATE", "TIME", "VOL", "CHCP",
                             "CHCP 437", "CD", "CD ..", "DATE 01-01-80", "TIME 12:00"})
        EXPECT_TRUE(run(QString::fromLatin1(line))) << line;
    EXPECT_EQ(entries(), before);
    EXPECT_TRUE(m_writes.isEmpty());
    EXPECT_FALSE(run(QStringLiteral("TYPE f.txt | MORE"))) << "a pipe would start a program";
    EXPECT_FALSE(run(QStringLiteral("CD nowhere")));
    EXPECT_FALSE(run(QStringLiteral("DIR *.none")));
}

TEST_F(CommandInterpreterTest, EveryWriteIsAskedForAndARefusalChangesNothing)
{
    write(QStringLiteral("a.txt"), "a");
    m_allowWrites = false;
    for (const char* line : {"DEL a.txt", "REN a.txt b.txt", "COPY a.txt c.txt", "MD NEW", "DIR > out.txt"})
        EXPECT_FALSE(run(QString::fromLatin1(line))) << line;
    EXPECT_EQ(entries(), QStringList{QStringLiteral("a.txt")});
    EXPECT_EQ(m_writes.size(), 5) << m_writes.join(QLatin1Char(' ')).toStdString();
}

TEST_F(CommandInterpreterTest, FilesThatAreNotFilesAreRefusedAtOnce)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("pipe"))).constData(), 0644), 0);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(run(QStringLiteral("TYPE pipe > out.txt")));
    EXPECT_FALSE(run(QStringLiteral("TYPE pipe")));
    EXPECT_FALSE(run(QStringLiteral("COPY pipe copy.txt")));
    EXPECT_FALSE(run(QStringLiteral("COPY /dev/zero zero.txt")));
    EXPECT_FALSE(run(QStringLiteral("DIR > pipe")));
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_FALSE(exists(QStringLiteral("copy.txt")));
    EXPECT_FALSE(exists(QStringLiteral("zero.txt")));
    EXPECT_EQ(contents(QStringLiteral("out.txt")), QByteArray()) << "the output file is opened before the command";
}

TEST(DosWildcards, MatchAsTheInterpreterDid)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    for (const Case& c : {Case{"*.*", "README", true}, Case{"*.*", "a.b.c", true}, Case{"*", "x.txt", true},
                          Case{"X*", "xray.doc", true}, Case{"X*", "box", false}, Case{"*.TXT", "notes.txt", true},
                          Case{"*.TXT", "notes.txt.bak", false}, Case{"A.*", "a", true}, Case{"A.*", "a.b", true},
                          Case{"*.", "noext", true}, Case{"*.", "has.ext", false}, Case{"FILE?.TXT", "FILE1.TXT", true},
                          Case{"FILE?.TXT", "FILE.TXT", true}, Case{"FILE?.TXT", "FILE12.TXT", false},
                          Case{"?", "", true}, Case{"a*b*c", "aXXbYYc", true}, Case{"a*b*c", "aXXbYY", false}})
        EXPECT_EQ(matchesWildcard(QString::fromLatin1(c.pattern), QString::fromLatin1(c.name)), c.matches)
            << c.pattern << " / " << c.name;

    // Many stars cost the pattern's length times the name's, not more.
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(
        matchesWildcard(QString(2000, QLatin1Char('*')) + QStringLiteral("b"), QString(250, QLatin1Char('a'))));
    EXPECT_FALSE(matchesWildcard(QString(100'000, QLatin1Char('*')), QStringLiteral("a")));
    EXPECT_LT(timer.elapsed(), 2000);
}

TEST(DosWildcards, TemplatesKeepWhatTheirWildcardsStandFor)
{
    EXPECT_EQ(applyTemplate(QStringLiteral("*.BAK"), QStringLiteral("notes.txt")), QStringLiteral("notes.BAK"));
    EXPECT_EQ(applyTemplate(QStringLiteral("?X*.*"), QStringLiteral("abcd.txt")), QStringLiteral("aXcd.txt"));
    EXPECT_EQ(applyTemplate(QStringLiteral("NEW"), QStringLiteral("old.txt")), QStringLiteral("NEW"));
    EXPECT_EQ(applyTemplate(QStringLiteral("*.*"), QStringLiteral("noext")), QStringLiteral("noext"));
}

TEST(DosCommands, TheOriginalsTestOfTheProgramsName)
{
    for (const char* name : {"dir", "COPY", "del", "Rd", "", "IR", "chdir"})
        EXPECT_TRUE(isInternalCommand(QString::fromLatin1(name))) << name;
    for (const char* name : {"notepad.exe", "DIR.EXE", "C:\\DOS\\EDIT.COM", "DELTREE"})
        EXPECT_FALSE(isInternalCommand(QString::fromLatin1(name))) << name;
}

} // namespace
} // namespace lumeria::dos
