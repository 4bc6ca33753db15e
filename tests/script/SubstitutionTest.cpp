#include "script/Substitution.h"
#include "script/MathEvaluator.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace lumeria {
namespace {

class FixedBuiltins : public BuiltinValues {
public:
    QString pageTitle() const override { return QStringLiteral("Intro"); }
    QString pageNumber() const override { return QStringLiteral("3"); }
    QDateTime now() const override
    {
        ++readings;
        return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9));
    }
    QLocale locale() const override { return QLocale(QLocale::English, QLocale::UnitedStates); }
    mutable int readings = 0;
};

class SubstitutionTest : public ::testing::Test {
protected:
    QString sub(const QString& text, SubstitutionMode mode = SubstitutionMode::Text)
    {
        return substitute(text, vars, builtins, mode);
    }
    Variables vars;
    FixedBuiltins builtins;
};

TEST_F(SubstitutionTest, NamesIgnoreCaseAndBrackets)
{
    vars.set(QStringLiteral("[Score]"), QStringLiteral("5"));
    EXPECT_EQ(vars.get(QStringLiteral("score")), QStringLiteral("5"));
    EXPECT_EQ(vars.get(QStringLiteral("SC[ORE]")), QStringLiteral("5"));
    EXPECT_EQ(sub(QStringLiteral("[score] points")), QStringLiteral("5 points"));
    vars.set(QStringLiteral("[]"), QStringLiteral("ignored"));
    EXPECT_EQ(vars.count(), 1);
}

TEST_F(SubstitutionTest, EmptyValueRemovesAndNumericModeGivesZero)
{
    vars.set(QStringLiteral("X"), QStringLiteral("1"));
    vars.set(QStringLiteral("X"), QString());
    EXPECT_EQ(vars.count(), 0);
    EXPECT_EQ(sub(QStringLiteral("<[X]>")), QStringLiteral("<>"));
    EXPECT_EQ(sub(QStringLiteral("[X] + 1"), SubstitutionMode::Numeric), QStringLiteral("0 + 1"));
}

TEST_F(SubstitutionTest, ReferencesFollowTheScanRules)
{
    vars.set(QStringLiteral("A"), QStringLiteral("1"));
    vars.set(QStringLiteral("B"), QStringLiteral("2"));
    vars.set(QStringLiteral("C"), QStringLiteral("[A]"));
    vars.set(QStringLiteral("Score"), QStringLiteral("5"));
    EXPECT_EQ(sub(QStringLiteral("Total: [A][B]")), QStringLiteral("Total: 12"));
    // Inserted values are never substituted again.
    EXPECT_EQ(sub(QStringLiteral("[C]")), QStringLiteral("[A]"));
    EXPECT_EQ(sub(QStringLiteral("[[Score]]")), QStringLiteral("5]"));
    EXPECT_EQ(sub(QStringLiteral("Cost [unit")), QStringLiteral("Cost "));
    // The innermost opening bracket wins.
    EXPECT_EQ(sub(QStringLiteral("x[y[A]")), QStringLiteral("x[y1"));
    EXPECT_EQ(sub(QStringLiteral("a]]b [A]")), QStringLiteral("a]b 1"));
    vars.set(QStringLiteral("D"), QStringLiteral("p[[q]]r"));
    EXPECT_EQ(sub(QStringLiteral("[D]")), QStringLiteral("p[q]r"));
    // The first bracket opens a reference that runs to the end.
    EXPECT_EQ(sub(QStringLiteral("ab[[[[")), QStringLiteral("ab"));
}

