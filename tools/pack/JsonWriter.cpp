#include "JsonWriter.h"

#include <charconv>

namespace lumeria {

bool JsonWriter::flush()
{
    if (m_stream && !m_out.empty()) {
        if (std::fwrite(m_out.data(), 1, m_out.size(), m_stream) != m_out.size())
            m_failed = true;
        m_out.clear();
    }
    return !m_failed;
}

void JsonWriter::newline()
{
    m_out.push_back('\n');
    m_out.append(m_levels.size() * 2, ' ');
}

void JsonWriter::beforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_levels.empty())
        return;
    Level& level = m_levels.back();
    if (!level.empty)
        m_out.push_back(',');
    if (!level.isObject && !level.empty)
        m_out.push_back(' ');
    level.empty = false;
}

void JsonWriter::beginObject()
{
    maybeFlush();
    beforeValue();
    m_out.push_back('{');
    m_levels.push_back({true});
}

void JsonWriter::endObject()
{
    const bool empty = m_levels.back().empty;
    m_levels.pop_back();
    if (!empty)
        newline();
    m_out.push_back('}');
}

void JsonWriter::beginArray()
{
    beforeValue();
    m_out.push_back('[');
    m_levels.push_back({false});
}

void JsonWriter::endArray()
{
    m_levels.pop_back();
    m_out.push_back(']');
}

void JsonWriter::key(std::string_view name)
{
    Level& level = m_levels.back();
    if (!level.empty)
        m_out.push_back(',');
    level.empty = false;
    newline();
    m_out.push_back('"');
    appendEscaped(name);
    m_out.append("\": ");
    m_afterKey = true;
}

void JsonWriter::value(int64_t v)
{
    beforeValue();
    char buf[24];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    m_out.append(buf, size_t(end - buf));
}

void JsonWriter::value(bool v)
{
    beforeValue();
    m_out.append(v ? "true" : "false");
}

void JsonWriter::value(const QString& v)
{
    const QByteArray utf8 = v.toUtf8();
    value(std::string_view(utf8.constData(), size_t(utf8.size())));
}

void JsonWriter::value(std::string_view v)
{
    beforeValue();
    m_out.push_back('"');
    appendEscaped(v);
    m_out.push_back('"');
}

void JsonWriter::appendEscaped(std::string_view utf8)
{
    static constexpr char kHex[] = "0123456789abcdef";
    for (char c : utf8) {
        switch (c) {
        case '"': m_out.append("\\\""); break;
        case '\\': m_out.append("\\\\"); break;
        case '\n': m_out.append("\\n"); break;
        case '\r': m_out.append("\\r"); break;
        case '\t': m_out.append("\\t"); break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                m_out.append("\\u00");
                m_out.push_back(kHex[(c >> 4) & 0xF]);
                m_out.push_back(kHex[c & 0xF]);
            } else {
                m_out.push_back(c);
            }
        }
    }
}

} // namespace lumeria
