// The real lumeria binary, driven from its command line.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// The tour's pages in their order, as --list prints them.
constexpr char kTourPages[] = "Welcome\nShapes\nButtons\nArticle\nSound\nPictures that move\nContents\nObject kinds\n"
                              "Lines and patterns\nTexts\nButton styles\nTransitions\nDissolve\nSlide Left\n"
                              "Slide Right\nSlide Up\nSlide Down\nExplode\nImplode\nWeave Horizontal\n"
                              "Weave Vertical\nSplit Horizontal\nSplit Vertical\nWipe Left\nWipe Right\nWipe Up\n"
                              "Wipe Down\nPop-ups\nMenus and boxes\nWindows and Find\nCalculator\nWords\n"
                              "Guest book\nPrinting\nThe end\n";

TEST(PlayerCommandLine, ExportWritesEveryPageAtThePublicationsSize)
{
    QTemporaryDir out;
    const PlayerRun r = player({QStringLiteral("--export-pages"), out.path(), QStringLiteral(LUMERIA_TOUR)});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList files = QDir(out.path()).entryList(QDir::Files, QDir::Name);
    QStringList expected;
    for (const QString& page : QString::fromUtf8(kTourPages).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        expected.append(QStringLiteral("%1-%2.png").arg(expected.size() + 1, 4, 10, QLatin1Char('0')).arg(page));
    EXPECT_EQ(files, expected);
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
    EXPECT_EQ(r.out, QByteArray(kTourPages));
}

// Publications as readers have them: rewritten by Unix tools, renamed as
// savers, or not publications at all.
class ReadersFiles : public test::AutomatedPlayer {
protected:
    // Packs the folder pub/ holding the given files into NAME.
    QString pack(const QString& name, const std::vector<std::pair<QString, QByteArray>>& files)
    {
        const QString folder = file(QStringLiteral("pub-") + name);
        EXPECT_TRUE(QDir().mkpath(folder));
        for (const auto& [fileName, bytes] : files)
            EXPECT_TRUE(test::writeFile(folder + QLatin1Char('/') + fileName, bytes));
        const QString lum = file(QStringLiteral("packed.lum"));
        QFile::remove(lum);
        QProcess pack;
        pack.start(QStringLiteral(LUMERIA_PACK), {QStringLiteral("build"), folder, QStringLiteral("-o"), lum});
        EXPECT_TRUE(pack.waitForFinished(30000));
        EXPECT_EQ(pack.exitCode(), 0) << pack.readAllStandardError().toStdString();
        const QString path = file(name);
        QFile::remove(path);
        EXPECT_TRUE(QFile::rename(lum, path));
        return path;
    }

    QString screen640()
    {
        const QString path = file(QStringLiteral("screen.json"));
        EXPECT_TRUE(test::writeFile(path, R"({"screens": [{"name": "S", "x": 0, "y": 0, "width": 640, "height": 480,
                    "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})"));
        return path;
    }

    QImage shot(const char* name) const { return QImage(file(QLatin1String(name))); }
};

TEST_F(ReadersFiles, LfLineEndsReadAsCrLfOnesDo)
{
    // The article publication, once as made and once with every CR LF of
    // its RUNTIME.PUB turned into LF: the same pages, drawn alike, also
    // after a page down that seeks into the formatted text. Formatted text
    // keeps its CR LF records: a record may hold a lone LF of its source.
    const QString data = QStringLiteral(LUMERIA_TEST_DATA "/e2e/article/");
    const QByteArray pub = test::readFile(data + QStringLiteral("RUNTIME.PUB"));
    const QByteArray story = test::readFile(data + QStringLiteral("STORY.TXT"));
    ASSERT_TRUE(pub.contains("\r\n") && story.contains("\r\n"));
    QByteArray lfPub = pub;
    lfPub.replace("\r\n", "\n");
    const QString crlf = pack(QStringLiteral("crlf.lum"), {{"RUNTIME.PUB", pub}, {"STORY.TXT", story}});
    const QString lf = pack(QStringLiteral("lf.lum"), {{"RUNTIME.PUB", lfPub}, {"STORY.TXT", story}});

    const PlayerRun listed = test::player({lf, QStringLiteral("--list")});
    EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    EXPECT_EQ(listed.out, test::player({crlf, QStringLiteral("--list")}).out);
    EXPECT_EQ(listed.out, QByteArray("Story\n"));

    const QString script =
        QStringLiteral("expect-page Story\nscreenshot %1-top.png\nkey PgDn\nscreenshot %1-down.png\n");
    ASSERT_EQ(automate({crlf}, script.arg(QStringLiteral("crlf"))).exitCode, 0);
    const PlayerRun r = automate({lf}, script.arg(QStringLiteral("lf")));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(shot("lf-top.png"), shot("crlf-top.png"));
    EXPECT_EQ(shot("lf-down.png"), shot("crlf-down.png"));
    EXPECT_NE(shot("lf-down.png"), shot("lf-top.png"));
}

TEST_F(ReadersFiles, APublicationWithoutPagesSaysSoInsteadOfABlackWindow)
{
    const QString empty = pack(QStringLiteral("empty.lum"), {{"RUNTIME.PUB", "LumeriaVer=1.0\r\nTitle=Rien\r\n"}});
    PlayerRun r = test::player({empty, QStringLiteral("--list")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains("lumeria: " + empty.toUtf8() + ": Cette publication ne contient aucune page."))
        << r.err.toStdString();

    r = automate({empty}, QStringLiteral("quit\n"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(logLines(),
              QStringList{QStringLiteral(R"(dialog "Rien" "Cette publication ne contient aucune page." "OK" -> 0)")});
}

TEST_F(ReadersFiles, APublicationNamedScrRunsTheSaverModes)
{
    const QString saver =
        pack(QStringLiteral("Aquarium.Scr"),
             {{"RUNTIME.PUB", "LumeriaVer=1.0\r\nTitle=Aquarium\r\nScreenWidth=320\r\nScreenHeight=240\r\n"
                              "NewPage=Fish\r\nPageColor=65280\r\nNewPage=Config\r\n"}});
    // Run as a saver: full screen on the 640 by 480 screen, first page first.
    PlayerRun r = automate({saver, QStringLiteral("/s")}, QStringLiteral("expect-page Fish\nscreenshot s.png\nquit\n"),
                           screen640());
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(shot("s.png").size(), QSize(640, 480));
    EXPECT_EQ(shot("s.png").pixel(320, 240) & 0xFFFFFF, 0x00FF00u);
    // Without a saver argument it is a window of the page's size.
    r = automate({saver}, QStringLiteral("expect-page Fish\nscreenshot w.png\nquit\n"), screen640());
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(shot("w.png").size(), QSize(320, 240));
    // Configured: the Config page, also with the host's window after a colon.
    for (const char* configure : {"/c", "/C:4242"}) {
        r = automate({saver, QLatin1String(configure)}, QStringLiteral("expect-page Config\nquit\n"));
        EXPECT_EQ(r.exitCode, 0) << configure << ": " << r.err.toStdString();
    }
    // Preview and password change take the host's window handle; neither is
    // a second publication.
    for (const QStringList& args : {QStringList{saver, QStringLiteral("/p"), QStringLiteral("12345")},
                                    QStringList{saver, QStringLiteral("/P:12345")},
                                    QStringList{saver, QStringLiteral("/a"), QStringLiteral("12345")}}) {
        r = test::player(args);
        EXPECT_EQ(r.exitCode, 0) << args.join(' ').toStdString() << ": " << r.err.toStdString();
        EXPECT_FALSE(r.err.contains("more than one")) << r.err.toStdString();
    }
}

TEST_F(ReadersFiles, WhatCannotBePlayedIsNamedOnStandardError)
{
    const QString jpeg = file(QStringLiteral("photo.jpg"));
    ASSERT_TRUE(test::writeFile(jpeg, QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00", 14) +
                                          QByteArray(600, '\x55') + QByteArray("\xFF\xD9")));
    const QString empty = file(QStringLiteral("empty.lum"));
    ASSERT_TRUE(test::writeFile(empty, QByteArray()));
    for (const QString& path : {jpeg, empty}) {
        const PlayerRun r = automate({path}, QStringLiteral("quit\n"));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains("lumeria: " + path.toUtf8() + ": ce n'est pas une publication\n"))
            << r.err.toStdString();
        const QString name = QFileInfo(path).fileName();
        EXPECT_EQ(logLines(), QStringList{QStringLiteral(R"(dialog "Untitled Lumeria Publication" )"
                                                         R"("Impossible d'accéder aux données ressources\n\n)"
                                                         R"(« %1 » n'est pas une publication." "OK" -> 0)")
                                              .arg(name)});
        EXPECT_FALSE(r.err.contains("Erreur de lecture")) << r.err.toStdString();
    }
    // A folder holding no publication names the folder.
    const QString folder = file(QStringLiteral("holiday"));
    ASSERT_TRUE(QDir().mkpath(folder));
    PlayerRun r = test::player({folder, QStringLiteral("--list")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("lumeria: " + folder.toUtf8() + ": ")) << r.err.toStdString();
    // A file that is not there: what was tried and why, in one line.
    r = test::player({QStringLiteral("/nowhere/at/all.lum"), QStringLiteral("--list")});
    EXPECT_TRUE(r.err.contains("lumeria: /nowhere/at/all.lum: Fichier introuvable !\n")) << r.err.toStdString();
}

TEST(PlayerCommandLine, AFolderAtTheRootIsTheDiscNotASwitch)
{
    // A disc mounted at /cdrom is named as one word after a slash, as the
    // switches /C, /S and /P are: being there makes it the publication.
    const QString disc = QStringLiteral("/lumeria-e2e-%1").arg(QCoreApplication::applicationPid());
    if (!QDir().mkdir(disc))
        GTEST_SKIP() << "the root folder cannot be written here";
    const bool copied = QFile::copy(QStringLiteral(LUMERIA_TOUR), disc + QStringLiteral("/TOUR.LUM"));
    const PlayerRun r = player({disc, QStringLiteral("--list")});
    QDir(disc).removeRecursively();
    ASSERT_TRUE(copied);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("Welcome\n")) << r.out.toStdString();
}

} // namespace
} // namespace lumeria
