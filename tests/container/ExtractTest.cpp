#include "ContainerBuilder.h"
#include "container/Container.h"
#include "container/ExtractionFolder.h"
#include "platform/IoError.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace lumeria {
namespace {

using test::containerBytes;
using test::readFile;
using test::writeFile;

class ExtractTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("program")));
        ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("out")));
    }

    QString program() const { return m_root.filePath(QStringLiteral("program")); }
    QString out() const { return m_root.filePath(QStringLiteral("out")); }

    std::unique_ptr<Container> open(const std::vector<test::RawEntry>& entries)
    {
        const QString path = program() + QStringLiteral("/pub.lum");
        EXPECT_TRUE(writeFile(path, containerBytes(entries)));
        auto c = Container::open(path);
        EXPECT_TRUE(c.ok());
        return c ? std::move(c).value() : nullptr;
    }

    QTemporaryDir m_root;
};

TEST_F(ExtractTest, ExtractsOnceThenUsesTheFileOnDisk)
{
    auto c = open({{"SOUND.WAV", "RIFF-data"}});
    ASSERT_TRUE(c);
    c->setExtractionFolder({out(), false}, 0);

    const ExtractResult first = c->extract(QStringLiteral("sound.wav"));
    EXPECT_EQ(first.status, ExtractStatus::Extracted);
    EXPECT_EQ(first.path, out() + QStringLiteral("/SOUND.WAV"));
    EXPECT_EQ(readFile(first.path), QByteArray("RIFF-data"));
    EXPECT_TRUE(c->find(QStringLiteral("SOUND.WAV"))->Extracted);

    // A second extraction must not rewrite what is there.
    ASSERT_TRUE(writeFile(first.path, "changed"));
    const ExtractResult second = c->extract(QStringLiteral("SOUND.WAV"));
    EXPECT_EQ(second.status, ExtractStatus::Existing);
    EXPECT_EQ(readFile(second.path), QByteArray("changed"));
}

TEST_F(ExtractTest, FileAlreadyPresentInAnyCaseIsUsedUnchanged)
{
    auto c = open({{"CURSOR.CUR", "from-container"}});
    ASSERT_TRUE(c);
    c->setExtractionFolder({out(), false}, 0);
    ASSERT_TRUE(writeFile(out() + QStringLiteral("/cursor.cur"), "from-elsewhere"));
    const ExtractResult r = c->extract(QStringLiteral("CURSOR.CUR"));
    EXPECT_EQ(r.status, ExtractStatus::Existing);
    EXPECT_EQ(r.path, out() + QStringLiteral("/cursor.cur"));
    EXPECT_EQ(readFile(r.path), QByteArray("from-elsewhere"));
    EXPECT_FALSE(c->find(QStringLiteral("CURSOR.CUR"))->Extracted);
}

TEST_F(ExtractTest, ReplacementExtensionRenamesTheTarget)
{
    auto c = open({{"ANIM.DAT", "frames"}});
    ASSERT_TRUE(c);
    c->setExtractionFolder({out(), false}, 0);
    const ExtractResult r = c->extract(QStringLiteral("ANIM.DAT"), QStringLiteral(".FLC"));
    EXPECT_EQ(r.status, ExtractStatus::Extracted);
    EXPECT_EQ(r.path, out() + QStringLiteral("/ANIM.FLC"));
}

TEST_F(ExtractTest, NamesTheContainerLacksFallBack)
{
    auto c = open({{"A.TXT", "a"}});
    ASSERT_TRUE(c);
    c->setExtractionFolder({out(), false}, 0);

    const ExtractResult dll = c->extract(QStringLiteral("Codec.Dll"));
    EXPECT_EQ(dll.status, ExtractStatus::Existing);
    EXPECT_EQ(dll.path, QStringLiteral("Codec.Dll"));

    ASSERT_TRUE(writeFile(program() + QStringLiteral("/Beside.Mid"), "midi"));
    const ExtractResult beside = c->extract(QStringLiteral("C:\\elsewhere\\BESIDE.MID"));
    EXPECT_EQ(beside.status, ExtractStatus::Existing);
    EXPECT_EQ(beside.path, program() + QStringLiteral("/Beside.Mid"));

    const ExtractResult missing = c->extract(QStringLiteral("MISSING.WAV"));
    EXPECT_EQ(missing.status, ExtractStatus::Failed);
    EXPECT_EQ(missing.errorCode, io::kFileNotFound);
}

