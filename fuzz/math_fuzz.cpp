// Feeds arbitrary text to the Math command's expression evaluator and to the
// formatting of its result. The first byte picks the locale (the decimal
// separator the evaluator reads and writes) and the number of decimals. Both
// must agree, bit for bit, with the shift-reduce evaluator and the formatting
// they replaced.
#include "ReferenceEvaluators.h"
#include "script/MathEvaluator.h"

#include <QLocale>
#include <QString>

#include <bit>
#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const QLocale c = QLocale::c();
    static const QLocale french(QLocale::French, QLocale::France);
    const QLocale& locale = data[0] & 1 ? french : c;
    // Decimals beyond the 18 significant digits must be handled as well.
    const int decimals = int(data[0] >> 1) % 24 - 2;

    const QString expression = QString::fromLatin1(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const std::optional<double> value = lumeria::evaluateExpression(expression, locale);
    // Every intermediate value is a 6-byte real: an overflow is a failure,
    // never an infinity or a NaN handed to the script.
    if (value && !std::isfinite(*value))
        __builtin_trap();
    const QString text = lumeria::formatMathResult(value, decimals, locale);
    if (!value && text != QLatin1String("Error"))
        __builtin_trap();

    const std::optional<double> former = lumeria::test::shiftReduceExpression(expression, locale);
    if (value.has_value() != former.has_value() ||
        (value && std::bit_cast<uint64_t>(*value) != std::bit_cast<uint64_t>(*former)))
        __builtin_trap();
    if (text != lumeria::test::formerMathText(value, decimals, locale))
        __builtin_trap();
    return 0;
}
