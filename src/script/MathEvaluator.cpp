#include "script/MathEvaluator.h"

#include "script/Real48.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace lumeria {

namespace {

// ---- Grammar -------------------------------------------------------------
//
//   E -> E + T | E - T | T        (left-associative)
//   T -> T * F | T / F | F
//   F -> O ^ F | O                (right-associative)
//   O -> - P | P
//   P -> number | ( E ) | function ( E )
//
// Publications were evaluated by a shift-reduce parser whose stack holds at
// most 20 entries; an expression that needs more is an error. The evaluator
// below descends the grammar directly and counts, at every token it takes,
// the entries that parser would hold at the same moment: the start entry,
// plus for each production under way the symbols it has taken so far (the
// left operand and its operator, a function name and its parenthesis...).
// Each operand is reduced before the next operator is taken, exactly as the
// parser reduces on its look-ahead, so the counts agree token for token.
// Every value a production computes is held as a 6-byte real; what a unit
// production or parentheses pass on is held already.

enum class Token : uint8_t { Plus, Minus, Times, Divide, Power, Open, Close, Number, Function, End, Bad };

enum class Function : uint8_t { Abs, Atan, Cos, Exp, Ln, Round, Sin, Sqrt, Sqr, Trunc, Frac };

// Tried in this order as prefixes, so SQRT must come before SQR.
constexpr std::array<std::pair<std::string_view, Function>, 11> kFunctions = {{
    {"ABS", Function::Abs},
    {"ATAN", Function::Atan},
    {"COS", Function::Cos},
    {"EXP", Function::Exp},
    {"LN", Function::Ln},
    {"ROUND", Function::Round},
    {"SIN", Function::Sin},
    {"SQRT", Function::Sqrt},
    {"SQR", Function::Sqr},
    {"TRUNC", Function::Trunc},
    {"FRAC", Function::Frac},
}};

constexpr int kMaxStack = 20;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::optional<double> apply(Function f, double x)
{
    switch (f) {
    case Function::Abs: return std::fabs(x);
    case Function::Atan: return std::atan(x);
    case Function::Cos: return std::cos(x);
    case Function::Sin: return std::sin(x);
    case Function::Exp:
        if (x < -88 || x > 88)
            return std::nullopt;
        return std::exp(x);
    case Function::Ln:
        if (x <= 0)
            return std::nullopt;
        return std::log(x);
    case Function::Sqrt:
        if (x < 0)
            return std::nullopt;
        return std::sqrt(x);
    case Function::Sqr:
        if (x < -1e18 || x > 1e18)
            return std::nullopt;
        return x * x;
    case Function::Round:
    case Function::Trunc:
    case Function::Frac:
        if (x < -1e9 || x > 1e9)
            return std::nullopt;
        // Exact halves round to even: banker's rounding, as publications expect.
        if (f == Function::Round)
            return std::nearbyint(x);
        if (f == Function::Trunc)
            return std::trunc(x);
        return x - std::trunc(x);
    }
    return std::nullopt;
}

class Evaluator {
public:
    // The text is read upper-cased, with the locale's one-character decimal
    // separator read as a point; anything outside ASCII cannot be part of a
    // valid expression and reads as a character no token starts with.
    Evaluator(QStringView text, char16_t point) : m_text(text.utf16()), m_size(text.size()), m_point(point) { next(); }

    std::optional<double> evaluate()
    {
        double v;
        if (!expression(1, v) || m_token != Token::End)
            return std::nullopt;
        return v;
    }

private:
    char at(qsizetype i) const
    {
        const char16_t u = m_text[i];
        if (u == m_point)
            return '.';
        if (u >= 128)
            return '\x7f';
        return u >= 'a' && u <= 'z' ? char(u - 32) : char(u);
    }

