#include "script/MathEvaluator.h"
#include "script/Real48.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace lumeria
