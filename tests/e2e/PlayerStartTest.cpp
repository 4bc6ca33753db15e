// The player started with nothing to play: where it finds its tour, and
// what automation picks in its start window.
#include "ContainerBuilder.h"
#include "e2e/PlayerRun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

// Copies of the player installed under prefixes of the test's own, with
// the desktop's data folders of the test's own too, so that no tour of the
// machine's is found.
class PlayerStart : public ::testing::Test {
protected:
    QString file(const QString& name) const { return m_dir.filePath(name); }

    // A copy of the player in PREFIX/bin.
    QString install(const QString& prefix)
    {
        const QString program = file(prefix + QStringLiteral("/bin/lumeria"));
        EXPECT_TRUE(QDir().mkpath(QFileInfo(program).path()));
        EXPECT_TRUE(QFile::copy(QStringLiteral(LUMERIA_PLAYER), program));
        QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
        return program;
    }

    // A publication of one page, under the name given.
    void publication(const QString& path, const QByteArray& page)
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file(path)).path()));
        ASSERT_TRUE(test::writeFile(
            file(path), test::containerBytes({{"RUNTIME.PUB", "MasterPage\r\nNewPage=" + page + "\r\n", 0}})));
    }

    test::PlayerRun run(const QString& program, const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), file(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_DATA_DIRS"), file(QStringLiteral("desktop")));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(m_dir.path());
        p.start(program, args);
        p.waitForFinished(60000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }

    test::PlayerRun automate(const QString& program, const QByteArray& script)
    {
        EXPECT_TRUE(test::writeFile(file(QStringLiteral("run.auto")), script));
        return run(program, {QStringLiteral("--automate"), file(QStringLiteral("run.auto")),
                             QStringLiteral("--automate-log"), file(QStringLiteral("run.log"))});
    }

    QList<QByteArray> logLines() const { return test::readFile(file(QStringLiteral("run.log"))).split('\n'); }

    QTemporaryDir m_dir;
};

TEST_F(PlayerStart, TheTourIsTakenFromTheInstallationFirstAndBesideTheProgramLast)
{
    const QString program = install(QStringLiteral("usr"));
    publication(QStringLiteral("usr/share/lumeria/tour.lum"), "Installed");
    publication(QStringLiteral("home/lumeria/tour.lum"), "Home");
    publication(QStringLiteral("desktop/lumeria/tour.lum"), "Desktop");
    publication(QStringLiteral("usr/bin/tour.lum"), "Beside");

    const QStringList list{QStringLiteral("--list")};
    EXPECT_EQ(run(program, list).out, QByteArray("Installed\n"));
    ASSERT_TRUE(QFile::remove(file(QStringLiteral("usr/share/lumeria/tour.lum"))));
    EXPECT_EQ(run(program, list).out, QByteArray("Home\n"));
    ASSERT_TRUE(QFile::remove(file(QStringLiteral("home/lumeria/tour.lum"))));
    EXPECT_EQ(run(program, list).out, QByteArray("Desktop\n"));
    ASSERT_TRUE(QFile::remove(file(QStringLiteral("desktop/lumeria/tour.lum"))));
    EXPECT_EQ(run(program, list).out, QByteArray("Beside\n"));

    // Nowhere: the place an installed player keeps it is the one missing.
    ASSERT_TRUE(QFile::remove(file(QStringLiteral("usr/bin/tour.lum"))));
    const test::PlayerRun none = run(program, list);
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains(QFile::encodeName(file(QStringLiteral("usr/share/lumeria/tour.lum"))) +
                                  ": Fichier introuvable !"))
        << none.err.toStdString();
}

TEST_F(PlayerStart, AutomationPicksInTheStartWindowOnlyWhenItOpensWithAnAnswer)
{
    const QString program = install(QStringLiteral("usr"));
    publication(QStringLiteral("usr/share/lumeria/tour.lum"), "Installed");

    // No reader and no answer for the window: the tour, as it always was.
    test::PlayerRun r = automate(program, "expect-page Installed\nquit\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(test::readFile(file(QStringLiteral("run.log"))).contains("dialog"));

    // Opening the file dialogs finds no reader either; the tour's button then plays it.
    r = automate(program, "answer 1\nanswer 2\nanswer 3\nexpect-page Installed\nquit\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QList<QByteArray> lines = logLines();
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("dialog \"Lumeria\" \"Que voulez-vous lire ?|")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith("\"Ouvrir une publication…|Ouvrir un dossier…|Jouer la visite|Quitter\" -> 1"))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith("-> 2"));
    EXPECT_TRUE(lines[2].endsWith("-> 3"));
    EXPECT_FALSE(lines[2].contains("pas installée"));
}

TEST_F(PlayerStart, WithoutATourOrWithABrokenOneTheStartWindowWaitsOn)
{
    const QString program = install(QStringLiteral("usr"));
    // Pressed without a tour, its button does nothing; the run then ends
    // when the reader quits, having opened nothing.
    test::PlayerRun r = automate(program, "answer 3\nanswer 4\nexpect-page Installed\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("Fichier introuvable")) << r.err.toStdString();
    QList<QByteArray> lines = logLines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains("La visite n'est pas installée avec ce lecteur.\"")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith("-> 3"));
    EXPECT_TRUE(lines[1].startsWith("dialog \"Lumeria\"")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith("-> 4"));

    // A tour that is no publication says so in its box, as if the command
    // line had named it, and the window asks again.
    ASSERT_TRUE(QDir().mkpath(file(QStringLiteral("usr/share/lumeria"))));
    ASSERT_TRUE(test::writeFile(file(QStringLiteral("usr/share/lumeria/tour.lum")), "not a publication"));
    r = automate(program, "answer 3\nanswer 1\nanswer 4\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    lines = logLines();
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("dialog \"Lumeria\""));
    EXPECT_TRUE(lines[1].contains("« tour.lum » n'est pas une publication.")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith("-> 1"));
    EXPECT_TRUE(lines[2].startsWith("dialog \"Lumeria\""));
    EXPECT_TRUE(lines[2].endsWith("-> 4"));
}

} // namespace
} // namespace lumeria
