#include "ReferenceEvaluators.h"
#include "script/MathEvaluator.h"
#include "script/Real48.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace lumeria {
namespace {

const QLocale kC(QLocale::C);

QString math(const char* expression, int decimals = 0, const QLocale& locale = kC)
{
    return formatMathResult(evaluateExpression(QString::fromUtf8(expression), locale), decimals, locale);
}

TEST(Math, PrecedenceAndAssociativity)
{
    EXPECT_EQ(math("1+2*3"), QStringLiteral("7"));
    EXPECT_EQ(math("(1+2)*3"), QStringLiteral("9"));
    EXPECT_EQ(math("2^3^2"), QStringLiteral("512"));
    EXPECT_EQ(math("10-4-3"), QStringLiteral("3"));
    EXPECT_EQ(math("8/2/2"), QStringLiteral("2"));
    EXPECT_EQ(math(".5*2"), QStringLiteral("1"));
    EXPECT_EQ(math("-3+5"), QStringLiteral("2"));
    EXPECT_EQ(math("2*-3"), QStringLiteral("-6"));
    EXPECT_EQ(math("2^-1", 2), QStringLiteral("0.50"));
    EXPECT_EQ(math("  1.5e2 + 1E-1", 1), QStringLiteral("150.1"));
    EXPECT_EQ(math("sqrt(16)+sqr(3)"), QStringLiteral("13"));
    EXPECT_EQ(math("abs(-2.5)", 1), QStringLiteral("2.5"));
    EXPECT_EQ(math("ln(exp(2))", 3), QStringLiteral("2.000"));
}

TEST(Math, FunctionsRoundAndCut)
{
    EXPECT_EQ(math("ROUND(2.5)"), QStringLiteral("2"));
    EXPECT_EQ(math("ROUND(3.5)"), QStringLiteral("4"));
    EXPECT_EQ(math("TRUNC(-1.7)"), QStringLiteral("-1"));
    EXPECT_EQ(math("FRAC(1.25)", 2), QStringLiteral("0.25"));
    EXPECT_EQ(math("FRAC(1.25)", 2, QLocale(QLocale::French, QLocale::France)), QStringLiteral("0,25"));
    EXPECT_EQ(math("1,5*2", 1, QLocale(QLocale::French, QLocale::France)), QStringLiteral("3,0"));
    EXPECT_EQ(math("atan(1)*4", 5), QStringLiteral("3.14159"));
    EXPECT_EQ(math("cos(0)+sin(0)"), QStringLiteral("1"));
}

TEST(Math, EveryFailureIsError)
{
    for (const char* bad :
         {"1/0", "LN(0)", "SQRT(-1)",  "EXP(89)",    "0^2",   "(-2)^2", "2 +", "ABC(1)", "",        ".", "1..2",
          "(1",  "1)",    "SQR(2E18)", "ROUND(2E9)", "SIN 1", "1 2",    "--2", "2^200",  "1E39*10", "#"}) {
        EXPECT_EQ(math(bad), QStringLiteral("Error")) << bad;
    }
}

TEST(Math, StackDepthIsLimitedToTwenty)
{
    const QString deep = QString(25, QLatin1Char('(')) + QStringLiteral("1") + QString(25, QLatin1Char(')'));
    EXPECT_EQ(formatMathResult(evaluateExpression(deep, kC), 0, kC), QStringLiteral("Error"));
    const QString shallow = QString(5, QLatin1Char('(')) + QStringLiteral("1") + QString(5, QLatin1Char(')'));
    EXPECT_EQ(formatMathResult(evaluateExpression(shallow, kC), 0, kC), QStringLiteral("1"));
    // A long left-associative chain reduces as it goes and never runs deep.
    QString chain = QStringLiteral("1");
    for (int i = 0; i < 200; ++i)
        chain += QStringLiteral("+1");
    EXPECT_EQ(formatMathResult(evaluateExpression(chain, kC), 0, kC), QStringLiteral("201"));
}

TEST(Math, ResultsAreHeldAsSixByteReals)
{
    EXPECT_EQ(toReal48(1099511627777.0), 1099511627776.0);
    EXPECT_FALSE(toReal48(2e38));
    EXPECT_EQ(toReal48(1e-40), 0.0);
    // 1/3 to 40 bits is 733007751851 / 2^41.
    EXPECT_EQ(math("1/3", 15), QStringLiteral("0.333333333333485"));
    EXPECT_EQ(math("-0.001", 2), QStringLiteral("0.00"));
    EXPECT_EQ(math("2", -3), QStringLiteral("2"));
    // At most 18 decimals, and no digit past the 18th significant one.
    EXPECT_EQ(math("100/3", 25), QStringLiteral("33.333333333313930700"));
}

// ---- The direct evaluator against the shift-reduce tables it replaced -----

std::string bits(std::optional<double> v)
{
    if (!v)
        return "Error";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%a", *v);
    return buf;
}

// Agreement, failures included: the same bits or both nothing.
void expectSameAsTables(const QString& expression, const QLocale& locale, int& tried)
{
    ASSERT_EQ(bits(evaluateExpression(expression, locale)), bits(test::shiftReduceExpression(expression, locale)))
        << expression.toStdString();
    ++tried;
}

TEST(Math, ResultTextsAgreeWithTheFormerFormatting)
{
    // Values of every magnitude, both signs, zeros that print with a sign,
    // and every count of decimals, in a locale with a point and one with a
    // comma.
    const QLocale locales[] = {kC, QLocale(QLocale::French, QLocale::France)};
    std::mt19937_64 random(11);
    std::vector<double> values = {0.0, -0.0, 1e18, -1e18, 999999999999999999.0, 0.5, -0.004, 1.0 / 3};
    for (int i = 0; i < 20000; ++i) {
        const double mantissa = double(random() % 2000001) / 1000 - 1000;
        values.push_back(std::ldexp(mantissa, int(random() % 140) - 70));
        // Whole numbers of every length up to where 18 digits end.
        values.push_back(std::trunc(std::ldexp(mantissa, int(random() % 60))));
    }
    for (double whole : {1e15 - 1, 1e15, 1e15 + 2, -1e15, 1e17, -999999999999999.0})
        values.push_back(whole);
    for (double v : values) {
        for (int decimals = -2; decimals <= 20; ++decimals) {
            for (const QLocale& locale : locales)
                ASSERT_EQ(formatMathResult(v, decimals, locale), test::formerMathText(v, decimals, locale)) << v;
        }
    }
    EXPECT_EQ(formatMathResult(std::nullopt, 2, kC), test::formerMathText(std::nullopt, 2, kC));
}

TEST(Math, DirectEvaluatorAgreesWithTheTablesOnEveryShortTokenString)
{
    ASSERT_EQ(test::shiftReduceConflicts(), 0);
    // Every string of up to five of these pieces: operators in every order
    // and place, numbers of each form, functions, and what must fail.
    const std::vector<QString> pieces = {
        QStringLiteral("2"),  QStringLiteral(".5"), QStringLiteral("0"), QStringLiteral("3e2"),
        QStringLiteral("+"),  QStringLiteral("-"),  QStringLiteral("*"), QStringLiteral("/"),
        QStringLiteral("^"),  QStringLiteral("("),  QStringLiteral(")"), QStringLiteral("sqr"),
        QStringLiteral("Ln"), QStringLiteral(" "),  QStringLiteral("."), QStringLiteral("E"),
    };
    int tried = 0;
    std::vector<size_t> at;
    for (size_t length = 0; length <= 5; ++length) {
        at.assign(length, 0);
        for (;;) {
            QString text;
            for (size_t i : at)
                text += pieces[i];
            expectSameAsTables(text, kC, tried);
            size_t i = 0;
            while (i < at.size() && ++at[i] == pieces.size())
                at[i++] = 0;
            if (i == at.size())
                break;
        }
    }
    EXPECT_GT(tried, 1000000);
}

// A random expression of the grammar, mostly well formed, reaching past the
// depth the stack allows; one character in a few hundred is mistyped.
class ExpressionMaker {
public:
    explicit ExpressionMaker(uint32_t seed) : m_random(seed) {}

