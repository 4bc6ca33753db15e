#include "script/Substitution.h"

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

// Removes one character of every doubled bracket pair, repeatedly, so that
// "[[[[" becomes "[": the reduction runs until no pair is left.
void reduceDoubledBrackets(QString& text)
{
    for (QLatin1Char c : {QLatin1Char('['), QLatin1Char(']')}) {
        const QString pair(2, c);
        while (text.contains(pair))
            text.replace(pair, QString(c));
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

} // namespace lumeria