    void next()
    {
        while (m_pos < m_size && at(m_pos) == ' ')
            ++m_pos;
        if (m_pos >= m_size) {
            m_token = Token::End;
            return;
        }
        const char c = at(m_pos);
        switch (c) {
        case '+':
            ++m_pos;
            m_token = Token::Plus;
            return;
        case '-':
            ++m_pos;
            m_token = Token::Minus;
            return;
        case '*':
            ++m_pos;
            m_token = Token::Times;
            return;
        case '/':
            ++m_pos;
            m_token = Token::Divide;
            return;
        case '^':
            ++m_pos;
            m_token = Token::Power;
            return;
        case '(':
            ++m_pos;
            m_token = Token::Open;
            return;
        case ')':
            ++m_pos;
            m_token = Token::Close;
            return;
        default: break;
        }
        if (isDigit(c) || c == '.') {
            number();
            return;
        }
        if (c >= 'A' && c <= 'Z') {
            for (const auto& [name, function] : kFunctions) {
                if (startsWith(name)) {
                    m_pos += qsizetype(name.size());
                    m_token = Token::Function;
                    m_function = function;
                    return;
                }
            }
        }
        m_token = Token::Bad;
    }

    bool startsWith(std::string_view name) const
    {
        if (m_size - m_pos < qsizetype(name.size()))
            return false;
        for (size_t i = 0; i < name.size(); ++i) {
            if (at(m_pos + qsizetype(i)) != name[i])
                return false;
        }
        return true;
    }

    // Digits with at most one point (a leading point reads as "0."), then
    // an exponent: E, an optional sign and at most three digits.
    void number()
    {
        const qsizetype start = m_pos;
        qsizetype p = start;
        bool point = false;
        int64_t whole = 0;
        int digits = 0;
        for (; p < m_size; ++p) {
            const char c = at(p);
            if (isDigit(c)) {
                if (++digits <= 15)
                    whole = whole * 10 + (c - '0');
            } else if (c == '.' && !point) {
                point = true;
            } else {
                break;
            }
        }
        if (digits == 0) { // a lone point
            m_token = Token::Bad;
            return;
        }
        const qsizetype mantissaEnd = p;
        if (p < m_size && at(p) == 'E') {
            qsizetype q = p + 1;
            if (q < m_size && (at(q) == '+' || at(q) == '-'))
                ++q;
            const qsizetype firstDigit = q;
            while (q < m_size && isDigit(at(q)) && q - firstDigit < 3)
                ++q;
            if (q > firstDigit)
                p = q;
        }
        m_pos = p;
        m_token = Token::Number;
        // Up to 15 digits an integer is exact in a double: what the decimal
        // conversion below would give, without its cost.
        if (!point && p == mantissaEnd && digits <= 15) {
            m_value = double(whole);
            return;
        }
        std::string text;
        text.reserve(size_t(p - start + 1));
        if (at(start) == '.')
            text.push_back('0');
        for (qsizetype i = start; i < p; ++i)
            text.push_back(at(i));
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), m_value);
        if (ec != std::errc() || end != text.data() + text.size())
            m_token = Token::Bad;
    }

    bool shift(int entries)
    {
        if (entries >= kMaxStack)
            return false;
        next();
        return true;
    }

    static bool hold(double x, double& v)
    {
        const std::optional<double> held = toReal48(x);
        if (!held)
            return false;
        v = *held;
        return true;
    }

    // Each takes the entries below it on the parse stack.
    bool expression(int below, double& v)
    {
        if (!term(below, v))
            return false;
        while (m_token == Token::Plus || m_token == Token::Minus) {
            const bool plus = m_token == Token::Plus;
            double right;
            if (!shift(below + 1) || !term(below + 2, right))
                return false;
            if (!hold(plus ? v + right : v - right, v))
                return false;
        }
        return true;
    }

    bool term(int below, double& v)
    {
        if (!factor(below, v))
            return false;
        while (m_token == Token::Times || m_token == Token::Divide) {
            const bool times = m_token == Token::Times;
            double right;
            if (!shift(below + 1) || !factor(below + 2, right))
                return false;
            if (!times && right == 0)
                return false;
            if (!hold(times ? v * right : v / right, v))
                return false;
        }
        return true;
    }

    bool factor(int below, double& v)
    {
        if (!operand(below, v))
            return false;
        if (m_token != Token::Power)
            return true;
        double exponent;
        if (!shift(below + 1) || !factor(below + 2, exponent))
            return false;
        if (v <= 0)
            return false;
        const double power = exponent * std::log(v);
        if (power < -88 || power > 88)
            return false;
        return hold(std::exp(power), v);
    }

    bool operand(int below, double& v)
    {
        if (m_token != Token::Minus)
            return primary(below, v);
        if (!shift(below) || !primary(below + 1, v))
            return false;
        return hold(-v, v);
    }

    bool primary(int below, double& v)
    {
        switch (m_token) {
        case Token::Number: {
            const double n = m_value;
            return shift(below) && hold(n, v);
        }
        case Token::Open:
            if (!shift(below) || !expression(below + 1, v) || m_token != Token::Close)
                return false;
            return shift(below + 2);
        case Token::Function: {
            const Function f = m_function;
            double x;
            if (!shift(below) || m_token != Token::Open || !shift(below + 1) || !expression(below + 2, x) ||
                m_token != Token::Close || !shift(below + 3))
                return false;
            const std::optional<double> y = apply(f, x);
            return y && hold(*y, v);
        }
        default: return false;
        }
    }

    const char16_t* m_text;
    qsizetype m_size;
    qsizetype m_pos = 0;
    char16_t m_point;
    Token m_token = Token::End;
    double m_value = 0;
    Function m_function = Function::Abs;
};

} // namespace

