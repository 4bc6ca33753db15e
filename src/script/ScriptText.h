#pragma once

#include "script/CommandTable.h"
#include "script/Substitution.h"

#include <QString>

#include <array>
#include <vector>

namespace lumeria {

struct ScriptArguments {
    std::array<QString, 8> values;
    int count = 0; // complete arguments: those whose closing quote is there
};

// What a line that is not a command is, decided once per script.
enum class LineKind : uint8_t { Command, Label, Comment, Else, EndIf, EndWhile, Blank, Unknown };

// One counted item of a script, with the command it starts with looked up
// once, since loops read the same lines many times.
struct ScriptLine {
    QString text;
    Command command = Command::None;
    LineKind kind = LineKind::Unknown;
    ScriptArguments arguments; // as written, before substitution
    bool countOk = true;       // the command's exact count of arguments is there
    // Worked out once per line, since only the variables' values change
    // from one run of it to the next: how each argument with a '[' is
    // substituted (-1: it is taken as written), and the result variable's
    // name as the store keeps it and as its listeners hear it.
    std::array<int8_t, 8> planOf{-1, -1, -1, -1, -1, -1, -1, -1};
    std::vector<SubstitutionPlan> plans;
    VariableName result;
};

// A script cut into its lines: items separated by '|' outside double quotes;
// empty items and items starting with '.' are comments, not lines.
class ScriptText {
public:
    explicit ScriptText(const QString& script);

    int lineCount() const { return int(m_lines.size()); }
    // Line n, counted from 1; nullptr outside 1..lineCount().
    const ScriptLine* line(int n) const { return n >= 1 && n <= lineCount() ? &m_lines[size_t(n - 1)] : nullptr; }

private:
    std::vector<ScriptLine> m_lines;
};

// Argument i is the text between the (2i-1)-th and 2i-th double quote; at
// most 8 are read.
ScriptArguments extractArguments(const QString& line);

// Upper case one character for one, as Windows' ANSI upper-casing does:
// no letter turns into two, so lengths stay what the author saw.
QString upperCased(const QString& text);
inline QChar upperCasedChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 128)
        return u >= 'a' && u <= 'z' ? QChar(char16_t(u - 32)) : c;
    return c.toUpper();
}

// The runtime's Trim: drops every character up to and including the space
// from both ends.
QString trimmed(const QString& text);

} // namespace lumeria
