#include "container/Container.h"
#include "ContainerBuilder.h"
#include "platform/IoError.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using test::containerBytes;
using test::RawEntry;
using test::writeFile;

class ContainerTest : public ::testing::Test {
protected:
    QString write(const QByteArray& bytes, const QString& name = QStringLiteral("pub.lum"))
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }

    std::unique_ptr<Container> openBytes(const QByteArray& bytes)
    {
        auto c = Container::open(write(bytes));
        EXPECT_TRUE(c.ok()) << "error " << c.error();
        return c ? std::move(c).value() : nullptr;
    }

    int openError(const QByteArray& bytes)
    {
        auto c = Container::open(write(bytes));
        return c.error();
    }

    static QByteArray read(Container& c, const QString& name, int64_t pos, size_t count, int64_t* result = nullptr)
    {
        QByteArray buf(qsizetype(count), '\0');
        const int64_t n = c.readAt(name, pos, std::as_writable_bytes(std::span(buf.data(), count)));
        if (result)
            *result = n;
        return n > 0 ? buf.left(qsizetype(n)) : QByteArray();
    }

    QTemporaryDir m_dir;
};

TEST_F(ContainerTest, EntriesAfterAProgramImageAreListedInDirectoryOrder)
{
    const QByteArray program(5000, 'P');
    auto c = openBytes(containerBytes(
        {{"RUNTIME.PUB", "Title=X\r\n", 0}, {"LOGO.BMP", QByteArray(300, 'b'), 2, 64, 32}, {"NOTES.TXT", "hello", 1}},
        program));
    ASSERT_TRUE(c);
    ASSERT_EQ(c->entries().size(), 3u);
    EXPECT_EQ(c->entries()[0].Name, QStringLiteral("RUNTIME.PUB"));
    EXPECT_EQ(c->entries()[0].Offset, 5000);
    EXPECT_EQ(c->entries()[1].Type, 2);
    EXPECT_EQ(c->entries()[2].Name, QStringLiteral("NOTES.TXT"));
    EXPECT_EQ(read(*c, QStringLiteral("NOTES.TXT"), 0, 100), QByteArray("hello"));
    EXPECT_EQ(c->programFolder(), m_dir.path());
}

TEST_F(ContainerTest, LookupDropsTheFolderAndIgnoresCase)
{
    auto c = openBytes(containerBytes({{"INTRO.TXT", "a"}, {"INTRO.TXT", "second"}}));
    ASSERT_TRUE(c);
    ASSERT_NE(c->find(QStringLiteral("C:\\Pub\\Media\\intro.txt")), nullptr);
    EXPECT_NE(c->find(QStringLiteral("some/dir/Intro.Txt")), nullptr);
    EXPECT_EQ(c->find(QStringLiteral("INTRO")), nullptr);
    // The name listed twice resolves to its last occurrence in the directory.
    EXPECT_EQ(read(*c, QStringLiteral("intro.txt"), 0, 100), QByteArray("second"));
}

TEST_F(ContainerTest, ReadAtStopsAtTheEntryEnd)
{
    QByteArray data(5000, 'x');
    data[4999] = 'z';
    auto c = openBytes(containerBytes({{"BIG.DAT", data}, {"NEXT.DAT", "yyyy"}}));
    ASSERT_TRUE(c);
    int64_t n = 0;
    const QByteArray tail = read(*c, QStringLiteral("BIG.DAT"), 4900, 2048, &n);
    EXPECT_EQ(n, 100);
    EXPECT_EQ(tail.back(), 'z');
    read(*c, QStringLiteral("BIG.DAT"), 5000, 2048, &n);
    EXPECT_EQ(n, 0);
    read(*c, QStringLiteral("BIG.DAT"), -1, 2048, &n);
    EXPECT_EQ(n, 0);
    read(*c, QStringLiteral("ABSENT.DAT"), 0, 10, &n);
    EXPECT_EQ(n, io::kNotInContainer);
}

TEST_F(ContainerTest, PictureSizeComesFromTheDirectory)
{
    auto c = openBytes(containerBytes({{"PIC.PCX", "not really a picture", 2, 640, 480}}));
    ASSERT_TRUE(c);
    const auto size = c->pictureSize(QStringLiteral("pic.pcx"));
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 640);
    EXPECT_EQ(size->height, 480);
    EXPECT_FALSE(c->pictureSize(QStringLiteral("other.pcx")));
}

TEST_F(ContainerTest, EmptyContainerOpensWithNoEntries)
{
    auto c = openBytes(QByteArray(4, '\0'));
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->entries().empty());
}

