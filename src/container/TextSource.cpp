#include "container/TextSource.h"

#include "platform/Codepage.h"
#include "platform/IoError.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace lumeria {

bool TextSource::readAhead()
{
    // Sources answer in full except at their end, so the chunks cut from a
    // large read are the ones that reading chunk by chunk would give.
    const size_t left = m_aheadEnd - m_aheadStart;
    if (m_aheadStart > 0) {
        std::memmove(m_ahead.data(), m_ahead.data() + m_aheadStart, left);
        m_aheadStart = 0;
        m_aheadEnd = left;
    }
    const size_t want = std::max(m_readSize, left + kChunk);
    if (m_ahead.size() < want)
        m_ahead.resize(want);
    const int64_t from = m_position + int64_t(left);
    int64_t got = m_source.readAt(from, std::as_writable_bytes(std::span(m_ahead).subspan(left, want - left)));
    if (got < 0 && want - left > size_t(kChunk)) {
        // A large read may reach a part that cannot be read; the chunk by
        // itself decides whether the error is already here.
        m_readSize = kChunk;
        got = m_source.readAt(from, std::as_writable_bytes(std::span(m_ahead).subspan(left, kChunk)));
    }
    if (got < 0) {
        m_error = got == io::kNotInContainer ? io::kNotInContainer : int(-got);
        return false;
    }
    if (got == 0)
        m_sourceEnded = true;
    m_aheadEnd += size_t(got);
    m_readSize = std::min(m_readSize * 2, kMaxReadAhead);
    return true;
}

bool TextSource::fill()
{
    if (m_aheadEnd - m_aheadStart < size_t(kChunk) && !m_sourceEnded && !readAhead())
        return false;
    const size_t got = std::min(m_aheadEnd - m_aheadStart, size_t(kChunk));
    if (got == 0) {
        m_exhausted = true;
        return true;
    }
    const char* chunk = m_ahead.data() + m_aheadStart;
    m_aheadStart += got;
    m_position += int64_t(got);
    const void* nul = m_nul == Nul::EndsChunk ? std::memchr(chunk, '\0', got) : nullptr;
    const size_t length = nul ? size_t(static_cast<const char*>(nul) - chunk) : got;
    if (m_ends == LineEnds::Undecided)
        decideLineEnds(chunk, length);
    m_buffer.append(chunk, length);
    return true;
}

void TextSource::decideLineEnds(const char* chunk, size_t length)
{
    if (length == 0)
        return;
    const std::string_view text(chunk, length);
    if (text.find('\n') == std::string_view::npos) {
        m_lastWasCr = text.back() == '\r';
        return;
    }
    // While undecided no LF came before, so a CR LF can only lie in this
    // chunk or straddle its start.
    const bool crlf = (m_lastWasCr && text.front() == '\n') || text.find("\r\n") != std::string_view::npos;
    m_ends = crlf ? LineEnds::CrLf : LineEnds::Lf;
}

TextSource::Status TextSource::readRawLine(std::string& line)
{
    line.clear();
    return appendRawLine(line);
}

size_t TextSource::findLineEnd(size_t from) const
{
    if (m_ends == LineEnds::Lf)
        return m_buffer.find('\n', from);
    // A CR LF is found by its LF: most lines hold no other, where looking
    // for the CR stops at every one of them to compare the byte after.
    for (size_t lf = from + 1;; ++lf) {
        lf = m_buffer.find('\n', lf);
        if (lf == std::string::npos || m_buffer[lf - 1] == '\r')
            return lf == std::string::npos ? lf : lf - 1;
    }
}

TextSource::Status TextSource::appendRawLine(std::string& out)
{
    if (m_error)
        return Status::Error;
    for (;;) {
        const size_t pending = m_buffer.size() - m_start;
        // Look for CR LF only in what arrived since the last look; one byte of
        // overlap catches a pair split across two chunks.
        const size_t from = m_start + (m_searched > 0 ? m_searched - 1 : 0);
        const bool lf = m_ends == LineEnds::Lf;
        const size_t end = findLineEnd(from);
        if (end != std::string::npos) {
            const size_t cr = lf && end > m_start && m_buffer[end - 1] == '\r' ? 1 : 0;
            out.append(m_buffer, m_start, end - cr - m_start);
            m_start = end + (lf ? 1 : 2);
            m_searched = 0;
            if (m_start > kBufferLimit) {
                m_buffer.erase(0, m_start);
                m_start = 0;
            }
            return Status::Line;
        }
        m_searched = pending;
        if (m_exhausted || pending + kChunk > size_t(kBufferLimit))
            break;
        if (!fill())
            return Status::Error;
    }
    if (m_buffer.size() == m_start)
        return Status::End;
    out.append(m_buffer, m_start, std::string::npos);
    m_buffer.clear();
    m_start = 0;
    m_searched = 0;
    return Status::Line;
}

TextSource::Status TextSource::readLine(QString& line)
{
    std::string raw;
    const Status status = readRawLine(raw);
    if (status == Status::Line)
        line = activeCodepage().decode(raw);
    return status;
}

} // namespace lumeria
