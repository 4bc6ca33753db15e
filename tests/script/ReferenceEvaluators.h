#pragma once

// The shift-reduce evaluator Math used before its direct evaluator: SLR(1)
// tables built from the grammar at start, a value stack of 20 entries. It is
// slow but plainly follows the grammar, so the tests hold the fast evaluator
// to it, value for value and failure for failure.

#include <QLocale>
#include <QString>

#include <optional>

namespace lumeria::test {

std::optional<double> shiftReduceExpression(const QString& expression, const QLocale& locale);

// Actions that overwrote another while the tables were built: 0 for a grammar
// that SLR(1) parses.
int shiftReduceConflicts();

} // namespace lumeria::test
