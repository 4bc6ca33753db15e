#include "FakeHost.h"

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using test::ScriptFixture;

const QString kUnknown = QStringLiteral("Je ne comprends pas cette commande !");

QString errorDialog(const QString& message)
{
    return QStringLiteral("dialog [Erreur] [%1] [OK]").arg(message);
}

TEST(ScriptText, SplitsAtBarsOutsideQuotesAndDropsComments)
{
    const ScriptText t(QStringLiteral("GO \"2\"|.note|BA \"a|b\"||  .indented|   "));
    ASSERT_EQ(t.lineCount(), 4);
    EXPECT_EQ(t.line(2)->text, QStringLiteral("BA \"a|b\""));
    EXPECT_EQ(t.line(2)->command, Command::Balloon);
    EXPECT_EQ(t.line(3)->kind, LineKind::Comment); // counted: '.' is not its first character
    EXPECT_EQ(t.line(4)->kind, LineKind::Blank);
    EXPECT_EQ(t.line(5), nullptr);

    // An odd quote makes the rest one item.
    EXPECT_EQ(ScriptText(QStringLiteral("BA \"x|SV \"a\" \"b\"")).lineCount(), 1);
}

TEST(ScriptText, CommandsAreRecognisedByNameOrCodeBeforeANonLetter)
{
    EXPECT_EQ(lookupCommand(u"gotopage \"3\""), Command::GotoPage);
    EXPECT_EQ(lookupCommand(u"GO\"3\""), Command::GotoPage);
    EXPECT_EQ(lookupCommand(u"   go \"3\""), Command::GotoPage);
    EXPECT_EQ(lookupCommand(u"GOX \"3\""), Command::None);
    EXPECT_EQ(lookupCommand(u"GO1"), Command::GotoPage);
    EXPECT_EQ(lookupCommand(u"GotoFirstPage"), Command::GotoFirstPage);
    EXPECT_EQ(lookupCommand(u"Exit \"\" \"\""), Command::Exit);
    EXPECT_EQ(lookupCommand(u"ENDWHILE"), Command::None);
    EXPECT_EQ(lookupCommand(u"WI"), Command::While);
}

TEST(ScriptText, ArgumentsAreCompleteQuotedTexts)
{
    auto a = extractArguments(QStringLiteral("MB\"Title\"\"Text\"\"OK|Cancel\"\"Answer\""));
    EXPECT_EQ(a.count, 4);
    EXPECT_EQ(a.values[2], QStringLiteral("OK|Cancel"));
    a = extractArguments(QStringLiteral("SV \"a\" junk \"b\" \"unclosed"));
    EXPECT_EQ(a.count, 2);
    EXPECT_EQ(a.values[1], QStringLiteral("b"));
    a = extractArguments(QStringLiteral("X \"1\"\"2\"\"3\"\"4\"\"5\"\"6\"\"7\"\"8\"\"9\""));
    EXPECT_EQ(a.count, 8);
}

TEST(Interpreter, CommentIsNotALine)
{
    ScriptFixture s;
    // Line 4 is the last SetVar only if the comment is not counted.
    s.run(QStringLiteral("SV \"a\" \"1\"|.note|GE \"4\"|SV \"a\" \"2\"|SV \"b\" \"3\""));
    EXPECT_EQ(s.var("a"), QStringLiteral("1"));
    EXPECT_EQ(s.var("b"), QStringLiteral("3"));
}

TEST(Interpreter, UnknownLinesAreErrorsInEveryMode)
{
    ScriptFixture s;
    EXPECT_EQ(s.run(QStringLiteral("GOX \"3\"|SV \"a\" \"1\"")),
              QStringList{errorDialog(QStringLiteral("GOX \"3\"\r\r") + kUnknown)});
    EXPECT_TRUE(s.var("a").isEmpty());

    // Inside a branch being skipped, a misspelt line still stops the script.
    s.run(QStringLiteral("IF \"1\" \"=\" \"2\"|SETVARR \"x\"|ELSE|SV \"a\" \"1\"|ENDIF"));
    EXPECT_TRUE(s.engine.aborted());
    EXPECT_TRUE(s.var("a").isEmpty());

    // A line of spaces counts and does nothing.
    EXPECT_TRUE(s.run(QStringLiteral("   |SV \"a\" \"2\"")).isEmpty());
    EXPECT_EQ(s.var("a"), QStringLiteral("2"));
}

