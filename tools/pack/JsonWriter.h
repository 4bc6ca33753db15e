#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumeria {

// A streaming JSON writer: a dump of the largest publication holds millions
// of values, more than a DOM is worth building. Objects put one member on a
// line; arrays of numbers stay on one line.
class JsonWriter {
public:
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

private:
    void beforeValue();
    void newline();
    void appendEscaped(std::string_view utf8);

    struct Level {
        bool isObject;
        bool empty = true;
    };
    std::string m_out;
    std::vector<Level> m_levels;
    bool m_afterKey = false;
};

} // namespace lumeria
