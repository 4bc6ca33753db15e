#pragma once

#include "container/ByteSource.h"

#include <QString>

#include <string>
#include <vector>

namespace lumeria {

// Delivers a text line by line the way the runtime reads RUNTIME.PUB: in
// chunks of 2048 bytes taken as text up to their first NUL, lines ending at
// CR LF, a pending buffer that never grows past 32768 characters (a longer
// line is cut there), and a last line that needs no CR LF.
//
// Texts made on the publications' own system end their lines in CR LF, and
// a lone LF inside such a line is text. Texts that passed through a Unix
// editor or tool end them in LF alone, and read by the CR LF rule would be
// one cut line. Which kind a text is gets decided once, on the first chunk
// that holds an LF: when the text up to the end of that chunk holds a
// CR LF, its lines end in CR LF; otherwise in LF. Deciding there costs no
// read of its own, and a CR LF text stays CR LF unless its first 2048 bytes
// with an LF have no CR LF at all, which no text of that system has.
class TextSource {
public:
    static constexpr int kChunk = 2048;
    static constexpr int kBufferLimit = 32768;

    enum class Status { Line, End, Error };
    // Undecided until the first LF is read; a reader that moves to another
    // offset of the same text passes on what was decided.
    enum class LineEnds { Undecided, CrLf, Lf };
    // What a NUL byte does: the publication reader ends its chunk there, as
    // the stored publications expect; the article layout keeps every byte, so
    // that a stray NUL in an author's text does not swallow the lines after it.
    enum class Nul { EndsChunk, IsText };

    explicit TextSource(ByteSource& source, Nul nul = Nul::EndsChunk, LineEnds ends = LineEnds::Undecided)
        : m_source(source), m_nul(nul), m_ends(ends)
    {
    }

    // The next line's raw bytes without its line end. In an LF text a CR
    // before the LF goes with the line end too.
    Status readRawLine(std::string& line);
    // The same, appended to out: what a reader gathering many lines takes.
    Status appendRawLine(std::string& out);
    // The next line decoded with the active code page.
    Status readLine(QString& line);

    // The code of the read that failed: io::kNotInContainer, or an I/O code.
    int error() const { return m_error; }

    LineEnds lineEnds() const { return m_ends; }
    // The bytes a line end takes in this text as far as it is decided: what
    // lines of one length are apart by beyond their own bytes.
    int lineEndLength() const { return m_ends == LineEnds::Lf ? 1 : 2; }

private:
    bool fill();
    // Where the first line end at or after from begins, or npos.
    size_t findLineEnd(size_t from) const;
    bool readAhead();
    void decideLineEnds(const char* chunk, size_t length);

    ByteSource& m_source;
    Nul m_nul;
    LineEnds m_ends;
    bool m_lastWasCr = false; // the last byte taken while undecided
    std::string m_buffer;
    size_t m_start = 0;     // first pending byte of m_buffer
    size_t m_searched = 0;  // pending bytes already known to hold no CR LF
    int64_t m_position = 0; // source position of the next chunk
    // Chunks are cut from larger reads: a 2048-byte read per chunk made
    // reading most of the cost of loading a large publication. The reads
    // start small, so that a reader after a screenful of an article reads
    // little, and double up to kMaxReadAhead.
    static constexpr size_t kMaxReadAhead = size_t(1) << 18;
    std::vector<char> m_ahead;
    size_t m_aheadStart = 0; // first unused byte, at source position m_position
    size_t m_aheadEnd = 0;
    size_t m_readSize = 2 * kChunk;
    bool m_sourceEnded = false;
    bool m_exhausted = false;
    int m_error = 0;
};

} // namespace lumeria
