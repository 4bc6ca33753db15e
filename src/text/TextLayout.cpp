#include "text/TextLayout.h"

#include "container/TextSource.h"
#include "platform/Codepage.h"
#include "platform/Folders.h"
#include "platform/IoError.h"
#include "text/Markup.h"
#include "text/MarkupScanner.h"
#include "text/TextFonts.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace lumeria::text {

namespace {

struct Measure {
    int width = 0;
    int height = 0;
    int ascent = 0;
    TextState state;
    ScanMode mode;
    std::optional<int> startIndent; // set by ^O on a line with nothing on it yet
};

// Splits a source line into the words word wrap moves about. Link targets
// and hidden text never split, even at their spaces: a target is a script
// and a marker is found by its exact text.
std::vector<QString> splitWords(const QString& line, ScanMode& mode)
{
    std::vector<QString> words;
    QString word;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        const bool protectedText = mode.inTarget || mode.inHidden;
        if (c == u' ' && !protectedText) {
            if (!word.isEmpty())
                words.push_back(std::exchange(word, {}));
            continue;
        }
        word += c;
        if (c == u'=' && mode.inShownLink()) {
            mode.inTarget = true;
            continue;
        }
        if (c != kCaret || i + 1 >= line.size())
            continue;
        const QChar letter = line[++i];
        word += letter;
        mode.apply(letter.unicode());
    }
    if (!word.isEmpty())
        words.push_back(word);
    return words;
}

// Records kept in memory before they go to the scratch file: most texts
// are far smaller, the longest ones must not live in memory twice.
constexpr qsizetype kSpillBytes = qsizetype(1) << 20;

// Builds output lines from units and writes them as they are finished.
class LineBuilder {
public:
    LineBuilder(TextFonts& fonts, int width, bool wordWrap, QFile& out)
        : m_fonts(fonts), m_width(width), m_wordWrap(wordWrap), m_out(out)
    {
        const TextFonts::Entry& plain = m_fonts.plain();
        m_spaceWidth = plain.width(QStringLiteral(" "));
        m_defaultHeight = plain.height;
        m_defaultAscent = plain.ascent;
        m_xRange = wordWrap ? width : 0;
        startLine();
    }

    bool add(const QString& unit)
    {
        for (;;) {
            const Measure m = measure(unit);
            // A blank line is as tall as the text before it, not the plain font.
            if (m.height > 0) {
                m_lastHeight = m.height;
                m_lastAscent = m.ascent;
            }
            if (m.width == 0) {
                // An empty unit (an empty source line) ends the paragraph;
                // codes alone are kept on the line they end.
                append(unit, m, false);
                return finish();
            }
            if (!m_wordWrap) {
                append(unit, m, false);
                return finish();
            }
            const int64_t needed = int64_t(m_lineWidth) + m_startIndent + m_spaceWidth + m.width;
            if (needed > m_width) {
                if (m_empty) {
                    // A word wider than the line stands alone on it.
                    append(unit, m, false);
                    return finish();
                }
                if (!finish())
                    return false;
                continue;
            }
            append(unit, m, !m_empty);
            return true;
        }
    }

    // The line still being built, at the end of the source.
    bool flush() { return m_empty ? true : finish(); }

    int lineCount() const { return m_lineCount; }
    int xRange() const { return m_xRange; }
    int tallest() const { return m_tallest; }
    qsizetype longest() const { return m_longest; }

    // After the last line: what is left in memory joins the spilled records.
    bool endRecords() { return !m_spilled || spill(); }
    bool spilled() const { return m_spilled; }
    const QByteArray& records() const { return m_records; }

private:
    void startLine()
    {
        m_text = stateCodes(m_state, m_fonts.objectPixels());
        m_lineWidth = 0;
        m_height = 0;
        m_ascent = 0;
        m_startIndent = twipsToPixels(m_state.indentTwips);
        m_empty = true;
    }

    Measure measure(const QString& unit)
    {
        Measure m{0, 0, 0, m_state, m_mode, std::nullopt};
        ScanMode mode = m_mode;
        MarkupScanner scanner(unit, TextForm::Source, mode);
        int indent = twipsToPixels(m.state.indentTwips);
        for (MarkupToken t = scanner.next(); t.kind != MarkupToken::Kind::End; t = scanner.next()) {
            const TextFonts::Entry& font = m_fonts.of(m.state);
            if (t.kind == MarkupToken::Kind::Run) {
                m.width += font.width(t.text);
                m.height = std::max(m.height, font.height);
                m.ascent = std::max(m.ascent, font.ascent);
                continue;
            }
            if (t.kind != MarkupToken::Kind::Code)
                continue;
            const int n = t.number.value_or(0);
            switch (t.letter) {
            case u'A':
            case u'a':
                if (t.number) {
                    const int p = twipsToPixels(n);
                    if (p < 0)
                        m.width += p;
                    else if (!m.state.centre)
                        m.width = std::max(m.width, p - indent);
                }
                break;
            case u'S':
            case u's': m.width = linePixels(m.width + int64_t(n) * font.widthOfM); break;
            case u'T':
            case u't': m.width = std::max(m.width, linePixels(int64_t(n) * font.widthOfM)); break;
            case u'O':
                if (t.number) {
                    indent = twipsToPixels(n);
                    if (m_empty && m.width == 0)
                        m.startIndent = indent;
                }
                break;
            case u'o': indent = 0; break;
            default: break;
            }
            m.state.apply(t);
            m.state.inLink = mode.inShownLink();
        }
        m.state.inLink = mode.inShownLink();
        m.mode = mode;
        return m;
    }

