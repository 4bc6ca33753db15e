#include "script/Substitution.h"

#include "platform/FileIo.h"

#include <array>

namespace lumeria {

namespace {

enum class Builtin { PageTitle, PageNumber, Time, DateShort, DateLong, Month, MonthNum, Day, DayNum, Year, P };

constexpr std::array<std::pair<const char*, Builtin>, 11> kBuiltins = {{
    {"PAGETITLE", Builtin::PageTitle},
    {"PAGENUMBER", Builtin::PageNumber},
    {"TIME", Builtin::Time},
    {"DATESHORT", Builtin::DateShort},
    {"DATELONG", Builtin::DateLong},
    {"MONTH", Builtin::Month},
    {"MONTHNUM", Builtin::MonthNum},
    {"DAY", Builtin::Day},
    {"DAYNUM", Builtin::DayNum},
    {"YEAR", Builtin::Year},
    {"P", Builtin::P},
}};

// "h:nn:ss ampm": 12-hour clock without a leading zero, then the locale's
// morning or afternoon marker.
QString timeText(const QTime& t, const QLocale& locale)
{
    int hour = t.hour() % 12;
    if (hour == 0)
        hour = 12;
    const QString marker = t.hour() < 12 ? locale.amText() : locale.pmText();
    return QStringLiteral("%1:%2:%3 %4")
        .arg(hour)
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'))
        .arg(marker);
}

bool hasDoubledBracket(QStringView text)
{
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text[i] == text[i - 1] && (text[i] == u'[' || text[i] == u']'))
            return true;
    }
    return false;
}

// Removes one character of every doubled bracket pair, repeatedly, so that
// "[[[[" becomes "[": the reduction runs until no pair is left.
void reduceDoubledBrackets(QString& text)
{
    // Most texts hold no bracket at all once substituted: one look decides.
    if (!hasDoubledBracket(text))
        return;
    for (const char* pair : {"[[", "]]"}) {
        const QLatin1String doubled(pair, 2);
        const QLatin1String single(pair, 1);
        while (text.contains(doubled))
            text.replace(doubled, single);
    }
}

} // namespace

std::optional<QString> builtinValue(const QString& name, const BuiltinValues& builtins,
                                    std::optional<QDateTime>& dateTime)
{
    for (const auto& [text, which] : kBuiltins) {
        if (name.compare(QLatin1String(text), Qt::CaseInsensitive) != 0)
            continue;
        if (which == Builtin::PageTitle)
            return builtins.pageTitle();
        if (which == Builtin::PageNumber || which == Builtin::P)
            return builtins.pageNumber();
        if (!dateTime)
            dateTime = builtins.now();
        const QLocale locale = builtins.locale();
        const QDate d = dateTime->date();
        switch (which) {
        case Builtin::Time: return timeText(dateTime->time(), locale);
        case Builtin::DateShort: return locale.toString(d, QLocale::ShortFormat);
        case Builtin::DateLong: return locale.toString(d, QLocale::LongFormat);
        case Builtin::Month: return locale.monthName(d.month(), QLocale::LongFormat);
        case Builtin::MonthNum: return QString::number(d.month());
        case Builtin::Day: return locale.dayName(d.dayOfWeek(), QLocale::LongFormat);
        case Builtin::DayNum: return QString::number(d.day());
        case Builtin::Year: return QString::number(d.year());
        default: break;
        }
    }
    return std::nullopt;
}

QString substitute(const QString& text, const Variables& variables, const BuiltinValues& builtins,
                   SubstitutionMode mode)
{
    std::optional<QDateTime> clock;
    QString t = text;
    bool open = false;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i <= t.size()) {
        const bool atEnd = i == t.size();
        const QChar c = atEnd ? QChar() : t[i];
        if (!atEnd && c == QLatin1Char('[') && (i == 0 || t[i - 1] != QLatin1Char('['))) {
            // Opens a reference, or moves the start of the open one inward.
            open = true;
            start = i;
            ++i;
            continue;
        }
        if (open && (atEnd || c == QLatin1Char(']'))) {
            const QString name = t.mid(start + 1, i - start - 1);
            QString value = variables.get(name);
            if (value.isEmpty()) {
                if (auto builtin = builtinValue(name, builtins, clock))
                    value = *builtin;
            }
            if (value.isEmpty() && mode == SubstitutionMode::Numeric)
                value = QStringLiteral("0");
            const qsizetype removed = (atEnd ? i : i + 1) - start;
            if (t.size() - removed + value.size() > limits::kTextLength)
                throw LimitExceeded();
            t.replace(start, removed, value);
            i = start + value.size();
            open = false;
            continue;
        }
        if (atEnd)
            break;
        ++i;
    }
    reduceDoubledBrackets(t);
    return t;
}

