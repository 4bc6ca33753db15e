#include "script/Conversions.h"

#include "document/Effects.h"
#include "script/Real48.h"
#include "script/ScriptText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <optional>
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

// Whether the upper-cased text holds only spaces, signs, digits and the
// separator.
bool isNumericText(QStringView text, char16_t separator)
{
    for (QChar c : text) {
        const char16_t u = upperCasedChar(c).unicode();
        if (u != ' ' && u != '+' && u != '-' && u != separator && !(u >= '0' && u <= '9'))
            return false;
    }
    return true;
}

// A decimal conversion of a text already known to hold only spaces, signs,
// digits and the separator: one optional sign, digits with at most one
// separator. Anything else does not convert and reads as 0.
double conditionNumber(QStringView text, char16_t separator)
{
    // Spaces are dropped and the separator reads as a point; a number in a
    // condition is short, so this stays on the stack.
    std::array<char, 64> small;
    std::string large;
    char* out = small.data();
    if (text.size() > qsizetype(small.size())) {
        large.resize(size_t(text.size()));
        out = large.data();
    }
    // Most are whole numbers with at most a sign in front: seen on the way.
    size_t n = 0;
    bool whole = true;
    for (QChar c : text) {
        const char16_t u = upperCasedChar(c).unicode();
        if (u == ' ')
            continue;
        if (!(u >= '0' && u <= '9') && (n > 0 || (u != '+' && u != '-')))
            whole = false;
        out[n++] = u == separator ? '.' : char(u);
    }
    std::string_view digits(out, n);
    if (whole) {
        const bool negative = digits.starts_with('-');
        const std::string_view magnitude =
            digits.empty() || (digits[0] >= '0' && digits[0] <= '9') ? digits : digits.substr(1);
        // Up to 15 digits an integer is exact in a double: what the decimal
        // conversion below gives, without its cost. A lone sign is no number.
        if (magnitude.empty())
            return 0;
        if (magnitude.size() <= 15) {
            int64_t value = 0;
            for (char c : magnitude)
                value = value * 10 + (c - '0');
            return toReal48(negative ? -double(value) : double(value)).value_or(0);
        }
    }
    if (digits.starts_with('+'))
        digits.remove_prefix(1);
    else if (digits.starts_with("-+"))
        return 0;
    if (digits.empty() || digits.find('+') != std::string_view::npos || digits.find('-', 1) != std::string_view::npos)
        return 0;
    double v = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return 0;
    return toReal48(v).value_or(0);
}

// A side made of spaces, at most one sign before its first digit, and up to
// 15 digits, as most sides are, read in one pass: such a side is numeric
// text, and its value is what conditionNumber gives. Nothing otherwise.
std::optional<double> plainInteger(QStringView text)
{
    int64_t value = 0;
    int digits = 0;
    bool sign = false;
    bool negative = false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == ' ')
            continue;
        if (u >= '0' && u <= '9') {
            if (++digits > 15)
                return std::nullopt;
            value = value * 10 + (u - '0');
        } else if ((u == '+' || u == '-') && digits == 0 && !sign) {
            sign = true;
            negative = u == '-';
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return 0.0; // a lone sign, or nothing
    return toReal48(negative ? -double(value) : double(value)).value_or(0);
}

bool equalUpperCased(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && upperCasedChar(a[i]) != upperCasedChar(b[i]))
            return false;
    }
    return true;
}

} // namespace

bool evaluateCondition(QStringView left, QStringView op, QStringView right, const QLocale& locale)
{
    static constexpr std::array<std::u16string_view, 6> kOperators = {u"=", u"<>", u"<", u">", u"<=", u">="};
    const std::u16string_view given(op.utf16(), size_t(op.size()));
    int which = 0;
    for (int i = 0; i < 6; ++i) {
        if (given == kOperators[size_t(i)]) {
            which = i + 1;
            break;
        }
    }
    if (which == 0)
        return false;
    // The texts compare upper-cased, one character for one, so the lengths
    // are those of the texts as given.
    if (which == 1)
        return equalUpperCased(left, right);
    if (which == 2)
        return !equalUpperCased(left, right);

    double l, r;
    const char16_t point = decimalPointChar(locale); // 0: not one character
    const std::optional<double> plainLeft = point != 0 ? plainInteger(left) : std::nullopt;
    const std::optional<double> plainRight = plainLeft ? plainInteger(right) : std::nullopt;
    if (plainRight) {
        l = *plainLeft;
        r = *plainRight;
    } else if (point != 0 && isNumericText(left, point) && isNumericText(right, point)) {
        l = conditionNumber(left, point);
        r = conditionNumber(right, point);
    } else {
        l = double(left.size());
        r = double(right.size());
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
