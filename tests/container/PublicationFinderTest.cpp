// Finding the publication on a disc: AUTORUN.INF first, then the programs
// at the top and one folder below that carry a container with RUNTIME.PUB.
#include "container/PublicationFinder.h"
#include "ContainerBuilder.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using test::containerBytes;
using test::RawEntry;
using test::writeFile;

class PublicationFinderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_disc.isValid()); }

    // A program of the disc: some bytes standing for its code, then the
    // container when it is a publication.
    void program(const QString& name, const QByteArray& title, bool publication = true)
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path(name)).absolutePath()));
        const QByteArray code = "MZ" + QByteArray(200, '\x90');
        if (!publication) {
            ASSERT_TRUE(writeFile(path(name), code));
            return;
        }
        const QByteArray pub =
            "LumeriaVer=1.0\r\n" + (title.isEmpty() ? QByteArray() : " title =" + title + "\r\n") + "NewPage=1\r\n";
        ASSERT_TRUE(writeFile(path(name), containerBytes({RawEntry{"RUNTIME.PUB", pub, 0}}, code)));
    }
    QString path(const QString& name) const { return m_disc.filePath(name); }
    QStringList found() const
    {
        QStringList out;
        for (const FoundPublication& f : findPublications(m_disc.path()))
            out.append(QDir(m_disc.path()).relativeFilePath(f.path) + QLatin1Char('|') + f.title);
        return out;
    }

    QTemporaryDir m_disc;
};

TEST_F(PublicationFinderTest, ProgramsAtTheTopAndOneFolderDownWithTheirTitles)
{
    program(QStringLiteral("SETUP.EXE"), {}, false);
    program(QStringLiteral("Atlas.exe"), "Atlas du monde");
    program(QStringLiteral("SAVER/STARS.SCR"), "\xC9toiles"); // Windows-1252, as publications are
    program(QStringLiteral("SAVER/DEEP/LOST.EXE"), "Trop loin");
    program(QStringLiteral("DATA/notes.txt"), "Pas un programme");
    program(QStringLiteral("tour.lum"), {});
    EXPECT_EQ(found(), (QStringList{QStringLiteral("Atlas.exe|Atlas du monde"), QStringLiteral("tour.lum|"),
                                    QStringLiteral("SAVER/STARS.SCR|Étoiles")}));
}

TEST_F(PublicationFinderTest, AutorunsProgramComesFirstAndAlone)
{
    program(QStringLiteral("A.EXE"), "A");
    program(QStringLiteral("Bin/Main.exe"), "Principal");
    ASSERT_TRUE(writeFile(path(QStringLiteral("autorun.inf")),
                          "; made by hand\r\n[other]\r\nopen=A.EXE\r\n[AutoRun]\r\nicon=x.ico\r\n"
                          "open=\"BIN\\MAIN.EXE\" /fullscreen\r\n"));
    EXPECT_EQ(found(), QStringList{QStringLiteral("Bin/Main.exe|Principal")});
    EXPECT_EQ(autorunProgram(m_disc.path()), path(QStringLiteral("Bin/Main.exe")));

    // A program that is no publication, or one outside the disc, is passed
    // over for the search.
    ASSERT_TRUE(writeFile(path(QStringLiteral("autorun.inf")), "[autorun]\r\nopen=..\\..\\etc\\passwd\r\n"));
    EXPECT_TRUE(autorunProgram(m_disc.path()).isEmpty());
    EXPECT_EQ(found().size(), 2);
    ASSERT_TRUE(writeFile(path(QStringLiteral("autorun.inf")), "[autorun]\r\nopen=D:\\SETUP.EXE\r\n"));
    program(QStringLiteral("SETUP.EXE"), {}, false);
    EXPECT_EQ(autorunProgram(m_disc.path()), path(QStringLiteral("SETUP.EXE")));
    EXPECT_EQ(found().size(), 2);
}

TEST_F(PublicationFinderTest, AFolderOfManyFilesIsLookedIntoOnlySoFar)
{
    for (int i = 0; i < 200; ++i)
        program(QStringLiteral("P%1.EXE").arg(i, 3, 10, QLatin1Char('0')), "x");
    EXPECT_EQ(found().size(), 64);
}

} // namespace
} // namespace lumeria
