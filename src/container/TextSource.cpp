#include "container/TextSource.h"

#include "platform/Codepage.h"
#include "platform/IoError.h"

#include <cstring>

namespace lumeria {

bool TextSource::fill()
{
    char chunk[kChunk];
    const int64_t got = m_source.readAt(m_position, std::as_writable_bytes(std::span(chunk)));
    if (got < 0) {
        m_error = got == io::kNotInContainer ? io::kNotInContainer : int(-got);
        return false;
    }
    if (got == 0) {
        m_exhausted = true;
        return true;
    }
    m_position += got;
    const void* nul = m_nul == Nul::EndsChunk ? std::memchr(chunk, '\0', size_t(got)) : nullptr;
    const size_t length = nul ? size_t(static_cast<const char*>(nul) - chunk) : size_t(got);
    m_buffer.append(chunk, length);
    return true;
}

TextSource::Status TextSource::readRawLine(std::string& line)
{
    if (m_error)
        return Status::Error;
    for (;;) {
        const size_t pending = m_buffer.size() - m_start;
        // Look for CR LF only in what arrived since the last look; one byte of
        // overlap catches a pair split across two chunks.
        const size_t from = m_start + (m_searched > 0 ? m_searched - 1 : 0);
        const size_t crlf = m_buffer.find("\r\n", from);
        if (crlf != std::string::npos) {
            line.assign(m_buffer, m_start, crlf - m_start);
            m_start = crlf + 2;
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
    line.assign(m_buffer, m_start, std::string::npos);
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
