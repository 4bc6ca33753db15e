#include "script/ScriptText.h"

namespace lumeria {

namespace {

LineKind kindOf(const ScriptLine& line)
{
    if (line.command != Command::None)
        return LineKind::Command;
    const QString t = trimmed(line.text);
    if (t.isEmpty())
        return LineKind::Blank;
    if (t.front() == QLatin1Char(':'))
        return LineKind::Label;
    if (t.front() == QLatin1Char('.'))
        return LineKind::Comment;
    // Keywords are prefixes: whatever follows them is ignored.
    if (t.startsWith(QLatin1String("ELSE"), Qt::CaseInsensitive))
        return LineKind::Else;
    if (t.startsWith(QLatin1String("ENDIF"), Qt::CaseInsensitive))
        return LineKind::EndIf;
    if (t.startsWith(QLatin1String("ENDWHILE"), Qt::CaseInsensitive))
        return LineKind::EndWhile;
    return LineKind::Unknown;
}

void prepareArguments(ScriptLine& line)
{
    line.arguments = extractArguments(line.text);
    const CommandInfo& info = commandInfo(line.command);
    if (info.args < 0)
        return;
    line.countOk = line.arguments.count == info.args;
    for (int i = 0; i < line.arguments.count; ++i) {
        const QString& value = line.arguments.values[size_t(i)];
        if (i + 1 == info.resultArg) {
            line.result = VariableName(value);
        } else if (value.contains(QLatin1Char('['))) {
            line.planOf[size_t(i)] = int8_t(line.plans.size());
            line.plans.emplace_back(value);
        }
    }
}

} // namespace

ScriptText::ScriptText(const QString& script)
{
    qsizetype start = 0;
    bool inQuotes = false;
    auto addItem = [&](qsizetype end) {
        const QStringView item = QStringView(script).mid(start, end - start);
        if (item.isEmpty() || item.front() == QLatin1Char('.'))
            return;
        ScriptLine line;
        line.text = item.toString();
        line.command = lookupCommand(line.text);
        line.kind = kindOf(line);
        if (line.command != Command::None)
            prepareArguments(line);
        m_lines.push_back(std::move(line));
    };
    for (qsizetype i = 0; i < script.size(); ++i) {
        const QChar c = script[i];
        if (c == QLatin1Char('"')) {
            inQuotes = !inQuotes;
        } else if (c == QLatin1Char('|') && !inQuotes) {
            addItem(i);
            start = i + 1;
        }
    }
    addItem(script.size());
}

ScriptArguments extractArguments(const QString& line)
{
    ScriptArguments args;
    qsizetype pos = 0;
    while (args.count < int(args.values.size())) {
        const qsizetype open = line.indexOf(QLatin1Char('"'), pos);
        if (open < 0)
            break;
        const qsizetype close = line.indexOf(QLatin1Char('"'), open + 1);
        if (close < 0)
            break;
        args.values[size_t(args.count++)] = line.mid(open + 1, close - open - 1);
        pos = close + 1;
    }
    return args;
}

QString upperCased(const QString& text)
{
    // Most texts that reach here (numbers, names written in capitals) are
    // upper case already: those are shared, not copied.
    const auto upper = upperCasedChar;
    qsizetype i = 0;
    while (i < text.size() && upper(text[i]) == text[i])
        ++i;
    if (i == text.size())
        return text;
    QString out = text;
    QChar* data = out.data();
    for (; i < out.size(); ++i)
        data[i] = upper(data[i]);
    return out;
}

QString trimmed(const QString& text)
{
    qsizetype first = 0, last = text.size();
    while (first < last && text[first].unicode() <= ' ')
        ++first;
    while (last > first && text[last - 1].unicode() <= ' ')
        --last;
    return text.mid(first, last - first);
}

} // namespace lumeria
