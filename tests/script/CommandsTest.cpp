#include "FakeHost.h"
#include "ReferenceEvaluators.h"
#include "script/Conversions.h"

#include <gtest/gtest.h>

#include <random>

namespace lumeria {
namespace {

using test::ScriptFixture;

struct HostCase {
    const char* script;
    const char* call;
};

TEST(Commands, EachHandsTheHostWhatItsArgumentsSay)
{
    const HostCase cases[] = {
        {"AB \"Title\" \"Text\"", "dialog [Title] [Text] [OK]"},
        {"BA \"one|two\"", "balloon [one\rtwo] -1 -1"},
        {"SN \"-1\" \" 1 0\" \"a|b\" \"-1\"", "note -1 10 [a\rb] -1"},
        {"PI \"5\" \"-1\" \"pic.bmp\" \"2000\" \"slide left now\" \"3\"", "popup 5 -1 [pic.bmp] 2000 2 3"},
        {"PI \"0\" \"0\" \"p.bmp\" \"0\" \"bogus\" \"0\"", "popup 0 0 [p.bmp] 0 0 0"},
        {"PI \"0\" \"0\" \"p.bmp\" \"0\" \"WIPE DOWN\" \"0\"", "popup 0 0 [p.bmp] 0 15 0"},
        {"TW \"T\" \"1\" \"2\" \"-1\" \"-1\" \"f.txt\" \"wordwrap\"", "textwindow [T] 1 2 -1 -1 [f.txt] 1"},
        {"TW \"T\" \"1\" \"2\" \"3\" \"4\" \"f.txt\" \"WORDWRAP \"", "textwindow [T] 1 2 3 4 [f.txt] 0"},
        {"IW \"I\" \"-1\" \"7\" \"i.bmp\"", "imagewindow [I] -1 7 [i.bmp]"},
        {"CW \"find\"", "close 1 []"},
        {"CW \"Notes\"", "close 2 [Notes]"},
        {"CW \"\"", "close 0 []"},
        {"FI \"needle\"", "find [needle]"},
        {"PS \"a.wav\" \"wait\"", "sound [a.wav] 1"},
        {"PS \"a.wav\" \"Loop and wait\"", "sound [a.wav] 2"},
        {"PS \"a.wav\" \"\"", "sound [a.wav] 0"},
        {"PV \"1\" \"2\" \"-1\" \"4\" \"v.avi\" \"WAIT\"", "video [v.avi] 1 1,2,-1,4"},
        {"PF \"1\" \"2\" \"3\" \"4\" \"f.flc\" \"9\" \"loop\"", "flic [f.flc] 2 1,2,3,4 9"},
        {"PC \"1\" \"2\" \"3\" \"4\" \"c.cct\" \"8\" \"9\" \"\"", "cartoon [c.cct] 0 1,2,3,4 8 9"},
        {"SM \"video\"", "stop 2 []"},
        {"SM \"Sound\"", "stop 1 []"},
        {"SM \"a.wav\"", "stop 3 [a.wav]"},
        {"SM \"\"", "stop 0 []"},
        {"PT \"-440\"", "tone 440 150"},
        {"PT \"99999\"", "tone 32767 150"},
        {"PT \"-2147483648\"", "tone 32767 150"},
        {"SB", "tone 100 150"},
        {"DE \"-250\"", "delay 250"},
        {"PP \"all\"", "printpage [all]"},
        {"PX \"a\" \"b\" \"c\" \"WordWrap\"", "printfile [a] [b] [c] 1 0"},
        {"PD \"a\" \"b\" \"c\"", "printfile [a] [b] [c] 0 1"},
        {"PM \"pic.bmp\" \"2x\"", "printimage [pic.bmp] 5"},
        {"PM \"pic.bmp\" \"1x2\"", "printimage [pic.bmp] 12"},
        {"EX \"\" \"\"", "quit"},
    };
    for (const HostCase& c : cases) {
        ScriptFixture s;
        const QStringList calls = s.run(QString::fromUtf8(c.script));
        EXPECT_EQ(calls, QStringList{QString::fromUtf8(c.call)}) << c.script;
    }
}

TEST(Commands, DialogAnswersReachTheirVariables)
{
    ScriptFixture s;
    s.host.answers = {2};
    s.run(QStringLiteral("MB \"t\" \"m\" \"A|B|C\" \"R\""));
    EXPECT_EQ(s.host.calls.front(), QStringLiteral("dialog [t] [m] [A/B/C]"));
    EXPECT_EQ(s.var("R"), QStringLiteral("2"));

    s.host.answers = {2};
    EXPECT_EQ(s.run(QStringLiteral("EX \"Quit\" \"Sure?\"")),
              QStringList{QStringLiteral("dialog [Quit] [Sure?] [Oui/Non]")});
    s.host.answers = {1};
    EXPECT_EQ(s.run(QStringLiteral("EX \"Quit\" \"Sure?\"")),
              (QStringList{QStringLiteral("dialog [Quit] [Sure?] [Oui/Non]"), QStringLiteral("quit")}));

    s.host.mciResult = 263;
    s.run(QStringLiteral("MC \"status cd mode\""));
    EXPECT_EQ(s.var("MCIResult"), QStringLiteral("263"));
}

TEST(Commands, PopupImageThatCannotLoadStopsTheScript)
{
    ScriptFixture s;
    s.host.popupLoads = false;
    s.run(QStringLiteral("PI \"1\" \"1\" \"gone.bmp\" \"0\" \"\" \"0\"|SV \"after\" \"1\""));
    EXPECT_EQ(s.host.calls.last(),
              QStringLiteral("dialog [Erreur] [\"gone.bmp\"\r\rImpossible de charger le fichier image !] [OK]"));
    EXPECT_TRUE(s.var("after").isEmpty());
}

TEST(Commands, SetFontReadsSizeAndStyleWords)
{
    ScriptFixture s;
    EXPECT_EQ(s.engine.scriptFont().name, QStringLiteral("Arial"));
    EXPECT_EQ(s.engine.scriptFont().size, 9);
    s.run(QStringLiteral("SF \"Courier New\" \"1 2\" \"underline, Bold\""));
    EXPECT_EQ(s.engine.scriptFont().name, QStringLiteral("Courier New"));
    EXPECT_EQ(s.engine.scriptFont().size, 12);
    EXPECT_EQ(s.engine.scriptFont().style, 1 | 4);
    // Only the digits of the size count, as authors write "36pt".
    s.run(QStringLiteral("SF \"Arial\" \"36pt\" \"\""));
    EXPECT_EQ(s.engine.scriptFont().size, 36);
    s.run(QStringLiteral("SF \"Arial\" \"-14\" \"\""));
    EXPECT_EQ(s.engine.scriptFont().size, 14);
}

TEST(Commands, StringCommandsAtTheirBoundaries)
{
    ScriptFixture s;
    const std::pair<const char*, const char*> cases[] = {
        {"SE \"b\" \"ABC\" \"R\"", "2"},
        {"SE \"x\" \"ABC\" \"R\"", "0"},
        {"SE \"\" \"ABC\" \"R\"", "0"},
        {"SU \"abcdef\" \"3\" \"2\" \"R\"", "cd"},
        {"SU \"abcdef\" \"0\" \"2\" \"R\"", "ab"},
        {"SU \"abcdef\" \"5\" \"9\" \"R\"", "ef"},
        {"SU \"abcdef\" \"7\" \"1\" \"R\"", ""},
        {"SU \"abcdef\" \"2\" \"0\" \"R\"", ""},
        {"SD \"abcdef\" \"2\" \"3\" \"R\"", "aef"},
        {"SD \"abcdef\" \"0\" \"3\" \"R\"", "abcdef"},
        {"SD \"abcdef\" \"5\" \"9\" \"R\"", "abcd"},
        {"SD \"abcdef\" \"2\" \"-1\" \"R\"", "abcdef"},
        {"SS \"X\" \"abc\" \"2\" \"R\"", "aXbc"},
        {"SS \"X\" \"abc\" \"-3\" \"R\"", "Xabc"},
        {"SS \"X\" \"abc\" \"9\" \"R\"", "abcX"},
        {"SL \"héllo\" \"R\"", "5"},
        {"SL \"\" \"R\"", "0"},
    };
    for (const auto& [script, expected] : cases) {
        s.engine.variables().set(QStringLiteral("R"), QStringLiteral("stale"));
        s.run(QString::fromUtf8(script));
        EXPECT_EQ(s.var("R"), QString::fromUtf8(expected)) << script;
    }
}

TEST(Commands, RandomStaysInRangeAndVaries)
{
    ScriptFixture s;
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        s.run(QStringLiteral("RN \"[LIMIT]5\" \"R\""));
        const int v = s.var("R").toInt();
        EXPECT_GE(v, 0);
        EXPECT_LT(v, 5);
        seen.insert(s.var("R"));
    }
    EXPECT_EQ(seen.size(), 5); // two calls in one clock tick no longer repeat
    s.run(QStringLiteral("RN \"0\" \"R\""));
    EXPECT_EQ(s.var("R"), QStringLiteral("0"));
    s.run(QStringLiteral("RN \"-7\" \"R\""));
    EXPECT_EQ(s.var("R"), QStringLiteral("0"));
}

TEST(Commands, SystemInfoTakesTheLastNameItFinds)
{
    ScriptFixture s;
    s.pub.settings.Author = QStringLiteral("Ada");
    EXPECT_EQ(s.engine.systemInfo(QStringLiteral("ScreenWidth")), QStringLiteral("1024"));
    EXPECT_EQ(s.engine.systemInfo(QStringLiteral("Width")), QStringLiteral("Error"));
    // PubWidth and ScreenWidth both occur; ScreenWidth is later in the table.
    EXPECT_EQ(s.engine.systemInfo(QStringLiteral("pubwidth screenwidth")), QStringLiteral("1024"));
    EXPECT_EQ(s.engine.systemInfo(QStringLiteral("the pubauthor")), QStringLiteral("Ada"));
    EXPECT_EQ(s.engine.systemInfo(QStringLiteral("PubDir")), QStringLiteral("/pub/"));
    EXPECT_EQ(s.engine.systemInfo(QStringLiteral("TempDir")), QStringLiteral("/tmp/"));
    EXPECT_FALSE(s.engine.systemInfo(QStringLiteral("UserName")).isEmpty());
    s.run(QStringLiteral("SI \"PubHeight\" \"H\""));
    EXPECT_EQ(s.var("H"), QStringLiteral("480"));
}

TEST(Conversions, NumbersConditionsAndNames)
{
    EXPECT_EQ(scriptInteger(QStringLiteral(" 1 2 ")), 12);
    EXPECT_EQ(scriptInteger(QStringLiteral("-7")), -7);
    EXPECT_EQ(scriptInteger(QStringLiteral("1.5")), 0);
    EXPECT_EQ(scriptInteger(QStringLiteral("abc")), 0);
    EXPECT_EQ(scriptInteger(QStringLiteral("99999999999")), 0);

    const QLocale c(QLocale::C);
    EXPECT_FALSE(evaluateCondition(QStringLiteral("abc"), QStringLiteral("<"), QStringLiteral("zz"), c));
    EXPECT_TRUE(evaluateCondition(QStringLiteral("10"), QStringLiteral(">"), QStringLiteral("9"), c));
    EXPECT_TRUE(evaluateCondition(QStringLiteral("a"), QStringLiteral("="), QStringLiteral("A"), c));
    EXPECT_FALSE(evaluateCondition(QStringLiteral("1.0"), QStringLiteral("="), QStringLiteral("1"), c));
    EXPECT_TRUE(evaluateCondition(QStringLiteral("1.0"), QStringLiteral(">="), QStringLiteral("1"), c));
    EXPECT_TRUE(evaluateCondition(QStringLiteral(" - 3"), QStringLiteral("<"), QStringLiteral("-2"), c));
    EXPECT_FALSE(evaluateCondition(QStringLiteral("1"), QStringLiteral("=="), QStringLiteral("1"), c));
    EXPECT_TRUE(evaluateCondition(QStringLiteral("x"), QStringLiteral("<>"), QStringLiteral("y"), c));
    // Beyond a 6-byte real's 40 bits these two numbers are the same.
    EXPECT_TRUE(
        evaluateCondition(QStringLiteral("1099511627776"), QStringLiteral(">="), QStringLiteral("1099511627777"), c));
    // With a comma as decimal separator, the comma counts as part of a number.
    const QLocale fr(QLocale::French, QLocale::France);
    EXPECT_TRUE(evaluateCondition(QStringLiteral("1,5"), QStringLiteral(">"), QStringLiteral("1,25"), fr));

    EXPECT_EQ(effectNumber(QStringLiteral("Dissolve")), 1);
    EXPECT_EQ(effectNumber(QStringLiteral("none")), 0);
    EXPECT_EQ(fontStyleBits(QStringLiteral("strikeout italic")), 2 | 8);
}

TEST(Conversions, ConditionsAgreeWithTheFormerCopyingTest)
{
    // Sides made of what numbers are made of, and of what makes a side a
    // text: letters that change case (one outside ASCII whose capital is),
    // both separators, long runs of digits past the fast integer path.
    const QStringList pieces = {QStringLiteral(" "),
                                QStringLiteral("+"),
                                QStringLiteral("-"),
                                QStringLiteral("1"),
                                QStringLiteral("0"),
                                QStringLiteral("."),
                                QStringLiteral(","),
                                QStringLiteral("a"),
                                QStringLiteral("A"),
                                QStringLiteral("\u0131"),
                                QStringLiteral("9999999999999999"),
                                QStringLiteral("25")};
    const QStringList operators = {QStringLiteral("="),  QStringLiteral("<>"), QStringLiteral("<"),
                                   QStringLiteral(">"),  QStringLiteral("<="), QStringLiteral(">="),
                                   QStringLiteral("=<"), QStringLiteral(""),   QStringLiteral(" <")};
    const QLocale locales[] = {QLocale(QLocale::C), QLocale(QLocale::French, QLocale::France)};
    std::mt19937 random(7);
    auto side = [&] {
        QString text;
        for (size_t n = random() % 6; n > 0; --n)
            text += pieces[qsizetype(random() % size_t(pieces.size()))];
        return text;
    };
    for (int i = 0; i < 200000; ++i) {
        const QString left = side(), right = side();
        const QString& op = operators[qsizetype(random() % size_t(operators.size()))];
        const QLocale& locale = locales[i % 2];
        ASSERT_EQ(evaluateCondition(left, op, right, locale), test::formerCondition(left, op, right, locale))
            << left.toStdString() << ' ' << op.toStdString() << ' ' << right.toStdString();
    }
}

} // namespace
} // namespace lumeria
