#pragma once

#include <QLocale>

namespace lumeria {

// The system locale, asked for once: building a QLocale::system() queries
// the environment every time, which a script loop would otherwise do on
// every line.
inline const QLocale& systemLocale()
{
    static const QLocale locale = QLocale::system();
    return locale;
}

// The locale's decimal separator; cached for the system locale.
inline QString decimalPointOf(const QLocale& locale)
{
    if (&locale == &systemLocale()) {
        static const QString point = locale.decimalPoint();
        return point;
    }
    return locale.decimalPoint();
}

// The locale's decimal separator when it is one character, else 0; cached
// for the system locale.
inline char16_t decimalPointChar(const QLocale& locale)
{
    auto of = [](const QLocale& l) {
        const QString point = l.decimalPoint();
        return point.size() == 1 ? point[0].unicode() : char16_t(0);
    };
    if (&locale == &systemLocale()) {
        static const char16_t point = of(locale);
        return point;
    }
    return of(locale);
}

} // namespace lumeria