TEST_F(SubstitutionTest, BuiltinsYieldToUserVariables)
{
    EXPECT_EQ(sub(QStringLiteral("[PageTitle] [pagenumber] [P]")), QStringLiteral("Intro 3 3"));
    EXPECT_EQ(sub(QStringLiteral("[Time]")), QStringLiteral("2:07:09 PM"));
    EXPECT_EQ(sub(QStringLiteral("[DayNum]/[MonthNum]/[Year] [Month] [Day]")),
              QStringLiteral("5/3/2024 March Tuesday"));
    vars.set(QStringLiteral("Time"), QStringLiteral("x"));
    EXPECT_EQ(sub(QStringLiteral("[Time]")), QStringLiteral("x"));
    vars.set(QStringLiteral("Time"), QString());
    EXPECT_EQ(sub(QStringLiteral("[Time]")), QStringLiteral("2:07:09 PM"));
    EXPECT_EQ(sub(QStringLiteral("[Times]")), QString());
}

TEST_F(SubstitutionTest, OneClockReadingPerText)
{
    builtins.readings = 0;
    sub(QStringLiteral("[Time] [DateShort] [DateLong] [Year]"));
    EXPECT_EQ(builtins.readings, 1);
}

TEST_F(SubstitutionTest, APlanGivesWhatTheScanGivesForEveryShortText)
{
    // Values that end in or hold brackets make the scan's look-behind and
    // the final reduction matter; every text of up to seven characters over
    // this alphabet is tried, in both modes.
    vars.set(QStringLiteral("A"), QStringLiteral("x["));
    vars.set(QStringLiteral("AA"), QStringLiteral("]]"));
    vars.set(QStringLiteral("P"), QStringLiteral("[[p"));
    const QString alphabet = QStringLiteral("[]aAp");
    int tried = 0;
    std::vector<int> digits;
    for (int length = 0; length <= 7; ++length) {
        digits.assign(size_t(length), 0);
        for (;;) {
            QString text;
            for (int d : digits)
                text += alphabet[d];
            for (auto mode : {SubstitutionMode::Text, SubstitutionMode::Numeric}) {
                ASSERT_EQ(SubstitutionPlan(text).apply(vars, builtins, mode), sub(text, mode)) << text.toStdString();
                ++tried;
            }
            size_t i = 0;
            while (i < digits.size() && ++digits[i] == int(alphabet.size()))
                digits[i++] = 0;
            if (i == digits.size())
                break;
        }
    }
    EXPECT_GT(tried, 2 * 78125);
    // The clock is read once per application, as for one substituted text.
    builtins.readings = 0;
    EXPECT_EQ(SubstitutionPlan(QStringLiteral("[Year] [Month]")).apply(vars, builtins, SubstitutionMode::Text),
              QStringLiteral("2024 March"));
    EXPECT_EQ(builtins.readings, 1);
}

TEST_F(SubstitutionTest, MathReadsTheUnreducedTextAsTheReducedOne)
{
    // Math reads the substituted pieces before doubled brackets are reduced:
    // with values that hold, open or close brackets, every short expression
    // must still give what the reduced text gives.
    vars.set(QStringLiteral("A"), QStringLiteral("1["));
    vars.set(QStringLiteral("B"), QStringLiteral("]2"));
    vars.set(QStringLiteral("C"), QStringLiteral("12"));
    const QString alphabet = QStringLiteral("[]ABC1+");
    const QLocale c(QLocale::C);
    int read = 0;
    std::vector<int> digits;
    for (int length = 0; length <= 6; ++length) {
        digits.assign(size_t(length), 0);
        for (;;) {
            QString text;
            for (int d : digits)
                text += alphabet[d];
            const SubstitutionPlan plan(text);
            SubstitutionPlan::Buffer unreduced;
            if (plan.appendUnreduced(unreduced, vars, builtins, SubstitutionMode::Numeric)) {
                const auto direct = evaluateExpression(QStringView(unreduced.constData(), unreduced.size()), c);
                const auto reduced = evaluateExpression(plan.apply(vars, builtins, SubstitutionMode::Numeric), c);
                ASSERT_EQ(direct, reduced) << text.toStdString();
                read += direct ? 1 : 0;
            }
            size_t i = 0;
            while (i < digits.size() && ++digits[i] == int(alphabet.size()))
                digits[i++] = 0;
            if (i == digits.size())
                break;
        }
    }
    EXPECT_GT(read, 1000);
}