    QString make()
    {
        m_text.clear();
        expression(int(pick(9)));
        if (pick(10) == 0)
            mistype();
        return m_text;
    }

private:
    size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(m_random); }
    // Long texts stop branching, so that sizes stay near a line's.
    size_t more(size_t n) { return m_text.size() > 60 ? 0 : pick(n); }
    void space()
    {
        if (pick(6) == 0)
            m_text += QString(int(pick(3)) + 1, QLatin1Char(' '));
    }
    void expression(int depth)
    {
        term(depth);
        for (size_t n = more(3); n > 0; --n) {
            space();
            m_text += pick(2) ? QLatin1Char('+') : QLatin1Char('-');
            term(depth);
        }
    }
    void term(int depth)
    {
        factor(depth);
        for (size_t n = more(3); n > 0; --n) {
            space();
            m_text += pick(2) ? QLatin1Char('*') : QLatin1Char('/');
            factor(depth);
        }
    }
    void factor(int depth)
    {
        operand(depth);
        if (more(5) == 1) {
            m_text += QLatin1Char('^');
            factor(depth - 1);
        }
    }
    void operand(int depth)
    {
        space();
        if (pick(8) == 0)
            m_text += QLatin1Char('-');
        primary(depth);
    }
    void primary(int depth)
    {
        static const char* const kNames[] = {"ABS", "atan", "Cos", "EXP",   "ln",   "ROUND",
                                             "sin", "SQRT", "sqr", "Trunc", "FRAC", "SQ"};
        const size_t kind = depth <= 0 ? 0 : more(6);
        if (kind <= 2) {
            number();
        } else if (kind == 3) {
            m_text += QLatin1Char('(');
            expression(depth - 1);
            m_text += QLatin1Char(')');
        } else {
            m_text += QLatin1String(kNames[pick(std::size(kNames))]);
            m_text += QLatin1Char('(');
            expression(depth - 1);
            m_text += QLatin1Char(')');
        }
    }
    void number()
    {
        switch (pick(8)) {
        case 0: m_text += QString::number(pick(9) + 1); break;
        case 1: m_text += QString::number(pick(1000000)); break;
        case 2: m_text += QString::number(pick(100)) + QLatin1Char('.') + QString::number(pick(1000)); break;
        case 3: m_text += QLatin1Char('.') + QString::number(pick(100)); break;
        case 4:
            m_text += QString::number(pick(20)) + (pick(2) ? QLatin1Char('E') : QLatin1Char('e')) +
                      QLatin1String(pick(2)   ? "-"
                                    : pick(2) ? "+"
                                              : "") +
                      QString::number(pick(60));
            break;
        case 5: m_text += QString::number(pick(1000000000)) + QString::number(pick(1000000000)); break;
        case 6:
            if (pick(4) == 0)
                m_text += QStringLiteral("1E") + QString::number(30 + pick(15));
            else
                m_text += QString::number(pick(3));
            break;
        default: m_text += QString::number(pick(50) + 1); break;
        }
    }
    void mistype()
    {
        static const char kTypos[] = "()+-*/^.,E e0x[]";
        const qsizetype at = qsizetype(pick(size_t(m_text.size()) + 1));
        const QChar c = QLatin1Char(kTypos[pick(sizeof kTypos - 1)]);
        if (pick(2) && at < m_text.size())
            m_text[at] = c;
        else
            m_text.insert(at, c);
    }

