#include "script/Conversions.h"

#include "document/Effects.h"
#include "script/Real48.h"
#include "script/ScriptText.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>
#include <string_view>

namespace lumeria {

int32_t scriptInteger(const QString& text)
{
    // Spaces count for nothing anywhere in the text: they are stepped over
    // rather than removed from a copy.
    const qsizetype size = text.size();
    qsizetype i = 0;
    auto skipSpaces = [&] {
        while (i < size && text[i] == QLatin1Char(' '))
            ++i;
    };
    skipSpaces();
    bool negative = false;
    if (i < size && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i++] == QLatin1Char('-');
        skipSpaces();
    }
    int base = 10;
    if (i < size && text[i] == QLatin1Char('$')) {
        base = 16;
        ++i;
        skipSpaces();
    }
    if (i == size)
        return 0;
    int64_t value = 0;
    for (; i < size; ++i) {
        const char16_t u = text[i].unicode();
        if (u == ' ')
            continue;
        int d = -1;
        if (u >= '0' && u <= '9')
            d = u - '0';
        else if (base == 16 && u >= 'a' && u <= 'f')
            d = u - 'a' + 10;
        else if (base == 16 && u >= 'A' && u <= 'F')
            d = u - 'A' + 10;
        if (d < 0)
            return 0;
        value = value * base + d;
        if (value > int64_t(std::numeric_limits<int32_t>::max()) + 1)
            return 0;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min())
        return 0;
    return int32_t(value);
}

QString digitsOf(const QString& text)
{
    QString digits;
    for (QChar ch : text) {
        if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9'))
            digits.append(ch);
    }
    return digits;
}

int32_t absoluteInteger(const QString& text)
{
    const int64_t v = scriptInteger(text);
    return int32_t(std::min<int64_t>(v < 0 ? -v : v, std::numeric_limits<int32_t>::max()));
}

namespace {

bool isNumericText(const QString& text, QChar separator)
{
    for (QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('+') && c != QLatin1Char('-') && c != separator &&
            !(c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return false;
    }
    return true;
}

// A decimal conversion of a text already known to hold only spaces, signs,
// digits and the separator: one optional sign, digits with at most one
// separator. Anything else does not convert and reads as 0.
double conditionNumber(const QString& text, QChar separator)
{
    std::string s;
    s.reserve(size_t(text.size()));
    for (QChar c : text) {
        if (c == QLatin1Char(' '))
            continue;
        s.push_back(c == separator ? '.' : char(c.unicode()));
    }
    std::string_view digits = s;
    if (digits.starts_with('+'))
        digits.remove_prefix(1);
    else if (digits.starts_with('-') && digits.size() > 1 && digits[1] == '+')
        return 0;
    if (digits.empty() || digits.find_first_of("+") != std::string_view::npos ||
        digits.find('-', 1) != std::string_view::npos)
        return 0;
    double v = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return 0;
    return toReal48(v).value_or(0);
}

} // namespace

bool evaluateCondition(const QString& left, const QString& op, const QString& right, const QLocale& locale)
{
    static const QString kOperators[] = {QStringLiteral("="), QStringLiteral("<>"), QStringLiteral("<"),
                                         QStringLiteral(">"), QStringLiteral("<="), QStringLiteral(">=")};
    int which = 0;
    for (int i = 0; i < 6; ++i) {
        if (op == kOperators[i]) {
            which = i + 1;
            break;
        }
    }
    if (which == 0)
        return false;
    const QString a = upperCased(left);
    const QString b = upperCased(right);
    if (which == 1)
        return a == b;
    if (which == 2)
        return a != b;

    double l, r;
    const QString separator = decimalPointOf(locale);
    if (separator.size() == 1 && isNumericText(a, separator[0]) && isNumericText(b, separator[0])) {
        l = conditionNumber(a, separator[0]);
        r = conditionNumber(b, separator[0]);
    } else {
        l = double(a.size());
        r = double(b.size());
    }
    switch (which) {
    case 3: return l < r;
    case 4: return l > r;
    case 5: return l <= r;
    default: return l >= r;
    }
}

MediaMode mediaMode(const QString& text)
{
    const QString upper = text.toUpper();
    if (upper.contains(QLatin1String("LOOP")))
        return MediaMode::Loop;
    if (upper.contains(QLatin1String("WAIT")))
        return MediaMode::Wait;
    return MediaMode::Start;
}

uint8_t fontStyleBits(const QString& text)
{
    const QString upper = text.toUpper();
    uint8_t bits = 0;
    const char* words[] = {"BOLD", "ITALIC", "UNDERLINE", "STRIKEOUT"};
    for (int i = 0; i < 4; ++i) {
        if (upper.contains(QLatin1String(words[i])))
            bits |= uint8_t(1 << i);
    }
    return bits;
}

// A text that only begins with an effect's name is that effect ("Wipe
// Downward" is Wipe Down), and the whole table is always scanned, so the
// last name that matches wins: an effect name with words after it keeps
// working as it always has.
int effectNumber(const QString& text)
{
    const QString upper = text.toUpper();
    int chosen = 0;
    for (size_t i = 1; i < kEffectNames.size(); ++i) {
        const QString name = QString::fromLatin1(kEffectNames[i].data(), qsizetype(kEffectNames[i].size())).toUpper();
        if (upper.startsWith(name))
            chosen = int(i);
    }
    return chosen;
}

QString withLineBreaks(QString text)
{
    return text.replace(QLatin1Char('|'), QLatin1Char('\r'));
}

} // namespace lumeria
