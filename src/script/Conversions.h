#pragma once

#include "script/LocaleCache.h"
#include "script/MediaHost.h"

#include <QLocale>
#include <QString>

#include <cstdint>

namespace lumeria {

// A number argument: every space removed, then a decimal integer (an optional
// sign; '$' hexadecimal, which publications' numbers may use); anything
// else, or a value outside 32 bits, is 0.
int32_t scriptInteger(const QString& text);

// The digits of a text, in order, everything else dropped: sizes and scales
// are written "36pt" or "400%", and only their number counts.
QString digitsOf(const QString& text);

// The absolute value of a number argument, kept within 32 bits.
int32_t absoluteInteger(const QString& text);

// The IF and WHILE test. "=" and "<>" compare the upper-cased texts; the
// other four compare numbers when both sides are made of spaces, signs,
// digits and the locale's decimal separator only, else the texts' lengths.
// An unknown operator is false.
bool evaluateCondition(QStringView left, QStringView op, QStringView right, const QLocale& locale = systemLocale());

// LOOP anywhere in the argument repeats, else WAIT waits, else play and return.
MediaMode mediaMode(const QString& text);

// The style words BOLD, ITALIC, UNDERLINE, STRIKEOUT anywhere in the text, as
// style bits 1, 2, 4, 8.
uint8_t fontStyleBits(const QString& text);

// The transition named at the start of the text: of the effect names after
// "None", the last one the upper-cased text begins with; 0 when none does.
int effectNumber(const QString& text);

// Balloon and sticky-note texts break lines at '|'.
QString withLineBreaks(QString text);

} // namespace lumeria
