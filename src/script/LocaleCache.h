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

} // namespace lumeria
