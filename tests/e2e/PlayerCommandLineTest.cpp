// The real lumeria binary, driven from its command line.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "ContainerBuilder.h"
#include "e2e/PlayerRun.h"

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using test::player;
using test::PlayerRun;

TEST(PlayerCommandLine, ExportWritesEveryPageAtThePublicationsSize)
{
    QTemporaryDir out;
    const PlayerRun r = player({QStringLiteral("--export-pages"), out.path(), QStringLiteral(LUMERIA_TOUR)});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList files = QDir(out.path()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files, (QStringList{QStringLiteral("0001-Welcome.png"), QStringLiteral("0002-Shapes.png"),
                                  QStringLiteral("0003-Buttons.png"), QStringLiteral("0004-Article.png"),
                                  QStringLiteral("0005-Sound.png"), QStringLiteral("0006-Pictures that move.png")}));
    const QImage welcome(out.filePath(QStringLiteral("0001-Welcome.png")));
    EXPECT_EQ(welcome.size(), QSize(640, 480));
    // The master page's grey bar lies under the Welcome page's objects.
    EXPECT_EQ(welcome.pixel(320, 460) & 0xFFFFFF, 0x808080u);
    // The page's white background, and the logo picture drawn from the container.
    EXPECT_EQ(welcome.pixel(5, 100) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_NE(welcome.pixel(320, 174) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(PlayerCommandLine, StartUpFailuresSayWhatTheBoxesSay)
{
    PlayerRun r = player({QStringLiteral("/nowhere/at/all.lum"), QStringLiteral("--list")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("Impossible d'accéder aux données ressources: Fichier introuvable !"))
        << r.err.toStdString();

    // A container without RUNTIME.PUB: the load's own code, then the
    // resources reported unreadable.
    QTemporaryDir dir;
    const QString empty = dir.filePath(QStringLiteral("empty.lum"));
    QFile f(empty);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4, '\0'));
    f.close();
    r = player({empty, QStringLiteral("--list")});
    EXPECT_EQ(r.exitCode, 1);
    const QList<QByteArray> lines = r.err.trimmed().split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[lines.size() - 2].contains("Erreur inconnue n°-2")) << r.err.toStdString();
    EXPECT_TRUE(lines.last().contains("Erreur de lecture sur le disque")) << r.err.toStdString();
}

// A copy of the player with a container appended, as the authoring tool
// makes one, beside the tour the player would otherwise play.
QString ownPlayer(const QTemporaryDir& dir, const std::vector<test::RawEntry>& entries)
{
    const QString path = dir.filePath(QStringLiteral("atlas"));
    if (!test::writeFile(path, test::containerBytes(entries, test::readFile(QStringLiteral(LUMERIA_PLAYER)))))
        return {};
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    QFile::copy(QStringLiteral(LUMERIA_TOUR), dir.filePath(QStringLiteral("tour.lum")));
    return path;
}

TEST(PlayerCommandLine, APlayerCarryingItsPublicationPlaysOnlyThat)
{
    QTemporaryDir dir;
    // Damaged: the container holds no RUNTIME.PUB. The reader learns it,
    // and is not shown the tour that lies beside the program.
    QString atlas = ownPlayer(dir, {{"NOTES.TXT", QByteArray("notes"), 0}});
    ASSERT_FALSE(atlas.isEmpty());
    QProcess run;
    run.setProcessEnvironment([] {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }());
    run.start(atlas, {QStringLiteral("--list")});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 1);
    const QByteArray err = run.readAllStandardError();
    EXPECT_TRUE(err.contains("Erreur inconnue n°-2")) << err.toStdString();
    EXPECT_FALSE(run.readAllStandardOutput().contains("Welcome"));

    // Whole, it plays its own pages, and a plain word that names no file
    // (as shortcuts made for the original pass) is not taken for another
    // publication; a path with a folder still is.
    QTemporaryDir other;
    atlas = ownPlayer(other, {{"RUNTIME.PUB", QByteArray("MasterPage\r\nNewPage=Maps\r\nNewPage=Index\r\n"), 0}});
    ASSERT_FALSE(atlas.isEmpty());
    run.start(atlas, {QStringLiteral("fullscreen"), QStringLiteral("--list")});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    EXPECT_EQ(run.readAllStandardOutput(), QByteArray("Maps\nIndex\n"));
    run.start(atlas, {QStringLiteral("./missing.lum"), QStringLiteral("--list")});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 1);
}