TEST_F(ExtractTest, UnsafeEntryNamesAreRefused)
{
    EXPECT_TRUE(isUnsafeEntryName(QStringLiteral("..")));
    EXPECT_TRUE(isUnsafeEntryName(QStringLiteral("../EVIL")));
    EXPECT_TRUE(isUnsafeEntryName(QStringLiteral("..\\EVIL")));
    EXPECT_TRUE(isUnsafeEntryName(QStringLiteral("A/B")));
    EXPECT_TRUE(isUnsafeEntryName(QStringLiteral("C:EVIL")));
    EXPECT_TRUE(isUnsafeEntryName(QString::fromUtf16(u"EVIL\0X", 6)));
    EXPECT_TRUE(isUnsafeEntryName(QString()));
    EXPECT_FALSE(isUnsafeEntryName(QStringLiteral("PLAIN.TXT")));

    // Names that lookup can still reach must not be written.
    auto c = open({{"..", "up"}, {QByteArray("X\0Y", 3), "nul"}, {"A..B", "dots"}});
    ASSERT_TRUE(c);
    const QString inner = out() + QStringLiteral("/inner");
    ASSERT_TRUE(QDir().mkpath(inner));
    c->setExtractionFolder({inner, false}, 0);
    for (const QString& name : {QStringLiteral(".."), QString::fromUtf16(u"X\0Y", 3), QStringLiteral("A..B")}) {
        const ExtractResult r = c->extract(name);
        EXPECT_EQ(r.status, ExtractStatus::Failed) << name.toStdString();
        EXPECT_EQ(r.errorCode, io::kPathNotFound);
    }
    EXPECT_TRUE(QDir(out()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(inner).entryList(QDir::Files).isEmpty());
}

TEST_F(ExtractTest, WriteThatFailsPartWayLeavesNoFile)
{
    auto c = open({{"VIDEO.AVI", QByteArray(200000, 'v')}});
    ASSERT_TRUE(c);
    c->setExtractionFolder({out(), false}, 0);

    // A file-size limit makes the kernel refuse the write part-way, as a full
    // disk would.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 70000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const ExtractResult failed = c->extract(QStringLiteral("VIDEO.AVI"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(failed.status, ExtractStatus::Failed);
    EXPECT_EQ(failed.errorCode, io::kDiskFull);
    EXPECT_FALSE(QFileInfo::exists(out() + QStringLiteral("/VIDEO.AVI")));
    EXPECT_FALSE(c->find(QStringLiteral("VIDEO.AVI"))->Extracted);

    const ExtractResult retried = c->extract(QStringLiteral("VIDEO.AVI"));
    EXPECT_EQ(retried.status, ExtractStatus::Extracted);
    EXPECT_EQ(readFile(retried.path).size(), 200000);
}

TEST_F(ExtractTest, CloseDeletesExtractedFilesOnlyWithBit128)
{
    ASSERT_TRUE(writeFile(out() + QStringLiteral("/KEPT.TXT"), "not ours"));
    {
        auto c = open({{"A.TXT", "a"}, {"B.DAT", "b"}, {"KEPT.TXT", "k"}});
        ASSERT_TRUE(c);
        c->setExtractionFolder({out(), false}, 129);
        EXPECT_EQ(c->extract(QStringLiteral("A.TXT")).status, ExtractStatus::Extracted);
        EXPECT_EQ(c->extract(QStringLiteral("B.DAT"), QStringLiteral(".BIN")).status, ExtractStatus::Extracted);
        EXPECT_EQ(c->extract(QStringLiteral("KEPT.TXT")).status, ExtractStatus::Existing);
    }
    EXPECT_FALSE(QFileInfo::exists(out() + QStringLiteral("/A.TXT")));
    EXPECT_FALSE(QFileInfo::exists(out() + QStringLiteral("/B.BIN")));
    EXPECT_TRUE(QFileInfo::exists(out() + QStringLiteral("/KEPT.TXT")));

    {
        auto c = open({{"A.TXT", "a"}});
        ASSERT_TRUE(c);
        c->setExtractionFolder({out(), false}, 1);
        EXPECT_EQ(c->extract(QStringLiteral("A.TXT")).status, ExtractStatus::Extracted);
    }
    EXPECT_TRUE(QFileInfo::exists(out() + QStringLiteral("/A.TXT")));
}

TEST_F(ExtractTest, CreatedFolderIsRemovedAtCloseWithBit128)
{
    const QString made = out() + QStringLiteral("/made/by/player");
    ASSERT_TRUE(QDir().mkpath(made));
    auto c = open({{"A.TXT", "a"}});
    ASSERT_TRUE(c);
    c->setExtractionFolder({made, true}, 136);
    EXPECT_EQ(c->extract(QStringLiteral("A.TXT")).status, ExtractStatus::Extracted);
    c->close();
    EXPECT_FALSE(QFileInfo::exists(made));
    // Only the folder itself was the player's; its parents stay.
    EXPECT_TRUE(QFileInfo::exists(out() + QStringLiteral("/made/by")));
}

class ExtractionFolderTest : public ::testing::Test {
protected:
    ExtractionChoice choice(uint8_t op, const QString& dir = {}) const
    {
        ExtractionChoice c;
        c.extractOp = op;
        c.extractDir = dir;
        c.programFolder = m_root.filePath(QStringLiteral("program"));
        c.windowsFolder = m_root.filePath(QStringLiteral("windows"));
        c.temporaryFolder = m_root.filePath(QStringLiteral("temp"));
        c.fallbackFolder = m_root.filePath(QStringLiteral("cache/pub"));
        for (const QString& f : {c.programFolder, c.windowsFolder, c.temporaryFolder})
            QDir().mkpath(f);
        return c;
    }

    QTemporaryDir m_root;
};

TEST_F(ExtractionFolderTest, FirstSetBitDecides)
{
    const ExtractionChoice base = choice(0);
    EXPECT_EQ(chooseExtractionFolder(choice(2 | 4 | 8, QStringLiteral("x"))).path, base.windowsFolder);
    EXPECT_EQ(chooseExtractionFolder(choice(4 | 8, QStringLiteral("x"))).path, base.temporaryFolder);
    EXPECT_EQ(chooseExtractionFolder(choice(1)).path, base.programFolder);
    EXPECT_EQ(chooseExtractionFolder(choice(129)).path, base.programFolder);
    EXPECT_FALSE(chooseExtractionFolder(choice(129)).created);
}

TEST_F(ExtractionFolderTest, ExtractDirIsCreatedWithItsParentsAndRemembered)
{
    const ExtractionFolder made = chooseExtractionFolder(choice(8, QStringLiteral("Data\\Media")));
    EXPECT_EQ(made.path, m_root.filePath(QStringLiteral("program/Data/Media")));
    EXPECT_TRUE(made.created);
    EXPECT_TRUE(QFileInfo(made.path).isDir());

    // The same folder again, now existing and spelled in another case.
    const ExtractionFolder again = chooseExtractionFolder(choice(8, QStringLiteral("DATA\\MEDIA")));
    EXPECT_EQ(again.path, made.path);
    EXPECT_FALSE(again.created);
}

TEST_F(ExtractionFolderTest, UnusableChoicesFallBackToTheProgramFolder)
{
    const ExtractionChoice base = choice(0);
    EXPECT_EQ(chooseExtractionFolder(choice(8, QStringLiteral("  "))).path, base.programFolder);

    ExtractionChoice errorWindows = choice(2);
    errorWindows.windowsFolder = QStringLiteral("Error");
    EXPECT_EQ(chooseExtractionFolder(errorWindows).path, base.programFolder);

    ExtractionChoice noTemp = choice(4);
    noTemp.temporaryFolder.clear();
    EXPECT_EQ(chooseExtractionFolder(noTemp).path, base.programFolder);

    // A folder under a file cannot be created.
    ASSERT_TRUE(writeFile(base.programFolder + QStringLiteral("/plain"), "x"));
    EXPECT_EQ(chooseExtractionFolder(choice(8, QStringLiteral("plain\\sub"))).path, base.programFolder);
}

TEST_F(ExtractionFolderTest, SafeModeKeepsExtractDirInsideTheProgramFolder)
{
    for (const QString& dir : {m_root.filePath(QStringLiteral("elsewhere/deep")), QStringLiteral("..\\elsewhere"),
                               QStringLiteral("C:\\") + m_root.filePath(QStringLiteral("elsewhere")).mid(1)}) {
        ExtractionChoice c = choice(8, dir);
        c.confined = true;
        const ExtractionFolder f = chooseExtractionFolder(c);
        EXPECT_EQ(f.path, c.programFolder) << dir.toStdString();
        EXPECT_FALSE(f.created);
    }
    EXPECT_FALSE(QFileInfo::exists(m_root.filePath(QStringLiteral("elsewhere"))));

    ExtractionChoice inside = choice(8, QStringLiteral("Data"));
    inside.confined = true;
    EXPECT_EQ(chooseExtractionFolder(inside).path, m_root.filePath(QStringLiteral("program/Data")));
}

TEST_F(ExtractionFolderTest, ALinkOutOfTheProgramFolderIsJudgedByWhereItLeads)
{
    const QString outside = m_root.filePath(QStringLiteral("outside"));
    ASSERT_TRUE(QDir().mkpath(outside));
    ExtractionChoice base = choice(8);
    ASSERT_TRUE(QFile::link(outside, base.programFolder + QStringLiteral("/LINK")));
    for (const QString& dir : {QStringLiteral("LINK"), QStringLiteral("link\\NEWSUB")}) {
        ExtractionChoice c = choice(8, dir);
        c.confined = true;
        const ExtractionFolder f = chooseExtractionFolder(c);
        EXPECT_EQ(f.path, c.programFolder) << dir.toStdString();
        EXPECT_FALSE(f.created);
    }
    EXPECT_FALSE(QFileInfo::exists(outside + QStringLiteral("/NEWSUB")));

    // A folder the choice names as the player's own may be reached through
    // a link, the same way.
    ExtractionChoice own = choice(8, QStringLiteral("LINK"));
    own.confined = true;
    own.ownFolders = {outside};
    EXPECT_EQ(QFileInfo(chooseExtractionFolder(own).path).canonicalFilePath(), QFileInfo(outside).canonicalFilePath());
}

TEST_F(ExtractionFolderTest, ProgramFolderThatCannotBeWrittenFallsBackToThePerUserFolder)
{
    ExtractionChoice c = choice(0);
    c.programFolder = m_root.filePath(QStringLiteral("gone/away")); // cannot take files
    const ExtractionFolder f = chooseExtractionFolder(c);
    EXPECT_EQ(f.path, c.fallbackFolder);
    EXPECT_TRUE(f.created);
    EXPECT_TRUE(QFileInfo(c.fallbackFolder).isDir());
}

} // namespace
} // namespace lumeria

namespace lumeria {
namespace {

TEST(ExtractionChoiceFor, TemporaryFolderComesFromTempInAnyCase)
{
    QTemporaryDir temp;
    const QByteArray saved = qgetenv("TEMP");
    qunsetenv("TEMP");
    qputenv("Temp", QFile::encodeName(temp.path()));
    const ExtractionChoice c = extractionChoiceFor(QStringLiteral("/some/where/pub.lum"), 4, {});
    qunsetenv("Temp");
    if (!saved.isNull())
        qputenv("TEMP", saved);
    EXPECT_EQ(c.temporaryFolder, temp.path());
    EXPECT_EQ(c.programFolder, QStringLiteral("/some/where"));
    EXPECT_TRUE(c.fallbackFolder.contains(QStringLiteral("/lumeria/publications/pub.lum-")));
    EXPECT_EQ(chooseExtractionFolder(c).path, temp.path());
}

} // namespace
} // namespace lumeria