std::optional<double> evaluateExpression(QStringView expression, const QLocale& locale)
{
    if (const char16_t point = decimalPointChar(locale))
        return Evaluator(expression, point).evaluate();
    // A longer separator reads as a point once replaced.
    const QString separator = decimalPointOf(locale);
    QString replaced = expression.toString();
    replaced.replace(separator, QLatin1String("."));
    return Evaluator(replaced, u'.').evaluate();
}

void formatMathResult(std::optional<double> value, int decimals, MathText& out, const QLocale& locale)
{
    out.clear();
    if (!value) {
        out.append(u"Error", 5);
        return;
    }
    const int d = std::clamp(decimals, 0, 18);
    const double v = *value;
    // At most 18 integer digits, a point, 18 decimals and a sign; the
    // exponent form is shorter still.
    std::array<char, 64> buffer;
    char* const text = buffer.data();
    size_t length = 0;
    if (std::fabs(v) >= 1e18) {
        // Beyond 18 integer digits fixed notation cannot hold the value; the
        // exponent form keeps 18 significant digits.
        const int n = std::snprintf(text, buffer.size(), "%.17E", v);
        length = n > 0 ? std::min(size_t(n), buffer.size() - 1) : 0;
    } else if (std::fabs(v) < 1e15 && v == std::trunc(v)) {
        // A whole number (a counter, most results) has an exact decimal
        // form: its digits, then the point and d zeros, with no sign on 0.
        // What the general conversion below gives, at a fraction of its cost.
        uint64_t n = uint64_t(std::fabs(v));
        std::array<char, 16> digits;
        size_t count = 0;
        do {
            digits[count++] = char('0' + n % 10);
            n /= 10;
        } while (n != 0);
        if (v < 0)
            text[length++] = '-';
        while (count > 0)
            text[length++] = digits[--count];
        if (d > 0) {
            text[length++] = '.';
            for (int i = 0; i < d; ++i)
                text[length++] = '0';
        }
    } else {
        const auto [end, ec] = std::to_chars(text, text + buffer.size(), v, std::chars_format::fixed, d);
        length = ec == std::errc() ? size_t(end - text) : 0;
        // Digits past the 18th significant one are shown as zeros.
        int significant = 0;
        bool started = false;
        bool nonZero = false;
        for (size_t i = 0; i < length; ++i) {
            char& c = text[i];
            if (!isDigit(c))
                continue;
            started |= c != '0';
            if (started && ++significant > 18)
                c = '0';
            nonZero |= c != '0';
        }
        // No sign on a value that prints as zero.
        if (length > 0 && text[0] == '-' && !nonZero) {
            std::memmove(text, text + 1, length - 1);
            --length;
        }
    }
    // The point is written as the locale's separator.
    const char16_t point = decimalPointChar(locale);
    const QString separator = point != 0 ? QString() : decimalPointOf(locale);
    for (size_t i = 0; i < length; ++i) {
        const char16_t c = char16_t(uchar(text[i]));
        if (c != u'.')
            out.append(c);
        else if (point != 0)
            out.append(point);
        else
            out.append(QStringView(separator).utf16(), separator.size());
    }
}

QString formatMathResult(std::optional<double> value, int decimals, const QLocale& locale)
{
    MathText text;
    formatMathResult(value, decimals, text, locale);
    return QString(reinterpret_cast<const QChar*>(text.constData()), text.size());
}

} // namespace lumeria
