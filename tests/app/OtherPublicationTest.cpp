// Playing another publication than the one the player started with: what a
// drop may play, and the command line the player starts again with.
#include "app/OtherPublication.h"

#include "ContainerBuilder.h"

#include <QDir>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

CommandLine parsed(const QString& program, const QStringList& args)
{
    const auto result = parseCommandLine(program, args, [](const QString& path) { return QFileInfo(path).isFile(); });
    EXPECT_TRUE(result.ok()) << qPrintable(result.error());
    return result.ok() ? result.value() : CommandLine{};
}

class OtherPublicationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::writeFile(m_publication, test::containerBytes({{"RUNTIME.PUB", "MasterPage\r\n", 0}})));
    }

    std::optional<DroppedPublication> drop(const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        return droppedPublication(data);
    }

    QTemporaryDir m_dir;
    const QString m_publication = m_dir.filePath(QStringLiteral("atlas.lum"));
};

TEST_F(OtherPublicationTest, TheOptionsOfTheRunCarryOverButNotWhatWasForItsPublication)
{
    const QString drive = m_dir.path();
    const QString other = m_dir.filePath(QStringLiteral("other.lum"));
    ASSERT_TRUE(QFile::copy(m_publication, other));
    const CommandLine first =
        parsed(QStringLiteral("/usr/bin/lumeria"), {m_publication,
                                                    QStringLiteral("/B"),
                                                    QStringLiteral("/KINTRO"),
                                                    QStringLiteral("--windowed"),
                                                    QStringLiteral("--scale"),
                                                    QStringLiteral("3"),
                                                    QStringLiteral("--smooth-text"),
                                                    QStringLiteral("--print-to"),
                                                    QStringLiteral("-odd name.pdf"),
                                                    QStringLiteral("--safe"),
                                                    QStringLiteral("--drive"),
                                                    QStringLiteral("e=") + drive,
                                                    QStringLiteral("--codepage"),
                                                    QStringLiteral("cp1251"),
                                                    QStringLiteral("--mute"),
                                                    QStringLiteral("--audio-device"),
                                                    QStringLiteral("Speakers"),
                                                    QStringLiteral("--soundfont"),
                                                    QStringLiteral("gm.sf2"),
                                                    QStringLiteral("--screenshot-dir=--odd shots"),
                                                    QStringLiteral("--script-timeout=0"),
                                                    QStringLiteral("--automate"),
                                                    QStringLiteral("run.auto")});
    const CommandLine next =
        parsed(QStringLiteral("/usr/bin/lumeria"), argumentsToPlay(QStringLiteral("/usr/bin/lumeria"), other, first));

    EXPECT_EQ(next.publication, other);
    EXPECT_EQ(next.mode, RunMode::Normal);
    EXPECT_TRUE(next.printWithoutDialog);
    EXPECT_EQ(next.window, WindowChoice::Windowed);
    EXPECT_EQ(next.scale.kind, ScaleChoice::Kind::Factor);
    EXPECT_EQ(next.scale.factor, 3);
    EXPECT_TRUE(next.smoothText);
    EXPECT_EQ(next.printTo, QStringLiteral("-odd name.pdf"));
    EXPECT_TRUE(next.safe);
    EXPECT_EQ(next.drives[4], drive);
    EXPECT_EQ(next.codepage, QStringLiteral("cp1251"));
    EXPECT_TRUE(next.mute);
    EXPECT_EQ(next.audioDevice, QStringLiteral("Speakers"));
    EXPECT_EQ(next.soundFont, QStringLiteral("gm.sf2"));
    EXPECT_EQ(next.screenshotFolder, QStringLiteral("--odd shots"));
    EXPECT_EQ(next.scriptTimeout, 0);
    // Written for the publication that was playing.
    EXPECT_TRUE(next.firstPage.isEmpty());
    EXPECT_TRUE(next.automate.isEmpty());

    const CommandLine automatic =
        parsed(QStringLiteral("/usr/bin/lumeria"),
               argumentsToPlay(QStringLiteral("/usr/bin/lumeria"), other,
                               parsed(QStringLiteral("/usr/bin/lumeria"),
                                      {QStringLiteral("--scale=auto"), QStringLiteral("--trust"),
                                       QStringLiteral("--fullscreen")})));
    EXPECT_EQ(automatic.scale.kind, ScaleChoice::Kind::Auto);
    EXPECT_TRUE(automatic.trust);
    EXPECT_EQ(automatic.window, WindowChoice::FullScreen);
}