TEST(Interpreter, ArgumentCountMessages)
{
    ScriptFixture s;
    EXPECT_EQ(s.run(QStringLiteral("MB \"a\" \"b\" \"c\"")),
              QStringList{errorDialog(QStringLiteral("MessageBox\r\rCette action nécessite 4 paramètres!"))});
    EXPECT_EQ(s.run(QStringLiteral("GO")),
              QStringList{errorDialog(QStringLiteral("GotoPage\r\rCette action nécessite 1 paramètre!"))});
    // Commands that read no arguments do not check them.
    s.addPage(QStringLiteral("One"));
    EXPECT_EQ(s.run(QStringLiteral("GN \"ignored\"")), QStringList{});
}

TEST(Interpreter, IfElseSkipsNestedBlocksWhole)
{
    ScriptFixture s;
    s.run(QStringLiteral("IF \"a\" \"=\" \"b\"|IF \"1\" \"=\" \"1\"|SV \"x\" \"1\"|ELSE|SV \"x\" \"2\"|ENDIF|"
                         "ELSE|SV \"y\" \"else\"|ENDIF|SV \"z\" \"after\""));
    EXPECT_TRUE(s.var("x").isEmpty());
    EXPECT_EQ(s.var("y"), QStringLiteral("else"));
    EXPECT_EQ(s.var("z"), QStringLiteral("after"));

    s.run(QStringLiteral("IF \"a\" \"=\" \"A\"|SV \"t\" \"then\"|ELSE|IF \"1\" \"=\" \"1\"|SV \"t\" \"bad\"|ELSE|"
                         "SV \"t\" \"bad2\"|ENDIF|SV \"t\" \"bad3\"|ENDIF|SV \"u\" \"end\""));
    EXPECT_EQ(s.var("t"), QStringLiteral("then"));
    EXPECT_EQ(s.var("u"), QStringLiteral("end"));
}

TEST(Interpreter, WhileFromAnUnsetVariable)
{
    ScriptFixture s;
    s.run(QStringLiteral("WI \"[I]\" \"<\" \"3\"|MA \"[I]+1\" \"0\" \"I\"|SV \"n\" \"[n]x\"|ENDWHILE"));
    EXPECT_EQ(s.var("I"), QStringLiteral("3"));
    EXPECT_EQ(s.var("n"), QStringLiteral("xxx"));

    // Nested loops find their own While going back.
    s.engine.variables().clear();
    s.run(QStringLiteral("WI \"[A]\" \"<\" \"2\"|SV \"B\" \"\"|WI \"[B]\" \"<\" \"3\"|MA \"[B]+1\" \"0\" \"B\"|"
                         "MA \"[T]+1\" \"0\" \"T\"|ENDWHILE|MA \"[A]+1\" \"0\" \"A\"|ENDWHILE"));
    EXPECT_EQ(s.var("T"), QStringLiteral("6"));

    // A false While skips its body, nested loops included.
    s.run(QStringLiteral("WI \"1\" \">\" \"2\"|WI \"1\" \"<\" \"2\"|SV \"never\" \"1\"|ENDWHILE|ENDWHILE|"
                         "SV \"after\" \"1\""));
    EXPECT_TRUE(s.var("never").isEmpty());
    EXPECT_EQ(s.var("after"), QStringLiteral("1"));
}

