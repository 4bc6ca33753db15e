#include "ReferenceEvaluators.h"

#include "script/LocaleCache.h"
#include "script/Real48.h"
#include "script/ScriptText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace lumeria::test {

namespace {

// ---- Grammar -------------------------------------------------------------
//
//   0  S -> E                 7  F -> O ^ F
//   1  E -> E + T             8  F -> O
//   2  E -> E - T             9  O -> - P
//   3  E -> T                10  O -> P
//   4  T -> T * F            11  P -> number
//   5  T -> T / F            12  P -> ( E )
//   6  T -> F                13  P -> function ( E )
//
// The action and goto tables are built from these productions once, as an
// SLR(1) automaton; the grammar has no conflicts under SLR.

enum Symbol : int {
    // terminals
    kPlus,
    kMinus,
    kTimes,
    kDivide,
    kPower,
    kOpen,
    kClose,
    kNumber,
    kFunction,
    kEnd,
    // nonterminals
    kS,
    kE,
    kT,
    kF,
    kO,
    kP,
    kSymbolCount
};
constexpr int kTerminalCount = kEnd + 1;

bool isTerminal(int s)
{
    return s < kTerminalCount;
}

struct Production {
    int lhs;
    std::vector<int> rhs;
};

const std::vector<Production> kGrammar = {
    {kS, {kE}},
    {kE, {kE, kPlus, kT}},
    {kE, {kE, kMinus, kT}},
    {kE, {kT}},
    {kT, {kT, kTimes, kF}},
    {kT, {kT, kDivide, kF}},
    {kT, {kF}},
    {kF, {kO, kPower, kF}},
    {kF, {kO}},
    {kO, {kMinus, kP}},
    {kO, {kP}},
    {kP, {kNumber}},
    {kP, {kOpen, kE, kClose}},
    {kP, {kFunction, kOpen, kE, kClose}},
};

struct Action {
    enum Kind : uint8_t { Error, Shift, Reduce, Accept } kind = Error;
    int target = 0; // state for Shift, production for Reduce
};

// A production's left side and length, read on every reduction.
struct ProductionShape {
    int lhs = 0;
    size_t length = 0;
};

struct Tables {
    std::array<ProductionShape, 14> shape;
    std::vector<std::array<Action, kTerminalCount>> action;
    std::vector<std::array<int, kSymbolCount>> go; // -1: none
    int conflicts = 0;
};

using Item = std::pair<int, int>; // production, dot position
using ItemSet = std::set<Item>;

ItemSet closure(ItemSet items)
{
    bool grew = true;
    while (grew) {
        grew = false;
        for (const auto& [p, dot] : ItemSet(items)) {
            const auto& rhs = kGrammar[size_t(p)].rhs;
            if (dot >= int(rhs.size()) || isTerminal(rhs[size_t(dot)]))
                continue;
            for (size_t q = 0; q < kGrammar.size(); ++q) {
                if (kGrammar[q].lhs == rhs[size_t(dot)] && items.insert({int(q), 0}).second)
                    grew = true;
            }
        }
    }
    return items;
}

std::array<std::set<int>, kSymbolCount> followSets()
{
    // FIRST of each nonterminal: no production derives the empty string.
    std::array<std::set<int>, kSymbolCount> first;
    for (int t = 0; t < kTerminalCount; ++t)
        first[size_t(t)] = {t};
    for (bool grew = true; grew;) {
        grew = false;
        for (const Production& p : kGrammar) {
            for (int s : first[size_t(p.rhs.front())])
                grew |= first[size_t(p.lhs)].insert(s).second;
        }
    }
    std::array<std::set<int>, kSymbolCount> follow;
    follow[kS] = {kEnd};
    for (bool grew = true; grew;) {
        grew = false;
        for (const Production& p : kGrammar) {
            for (size_t i = 0; i < p.rhs.size(); ++i) {
                const int s = p.rhs[i];
                if (isTerminal(s))
                    continue;
                const auto& add = i + 1 < p.rhs.size() ? first[size_t(p.rhs[i + 1])] : follow[size_t(p.lhs)];
                for (int t : std::set<int>(add))
                    grew |= follow[size_t(s)].insert(t).second;
            }
        }
    }
    return follow;
}

Tables buildTables()
{
    std::vector<ItemSet> states = {closure({{0, 0}})};
    Tables t;
    for (size_t p = 0; p < kGrammar.size(); ++p)
        t.shape[p] = {kGrammar[p].lhs, kGrammar[p].rhs.size()};
    const auto follow = followSets();
    // A grammar that is not SLR(1) would have one action overwrite another.
    auto set = [&t](size_t state, int terminal, Action a) {
        Action& slot = t.action[state][size_t(terminal)];
        if (slot.kind != Action::Error)
            ++t.conflicts;
        slot = a;
    };
    for (size_t s = 0; s < states.size(); ++s) {
        t.action.emplace_back();
        t.go.emplace_back();
        t.go.back().fill(-1);
        for (int symbol = 0; symbol < kSymbolCount; ++symbol) {
            ItemSet moved;
            for (const auto& [p, dot] : states[s]) {
                const auto& rhs = kGrammar[size_t(p)].rhs;
                if (dot < int(rhs.size()) && rhs[size_t(dot)] == symbol)
                    moved.insert({p, dot + 1});
            }
            if (moved.empty())
                continue;
            moved = closure(moved);
            size_t target = 0;
            while (target < states.size() && states[target] != moved)
                ++target;
            if (target == states.size())
                states.push_back(moved);
            if (isTerminal(symbol))
                set(s, symbol, {Action::Shift, int(target)});
            else
                t.go[s][size_t(symbol)] = int(target);
        }
        for (const auto& [p, dot] : states[s]) {
            if (dot != int(kGrammar[size_t(p)].rhs.size()))
                continue;
            if (p == 0) {
                set(s, kEnd, {Action::Accept, 0});
                continue;
            }
            for (int terminal : follow[size_t(kGrammar[size_t(p)].lhs)])
                set(s, terminal, {Action::Reduce, p});
        }
    }
    return t;
}

const Tables& tables()
{
    static const Tables t = buildTables();
    return t;
}

// ---- Tokens ---------------------------------------------------------------

enum class Function { Abs, Atan, Cos, Exp, Ln, Round, Sin, Sqrt, Sqr, Trunc, Frac };

// Tried in this order as prefixes, so SQRT must come before SQR.
constexpr std::array<std::pair<const char*, Function>, 11> kFunctions = {{
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

struct Token {
    int kind = kEnd; // a terminal, or -1 for a bad token
    double value = 0;
    Function function = Function::Abs;
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

class Lexer {
public:
    explicit Lexer(std::string text) : m_text(std::move(text)) {}

    Token next()
    {
        while (m_pos < m_text.size() && m_text[m_pos] == ' ')
            ++m_pos;
        if (m_pos >= m_text.size())
            return {kEnd};
        const char c = m_text[m_pos];
        switch (c) {
        case '+': ++m_pos; return {kPlus};
        case '-': ++m_pos; return {kMinus};
        case '*': ++m_pos; return {kTimes};
        case '/': ++m_pos; return {kDivide};
        case '^': ++m_pos; return {kPower};
        case '(': ++m_pos; return {kOpen};
        case ')': ++m_pos; return {kClose};
        default: break;
        }
        if (isDigit(c) || c == '.')
            return number();
        if (c >= 'A' && c <= 'Z') {
            for (const auto& [name, function] : kFunctions) {
                if (m_text.compare(m_pos, std::strlen(name), name) == 0) {
                    m_pos += std::strlen(name);
                    return {kFunction, 0, function};
                }
            }
        }
        return {-1};
    }

private:
    Token number()
    {
        std::string digits;
        size_t p = m_pos;
        bool point = false;
        while (p < m_text.size() && (isDigit(m_text[p]) || (m_text[p] == '.' && !point))) {
            point |= m_text[p] == '.';
            digits.push_back(m_text[p++]);
        }
        if (digits == ".")
            return {-1};
        if (digits.front() == '.')
            digits.insert(digits.begin(), '0');
        // An exponent: E, an optional sign and at most three digits.
        if (p < m_text.size() && m_text[p] == 'E') {
            size_t q = p + 1;
            std::string exponent = "E";
            if (q < m_text.size() && (m_text[q] == '+' || m_text[q] == '-'))
                exponent.push_back(m_text[q++]);
            const size_t firstDigit = q;
            while (q < m_text.size() && isDigit(m_text[q]) && q - firstDigit < 3)
                exponent.push_back(m_text[q++]);
            if (q > firstDigit) {
                digits += exponent;
                p = q;
            }
        }
        m_pos = p;
        double value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (ec != std::errc() || end != digits.data() + digits.size())
            return {-1};
        return {kNumber, value};
    }

    std::string m_text;
    size_t m_pos = 0;
};

// ---- Semantics ------------------------------------------------------------

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

struct Entry {
    int state;
    double value;
    Function function;
};

constexpr size_t kMaxStack = 20;

// Computes a reduction from the right-hand side entries; nothing on error.
std::optional<double> reduce(int production, const Entry* rhs)
{
    switch (production) {
    case 1: return rhs[0].value + rhs[2].value;
    case 2: return rhs[0].value - rhs[2].value;
    case 4: return rhs[0].value * rhs[2].value;
    case 5:
        if (rhs[2].value == 0)
            return std::nullopt;
        return rhs[0].value / rhs[2].value;
    case 7: {
        const double base = rhs[0].value, exponent = rhs[2].value;
        if (base <= 0)
            return std::nullopt;
        const double power = exponent * std::log(base);
        if (power < -88 || power > 88)
            return std::nullopt;
        return std::exp(power);
    }
    case 9: return -rhs[1].value;
    case 12: return rhs[1].value;
    case 13: return apply(rhs[0].function, rhs[2].value);
    default: return rhs[0].value; // unit productions pass their value on
    }
}

bool passesHeldValue(int production)
{
    return production == 3 || production == 6 || production == 8 || production == 10 || production == 12;
}

} // namespace

int shiftReduceConflicts()
{
    return tables().conflicts;
}

std::optional<double> shiftReduceExpression(const QString& expression, const QLocale& locale)
{
    // The locale's separator reads as a point. A one-character separator is
    // mapped on the way below; a longer one needs a replacement first.
    const QString separator = decimalPointOf(locale);
    QString replaced;
    const QString* prepared = &expression;
    char16_t point = '.';
    if (separator.size() == 1) {
        point = separator[0].unicode();
    } else {
        replaced = expression;
        replaced.replace(separator, QLatin1String("."));
        prepared = &replaced;
    }
    // Upper-cased on the way; anything outside ASCII cannot be part of a
    // valid expression and becomes a character the lexer rejects.
    std::string text;
    text.reserve(size_t(prepared->size()));
    for (QChar c : *prepared) {
        char16_t u = c.unicode();
        if (u == point)
            u = '.';
        text.push_back(u >= 128 ? '\x7f' : (u >= 'a' && u <= 'z') ? char(u - 32) : char(u));
    }

    const Tables& t = tables();
    Lexer lexer(std::move(text));
    std::array<Entry, kMaxStack> stack{};
    size_t depth = 0;
    stack[depth++] = {0, 0, Function::Abs};
    Token token = lexer.next();
    for (;;) {
        if (token.kind < 0)
            return std::nullopt;
        const Action a = t.action[size_t(stack[depth - 1].state)][size_t(token.kind)];
        switch (a.kind) {
        case Action::Error: return std::nullopt;
        case Action::Accept: return stack[depth - 1].value;
        case Action::Shift:
            if (depth == kMaxStack)
                return std::nullopt;
            stack[depth++] = {a.target, token.value, token.function};
            token = lexer.next();
            break;
        case Action::Reduce: {
            const ProductionShape p = t.shape[size_t(a.target)];
            depth -= p.length;
            const auto value = reduce(a.target, &stack[depth]);
            if (!value)
                return std::nullopt;
            // What a unit production or parentheses pass on is held already.
            const auto held = passesHeldValue(a.target) ? value : toReal48(*value);
            if (!held)
                return std::nullopt;
            const int next = t.go[size_t(stack[depth - 1].state)][size_t(p.lhs)];
            stack[depth++] = {next, *held, Function::Abs};
            break;
        }
        }
    }
}

// The IF and WHILE test as it was before it read its texts in place.
namespace {

bool isNumericConditionText(const QString& text, QChar separator)
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

bool formerCondition(const QString& left, const QString& op, const QString& right, const QLocale& locale)
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
    if (separator.size() == 1 && isNumericConditionText(a, separator[0]) && isNumericConditionText(b, separator[0])) {
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

// The Math result text as it was built through a std::string.
QString formerMathText(std::optional<double> value, int decimals, const QLocale& locale)
{
    if (!value)
        return QStringLiteral("Error");
    const int d = std::clamp(decimals, 0, 18);
    const double v = *value;
    std::string text;
    char buf[80];
    if (std::fabs(v) >= 1e18) {
        // Beyond 18 integer digits fixed notation cannot hold the value; the
        // exponent form keeps 18 significant digits.
        std::snprintf(buf, sizeof buf, "%.17E", v);
        text = buf;
    } else {
        const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, d);
        text.assign(buf, ec == std::errc() ? end : buf);
        // Digits past the 18th significant one are shown as zeros.
        int significant = 0;
        bool started = false;
        for (char& c : text) {
            if (c < '0' || c > '9')
                continue;
            started |= c != '0';
            if (started && ++significant > 18)
                c = '0';
        }
        // No sign on a value that prints as zero.
        if (!text.empty() && text.front() == '-' && text.find_first_of("123456789") == std::string::npos)
            text.erase(0, 1);
    }
    QString out = QString::fromLatin1(text.data(), qsizetype(text.size()));
    const QString separator = decimalPointOf(locale);
    if (separator != QLatin1String("."))
        out.replace(QLatin1Char('.'), separator);
    return out;
}

} // namespace lumeria::test
