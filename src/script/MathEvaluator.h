#pragma once

#include "script/LocaleCache.h"

#include <QLocale>
#include <QString>
#include <QVarLengthArray>

#include <optional>

namespace lumeria {

// Evaluates an arithmetic expression: + - * / ^ (right-associative), unary
// minus, parentheses, numbers with an optional exponent and the functions
// ABS ATAN COS EXP LN ROUND SIN SQRT SQR TRUNC FRAC. An expression that the
// original shift-reduce parser could only take with more than 20 entries on
// its stack fails; every intermediate value is held as a 6-byte real.
// Nothing on any failure (syntax, stack depth, domain or range).
std::optional<double> evaluateExpression(QStringView expression, const QLocale& locale = systemLocale());

// The Math command's result text: the value with exactly `decimals` digits
// after the locale's separator, at most 18 significant digits, no thousands
// separators; "Error" when there is no value.
QString formatMathResult(std::optional<double> value, int decimals, const QLocale& locale = systemLocale());
// The same into a buffer, for a caller that writes it where the previous
// result was instead of making a new text.
using MathText = QVarLengthArray<char16_t, 64>;
void formatMathResult(std::optional<double> value, int decimals, MathText& out, const QLocale& locale = systemLocale());

} // namespace lumeria
