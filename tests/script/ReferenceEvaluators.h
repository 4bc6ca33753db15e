#pragma once

// Evaluators the script engine used before faster ones replaced them. They
// are slow but plain, so the tests hold the fast ones to them, value for
// value and failure for failure.

#include <QLocale>
#include <QString>

#include <optional>

namespace lumeria::test {

// Math: SLR(1) tables built from the grammar at start, a value stack of 20
// entries.
std::optional<double> shiftReduceExpression(const QString& expression, const QLocale& locale);

// Actions that overwrote another while the tables were built: 0 for a grammar
// that SLR(1) parses.
int shiftReduceConflicts();

// The Math result text.
QString formerMathText(std::optional<double> value, int decimals, const QLocale& locale);

// The IF and WHILE test, on upper-cased copies of its texts.
bool formerCondition(const QString& left, const QString& op, const QString& right, const QLocale& locale);

} // namespace lumeria::test
