#include "text/LineReader.h"

#include "platform/Codepage.h"

namespace lumeria::text {

class LineReader::Offset final : public ByteSource {
public:
    Offset(ByteSource& base, int64_t offset) : m_base(base), m_offset(offset) {}
    int64_t readAt(int64_t position, std::span<std::byte> buffer) override
    {
        return m_base.readAt(m_offset + position, buffer);
    }

private:
    ByteSource& m_base;
    int64_t m_offset;
};

LineReader::LineReader(ByteSource& source) : m_source(source)
{
    seek(0);
}

LineReader::~LineReader() = default;

void LineReader::seek(int64_t offset)
{
    if (m_text)
        m_ends = m_text->lineEnds();
    m_text.reset();
    m_offset = std::make_unique<Offset>(m_source, std::max<int64_t>(offset, 0));
    m_text = std::make_unique<TextSource>(*m_offset, TextSource::Nul::EndsChunk, m_ends);
}

TextSource::Status LineReader::next(std::string& raw, QString& line)
{
    const TextSource::Status status = m_text->readRawLine(raw);
    if (status == TextSource::Status::Line)
        line = activeCodepage().decode(raw);
    return status;
}

TextSource::Status LineReader::next(QString& line)
{
    std::string raw;
    return next(raw, line);
}

int LineReader::error() const
{
    return m_text->error();
}

int LineReader::lineEndLength() const
{
    return m_text->lineEndLength();
}

} // namespace lumeria::text
