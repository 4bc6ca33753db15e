// The player's window, driven through --automate on small publications.
#include "e2e/PlayerRun.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using test::player;
using test::PlayerRun;

constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kGreen = 0x00FF00;
constexpr QRgb kBlue = 0x0000FF;
constexpr QRgb kWhite = 0xFFFFFF;
constexpr QRgb kBlack = 0x000000;

QString publication(const char* name)
{
    return QStringLiteral(LUMERIA_E2E_DATA "/%1.lum").arg(QLatin1String(name));
}

class PlayerWindow : public test::AutomatedPlayer {
protected:
    // A 640 by 480 screen, the size the placement rules are easiest to see on.
    QString smallScreen()
    {
        const QString path = file(QStringLiteral("screen.json"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(R"({"screens": [{"name": "S", "x": 0, "y": 0, "width": 640, "height": 480,
                    "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        return path;
    }

    QImage shot(const char* name) const { return QImage(file(QLatin1String(name))); }
};

QRgb rgb(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

TEST_F(PlayerWindow, ScriptsChangePagesWithExitScriptsAndBackLinks)
{
    // Start → (GN) Second → (GL, through Second's exit script) Fourth →
    // (GP) Third → (RP) Fourth, whose script does not go on a second time.
    const PlayerRun r = automate({publication("nav")}, QStringLiteral("expect-page Fourth\n"
                                                                      "expect-var LOG 12x434\n"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

TEST_F(PlayerWindow, OpensARealWindowOnAnXServer)
{
    QFile script(file(QStringLiteral("x.auto")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("expect-page Welcome\nscreenshot x.png\n");
    script.close();
    const auto r = test::playerOnX11({QStringLiteral(LUMERIA_TOUR), QStringLiteral("--automate"), script.fileName()},
                                     m_dir.path());
    if (!r)
        GTEST_SKIP() << "xvfb-run is not installed";
    EXPECT_EQ(r->exitCode, 0) << r->err.toStdString();
    const QImage client = shot("x.png");
    EXPECT_EQ(client.size(), QSize(640, 480));
    EXPECT_EQ(rgb(client, 5, 100), kWhite);
}

TEST_F(PlayerWindow, FailedExpectationsExitWithOneAndNameTheLine)
{
    const PlayerRun r = automate({publication("pages")}, QStringLiteral("# the first page is Plain\n"
                                                                        "expect-page Intro\n"
                                                                        "expect-var NOTHING x\n"
                                                                        "expect-page plain\n"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("automation line 2: expected page \"Intro\"")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("automation line 3:")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("automation line 4")) << r.err.toStdString();
}

TEST_F(PlayerWindow, KSwitchChoosesTheFirstPageIgnoringCase)
{
    EXPECT_EQ(
        automate({publication("pages"), QStringLiteral("/Kintro")}, QStringLiteral("expect-page Intro\n")).exitCode, 0);
    EXPECT_EQ(
        automate({publication("pages"), QStringLiteral("-kINTRO")}, QStringLiteral("expect-page Intro\n")).exitCode, 0);
    EXPECT_EQ(
        automate({publication("pages"), QStringLiteral("/Knowhere")}, QStringLiteral("expect-page Plain\n")).exitCode,
        0);
}

TEST_F(PlayerWindow, MasterObjectsLieUnderThePagesOwnOnlyWhenShown)
{
    ASSERT_EQ(automate({publication("pages"), QStringLiteral("/KLayered")}, QStringLiteral("screenshot layered.png\n"))
                  .exitCode,
              0);
    const QImage layered = shot("layered.png");
    EXPECT_EQ(rgb(layered, 10, 10), kRed);
    EXPECT_EQ(rgb(layered, 30, 30), kBlue); // the page's rectangle over the master's
    EXPECT_EQ(rgb(layered, 100, 100), kWhite);

    ASSERT_EQ(automate({publication("pages")}, QStringLiteral("screenshot plain.png\n")).exitCode, 0);
    EXPECT_EQ(rgb(shot("plain.png"), 10, 10), kGreen);
}

TEST_F(PlayerWindow, MissingWallpaperLeavesTheCentreWhiteWhateverThePageColour)
{
    ASSERT_EQ(
        automate({publication("pages"), QStringLiteral("/KWallpaper")}, QStringLiteral("screenshot w.png\n")).exitCode,
        0);
    const QImage page = shot("w.png");
    EXPECT_EQ(rgb(page, 5, 5), kWhite);
    EXPECT_EQ(rgb(page, 300, 200), kWhite);
}

TEST_F(PlayerWindow, APageWithAnEffectIsWipedInThenItsScriptRuns)
{
    // The first page wipes in from the left over the black window.
    ASSERT_EQ(automate({publication("pages"), QStringLiteral("/KWiped")},
                       QStringLiteral("expect-var DONE yes\nscreenshot wiped.png\n"))
                  .exitCode,
              0);
    const QImage page = shot("wiped.png");
    EXPECT_EQ(rgb(page, 0, 0), kBlue);
    EXPECT_EQ(rgb(page, 319, 239), kBlue);
}

TEST_F(PlayerWindow, WindowedPageIsTheClientAndTheWindowIsCentred)
{
    const QString screen = smallScreen();
    ASSERT_EQ(automate({publication("pages")}, QStringLiteral("screenshot client.png\nscreenshot-screen screen.png\n"),
                       screen)
                  .exitCode,
              0);
    EXPECT_EQ(shot("client.png").size(), QSize(320, 240));
    const QImage desk = shot("screen.png");
    ASSERT_EQ(desk.size(), QSize(640, 480));
    EXPECT_EQ(rgb(desk, 160 + 50, 120 + 50), kGreen);
    EXPECT_EQ(rgb(desk, 160 + 319, 120 + 239), kGreen);
    EXPECT_EQ(rgb(desk, 160 + 320, 120 + 239), kBlack);
    EXPECT_EQ(rgb(desk, 159, 119), kBlack);
}

TEST_F(PlayerWindow, ScaleMakesEveryPagePixelASquareOfPixels)
{
    ASSERT_EQ(
        automate({publication("pages"), QStringLiteral("/KLayered"), QStringLiteral("--scale"), QStringLiteral("2")},
                 QStringLiteral("screenshot scaled.png\n"))
            .exitCode,
        0);
    const QImage scaled = shot("scaled.png");
    ASSERT_EQ(scaled.size(), QSize(640, 480));
    // The master's red square shows up to page pixel 19, the page's blue one
    // from 20 to 58: device pixels 39, 40 and 117, with no blend between.
    EXPECT_EQ(rgb(scaled, 39, 39), kRed);
    EXPECT_EQ(rgb(scaled, 40, 40), kBlue);
    EXPECT_EQ(rgb(scaled, 117, 117), kBlue);
    EXPECT_EQ(rgb(scaled, 118, 118), kWhite);
}

TEST_F(PlayerWindow, AutoScaleFillsALargeScreenAndInputFollows)
{
    QFile config(file(QStringLiteral("large.json")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(R"({"screens": [{"name": "L", "x": 0, "y": 0, "width": 1600, "height": 1200,
                    "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    config.close();
    const PlayerRun r =
        automate({QStringLiteral(LUMERIA_TOUR), QStringLiteral("--scale"), QStringLiteral("auto")},
                 QStringLiteral("screenshot auto.png\nclick 580 460\nexpect-page Shapes\n"), config.fileName());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(shot("auto.png").size(), QSize(1280, 960));
}

TEST_F(PlayerWindow, FullScreenCentresThePageInBlackMargins)
{
    ASSERT_EQ(automate({publication("pages"), QStringLiteral("--fullscreen")}, QStringLiteral("screenshot full.png\n"),
                       smallScreen())
                  .exitCode,
              0);
    const QImage client = shot("full.png");
    ASSERT_EQ(client.size(), QSize(640, 480));
    EXPECT_EQ(rgb(client, 5, 5), kBlack);
    EXPECT_EQ(rgb(client, 159, 119), kBlack);
    EXPECT_EQ(rgb(client, 160, 120), kGreen);
    EXPECT_EQ(rgb(client, 479, 359), kGreen);
    EXPECT_EQ(rgb(client, 480, 360), kBlack);
}

TEST_F(PlayerWindow, PageLargerThanTheScreenScrollsFromItsOrigin)
{
    const QString screen = smallScreen();
    ASSERT_EQ(automate({publication("big")}, QStringLiteral("screenshot windowed.png\n"), screen).exitCode, 0);
    const QImage windowed = shot("windowed.png");
    // The client is the screen, less the scroll bars the page needs.
    EXPECT_LT(windowed.width(), 640);
    EXPECT_LT(windowed.height(), 480);
    EXPECT_GT(windowed.width(), 580);
    EXPECT_EQ(rgb(windowed, 0, 0), kGreen);

    ASSERT_EQ(
        automate({publication("big"), QStringLiteral("--fullscreen")}, QStringLiteral("screenshot full.png\n"), screen)
            .exitCode,
        0);
    // Never at negative coordinates: the page's corner is the client's.
    EXPECT_EQ(rgb(shot("full.png"), 0, 0), kGreen);
}

TEST_F(PlayerWindow, ObjectScrollBarsAreWidgetsThatScrollTheirPicture)
{
    // The picture is red for its first 40 rows and green below; its
    // vertical bar runs down the right of the object, from y 11 to 93.
    ASSERT_EQ(automate({publication("scroll")}, QStringLiteral("screenshot before.png\n"
                                                               "click 100 70\n"
                                                               "screenshot after.png\n"))
                  .exitCode,
              0);
    const QImage before = shot("before.png");
    const QImage after = shot("after.png");
    EXPECT_EQ(rgb(before, 50, 20), kRed);
    // A press below the thumb pages down: the red rows are gone.
    EXPECT_EQ(rgb(after, 50, 20), kGreen);
    // The bar is drawn over the object's right edge, not the picture.
    EXPECT_NE(rgb(after, 100, 50), kGreen);
}

TEST_F(PlayerWindow, ArticleLinksRunScriptsAndJumpToAnchors)
{
    // The tour's last page holds an article whose second paragraph of links
    // starts at y 163: "Go to the buttons page" at x 248, "jump to the end
    // of this text" on the next line at x 82.
    const QString tour = QStringLiteral(LUMERIA_TOUR);
    ASSERT_EQ(automate({tour, QStringLiteral("/KArticle")}, QStringLiteral("screenshot top.png\n"
                                                                           "click 160 185\n"
                                                                           "screenshot end.png\n"))
                  .exitCode,
              0);
    const QImage top = shot("top.png");
    const QImage end = shot("end.png");
    // The title line in its large bold letters is at the top, then gone.
    auto inkIn = [](const QImage& image, const QRect& area) {
        int ink = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                ink += rgb(image, x, y) != kWhite;
        return ink;
    };
    const QRect title(200, 64, 220, 16);
    EXPECT_GT(inkIn(top, title), 100);
    EXPECT_LT(inkIn(end, title), inkIn(top, title));
    EXPECT_NE(top.copy(41, 61, 540, 198), end.copy(41, 61, 540, 198));

    EXPECT_EQ(
        automate({tour, QStringLiteral("/KArticle")}, QStringLiteral("click 300 170\nexpect-page Buttons\n")).exitCode,
        0);
}

TEST_F(PlayerWindow, ReadersDriveButtonsFieldsAndKeys)
{
    // Page One: push buttons A and B overlapping (B later), a shape over the
    // master's button M at its left half, a check box, a radio button "one"
    // of a group whose member "two" on page Two starts selected, an edit
    // field bound to NAME whose Action counts, and buttons for X and
    // Shift+X; M (master page) is X as well. AllowEsc is off.
    const PlayerRun r =
        automate({publication("interact")},
                 QStringLiteral("expect-var GRP two\n"
                                "# the later of two overlapping buttons takes the press\n"
                                "click 80 30\n"
                                "expect-var B b\n"
                                "# press, leave, come back, release: the Action runs once; release outside: never\n"
                                "press 20 20\n"
                                "move 200 200\n"
                                "move 20 20\n"
                                "release 20 20\n"
                                "press 20 20\n"
                                "move 200 200\n"
                                "release 200 200\n"
                                "expect-var A a\n"
                                "# a page shape over the master button takes the press and does nothing\n"
                                "click 10 215\n"
                                "expect-var WHO\n"
                                "click 30 215\n"
                                "expect-var WHO m\n"
                                "# the master page's accelerator wins; Shift+X is another key\n"
                                "key X\n"
                                "expect-var WHO mm\n"
                                "key X shift\n"
                                "expect-var SHIFT yes\n"
                                "click 20 70\n"
                                "expect-var CHK Checked\n"
                                "click 20 70\n"
                                "expect-var CHK\n"
                                "# the radio group spans pages\n"
                                "click 20 100\n"
                                "expect-var GRP one\n"
                                "# the bound field runs its Action at each character\n"
                                "click 200 70\n"
                                "type abc\n"
                                "expect-var NAME abc\n"
                                "expect-var COUNT xxx\n"
                                "# Esc is not allowed, PgUp on the first page does nothing\n"
                                "key Esc\n"
                                "key PgUp\n"
                                "expect-page One\n"
                                "key PgDn\n"
                                "expect-page Two\n"
                                "expect-var GRP one\n"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

TEST_F(PlayerWindow, EscClosesOnlyWhenThePublicationAllowsIt)
{
    // pages allows Esc: the line after it never runs.
    EXPECT_EQ(automate({publication("pages")}, QStringLiteral("key Esc\nexpect-page Nowhere\n")).exitCode, 0);
}

TEST_F(PlayerWindow, CaptionsThePublicationLeavesEmptyAreThePlayersOwn)
{
    // No L_ string is set: a note, a yes/no question and an error box still
    // have words on their buttons and in their titles.
    const PlayerRun r = automate({publication("nostrings")}, QStringLiteral("wait 300\nexpect-var DONE yes\n"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(logLines(), (QStringList{
                              QStringLiteral(R"(dialog "Note" "Hello" "OK" -> 0)"),
                              QStringLiteral(R"(dialog "Leave" "Really?" "Oui|Non" -> 0)"),
                              QStringLiteral(R"(popup -1 -1 0 "MISSING.BMP")"),
                              QStringLiteral(R"(dialog "Erreur" "\"MISSING.BMP\"\n\nImpossible de charger le )"
                                             R"(fichier image !" "OK" -> 0)"),
                          }));
}

TEST_F(PlayerWindow, KeysScrollTheFocusedArticle)
{
    // With TabWindows on, the article is the page's first tab stop and has
    // the focus once the page shows; its bar takes the arrow and page keys.
    ASSERT_EQ(automate({publication("article")}, QStringLiteral("screenshot a.png\n"
                                                                "key Down\n"
                                                                "screenshot b.png\n"
                                                                "key PgDn\n"
                                                                "screenshot c.png\n"
                                                                "key Home\n"
                                                                "screenshot d.png\n"))
                  .exitCode,
              0);
    const QRect text(41, 61, 540, 198);
    const QImage a = shot("a.png").copy(text);
    const QImage b = shot("b.png").copy(text);
    const QImage c = shot("c.png").copy(text);
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    // Home brings the first line back, drawn as it was.
    EXPECT_EQ(shot("d.png").copy(text), a);
}

TEST_F(PlayerWindow, FindTurnsToThePageThatHoldsTheText)
{
    // Page One opens Find over all pages; "banana" is on page Two.
    const PlayerRun r = automate({publication("find")}, QStringLiteral("type banana\n"
                                                                       "key Enter\n"
                                                                       "expect-page Two\n"
                                                                       "type split\n"
                                                                       "key Enter\n"
                                                                       "expect-page Two\n"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    // "bananasplit" is nowhere.
    EXPECT_EQ(logLines(), QStringList{QStringLiteral(R"(dialog "Rechercher" "Texte introuvable." "OK" -> 0)")});
}

TEST_F(PlayerWindow, PrintToWritesTheJobsOfScriptsIntoAPdf)
{
    // The entry script prints page Two, then a 120-line data file with a
    // header; each job writes the file again, so the data file is what
    // stays.
    const QString pdf = file(QStringLiteral("out.pdf"));
    const PlayerRun r =
        automate({publication("print"), QStringLiteral("--print-to"), pdf}, QStringLiteral("expect-var DONE yes\n"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_TRUE(QFile::exists(pdf));
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    QProcess text;
    text.start(pdftotext, {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QByteArray words = text.readAllStandardOutput();
    EXPECT_TRUE(words.contains("Line 1\n")) << words.left(200).toStdString();
    EXPECT_TRUE(words.contains("Line 120"));
    EXPECT_TRUE(words.contains("Head 1"));
}

TEST_F(PlayerWindow, PopUpsWaitForTheReaderAndAMissingPictureStopsTheScript)
{
    // A balloon, a note that waits, then a picture that is not there.
    const PlayerRun r = automate({publication("popups")}, QStringLiteral("wait 200\n"
                                                                         "key Space\n"
                                                                         "wait 200\n"
                                                                         "key Space\n"
                                                                         "wait 200\n"
                                                                         "expect-var DONE\n"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(logLines(), (QStringList{
                              QStringLiteral(R"(balloon -1 -1 "Hello\nthere")"),
                              QStringLiteral(R"(note 10 10 0 "A note")"),
                              QStringLiteral(R"(popup -1 -1 0 "MISSING.BMP")"),
                              QStringLiteral(R"(dialog "Erreur" "\"MISSING.BMP\"\n\nImpossible de charger le )"
                                             R"(fichier image !" "OK" -> 0)"),
                          }));
}

TEST_F(PlayerWindow, ClosingAsksForThePasswordAndAWrongOneKeepsTheWindow)
{
    const PlayerRun r = automate({publication("locked")}, QStringLiteral("quit\n"
                                                                         "type wrong\n"
                                                                         "key Enter\n"
                                                                         "expect-page Home\n"
                                                                         "quit\n"
                                                                         "type sECRET\n"
                                                                         "key Enter\n"
                                                                         "expect-page Nowhere\n"));
    // The last line never runs: the right password closed the player.
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(logLines(), QStringList{QStringLiteral(R"(dialog "Mot de passe" "Mot de passe incorrect." "OK" -> 0)")});
}

TEST_F(PlayerWindow, BoxesTakeQueuedAnswersAndAreLogged)
{
    // The answers are queued while the entry script waits 200 ms; its boxes
    // follow at once, so the script has ended when the wait is over.
    const PlayerRun r = automate({publication("boxes")}, QStringLiteral("answer 1\n"
                                                                        "answer 3\n"
                                                                        "wait 400\n"
                                                                        "expect-var CHOICE 3\n"
                                                                        "expect-var DONE yes\n"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList log = logLines();
    ASSERT_EQ(log.size(), 4) << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(log[0], QStringLiteral(R"(dialog "Note" "Hello\nWorld" "OK" -> 1)"));
    EXPECT_EQ(log[1], QStringLiteral(R"(dialog "Question" "Pick one" "Yes|No|Maybe" -> 3)"));
    // The missing video is logged with the path it was looked for at, then
    // its box names it as the script does.
    EXPECT_TRUE(log[2].startsWith(QLatin1String(R"(missing "CLIP.AVI" "/)"))) << log[2].toStdString();
    EXPECT_TRUE(log[2].endsWith(QLatin1String(R"(/CLIP.AVI")"))) << log[2].toStdString();
    EXPECT_EQ(log[3], QStringLiteral(R"(dialog "Erreur" "CLIP.AVI\n\nFichier introuvable." "OK" -> 0)"));
}

TEST_F(PlayerWindow, StartUpFailureBoxesAreLoggedInOrder)
{
    QFile empty(file(QStringLiteral("empty.lum")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.write(QByteArray(4, '\0'));
    empty.close();
    const PlayerRun r = automate({empty.fileName()}, QStringLiteral("quit\n"));
    EXPECT_EQ(r.exitCode, 1);
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 2) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(lines[0], QStringLiteral(R"(dialog "Untitled Lumeria Publication" "Erreur inconnue n°-2" "OK" -> 0)"));
    EXPECT_TRUE(lines[1].startsWith(
        QStringLiteral(R"(dialog "Untitled Lumeria Publication" "Impossible d'accéder aux données ressources\n\n)")))
        << lines[1].toStdString();
}

} // namespace
} // namespace lumeria
