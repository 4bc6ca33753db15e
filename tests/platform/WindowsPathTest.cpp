#include "platform/WindowsPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

TEST(WindowsPath, FileNameDropsEveryKindOfFolderPart)
{
    EXPECT_EQ(windowsFileName(QStringLiteral("C:\\Pub\\Intro.Txt")), QStringLiteral("Intro.Txt"));
    EXPECT_EQ(windowsFileName(QStringLiteral("a/b\\c.bmp")), QStringLiteral("c.bmp"));
    EXPECT_EQ(windowsFileName(QStringLiteral("D:pic.bmp")), QStringLiteral("pic.bmp"));
    EXPECT_EQ(windowsFileName(QStringLiteral("plain")), QStringLiteral("plain"));
}

TEST(WindowsPath, ChangeExtensionOnlyTouchesTheFileName)
{
    EXPECT_EQ(changeFileExtension(QStringLiteral("A.DAT"), QStringLiteral(".FLC")), QStringLiteral("A.FLC"));
    EXPECT_EQ(changeFileExtension(QStringLiteral("NOEXT"), QStringLiteral(".X")), QStringLiteral("NOEXT.X"));
    EXPECT_EQ(changeFileExtension(QStringLiteral("dir.d/NOEXT"), QStringLiteral(".X")),
              QStringLiteral("dir.d/NOEXT.X"));
}

TEST(WindowsPath, ResolvesAgainstWhatExistsIgnoringCase)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Data/Sounds")));
    QFile f(dir.filePath(QStringLiteral("Data/Sounds/Bell.wav")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    EXPECT_EQ(resolveWindowsPath(QStringLiteral("DATA\\SOUNDS\\BELL.WAV"), dir.path()),
              dir.filePath(QStringLiteral("Data/Sounds/Bell.wav")));
    // Missing components are kept as written, for files about to be made.
    EXPECT_EQ(resolveWindowsPath(QStringLiteral("data\\new\\file.txt"), dir.path()),
              dir.filePath(QStringLiteral("Data/new/file.txt")));
    // A drive letter stands for the root.
    EXPECT_EQ(resolveWindowsPath(QStringLiteral("C:\\") + QString(dir.path()).replace('/', '\\'), QStringLiteral("/x")),
              dir.path());
    EXPECT_EQ(resolveWindowsPath(QStringLiteral("..\\Data"), dir.filePath(QStringLiteral("Data"))),
              dir.filePath(QStringLiteral("Data")));
}

} // namespace
} // namespace lumeria

namespace lumeria {
namespace {

// The drive map is the process's; each test puts back the one it found.
class DriveMapGuard {
public:
    explicit DriveMapGuard(const DriveMap& map) : m_saved(driveMap()) { setDriveMap(map); }
    ~DriveMapGuard() { setDriveMap(m_saved); }

private:
    DriveMap m_saved;
};

void touch(const QString& path)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

TEST(WindowsPath, DriveLettersAndTheRootNameTheVolumeAndCNamesTheUsersDrive)
{
    QTemporaryDir dir;
    const QString volume = dir.filePath(QStringLiteral("cdrom"));
    const QString user = dir.filePath(QStringLiteral("c"));
    const QString other = dir.filePath(QStringLiteral("other"));
    touch(volume + QStringLiteral("/Video/Intro.avi"));
    touch(volume + QStringLiteral("/SOUNDS/x.wav"));
    touch(other + QStringLiteral("/DATA/INFO.TXT"));
    DriveMap map;
    map.volume = volume;
    map.userDrive = user;
    map.letters['F' - 'A'] = other;
    const DriveMapGuard guard(map);

    EXPECT_EQ(resolveWindowsPath(QStringLiteral("D:\\VIDEO\\INTRO.AVI"), QStringLiteral("/x")),
              volume + QStringLiteral("/Video/Intro.avi"));
    EXPECT_EQ(resolveWindowsPath(QStringLiteral("e:\\sounds\\X.WAV"), QStringLiteral("/x")),
              volume + QStringLiteral("/SOUNDS/x.wav"));
    EXPECT_EQ(resolveWindowsPath(QStringLiteral("\\SOUNDS\\X.WAV"), QStringLiteral("/x")),
              volume + QStringLiteral("/SOUNDS/x.wav"));
    EXPECT_EQ(resolveWindowsPath(QStringLiteral("D:sounds\\x.wav"), QStringLiteral("/x")),
              volume + QStringLiteral("/SOUNDS/x.wav"));
    EXPECT_EQ(resolveWindowsPath(QStringLiteral("C:\\SAVE.TXT"), QStringLiteral("/x")),
              user + QStringLiteral("/SAVE.TXT"));
    EXPECT_EQ(resolveWindowsPath(QStringLiteral("f:\\data\\info.txt"), QStringLiteral("/x")),
              other + QStringLiteral("/DATA/INFO.TXT"));
    // No drive and no root climbs above its top.
    EXPECT_EQ(resolveWindowsPath(QStringLiteral("D:\\..\\..\\etc\\passwd"), QStringLiteral("/x")),
              volume + QStringLiteral("/etc/passwd"));
    EXPECT_EQ(resolveWindowsPath(QStringLiteral("C:\\WINDOWS\\..\\..\\..\\x"), QStringLiteral("/x")),
              user + QStringLiteral("/x"));
    // A slash first is this system's own path.
    EXPECT_EQ(resolveWindowsPath(other + QStringLiteral("/data/info.txt"), QStringLiteral("/x")),
              other + QStringLiteral("/DATA/INFO.TXT"));
}

TEST(WindowsPath, ADiscCopiedIntoAFolderFindsItsFilesFromThePublicationUp)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("cds/MyDisc"));
    touch(copy + QStringLiteral("/VIDEO/INTRO.AVI"));
    touch(copy + QStringLiteral("/PROGRAM/PUB.EXE"));
    touch(dir.filePath(QStringLiteral("cds/SHARED.TXT")));
    DriveMap map;
    map.volume = dir.path();
    map.publicationFolder = copy + QStringLiteral("/PROGRAM");
    const DriveMapGuard guard(map);

    EXPECT_EQ(resolveWindowsPath(QStringLiteral("D:\\VIDEO\\intro.avi"), QStringLiteral("/x")),
              copy + QStringLiteral("/VIDEO/INTRO.AVI"));
    EXPECT_EQ(resolveWindowsPath(QStringLiteral("\\shared.txt"), QStringLiteral("/x")),
              dir.filePath(QStringLiteral("cds/SHARED.TXT")));
    // A name found nowhere stays on the volume's root, for a file to be made.
    EXPECT_EQ(resolveWindowsPath(QStringLiteral("D:\\NEW.TXT"), QStringLiteral("/x")),
              dir.filePath(QStringLiteral("NEW.TXT")));
}

TEST(WindowsPath, TheVolumeIsTheMountPointHoldingAPath)
{
    EXPECT_EQ(mountPointOf(QStringLiteral("/proc/self/status")), QStringLiteral("/proc"));
    EXPECT_EQ(mountPointOf(QStringLiteral("/")), QStringLiteral("/"));
    QTemporaryDir dir;
    const QString point = mountPointOf(dir.path());
    EXPECT_TRUE(dir.path().startsWith(point)) << point.toStdString();
}

} // namespace
} // namespace lumeria