    std::mt19937 m_random;
    QString m_text;
};

TEST(Math, DirectEvaluatorAgreesWithTheTablesOnRandomExpressions)
{
    const QLocale french(QLocale::French, QLocale::France);
    ExpressionMaker maker(20260214);
    int tried = 0, values = 0;
    for (int i = 0; i < 150000; ++i) {
        QString text = maker.make();
        expectSameAsTables(text, kC, tried);
        if (evaluateExpression(text, kC))
            ++values;
        // The French separator is a comma, and a point still reads as one.
        if (i % 4 == 0)
            expectSameAsTables(text.replace(QLatin1Char('.'), QLatin1Char(',')), french, tried);
    }
    // A good share have a value: values agree, not only failures.
    EXPECT_GT(values, 25000);
}

TEST(Math, DirectEvaluatorCountsTheStackAsTheTablesDid)
{
    // Every nesting around the limit of 20 entries: parentheses, functions,
    // powers (right-associative, so they stack) and operators waiting for
    // their right operand, in every mix of three kinds of opening.
    const QStringList openings = {QStringLiteral("("),  QStringLiteral("abs("), QStringLiteral("-("),
                                  QStringLiteral("2^"), QStringLiteral("1+"),   QStringLiteral("2*(")};
    int tried = 0;
    for (int depth = 0; depth <= 24; ++depth) {
        for (int mix = 0; mix < 216; ++mix) {
            QString text;
            int closes = 0;
            for (int level = 0; level < depth; ++level) {
                const QString& o = openings[(mix / (level % 3 == 0 ? 1 : level % 3 == 1 ? 6 : 36)) % 6];
                text += o;
                closes += o.endsWith(QLatin1Char('(')) ? 1 : 0;
            }
            text += QStringLiteral("3") + QString(closes, QLatin1Char(')'));
            expectSameAsTables(text, kC, tried);
        }
    }
}

} // namespace
} // namespace lumeria