TEST(Interpreter, AScriptRunAgainReadsTheVariablesAsTheyAreNow)
{
    ScriptFixture s;
    // Lines are worked out once per script text; their values are not.
    const QString script = QStringLiteral("SV \"out\" \"[a]/[B]\"|MA \"[a]*2\" \"0\" \"twice\"");
    s.engine.variables().set(QStringLiteral("a"), QStringLiteral("1"));
    s.run(script);
    EXPECT_EQ(s.var("out"), QStringLiteral("1/"));
    EXPECT_EQ(s.var("twice"), QStringLiteral("2"));
    s.engine.variables().set(QStringLiteral("A"), QStringLiteral("5"));
    s.engine.variables().set(QStringLiteral("b"), QStringLiteral("x"));
    s.run(script);
    EXPECT_EQ(s.var("out"), QStringLiteral("5/x"));
    EXPECT_EQ(s.var("twice"), QStringLiteral("10"));

    // A line that sets the variable its own argument reads sees the old
    // value, and the next run of the same text sees the new one.
    s.engine.variables().clear();
    const QString grow = QStringLiteral("SV \"s\" \"[s]a\"|SV \"t\" \"[S][s]\"");
    s.run(grow);
    s.run(grow);
    EXPECT_EQ(s.var("s"), QStringLiteral("aa"));
    EXPECT_EQ(s.var("t"), QStringLiteral("aaaa"));

    // A value ending in '[' keeps the next '[' from opening a reference.
    s.engine.variables().set(QStringLiteral("open"), QStringLiteral("x["));
    s.run(QStringLiteral("SV \"r\" \"[open][s]\""));
    EXPECT_EQ(s.var("r"), QStringLiteral("x[s]"));
}

TEST(Interpreter, GotoLineByNumberAndLabel)
{
    ScriptFixture s;
    s.run(QStringLiteral("GE \"3\"|SV \"skipped\" \"1\"|SV \"a\" \"1\""));
    EXPECT_TRUE(s.var("skipped").isEmpty());
    EXPECT_EQ(s.var("a"), QStringLiteral("1"));

    s.run(QStringLiteral("GE \"end\"|SV \"b\" \"1\"|:END|SV \"c\" \"1\""));
    EXPECT_TRUE(s.var("b").isEmpty());
    EXPECT_EQ(s.var("c"), QStringLiteral("1"));

    EXPECT_TRUE(s.run(QStringLiteral("GE \"0\"|SV \"d\" \"1\"")).isEmpty());
    EXPECT_TRUE(s.var("d").isEmpty());
    s.run(QStringLiteral("GE \"-4\"|SV \"d\" \"1\""));
    EXPECT_TRUE(s.var("d").isEmpty());

    EXPECT_EQ(s.run(QStringLiteral("GE \"nowhere\"|SV \"e\" \"1\"")),
              QStringList{errorDialog(QStringLiteral("Impossible de trouver: \":NOWHERE\"\r\rGotoLine La commande fait "
                                                     "référence à une étiquette qui n'existe pas."))});
    EXPECT_TRUE(s.var("e").isEmpty());
}

TEST(Interpreter, MenuRunsTheChosenBranch)
{
    ScriptFixture s;
    const QString script = QStringLiteral("MN \"-1\" \"-1\" \"One|Two\"|BA \"1\"|BA \"2\"|BA \"after\"");
    s.host.answers = {0};
    EXPECT_EQ(s.run(script),
              (QStringList{QStringLiteral("menu 320 240 [One/Two]"), QStringLiteral("balloon [after] -1 -1")}));
    s.host.answers = {1};
    // Item 1 runs line 2, then the skip passes over both branches and the
    // line after them: line 5 is past the end.
    EXPECT_EQ(s.run(script),
              (QStringList{QStringLiteral("menu 320 240 [One/Two]"), QStringLiteral("balloon [1] -1 -1")}));
    s.host.answers = {2};
    EXPECT_EQ(s.run(script),
              (QStringList{QStringLiteral("menu 320 240 [One/Two]"), QStringLiteral("balloon [2] -1 -1")}));

    s.host.answers = {2};
    s.run(QStringLiteral("ME \"10\" \"20\" \"A|B|C\" \"Choice\"|SV \"next\" \"1\""));
    EXPECT_EQ(s.var("Choice"), QStringLiteral("2"));
    EXPECT_EQ(s.var("next"), QStringLiteral("1"));
}

