#include "container/TextSource.h"
#include "platform/IoError.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumeria {
namespace {

std::vector<std::string> allLines(const QByteArray& bytes)
{
    MemorySource source(bytes);
    TextSource text(source);
    std::vector<std::string> lines;
    std::string line;
    while (text.readRawLine(line) == TextSource::Status::Line)
        lines.push_back(line);
    return lines;
}

TEST(TextSource, SplitsAtCrLfOnly)
{
    const auto lines = allLines("one\r\n\r\ntwo\nstill two\rand\r\nlast");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "one");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "two\nstill two\rand");
    EXPECT_EQ(lines[3], "last");
}

// Texts that passed through a Unix tool end their lines in LF alone; the
// first chunk with an LF decides, and a CR LF text keeps its lone LFs.
TEST(TextSource, LineEndsAreDecidedByTheFirstChunkWithAnLf)
{
    auto lines = allLines("Title=LF\nNEWPAGE=One\n\nlast");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Title=LF");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "last");

    // A lone LF before the first CR LF of the chunk stays text.
    lines = allLines("a\nb\r\nc\nd\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "a\nb");
    EXPECT_EQ(lines[1], "c\nd");

    // An LF text that later meets a CR LF does not keep the CR in the line.
    QByteArray mixed = QByteArray(TextSource::kChunk, 'x') + "\nnext\r\nend";
    mixed.prepend("first\n");
    lines = allLines(mixed);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "next");
    EXPECT_EQ(lines[3], "end");
}

TEST(TextSource, LineEndsWaitForTheFirstLfEvenPastTheFirstChunk)
{
    // A first line longer than a chunk: the chunk that brings its end decides.
    QByteArray lf(3 * TextSource::kChunk, 'k');
    lf += "\nsecond\n";
    auto lines = allLines(lf);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), size_t(3 * TextSource::kChunk));
    EXPECT_EQ(lines[1], "second");

    // A CR at the end of one chunk and its LF at the start of the next are
    // still a CR LF, so the lone LF after them stays text.
    QByteArray crlf(TextSource::kChunk - 1, 'c');
    crlf += "\r\nx\ny\r\n";
    lines = allLines(crlf);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "x\ny");

    // A text with no line end at all is one line, cut at the buffer limit.
    lines = allLines(QByteArray(40000, 'z'));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), size_t(TextSource::kBufferLimit));
}

TEST(TextSource, AReaderGivenTheLineEndsUsesThemFromItsFirstByte)
{
    // Read on from an offset where only CR LF lines follow: what was decided
    // for the text holds, not what this part alone would suggest.
    MemorySource source(QByteArray("p\r\nq\nr"));
    TextSource text(source, TextSource::Nul::EndsChunk, TextSource::LineEnds::Lf);
    std::string line;
    ASSERT_EQ(text.readRawLine(line), TextSource::Status::Line);
    EXPECT_EQ(line, "p");
    ASSERT_EQ(text.readRawLine(line), TextSource::Status::Line);
    EXPECT_EQ(line, "q");
    EXPECT_EQ(text.lineEndLength(), 1);
}

TEST(TextSource, EmptyTextHasNoLines)
{
    EXPECT_TRUE(allLines("").empty());
    // A final CR LF does not make an empty last line.
    EXPECT_EQ(allLines("a\r\n").size(), 1u);
}

TEST(TextSource, CrLfSplitAcrossChunksStillEndsTheLine)
{
    QByteArray bytes(TextSource::kChunk - 1, 'a');
    bytes += "\r\nnext\r\n";
    const auto lines = allLines(bytes);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), size_t(TextSource::kChunk - 1));
    EXPECT_EQ(lines[1], "next");
}

TEST(TextSource, LoneLfsAtChunkEdgesStayTextInACrLfText)
{
    // A lone LF ends the first chunk after the one that decided; a CR ends
    // the next, whose LF begins the chunk after it.
    QByteArray bytes = "first\r\n";
    bytes += QByteArray(TextSource::kChunk - 1 - bytes.size(), 'a') + '\n';
    bytes += QByteArray(TextSource::kChunk - 1, 'b') + "\r\nnext\r\n";
    const auto lines = allLines(bytes);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "first");
    EXPECT_EQ(lines[1], std::string(TextSource::kChunk - 8, 'a') + '\n' + std::string(TextSource::kChunk - 1, 'b'));
    EXPECT_EQ(lines[2], "next");
}