TEST_F(ContainerTest, DirectoryThatDoesNotFitTheFileFailsWithReadError)
{
    EXPECT_EQ(openError(QByteArray("abc")), io::kReadError);
    EXPECT_EQ(openError(QByteArray()), io::kReadError);

    QByteArray pastEnd(100, 'x');
    test::appendInt32(pastEnd, 1000);
    EXPECT_EQ(openError(pastEnd), io::kReadError);

    QByteArray negative(100, 'x');
    test::appendInt32(negative, -8);
    EXPECT_EQ(openError(negative), io::kReadError);

    // The offset points into the offset field itself.
    QByteArray intoTail(100, 'x');
    test::appendInt32(intoTail, 102);
    EXPECT_EQ(openError(intoTail), io::kReadError);
}

TEST_F(ContainerTest, TruncatedDirectoryFailsWithReadError)
{
    QByteArray bytes = containerBytes({{"A.TXT", "aaaa"}, {"B.TXT", "bbbb"}});
    // Drop the last 5 bytes of the directory, keeping the offset field.
    const QByteArray tail = bytes.right(4);
    bytes.chop(9);
    bytes.append(tail);
    EXPECT_EQ(openError(bytes), io::kReadError);

    // A name length that runs past the end.
    QByteArray longName("data");
    const auto dirOffset = int32_t(longName.size());
    longName.append(char(200));
    longName.append("SHORT");
    test::appendInt32(longName, dirOffset);
    EXPECT_EQ(openError(longName), io::kReadError);
}

TEST_F(ContainerTest, EntriesOutsideTheDataAreaReadAsAbsent)
{
    RawEntry pastDirectory{"PAST.TXT", "x"};
    pastDirectory.overrideRange = true;
    pastDirectory.offset = 0;
    pastDirectory.size = 1 << 30;
    RawEntry negativeSize{"NEG.TXT", "x"};
    negativeSize.overrideRange = true;
    negativeSize.offset = 0;
    negativeSize.size = -1;
    RawEntry negativeOffset{"NEGOFF.TXT", "x"};
    negativeOffset.overrideRange = true;
    negativeOffset.offset = -100;
    negativeOffset.size = 10;

    auto c = openBytes(containerBytes({{"GOOD.TXT", "good"}, pastDirectory, negativeSize, negativeOffset}));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->rejectedEntries(), 3);
    EXPECT_EQ(c->find(QStringLiteral("PAST.TXT")), nullptr);
    EXPECT_EQ(c->find(QStringLiteral("NEG.TXT")), nullptr);
    EXPECT_EQ(read(*c, QStringLiteral("GOOD.TXT"), 0, 10), QByteArray("good"));
}

TEST_F(ContainerTest, MissingFileOrFolderReportsItsIoCode)
{
    EXPECT_EQ(Container::open(m_dir.filePath(QStringLiteral("none.lum"))).error(), io::kFileNotFound);
    EXPECT_EQ(Container::open(m_dir.path()).error(), io::kAccessDenied);
}

// What start-up tells the reader: a file that was read but holds no
// container is not a publication, a file that cannot be opened is an I/O error.
TEST_F(ContainerTest, AFileWithoutAContainerIsToldFromAnUnreadableOne)
{
    bool notAContainer = false;
    EXPECT_FALSE(Container::open(m_dir.filePath(QStringLiteral("none.lum")), &notAContainer));
    EXPECT_FALSE(notAContainer);
    EXPECT_FALSE(Container::open(m_dir.path(), &notAContainer));
    EXPECT_TRUE(notAContainer);
    const QByteArray shapeless[] = {
        QByteArray(),                                              // empty
        QByteArray("\xFF\xD8\xFF\xE0 JFIF picture data \xFF\xD9"), // a JPEG: its tail is no offset
        QByteArray("\x05"
                   "ABC") +
            QByteArray("\x00\x00\x00\x00", 4), // an entry cut short
    };
    for (const QByteArray& bytes : shapeless) {
        notAContainer = false;
        EXPECT_FALSE(Container::open(write(bytes), &notAContainer));
        EXPECT_TRUE(notAContainer) << bytes.toHex().toStdString();
    }
    EXPECT_TRUE(Container::open(write(containerBytes({{"A.TXT", "a"}})), &notAContainer));
    EXPECT_FALSE(notAContainer);
}

TEST_F(ContainerTest, NamesAreDecodedFromWindows1252)
{
    auto c = openBytes(containerBytes({{"CAF\xC9.TXT", "x"}}));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->entries()[0].Name, QStringLiteral("CAFÉ.TXT"));
    EXPECT_NE(c->find(QStringLiteral("café.txt")), nullptr);
}

} // namespace
} // namespace lumeria
