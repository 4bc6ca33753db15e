#pragma once

#include <QString>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace lumeria {

// A streaming JSON writer: a dump of the largest publication holds millions
// of values, more than a DOM is worth building. Objects put one member on a
// line; arrays of numbers stay on one line.
class JsonWriter {
public:
    // Without a stream the text collects in text(); with one it is written
    // out as it grows, so a dump never holds its whole output in memory.
    explicit JsonWriter(std::FILE* stream = nullptr) : m_stream(stream) {}
    ~JsonWriter() { flush(); }
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(std::string_view name);

    void value(int64_t v);
    void value(bool v);
    void value(const QString& v);
    void value(std::string_view v);

    const std::string& text() const { return m_out; }
    // False once writing to the stream failed.
    bool flush();

private:
    void beforeValue();
    void newline();
    void appendEscaped(std::string_view utf8);
    void maybeFlush()
    {
        if (m_stream && m_out.size() >= kFlushSize)
            flush();
    }

    static constexpr size_t kFlushSize = 1 << 16;

    struct Level {
        bool isObject;
        bool empty = true;
    };
    std::FILE* m_stream = nullptr;
    bool m_failed = false;
    std::string m_out;
    std::vector<Level> m_levels;
    bool m_afterKey = false;
};

} // namespace lumeria