// Boxes shown once the publication's title is known carry it, even when
// the publication then fails to load.
TEST(PlayerCommandLine, StartUpBoxesAfterTheTitleCarryIt)
{
    QTemporaryDir dir;
    QByteArray text("Title=Atlas of Rivers\r\nMasterPage\r\n");
    for (int i = 0; i <= 9999; ++i)
        text += "NewPage=P" + QByteArray::number(i) + "\r\n";
    const QString lum = dir.filePath(QStringLiteral("rivers.lum"));
    ASSERT_TRUE(test::writeFile(lum, test::containerBytes({{"RUNTIME.PUB", text, 0}})));
    const QString script = dir.filePath(QStringLiteral("run.txt"));
    ASSERT_TRUE(test::writeFile(script, "quit\n"));
    const QString log = dir.filePath(QStringLiteral("log.txt"));
    const PlayerRun r = player({lum, QStringLiteral("--automate"), script, QStringLiteral("--automate-log"), log});
    EXPECT_EQ(r.exitCode, 1);
    const QByteArray boxes = test::readFile(log);
    EXPECT_TRUE(boxes.contains("Atlas of Rivers")) << boxes.toStdString();
    EXPECT_FALSE(boxes.contains("Untitled")) << boxes.toStdString();
}

TEST(PlayerCommandLine, CodepageDecidesHowPublicationTextReads)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("pub")));
    QFile text(dir.filePath(QStringLiteral("pub/RUNTIME.PUB")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("MasterPage\r\nNewPage=\xCF\xF0\xE8\xE2\xE5\xF2\r\n");
    text.close();
    const QString lum = dir.filePath(QStringLiteral("cyrillic.lum"));
    QProcess pack;
    pack.start(QStringLiteral(LUMERIA_PACK),
               {QStringLiteral("build"), dir.filePath(QStringLiteral("pub")), QStringLiteral("-o"), lum});
    ASSERT_TRUE(pack.waitForFinished(30000));
    ASSERT_EQ(pack.exitCode(), 0);

    PlayerRun r = player({lum, QStringLiteral("--codepage"), QStringLiteral("cp1251"), QStringLiteral("--list")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(r.out), QStringLiteral("Привет\n"));
    r = player({lum, QStringLiteral("--list")});
    EXPECT_EQ(QString::fromUtf8(r.out), QStringLiteral("Ïðèâåò\n"));
    r = player({lum, QStringLiteral("--codepage"), QStringLiteral("koi8-r"), QStringLiteral("--list")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("windows-1251")) << r.err.toStdString();
}

TEST(PlayerCommandLine, HelpVersionAndBadOptions)
{
    PlayerRun r = player({QStringLiteral("--help")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains("--safe"));
    EXPECT_TRUE(r.out.contains("--export-pages"));
    EXPECT_TRUE(r.out.contains("--mute"));
    r = player({QStringLiteral("--version")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith("lumeria "));
    r = player({QStringLiteral("--frobnicate")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith("lumeria: "));
    r = player({QStringLiteral("--soundfont"), QStringLiteral("/nowhere/gm.sf2"), QStringLiteral(LUMERIA_TOUR)});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("/nowhere/gm.sf2")) << r.err.toStdString();
    r = player({QStringLiteral("--list"), QStringLiteral(LUMERIA_TOUR)});
    EXPECT_EQ(r.out, QByteArray("Welcome\nShapes\nButtons\nArticle\nSound\nPictures that move\n"));
}

} // namespace
} // namespace lumeria
