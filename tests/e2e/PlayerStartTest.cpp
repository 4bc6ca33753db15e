// The player started with nothing to play: where it finds its tour.
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

} // namespace
} // namespace lumeria