TEST(TextSource, EachChunkIsTextUpToItsFirstNul)
{
    QByteArray bytes("AB");
    bytes.append('\0');
    bytes.append(QByteArray(TextSource::kChunk - 3, 'j'));
    bytes += "CD\r\nEF";
    const auto lines = allLines(bytes);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "ABCD");
    EXPECT_EQ(lines[1], "EF");
}

TEST(TextSource, ANulCanBeTextInstead)
{
    QByteArray bytes("AB");
    bytes.append('\0');
    bytes += "CD\r\nEF";
    MemorySource source(bytes);
    TextSource text(source, TextSource::Nul::IsText);
    std::string line;
    ASSERT_EQ(text.readRawLine(line), TextSource::Status::Line);
    EXPECT_EQ(line, std::string("AB\0CD", 5));
    ASSERT_EQ(text.readRawLine(line), TextSource::Status::Line);
    EXPECT_EQ(line, "EF");
}

TEST(TextSource, LineLongerThanTheBufferIsCutAtItsLimit)
{
    QByteArray bytes(40000, 'x');
    bytes += "\r\nshort\r\n";
    const auto lines = allLines(bytes);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), size_t(TextSource::kBufferLimit));
    EXPECT_EQ(lines[1].size(), size_t(40000 - TextSource::kBufferLimit));
    EXPECT_EQ(lines[2], "short");
}

TEST(TextSource, ManyLinesKeepTheirOrder)
{
    QByteArray bytes;
    for (int i = 0; i < 20000; ++i)
        bytes += "Line=" + QByteArray::number(i) + "\r\n";
    const auto lines = allLines(bytes);
    ASSERT_EQ(lines.size(), 20000u);
    EXPECT_EQ(lines[12345], "Line=12345");
}

TEST(TextSource, DecodesWindows1252)
{
    MemorySource source(QByteArray("Caf\xE9 \x80\r\n"));
    TextSource text(source);
    QString line;
    ASSERT_EQ(text.readLine(line), TextSource::Status::Line);
    EXPECT_EQ(line, QStringLiteral("Café €"));
}

// Counts the reads that reach the bytes.
class CountingSource : public ByteSource {
public:
    explicit CountingSource(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    int64_t readAt(int64_t position, std::span<std::byte> buffer) override
    {
        ++reads;
        return m_bytes.readAt(position, buffer);
    }
    int reads = 0;

private:
    MemorySource m_bytes;
};

TEST(TextSource, ChunksCutFromLargeReadsEndAtTheirNulsAsBefore)
{
    // Forty chunks of short lines, with a NUL somewhere in every third one:
    // each chunk loses what follows its NUL, wherever the reads fall.
    QByteArray bytes;
    for (int i = 0; bytes.size() < 40 * TextSource::kChunk; ++i)
        bytes += "Key" + QByteArray::number(i) + "=value\r\n";
    bytes.truncate(40 * TextSource::kChunk);
    for (int chunk = 0; chunk < 40; chunk += 3)
        bytes[chunk * TextSource::kChunk + (chunk * 131) % TextSource::kChunk] = '\0';
    QByteArray kept;
    for (int chunk = 0; chunk < 40; ++chunk) {
        const QByteArray part = bytes.mid(chunk * TextSource::kChunk, TextSource::kChunk);
        kept += part.left(part.indexOf('\0') < 0 ? part.size() : part.indexOf('\0'));
    }
    std::vector<std::string> expected;
    for (qsizetype from = 0; from < kept.size();) {
        qsizetype end = kept.indexOf("\r\n", from);
        if (end < 0)
            end = kept.size();
        expected.push_back(kept.mid(from, end - from).toStdString());
        from = end + 2;
    }

    CountingSource source(bytes);
    TextSource text(source);
    std::vector<std::string> lines;
    std::string line;
    while (text.readRawLine(line) == TextSource::Status::Line)
        lines.push_back(line);
    EXPECT_EQ(lines, expected);
    EXPECT_LT(source.reads, 10);
}

class FailingSource : public ByteSource {
public:
    int64_t readAt(int64_t position, std::span<std::byte> buffer) override
    {
        if (position >= TextSource::kChunk)
            return -io::kReadError;
        std::fill(buffer.begin(), buffer.end(), std::byte{'a'});
        return int64_t(buffer.size());
    }
};

TEST(TextSource, ReadErrorStopsWithItsCode)
{
    FailingSource failing;
    TextSource text(failing);
    std::string line;
    EXPECT_EQ(text.readRawLine(line), TextSource::Status::Error);
    EXPECT_EQ(text.error(), io::kReadError);
}

} // namespace
} // namespace lumeria
