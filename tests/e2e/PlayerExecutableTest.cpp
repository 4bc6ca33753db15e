// A publication as its readers own it: a Windows executable with the
// container appended. The executable here is a minimal PE image with an
// icon resource (tests/data/executables/ICON.EXE), written byte by byte.
#include "e2e/PlayerRun.h"
#include "e2e/X11Desktop.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

// Packs the "pages" test publication after the executable.
QString packAsExecutable(const QString& out)
{
    QProcess pack;
    pack.start(QStringLiteral(LUMERIA_PACK),
               {QStringLiteral("build"), QStringLiteral(LUMERIA_TEST_DATA "/e2e/pages"), QStringLiteral("-o"), out,
                QStringLiteral("--exe"), QStringLiteral(LUMERIA_TEST_DATA "/executables/ICON.EXE")});
    pack.waitForFinished(60000);
    EXPECT_EQ(pack.exitCode(), 0) << pack.readAllStandardError().toStdString();
    return out;
}

TEST(PlayerExecutable, AnOriginalExecutableIsListedAndPlayedByPath)
{
    QTemporaryDir dir;
    const QString exe = packAsExecutable(dir.filePath(QStringLiteral("TITLE.EXE")));
    QFile f(exe);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    ASSERT_TRUE(f.read(2) == "MZ");

    const test::PlayerRun listed = test::player({exe, QStringLiteral("--list")});
    EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    EXPECT_FALSE(listed.out.trimmed().isEmpty());

    QProcess pack;
    pack.start(QStringLiteral(LUMERIA_PACK), {QStringLiteral("list"), exe});
    pack.waitForFinished(60000);
    EXPECT_EQ(pack.exitCode(), 0);
    EXPECT_TRUE(pack.readAllStandardOutput().contains("RUNTIME.PUB"));
}

class PlayerExecutableOnDesktop : public test::PlayerOnDesktop {};

TEST_F(PlayerExecutableOnDesktop, TheWindowWearsTheExecutablesIcon)
{
    const QString exe = packAsExecutable(file(QStringLiteral("TITLE.EXE")));
    play(exe, QStringLiteral("wait 300\nquit\n"));
    const std::optional<QByteArray> icon = m_desktop.run(
        QStringLiteral("xprop"), {QStringLiteral("-id"), m_window, QStringLiteral("-f"), QStringLiteral("_NET_WM_ICON"),
                                  QStringLiteral("32c"), QStringLiteral(" = $0+\n"), QStringLiteral("_NET_WM_ICON")});
    ASSERT_TRUE(icon);
    // 16 by 16, every pixel opaque (200, 30, 40) as 0xFFC81E28.
    EXPECT_TRUE(icon->contains("16, 16, 4291305000, 4291305000")) << icon->left(300).toStdString();
    EXPECT_EQ(finish().exitCode, 0);
}

// A packed container has no icon of its own: the window wears the
// player's, both sizes the program carries, decoded only when the desktop
// asks for them.
TEST_F(PlayerExecutableOnDesktop, AContainerWindowWearsTheProgramsIcon)
{
    QProcess pack;
    const QString lum = file(QStringLiteral("pages.lum"));
    pack.start(QStringLiteral(LUMERIA_PACK),
               {QStringLiteral("build"), QStringLiteral(LUMERIA_TEST_DATA "/e2e/pages"), QStringLiteral("-o"), lum});
    pack.waitForFinished(60000);
    ASSERT_EQ(pack.exitCode(), 0) << pack.readAllStandardError().toStdString();
    play(lum, QStringLiteral("wait 300\nquit\n"));
    const std::optional<QByteArray> icon = m_desktop.run(
        QStringLiteral("xprop"), {QStringLiteral("-len"), QStringLiteral("400000"), QStringLiteral("-id"), m_window,
                                  QStringLiteral("-f"), QStringLiteral("_NET_WM_ICON"), QStringLiteral("32c"),
                                  QStringLiteral(" = $0+\n"), QStringLiteral("_NET_WM_ICON")});
    ASSERT_TRUE(icon);
    const QList<QByteArray> values = icon->mid(icon->indexOf('=') + 1).split(',');
    // Width, height, then that many pixels, for each image in turn.
    QList<int> sizes;
    for (qsizetype at = 0; at + 1 < values.size();) {
        const int width = values[at].trimmed().toInt(), height = values[at + 1].trimmed().toInt();
        if (width <= 0 || height <= 0)
            break;
        sizes << width;
        at += 2 + qsizetype(width) * height;
    }
    EXPECT_EQ(sizes, QList<int>({32, 256})) << icon->left(200).toStdString();
    EXPECT_EQ(finish().exitCode, 0);
}

} // namespace
} // namespace lumeria