TEST_F(OtherPublicationTest, TheNextPublicationPlaysInTheOrdinaryRunWhateverItIsNamed)
{
    // A switch right after a saver's name is its saver argument, and a
    // program named as a saver reads its first argument so.
    const QString saver = m_dir.filePath(QStringLiteral("AQUARIUM.SCR"));
    ASSERT_TRUE(QFile::copy(m_publication, saver));
    CommandLine printing;
    printing.printWithoutDialog = true;
    const CommandLine bySaver = parsed(QStringLiteral("/usr/bin/lumeria"),
                                       argumentsToPlay(QStringLiteral("/usr/bin/lumeria"), saver, printing));
    EXPECT_EQ(bySaver.publication, saver);
    EXPECT_EQ(bySaver.mode, RunMode::SaverWithoutArgument);
    EXPECT_TRUE(bySaver.printWithoutDialog);

    const QString program = QStringLiteral("/opt/atlas/Atlas.scr");
    const CommandLine asSaver = parsed(program, argumentsToPlay(program, m_publication, printing));
    EXPECT_EQ(asSaver.publication, m_publication);
    EXPECT_EQ(asSaver.mode, RunMode::SaverWithoutArgument);
    EXPECT_TRUE(asSaver.printWithoutDialog);
}

TEST_F(OtherPublicationTest, AFolderIsNamedAsAPathEvenAtTheRoot)
{
    // "/tmp" alone would read as the switch "/T".
    EXPECT_EQ(parsed(QStringLiteral("lumeria"), {publicationArgument(QStringLiteral("/tmp"))}).publication,
              QStringLiteral("/tmp/"));
    EXPECT_EQ(parsed(QStringLiteral("lumeria"), {publicationArgument(m_dir.path())}).publication,
              m_dir.path() + QLatin1Char('/'));
}

TEST_F(OtherPublicationTest, ADropPlaysALocalPublicationFolderOrDiscImageOnly)
{
    const QString text = m_dir.filePath(QStringLiteral("notes.txt"));
    ASSERT_TRUE(test::writeFile(text, "notes"));
    const QString image = m_dir.filePath(QStringLiteral("DISC.ISO"));
    ASSERT_TRUE(test::writeFile(image, QByteArray(2048, '\0')));
    const QString damaged = m_dir.filePath(QStringLiteral("damaged.lum"));
    ASSERT_TRUE(test::writeFile(damaged, test::containerBytes({{"NOTES.TXT", "no publication", 0}})));

    const auto publication = drop({QUrl::fromLocalFile(m_publication)});
    ASSERT_TRUE(publication);
    EXPECT_EQ(publication->path, m_publication);
    EXPECT_EQ(publication->passedOver, 0);
    ASSERT_TRUE(drop({QUrl::fromLocalFile(m_dir.path())}));
    EXPECT_EQ(drop({QUrl::fromLocalFile(m_dir.path() + QStringLiteral("/"))})->path, m_dir.path());
    // Looked into once it is the volume, as on the command line.
    EXPECT_TRUE(drop({QUrl::fromLocalFile(image)}));

    EXPECT_FALSE(drop({QUrl(QStringLiteral("https://example.com/atlas.lum"))}));
    EXPECT_FALSE(drop({QUrl(QStringLiteral("sftp://host/home/ann/atlas.lum"))}));
    EXPECT_FALSE(drop({QUrl::fromLocalFile(text)}));
    EXPECT_FALSE(drop({QUrl::fromLocalFile(damaged)}));
    EXPECT_FALSE(drop({QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("gone.lum")))}));
    EXPECT_FALSE(drop({}));
    QMimeData words;
    words.setText(m_publication);
    EXPECT_FALSE(droppedPublication(words));

    // The first of several is the one that counts, whatever follows it.
    const auto several = drop({QUrl::fromLocalFile(m_publication), QUrl::fromLocalFile(text),
                               QUrl(QStringLiteral("https://example.com/x.lum"))});
    ASSERT_TRUE(several);
    EXPECT_EQ(several->path, m_publication);
    EXPECT_EQ(several->passedOver, 2);
    EXPECT_FALSE(drop({QUrl::fromLocalFile(text), QUrl::fromLocalFile(m_publication)}));
}

} // namespace
} // namespace lumeria
