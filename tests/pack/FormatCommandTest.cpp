#include "ContainerBuilder.h"
#include "pack/PackRun.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using test::readFile;
using test::writeFile;

using test::pack;
using test::PackRun;

class FormatCommand : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
};

TEST_F(FormatCommand, PrintsTheArticleKeysOfTheLaidOutText)
{
    ASSERT_TRUE(writeFile(path("story.txt"), "^CA title^c\r\n\r\nSome words that wrap onto a few lines of the box.\r\n"
                                             "^F20~Big^f and ^Lmore=GO \"2\"^l."));
    const PackRun run =
        pack({QStringLiteral("format"), path("story.txt"), QStringLiteral("-o"), path("STORY.TXT.V"),
              QStringLiteral("--font"), QStringLiteral("Arial"), QStringLiteral("--size"), QStringLiteral("10"),
              QStringLiteral("--width"), QStringLiteral("120"), QStringLiteral("--wordwrap")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList keys = QString::fromUtf8(run.out).trimmed().split(QLatin1Char('\n'));
    ASSERT_EQ(keys.size(), 3);
    ASSERT_TRUE(keys[0].startsWith(QStringLiteral("YRange=")));
    EXPECT_EQ(keys[1], QStringLiteral("XRange=120"));
    ASSERT_TRUE(keys[2].startsWith(QStringLiteral("MaxLineHeight=")));

    // One record per line, all of one length; the tallest is the 20-point line.
    const QByteArray formatted = readFile(path("STORY.TXT.V"));
    QList<QByteArray> lines = formatted.split('\n');
    ASSERT_TRUE(lines.back().isEmpty());
    lines.removeLast();
    EXPECT_EQ(keys[0], QStringLiteral("YRange=%1").arg(lines.size()));
    int tallest = 0;
    for (const QByteArray& l : lines) {
        EXPECT_EQ(l.size(), lines[0].size());
        EXPECT_TRUE(l.startsWith("^Z"));
        tallest = std::max(tallest, l.mid(2, 3).toInt());
    }
    EXPECT_EQ(keys[2], QStringLiteral("MaxLineHeight=%1").arg(tallest));
    EXPECT_GT(tallest, 20);
}

TEST_F(FormatCommand, WithoutWordWrapTheRangeIsTheWidestLine)
{
    ASSERT_TRUE(writeFile(path("lines.txt"), "short\r\na much longer line than that\r\n"));
    const PackRun narrow = pack({QStringLiteral("format"), path("lines.txt"), QStringLiteral("-o"), path("L.V"),
                                 QStringLiteral("--font"), QStringLiteral("Arial"), QStringLiteral("--size"),
                                 QStringLiteral("10"), QStringLiteral("--width"), QStringLiteral("0")});
    ASSERT_EQ(narrow.exitCode, 0) << narrow.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(narrow.out).startsWith(QStringLiteral("YRange=2\n")));
    const int xRange =
        QString::fromUtf8(narrow.out).section(QStringLiteral("XRange="), 1).section(QLatin1Char('\n'), 0, 0).toInt();
    EXPECT_GT(xRange, 100);
    // Bold measures wider.
    const PackRun bold =
        pack({QStringLiteral("format"), path("lines.txt"), QStringLiteral("-o"), path("B.V"), QStringLiteral("--font"),
              QStringLiteral("Arial"), QStringLiteral("--size"), QStringLiteral("10"), QStringLiteral("--style"),
              QStringLiteral("1"), QStringLiteral("--width"), QStringLiteral("0")});
    ASSERT_EQ(bold.exitCode, 0);
    // Formatted text starts plain whatever the object's style.
    EXPECT_EQ(QString::fromUtf8(bold.out), QString::fromUtf8(narrow.out));
}

TEST_F(FormatCommand, BadArgumentsAndMissingSourcesFailWithOneLine)
{
    PackRun run = pack({QStringLiteral("format"), path("missing.txt"), QStringLiteral("-o"), path("M.V"),
                        QStringLiteral("--font"), QStringLiteral("Arial"), QStringLiteral("--size"),
                        QStringLiteral("10"), QStringLiteral("--width"), QStringLiteral("100")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(run.err).startsWith(QStringLiteral("lumeria-pack: cannot read")))
        << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("M.V")));

    ASSERT_TRUE(writeFile(path("s.txt"), "x"));
    run = pack({QStringLiteral("format"), path("s.txt"), QStringLiteral("-o"), path("S.V"), QStringLiteral("--font"),
                QStringLiteral("Arial"), QStringLiteral("--size"), QStringLiteral("ten"), QStringLiteral("--width"),
                QStringLiteral("100")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(run.err).contains(QStringLiteral("format takes")));
    run = pack({QStringLiteral("format"), path("s.txt"), QStringLiteral("--font"), QStringLiteral("Arial")});
    EXPECT_EQ(run.exitCode, 1);

    // An output in a folder that does not exist.
    run = pack({QStringLiteral("format"), path("s.txt"), QStringLiteral("-o"), path("no/such/S.V"),
                QStringLiteral("--font"), QStringLiteral("Arial"), QStringLiteral("--size"), QStringLiteral("10"),
                QStringLiteral("--width"), QStringLiteral("100")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(run.err).startsWith(QStringLiteral("lumeria-pack: cannot format")));
}

} // namespace
} // namespace lumeria