SubstitutionPlan::SubstitutionPlan(const QString& text) : m_text(text)
{
    if (text.contains(QLatin1String("]["))) {
        m_general = true;
        return;
    }
    // The scan of substitute(), over the text as written: with no '['
    // right after a ']', every character it looks back at is the text's own.
    auto literal = [&](qsizetype from, qsizetype to) {
        if (to > from)
            m_pieces.push_back({from, to - from, false, {}, {}});
    };
    const qsizetype size = text.size();
    bool open = false;
    qsizetype start = 0;
    qsizetype literalStart = 0;
    for (qsizetype i = 0; i <= size; ++i) {
        const bool atEnd = i == size;
        const QChar c = atEnd ? QChar() : text[i];
        if (!atEnd && c == QLatin1Char('[') && (i == 0 || text[i - 1] != QLatin1Char('['))) {
            open = true;
            start = i;
            continue;
        }
        if (open && (atEnd || c == QLatin1Char(']'))) {
            literal(literalStart, start);
            const QString name = text.mid(start + 1, i - start - 1);
            m_pieces.push_back({0, 0, true, name, VariableName(name)});
            literalStart = i + 1;
            open = false;
        }
    }
    literal(literalStart, size);
}

QString SubstitutionPlan::valueOf(const Piece& piece, const Variables& variables, const BuiltinValues& builtins,
                                  SubstitutionMode mode, std::optional<QDateTime>& clock) const
{
    const QString* stored = variables.find(piece.variable);
    QString value = stored ? *stored : QString();
    if (value.isEmpty()) {
        if (auto builtin = builtinValue(piece.name, builtins, clock))
            value = std::move(*builtin);
    }
    if (value.isEmpty() && mode == SubstitutionMode::Numeric)
        value = QStringLiteral("0");
    return value;
}

QString SubstitutionPlan::apply(const Variables& variables, const BuiltinValues& builtins, SubstitutionMode mode) const
{
    if (m_general)
        return substitute(m_text, variables, builtins, mode);
    std::optional<QDateTime> clock;
    QString out;
    if (m_pieces.size() == 1 && m_pieces.front().reference) {
        out = valueOf(m_pieces.front(), variables, builtins, mode, clock); // shared with the store, not copied
    } else {
        Buffer text;
        appendPieces(text, variables, builtins, mode, clock);
        if (!text.isEmpty()) // else null, as nothing appended to nothing was
            out = QString(reinterpret_cast<const QChar*>(text.constData()), text.size());
    }
    reduceDoubledBrackets(out);
    return out;
}

QStringView SubstitutionPlan::view(const Variables& variables, const BuiltinValues& builtins, SubstitutionMode mode,
                                   QString& storage) const
{
    if (!m_general && m_pieces.size() == 1 && m_pieces.front().reference) {
        const QString* stored = variables.find(m_pieces.front().variable);
        if (stored && !stored->isEmpty() && !hasDoubledBracket(*stored))
            return *stored;
    }
    storage = apply(variables, builtins, mode);
    return storage;
}

bool SubstitutionPlan::appendUnreduced(Buffer& out, const Variables& variables, const BuiltinValues& builtins,
                                       SubstitutionMode mode) const
{
    if (m_general)
        return false;
    std::optional<QDateTime> clock;
    appendPieces(out, variables, builtins, mode, clock);
    return true;
}

void SubstitutionPlan::appendPieces(Buffer& out, const Variables& variables, const BuiltinValues& builtins,
                                    SubstitutionMode mode, std::optional<QDateTime>& clock) const
{
    // A text that names a long value many times must not grow past what a
    // variable may hold.
    const auto append = [&out](const char16_t* data, qsizetype size) {
        if (out.size() + size > limits::kTextLength)
            throw LimitExceeded();
        out.append(data, size);
    };
    for (const Piece& piece : m_pieces) {
        if (!piece.reference) {
            append(QStringView(m_text).utf16() + piece.from, piece.length);
            continue;
        }
        // Read where it is stored: no copy of the value is made.
        if (const QString* stored = variables.find(piece.variable); stored && !stored->isEmpty()) {
            append(QStringView(*stored).utf16(), stored->size());
            continue;
        }
        const QString value = valueOf(piece, variables, builtins, mode, clock);
        append(QStringView(value).utf16(), value.size());
    }
}

} // namespace lumeria