    void append(const QString& unit, const Measure& m, bool withSpace)
    {
        if (withSpace) {
            m_text += QLatin1Char(' ');
            m_lineWidth += m_spaceWidth;
        }
        m_text += unit;
        m_lineWidth += m.width;
        m_height = std::max(m_height, m.height);
        m_ascent = std::max(m_ascent, m.ascent);
        if (m.startIndent)
            m_startIndent = *m.startIndent;
        m_state = m.state;
        m_mode = m.mode;
        // Hidden text ends with its source line; a target is never split.
        m_mode.inHidden = false;
        m_empty = false;
    }

    static void insertWidth(QString& text, char16_t letter, int width)
    {
        for (qsizetype i = 0; i + 1 < text.size(); ++i) {
            if (text[i] != kCaret)
                continue;
            if (text[i + 1] == letter) {
                text.insert(i + 2, QStringLiteral("%1~").arg(width));
                return;
            }
            ++i; // "^^" and other codes: skip the letter
        }
    }

    bool finish()
    {
        int height = m_height;
        int ascent = m_ascent;
        if (height == 0) {
            height = m_lastHeight > 0 ? m_lastHeight : m_defaultHeight;
            ascent = m_lastHeight > 0 ? m_lastAscent : m_defaultAscent;
        }
        insertWidth(m_text, u'C', m_lineWidth);
        insertWidth(m_text, u'G', m_lineWidth);
        if (!m_wordWrap)
            m_xRange = std::max(m_xRange, m_lineWidth + m_startIndent);
        m_tallest = std::max(m_tallest, height);
        QByteArray bytes = activeCodepage().encode(lineHeader(height, ascent) + m_text);
        if (bytes.size() > kMaxFormattedLine)
            bytes.truncate(kMaxFormattedLine);
        m_longest = std::max(m_longest, bytes.size());
        bytes += "\r\n";
        ++m_lineCount;
        startLine();
        m_records += bytes;
        return m_records.size() < kSpillBytes || spill();
    }

    // Sends the records kept in memory to the scratch file; a text that never
    // needs it is copied from memory, without a file read or written twice.
    bool spill()
    {
        m_spilled = true;
        const bool written = m_out.write(m_records) == m_records.size();
        m_records.clear();
        return written;
    }

    TextFonts& m_fonts;
    int m_width;
    bool m_wordWrap;
    QFile& m_out;
    QByteArray m_records;
    bool m_spilled = false;
    int m_spaceWidth = 0;
    int m_defaultHeight = 0;
    int m_defaultAscent = 0;
    int m_lastHeight = 0;
    int m_lastAscent = 0;

    TextState m_state;
    ScanMode m_mode;
    QString m_text;
    int m_lineWidth = 0;
    int m_height = 0;
    int m_ascent = 0;
    int m_startIndent = 0;
    bool m_empty = true;

    int m_lineCount = 0;
    int m_xRange = 0;
    int m_tallest = 0;
    qsizetype m_longest = 0;
};

// Qt reports that a write failed, errno says why; an errno already cleared
// still has to give a code the reader gets a message for.
int writeErrorCode()
{
    const int code = ioCodeFromErrno(errno, IoOp::Write);
    return code != 0 ? code : io::kDiskFull;
}

int writeErrorOf(const QFile& file)
{
    return file.error() == QFileDevice::NoError ? io::kDiskFull : writeErrorCode();
}

int sourceError(int code)
{
    return code == io::kNotInContainer ? io::kFileNotFound : (code > 0 ? code : io::kReadError);
}

constexpr qsizetype kWriteBlock = qsizetype(64) << 10;