TEST(Interpreter, LastPageCommandDefersTheNewPagesScript)
{
    ScriptFixture s;
    s.addPage(QStringLiteral("Home"));
    s.addPage(QStringLiteral("Next"), QStringLiteral("SV \"depth\" \"[depth]n\"|SV \"entered\" \"1\""));
    int deepest = 0;
    s.host.onProcessEvents = [&] { deepest = std::max(deepest, s.engine.nesting()); };

    s.run(QStringLiteral("SV \"depth\" \"o\"|GO \"next\"|:done|.comment"));
    EXPECT_EQ(s.var("entered"), QStringLiteral("1"));
    EXPECT_EQ(s.pub.document.currentPage()->Name, QStringLiteral("Next"));
    EXPECT_EQ(deepest, 1); // the entry script ran in place of the first one
    EXPECT_EQ(s.engine.nesting(), 0);
}

TEST(Interpreter, PageCommandFollowedByCommandsRunsTheEntryScriptNested)
{
    ScriptFixture s;
    s.addPage(QStringLiteral("Home"));
    s.addPage(QStringLiteral("Next"), QStringLiteral("SV \"order\" \"[order]entry,\""));
    int deepest = 0;
    s.host.onProcessEvents = [&] { deepest = std::max(deepest, s.engine.nesting()); };
    s.run(QStringLiteral("GO \"Next\"|SV \"order\" \"[order]after\""));
    EXPECT_EQ(s.var("order"), QStringLiteral("entry,after"));
    EXPECT_EQ(deepest, 2);
}

TEST(Interpreter, PagesThatGoToEachOtherStopAtTheNestingLimit)
{
    ScriptFixture s;
    s.addPage(QStringLiteral("Home"));
    s.addPage(QStringLiteral("A"), QStringLiteral("SV \"n\" \"[n]a\"|GO \"B\"|SV \"after\" \"1\""));
    s.addPage(QStringLiteral("B"), QStringLiteral("GO \"A\"|SV \"after\" \"1\""));
    int deepest = 0;
    s.host.onProcessEvents = [&] { deepest = std::max(deepest, s.engine.nesting()); };
    const QStringList shown = s.run(QStringLiteral("GO \"A\"|SV \"after\" \"1\""));
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_TRUE(shown.last().startsWith(QStringLiteral("dialog [Erreur] [Trop de scripts imbriqu")));
    EXPECT_LE(deepest, 200);
    EXPECT_GE(deepest, 100);
    EXPECT_TRUE(s.var("after").isEmpty()); // every run in the chain stopped
    EXPECT_EQ(s.engine.nesting(), 0);

    // The next script starts afresh.
    s.run(QStringLiteral("SV \"fresh\" \"1\""));
    EXPECT_EQ(s.var("fresh"), QStringLiteral("1"));
}

TEST(Interpreter, ExitScriptLeadsToItsTargetUnlessItFails)
{
    ScriptFixture s;
    Page_Rec* home = s.addPage(QStringLiteral("Home"), {}, QStringLiteral("SV \"left\" \"yes\""));
    s.addPage(QStringLiteral("Next"));
    s.run(QStringLiteral("GO \"Next\""));
    EXPECT_EQ(s.var("left"), QStringLiteral("yes"));
    EXPECT_EQ(s.pub.document.currentPage()->Name, QStringLiteral("Next"));

    // A page command inside an exit script is an error and the page stays.
    s.pub.document.setCurrentPage(home);
    home->ExitAction = QStringLiteral("GO \"Home\"");
    EXPECT_EQ(
        s.run(QStringLiteral("GO \"Next\"")),
        QStringList{errorDialog(QStringLiteral("GO \"Home\"\r\rCannot use GotoPage actions in page exit script."))});
    EXPECT_EQ(s.pub.document.currentPage(), home);
}

