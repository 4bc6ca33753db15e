#include "platform/WindowsPath.h"

#include <QDir>
#include <QFile>
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