// Copies the scratch records into the output, padding every line with spaces
// to one length so that line i starts at i × (length + 2).
int copyPadded(QIODevice& scratch, QFile& out, qsizetype recordLength)
{
    if (!scratch.seek(0))
        return io::kReadError;
    // Padded records leave in blocks: the output is unbuffered, so that a
    // small text costs one write and no buffer.
    QByteArray block;
    block.reserve(std::max<qsizetype>(kWriteBlock, recordLength + 2));
    auto writeBlock = [&] {
        const bool written = out.write(block) == block.size();
        block.resize(0);
        return written;
    };
    // No scratch record is longer than the padded length and its CR LF, so
    // one buffer of that size serves them all; a new array per line made
    // copying cost more than laying out. A record ends at CR LF only: a line
    // feed alone is text, as the source reader left it, and splitting there
    // would give records of other lengths than the one the painter seeks by.
    const qint64 room = recordLength + 2;
    QByteArray line(room + 3, Qt::Uninitialized);
    while (!scratch.atEnd()) {
        qint64 size = 0;
        do {
            const qint64 read = scratch.readLine(line.data() + size, room + 1 - size);
            if (read <= 0)
                return io::kReadError;
            size += read;
        } while (!(size >= 2 && line[size - 2] == '\r' && line[size - 1] == '\n') && !scratch.atEnd() &&
                 size + 1 < room + 1);
        if (size >= 2 && line[size - 2] == '\r' && line[size - 1] == '\n')
            size -= 2;
        const qint64 padded = std::max<qint64>(size, recordLength);
        std::fill(line.data() + size, line.data() + padded, ' ');
        line[padded] = '\r';
        line[padded + 1] = '\n';
        if (block.size() + padded + 2 > block.capacity() && !writeBlock())
            return writeErrorOf(out);
        block.append(line.constData(), padded + 2);
    }
    return block.isEmpty() || writeBlock() ? 0 : writeErrorOf(out);
}

} // namespace

Result<LayoutResult> layOutText(const gdi::Font& objectFont, ByteSource& source, const LayoutRequest& request)
{
    const int width = request.width > 0 ? request.width : kDefaultLayoutWidth;
    const QString folder = request.temporaryFolder.isEmpty() ? temporaryFolder() : request.temporaryFolder;
    if (folder.isEmpty())
        return Failure{io::kTempFileFailed};
    QTemporaryFile scratch(QDir(folder).filePath(QStringLiteral("$$$XXXXXX.TMP")));
    if (!scratch.open())
        return Failure{io::kTempFileFailed};

    TextFonts fonts(objectFont);
    LineBuilder builder(fonts, width, request.wordWrap, scratch);
    TextSource reader(source, TextSource::Nul::IsText);
    ScanMode splitMode;
    bool written = true;
    QString line;
    TextSource::Status status = TextSource::Status::End;
    while (written && (status = reader.readLine(line)) == TextSource::Status::Line) {
        line.replace(QChar(0), QLatin1Char(' '));
        if (!request.wordWrap) {
            written = builder.add(line);
            continue;
        }
        const std::vector<QString> words = splitWords(line.trimmed(), splitMode);
        splitMode.inHidden = false;
        if (words.empty())
            written = builder.add(QString());
        for (const QString& word : words) {
            if (!(written = builder.add(word)))
                break;
        }
    }
    // A failed layout leaves no output, not even an older one of that name.
    auto failed = [&](int code) -> Result<LayoutResult> {
        if (!request.output.isEmpty())
            QFile::remove(request.output);
        return Failure{code};
    };
    if (written && status == TextSource::Status::Error)
        return failed(sourceError(reader.error()));
    if (written)
        written = builder.flush() && builder.endRecords() && scratch.flush();
    if (!written)
        return failed(writeErrorOf(scratch));

    QString outputName = request.output;
    std::unique_ptr<QFile> out;
    if (outputName.isEmpty()) {
        auto temporary = std::make_unique<QTemporaryFile>(QDir(folder).filePath(QStringLiteral("$$$XXXXXX.TXT")));
        temporary->setAutoRemove(false);
        if (!static_cast<QFile&>(*temporary).open(QIODevice::ReadWrite | QIODevice::Unbuffered))
            return failed(io::kTempFileFailed);
        outputName = temporary->fileName();
        out = std::move(temporary);
    } else {
        out = std::make_unique<QFile>(outputName);
        if (!out->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
            return failed(writeErrorCode());
    }
    int error = 0;
    if (builder.longest() > 0 && builder.spilled()) {
        error = copyPadded(scratch, *out, builder.longest() + 1);
    } else if (builder.longest() > 0) {
        QByteArray kept = builder.records();
        QBuffer memory(&kept);
        memory.open(QIODevice::ReadOnly);
        error = copyPadded(memory, *out, builder.longest() + 1);
    }
    if (!error && !out->flush())
        error = writeErrorOf(*out);
    out->close();
    if (error) {
        QFile::remove(outputName);
        return Failure{error};
    }
    return LayoutResult{outputName, builder.lineCount(), builder.xRange(), builder.tallest()};
}

} // namespace lumeria::text