TEST(Interpreter, PageTargetsAndMissingPages)
{
    ScriptFixture s;
    Page_Rec* a = s.addPage(QStringLiteral("A"));
    s.addPage(QStringLiteral("B"));
    s.addPage(QStringLiteral("C"));
    EXPECT_EQ(s.run(QStringLiteral("GP|SV \"went\" \"on\"")), QStringList{}); // first page: nothing, continue
    EXPECT_EQ(s.var("went"), QStringLiteral("on"));
    EXPECT_EQ(s.run(QStringLiteral("GL")), QStringList{QStringLiteral("show C")});
    EXPECT_EQ(s.run(QStringLiteral("GP")), QStringList{QStringLiteral("show B")});
    EXPECT_EQ(s.run(QStringLiteral("RP")), QStringList{QStringLiteral("show C")});
    EXPECT_EQ(s.run(QStringLiteral("GF")), QStringList{QStringLiteral("show A")});
    EXPECT_EQ(s.pub.document.currentPage(), a);
    EXPECT_EQ(s.run(QStringLiteral("GN")), QStringList{QStringLiteral("show B")});
    EXPECT_EQ(s.run(QStringLiteral("GO \"page MAÎTRE\"")), QStringList{QStringLiteral("show Page maître")});
    EXPECT_EQ(s.run(QStringLiteral("SV \"p\" \"Zed\"|GO \"[p]\"|SV \"after\" \"1\"")),
              QStringList{errorDialog(QStringLiteral("\"Zed\"\r\rImpossible de localiser cette page !"))});
    EXPECT_TRUE(s.var("after").isEmpty());
}

TEST(Interpreter, UserStopEndsEveryRun)
{
    ScriptFixture s;
    int steps = 0;
    s.host.onProcessEvents = [&] {
        if (++steps == 5)
            s.engine.userStop();
    };
    s.run(QStringLiteral("SV \"i\" \"0\"|:top|MA \"[i]+1\" \"0\" \"i\"|GE \"top\""));
    EXPECT_EQ(s.engine.nesting(), 0);
    EXPECT_TRUE(s.host.calls.contains(QStringLiteral("beep")));
    EXPECT_FALSE(s.engine.userStop()); // nothing runs any more: the key is not consumed
}

// A reader pressing Esc while pages jump to each other: the stop lands
// before the page command, which must not run and start the next page's
// script as a fresh chain.
TEST(Interpreter, AStopEndsAChainOfPagesAtOnce)
{
    ScriptFixture s;
    s.addPage(QStringLiteral("Home"));
    s.addPage(QStringLiteral("A"), QStringLiteral("GO \"B\""));
    s.addPage(QStringLiteral("B"), QStringLiteral("GO \"A\""));
    int events = 0;
    s.host.onProcessEvents = [&] {
        if (++events == 3)
            s.engine.userStop();
    };
    s.run(QStringLiteral("GO \"A\""));
    EXPECT_EQ(s.engine.nesting(), 0);
    EXPECT_EQ(s.host.calls.filter(QStringLiteral("show ")).size(), 2) << s.host.calls.join('\n').toStdString();
    EXPECT_TRUE(s.host.calls.filter(QStringLiteral("Trop de scripts imbriqu")).isEmpty());
    // The next script runs as usual.
    s.run(QStringLiteral("SV \"after\" \"1\""));
    EXPECT_EQ(s.var("after"), QStringLiteral("1"));
}

TEST(Interpreter, ErrorInANestedRunStopsTheOuterOne)
{
    ScriptFixture s;
    bool nested = false;
    s.host.onProcessEvents = [&] {
        if (!nested && s.engine.nesting() == 1) {
            nested = true;
            s.engine.run(QStringLiteral("BOGUS"));
        }
    };
    // Events run before a line is read: the line after them still runs,
    // the next one does not.
    s.run(QStringLiteral("SV \"a\" \"1\"|SV \"b\" \"1\""));
    EXPECT_EQ(s.var("a"), QStringLiteral("1"));
    EXPECT_TRUE(s.var("b").isEmpty());
    EXPECT_TRUE(s.engine.aborted());
}

TEST(Interpreter, EventsAreAskedForAtMostOncePerInterval)
{
    ScriptFixture s;
    s.engine.setEventInterval(std::chrono::hours(1));
    s.run(QStringLiteral("SV \"i\" \"0\"|WI \"[i]\" \"<\" \"1000\"|MA \"[i]+1\" \"0\" \"i\"|ENDWHILE"));
    EXPECT_EQ(s.var("i"), QStringLiteral("1000"));
    EXPECT_LE(s.host.processEventsCount, 1);
}

} // namespace
} // namespace lumeria