TEST_F(SubstitutionTest, ListenersHearEveryRealChange)
{
    QStringList heard;
    const int id = vars.addListener([&](const QString& name) { heard << name; });
    vars.set(QStringLiteral("[Ab]"), QStringLiteral("1"));
    vars.set(QStringLiteral("AB"), QStringLiteral("1"));   // unchanged: silent
    vars.set(QStringLiteral("ab"), QStringLiteral("one")); // case counts in values
    vars.set(QStringLiteral("ab"), QString());
    vars.set(QStringLiteral("never"), QString()); // nothing to remove: silent
    // A remembered name, with values written over the old one in place.
    const VariableName line(QStringLiteral("[a]B"));
    vars.set(line, QStringView(u"10"));
    vars.set(line, QStringView(u"10")); // unchanged: silent
    vars.set(line, QStringView(u"11"));
    vars.set(line, QStringView());
    vars.removeListener(id);
    vars.set(QStringLiteral("ab"), QStringLiteral("2"));
    EXPECT_EQ(heard, (QStringList{QStringLiteral("Ab"), QStringLiteral("ab"), QStringLiteral("ab"),
                                  QStringLiteral("aB"), QStringLiteral("aB"), QStringLiteral("aB")}));
}

TEST(Variables, RememberedNamesReadWhatTheStoreHoldsThroughEveryChange)
{
    // Entries added and removed move the others inside the store; names that
    // remember where their value was must never read a stale place.
    Variables vars;
    std::vector<VariableName> names;
    for (int i = 0; i < 300; ++i)
        names.emplace_back(QStringLiteral("[v%1]").arg(i));
    std::mt19937 random(3);
    for (int step = 0; step < 20000; ++step) {
        const VariableName& name = names[random() % names.size()];
        switch (random() % 4) {
        case 0: vars.set(name, QString::number(step)); break;
        case 1: vars.set(name, QString()); break;
        case 2: vars.set(name, QStringView(QString::number(step % 7))); break;
        default: break;
        }
        const VariableName& read = names[random() % names.size()];
        const QString* value = vars.find(read);
        ASSERT_EQ(value ? *value : QString(), vars.get(read.bare())) << step;
    }
    EXPECT_GT(vars.count(), 50);
}

TEST(Variables, ValuesHandedOutKeepWhatTheyWereWhenTheStoreChanges)
{
    Variables vars;
    const VariableName score(QStringLiteral("Score"));
    vars.set(score, QStringLiteral("1"));
    {
        // A copy of the values shares them: a later write must not reach it.
        const QHash<QString, QString> copy = vars.all();
        vars.set(score, QStringView(u"2"));
        EXPECT_EQ(copy.value(QStringLiteral("SCORE")), QStringLiteral("1"));
        EXPECT_EQ(*vars.find(score), QStringLiteral("2"));
    }
    vars.set(score, QStringView(u"3"));
    EXPECT_EQ(*vars.find(score), QStringLiteral("3"));

    const QString kept = vars.get(QStringLiteral("score"));
    vars.set(score, QStringView(u"4"));
    EXPECT_EQ(kept, QStringLiteral("3"));

    // One name, read from two stores and from a copy of a store, reads each
    // one's own value.
    Variables other;
    other.set(score, QStringLiteral("other"));
    Variables copied = vars;
    copied.set(score, QStringView(u"5"));
    EXPECT_EQ(*vars.find(score), QStringLiteral("4"));
    EXPECT_EQ(*other.find(score), QStringLiteral("other"));
    EXPECT_EQ(*copied.find(score), QStringLiteral("5"));
    vars.clear();
    EXPECT_EQ(vars.find(score), nullptr);
    EXPECT_EQ(*copied.find(score), QStringLiteral("5"));
}

} // namespace
} // namespace lumeria
