#pragma once

#include "container/ByteSource.h"
#include "container/TextSource.h"

#include <QString>

#include <memory>
#include <string>

namespace lumeria::text {

// Reads a text line by line from any byte offset. Formatted texts have lines
// of one length, so seeking is what lets a long article paint only the
// lines on screen; each seek starts a fresh line buffer there.
class LineReader {
public:
    explicit LineReader(ByteSource& source);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    void seek(int64_t offset);
    // The next line's raw bytes (its length is what a record length counts)
    // and its decoded text.
    TextSource::Status next(std::string& raw, QString& line);
    TextSource::Status next(QString& line);
    int error() const;
    // What a line end takes in this text, once a line was read: 2 for CR LF,
    // 1 for LF. Lines of one length lie their length plus this apart.
    int lineEndLength() const;

private:
    class Offset;
    ByteSource& m_source;
    std::unique_ptr<Offset> m_offset;
    std::unique_ptr<TextSource> m_text;
    // Formatted text is the layout's own record format, CR LF ended always:
    // a record may hold a lone LF of its source text far into its first
    // 2048 bytes, which a reader left to decide would take for line ends.
    TextSource::LineEnds m_ends = TextSource::LineEnds::CrLf;
};

} // namespace lumeria::text
