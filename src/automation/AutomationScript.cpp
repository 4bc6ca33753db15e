#include "automation/AutomationScript.h"

#include <QFile>
#include <QRegularExpression>

#include <array>
#include <optional>

namespace lumeria {

namespace {

enum class Arguments {
    Point,     // two integers
    Key,       // a name and modifiers
    Rest,      // the rest of the line, kept as written
    RestName,  // the rest of the line, trimmed
    NameValue, // a name, then the rest of the line as written
    Count,     // one integer >= 0
    None,
};

struct VerbInfo {
    AutomationVerb verb;
    const char* name;
    Arguments arguments;
    const char* usage;
};

constexpr std::array kVerbs{
    VerbInfo{AutomationVerb::Click, "click", Arguments::Point, "click X Y"},
    VerbInfo{AutomationVerb::Press, "press", Arguments::Point, "press X Y"},
    VerbInfo{AutomationVerb::Release, "release", Arguments::Point, "release X Y"},
    VerbInfo{AutomationVerb::Move, "move", Arguments::Point, "move X Y"},
    VerbInfo{AutomationVerb::Key, "key", Arguments::Key, "key NAME [shift] [ctrl] [alt]"},
    VerbInfo{AutomationVerb::Type, "type", Arguments::Rest, "type TEXT"},
    VerbInfo{AutomationVerb::Wait, "wait", Arguments::Count, "wait MS"},
    VerbInfo{AutomationVerb::ExpectPage, "expect-page", Arguments::RestName, "expect-page NAME"},
    VerbInfo{AutomationVerb::ExpectVar, "expect-var", Arguments::NameValue, "expect-var NAME VALUE"},
    VerbInfo{AutomationVerb::WaitVar, "wait-var", Arguments::NameValue, "wait-var NAME VALUE"},
    VerbInfo{AutomationVerb::ExpectMedia, "expect-media", Arguments::RestName, "expect-media NAME... | none"},
    VerbInfo{AutomationVerb::DumpVars, "dump-vars", Arguments::RestName, "dump-vars FILE"},
    VerbInfo{AutomationVerb::Screenshot, "screenshot", Arguments::RestName, "screenshot FILE"},
    VerbInfo{AutomationVerb::ScreenshotScreen, "screenshot-screen", Arguments::RestName, "screenshot-screen FILE"},
    VerbInfo{AutomationVerb::Mci, "mci", Arguments::RestName, "mci COMMAND"},
    VerbInfo{AutomationVerb::Answer, "answer", Arguments::Count, "answer N|reader"},
    VerbInfo{AutomationVerb::Quit, "quit", Arguments::None, "quit"},
};

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Splits a line into its leading word and what follows the blanks after it.
struct Cut {
    QString word;
    QString rest;
};

Cut cutWord(const QString& text)
{
    qsizetype end = 0;
    while (end < text.size() && !isBlank(text.at(end))) {
        ++end;
    }
    qsizetype restStart = end;
    while (restStart < text.size() && isBlank(text.at(restStart))) {
        ++restStart;
    }
    return {text.left(end), text.mid(restStart)};
}

QStringList words(const QString& text)
{
    return text.split(QRegularExpression(QStringLiteral("[ \t]+")), Qt::SkipEmptyParts);
}

std::optional<int> integer(const QString& word)
{
    bool ok = false;
    const int value = word.toInt(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

// Returns the reason a line is bad, or nothing when command was filled in.
std::optional<QString> parseArguments(const VerbInfo& info, const QString& rest, AutomationCommand& command)
{
    const QString usage = QStringLiteral("usage: %1").arg(QLatin1String(info.usage));
    switch (info.arguments) {
    case Arguments::Point: {
        const QStringList parts = words(rest);
        if (parts.size() != 2) {
            return QStringLiteral("%1 needs 2 numbers, got %2 arguments (%3)")
                .arg(QLatin1String(info.name))
                .arg(parts.size())
                .arg(usage);
        }
        const auto x = integer(parts.at(0));
        const auto y = integer(parts.at(1));
        if (!x || !y) {
            return QStringLiteral("'%1' is not a whole number (%2)").arg(!x ? parts.at(0) : parts.at(1), usage);
        }
        command.x = *x;
        command.y = *y;
        return std::nullopt;
    }
    case Arguments::Key: {
        const QStringList parts = words(rest);
        if (parts.isEmpty()) {
            return QStringLiteral("key needs a key name (%1)").arg(usage);
        }
        command.text = parts.first();
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const QString modifier = parts.at(i).toLower();
            Qt::KeyboardModifier bit;
            if (modifier == QLatin1String("shift")) {
                bit = Qt::ShiftModifier;
            } else if (modifier == QLatin1String("ctrl")) {
                bit = Qt::ControlModifier;
            } else if (modifier == QLatin1String("alt")) {
                bit = Qt::AltModifier;
            } else {
                return QStringLiteral("unknown modifier '%1' (%2)").arg(parts.at(i), usage);
            }
            command.modifiers |= bit;
        }
        return std::nullopt;
    }
    case Arguments::Rest:
        if (rest.isEmpty()) {
            return QStringLiteral("%1 needs text (%2)").arg(QLatin1String(info.name), usage);
        }
        command.text = rest;
        return std::nullopt;
    case Arguments::RestName:
        command.text = rest.trimmed();
        if (command.text.isEmpty()) {
            return QStringLiteral("%1 needs a name (%2)").arg(QLatin1String(info.name), usage);
        }
        return std::nullopt;
    case Arguments::NameValue: {
        const Cut cut = cutWord(rest);
        if (cut.word.isEmpty()) {
            return QStringLiteral("%1 needs a variable name (%2)").arg(QLatin1String(info.name), usage);
        }
        command.text = cut.word;
        command.value = cut.rest;
        return std::nullopt;
    }
    case Arguments::Count: {
        const QStringList parts = words(rest);
        if (info.verb == AutomationVerb::Answer && parts.size() == 1 && parts.first() == QLatin1String("reader")) {
            command.number = kReaderAnswers;
            return std::nullopt;
        }
        if (parts.size() != 1) {
            return QStringLiteral("%1 needs 1 number, got %2 arguments (%3)")
                .arg(QLatin1String(info.name))
                .arg(parts.size())
                .arg(usage);
        }
        const auto number = integer(parts.first());
        if (!number || *number < 0) {
            return QStringLiteral("'%1' is not a whole number of 0 or more (%2)").arg(parts.first(), usage);
        }
        command.number = *number;
        return std::nullopt;
    }
    case Arguments::None:
        if (!rest.trimmed().isEmpty()) {
            return QStringLiteral("%1 takes no arguments").arg(QLatin1String(info.name));
        }
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

ParseResult<AutomationScript> parseAutomationScript(const QString& text)
{
    AutomationScript script;
    // Files written on Windows end their lines in CR LF; the CR must not
    // become part of a typed text or an expected value.
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype index = 0; index < lines.size(); ++index) {
        QString line = lines.at(index);
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        qsizetype start = 0;
        while (start < line.size() && isBlank(line.at(start))) {
            ++start;
        }
        if (start == line.size() || line.at(start) == QLatin1Char('#')) {
            continue;
        }
        const int lineNumber = static_cast<int>(index) + 1;
        const Cut cut = cutWord(line.mid(start));
        const VerbInfo* info = nullptr;
        for (const VerbInfo& candidate : kVerbs) {
            if (cut.word.compare(QLatin1String(candidate.name), Qt::CaseInsensitive) == 0) {
                info = &candidate;
                break;
            }
        }
        if (!info) {
            return ParseError{QStringLiteral("line %1: unknown command '%2'").arg(lineNumber).arg(cut.word)};
        }
        AutomationCommand command;
        command.verb = info->verb;
        command.line = lineNumber;
        if (auto reason = parseArguments(*info, cut.rest, command)) {
            return ParseError{QStringLiteral("line %1: %2").arg(lineNumber).arg(*reason)};
        }
        script.push_back(std::move(command));
    }
    return script;
}

ParseResult<AutomationScript> readAutomationScript(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return ParseError{QStringLiteral("cannot read automation file '%1': %2").arg(path, file.errorString())};
    }
    return parseAutomationScript(QString::fromUtf8(file.readAll()));
}

} // namespace lumeria
