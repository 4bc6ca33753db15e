#include "automation/AutomationScript.h"
#include "automation/AutomationLog.h"

#include <gtest/gtest.h>

#include <QTemporaryFile>

namespace lumeria {
namespace {

AutomationScript parseOk(const QString& text)
{
    auto result = parseAutomationScript(text);
    EXPECT_TRUE(result.ok()) << qPrintable(result.error());
    return result.ok() ? result.value() : AutomationScript{};
}

TEST(AutomationScriptTest, EveryCommandWithItsLineNumber)
{
    const AutomationScript script = parseOk(QStringLiteral("# start\n"
                                                           "click 10 20\n"
                                                           "\n"
                                                           "  PRESS -5 7\n"
                                                           "release 0 0\n"
                                                           "move\t3   4\n"
                                                           "key F1\n"
                                                           "key a ALT shift ctrl\n"
                                                           "type Hello  world \n"
                                                           "wait 250\n"
                                                           "expect-page  Main Menu \n"
                                                           "expect-var Score 10 points\n"
                                                           "expect-var Empty\n"
                                                           "dump-vars out/vars.txt\n"
                                                           "screenshot shot one.png\n"
                                                           "screenshot-screen all.png\n"
                                                           "answer 0\n"
                                                           "   # indented comment\n"
                                                           "quit"));
    ASSERT_EQ(script.size(), 16u);
    const auto at = [&](std::size_t i) -> const AutomationCommand& { return script.at(i); };

    EXPECT_EQ(at(0).verb, AutomationVerb::Click);
    EXPECT_EQ(at(0).line, 2);
    EXPECT_EQ(at(0).x, 10);
    EXPECT_EQ(at(0).y, 20);
    EXPECT_EQ(at(1).verb, AutomationVerb::Press);
    EXPECT_EQ(at(1).line, 4);
    EXPECT_EQ(at(1).x, -5);
    EXPECT_EQ(at(2).verb, AutomationVerb::Release);
    EXPECT_EQ(at(3).verb, AutomationVerb::Move);
    EXPECT_EQ(at(3).y, 4);

    EXPECT_EQ(at(4).verb, AutomationVerb::Key);
    EXPECT_EQ(at(4).text, QStringLiteral("F1"));
    EXPECT_EQ(at(4).modifiers, Qt::NoModifier);
    EXPECT_EQ(at(5).text, QStringLiteral("a"));
    EXPECT_EQ(at(5).modifiers, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);

    // Typed text and expected values are compared exactly: inner and trailing blanks stay.
    EXPECT_EQ(at(6).verb, AutomationVerb::Type);
    EXPECT_EQ(at(6).text, QStringLiteral("Hello  world "));
    EXPECT_EQ(at(7).verb, AutomationVerb::Wait);
    EXPECT_EQ(at(7).number, 250);
    EXPECT_EQ(at(8).verb, AutomationVerb::ExpectPage);
    EXPECT_EQ(at(8).text, QStringLiteral("Main Menu"));
    EXPECT_EQ(at(9).verb, AutomationVerb::ExpectVar);
    EXPECT_EQ(at(9).text, QStringLiteral("Score"));
    EXPECT_EQ(at(9).value, QStringLiteral("10 points"));
    EXPECT_EQ(at(10).text, QStringLiteral("Empty"));
    EXPECT_TRUE(at(10).value.isEmpty());

    EXPECT_EQ(at(11).verb, AutomationVerb::DumpVars);
    EXPECT_EQ(at(11).text, QStringLiteral("out/vars.txt"));
    EXPECT_EQ(at(12).verb, AutomationVerb::Screenshot);
    EXPECT_EQ(at(12).text, QStringLiteral("shot one.png"));
    EXPECT_EQ(at(13).verb, AutomationVerb::ScreenshotScreen);
    EXPECT_EQ(at(14).verb, AutomationVerb::Answer);
    EXPECT_EQ(at(14).number, 0);
    EXPECT_EQ(at(15).verb, AutomationVerb::Quit);
    EXPECT_EQ(at(15).line, 19);
}

TEST(AutomationScriptTest, WindowsLineEndsDoNotLeakIntoValues)
{
    const AutomationScript script = parseOk(QStringLiteral("type abc\r\nexpect-var X \r\nquit\r\n"));
    ASSERT_EQ(script.size(), 3u);
    EXPECT_EQ(script.at(0).text, QStringLiteral("abc"));
    EXPECT_TRUE(script.at(1).value.isEmpty());
    EXPECT_EQ(script.at(2).line, 3);
}

struct BadCase {
    const char* text;
    const char* error;
};

TEST(AutomationScriptTest, FirstBadLineFailsWithItsNumber)
{
    const BadCase cases[] = {
        {"quit\nclik 1 2", "line 2: unknown command 'clik'"},
        {"click 1", "line 1: click needs 2 numbers, got 1 arguments (usage: click X Y)"},
        {"\n\nmove 1 2 3", "line 3: move needs 2 numbers, got 3 arguments (usage: move X Y)"},
        {"press 1 y", "line 1: 'y' is not a whole number (usage: press X Y)"},
        {"release 1.5 2", "line 1: '1.5' is not a whole number (usage: release X Y)"},
        {"key", "line 1: key needs a key name (usage: key NAME [shift] [ctrl] [alt])"},
        {"key a meta", "line 1: unknown modifier 'meta' (usage: key NAME [shift] [ctrl] [alt])"},
        {"type", "line 1: type needs text (usage: type TEXT)"},
        {"wait", "line 1: wait needs 1 number, got 0 arguments (usage: wait MS)"},
        {"wait -1", "line 1: '-1' is not a whole number of 0 or more (usage: wait MS)"},
        {"wait 99999999999", "line 1: '99999999999' is not a whole number of 0 or more (usage: wait MS)"},
        {"answer one", "line 1: 'one' is not a whole number of 0 or more (usage: answer N|reader)"},
        {"answer 1 2", "line 1: answer needs 1 number, got 2 arguments (usage: answer N|reader)"},
        {"expect-page   ", "line 1: expect-page needs a name (usage: expect-page NAME)"},
        {"expect-var", "line 1: expect-var needs a variable name (usage: expect-var NAME VALUE)"},
        {"dump-vars", "line 1: dump-vars needs a name (usage: dump-vars FILE)"},
        {"screenshot", "line 1: screenshot needs a name (usage: screenshot FILE)"},
        {"screenshot-screen", "line 1: screenshot-screen needs a name (usage: screenshot-screen FILE)"},
        {"quit now", "line 1: quit takes no arguments"},
        {"click 1 2\r\nbogus\r\nalso-bogus", "line 2: unknown command 'bogus'"},
    };
    for (const BadCase& c : cases) {
        const auto result = parseAutomationScript(QString::fromUtf8(c.text));
        ASSERT_FALSE(result.ok()) << c.text;
        EXPECT_EQ(result.error(), QString::fromUtf8(c.error)) << c.text;
    }
}

TEST(AutomationScriptTest, ReadsUtf8FilesAndReportsUnreadableOnes)
{
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write("type caf\xc3\xa9\n");
    file.close();
    const auto script = readAutomationScript(file.fileName());
    ASSERT_TRUE(script.ok()) << qPrintable(script.error());
    EXPECT_EQ(script->at(0).text, QStringLiteral("caf\u00e9"));

    const auto missing = readAutomationScript(QStringLiteral("/nonexistent/run.txt"));
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().startsWith(QStringLiteral("cannot read automation file '/nonexistent/run.txt': ")));
}

TEST(AutomationLogTest, DialogLineEscapesBreaksQuotesAndBackslashes)
{
    EXPECT_EQ(AutomationLog::dialog(QStringLiteral("Quiz"), QStringLiteral("One\r\nTwo\rThree\nFour\n\nEnd"),
                                    {QStringLiteral("Yes"), QStringLiteral("No")}, 2),
              QStringLiteral(R"(dialog "Quiz" "One\nTwo\nThree\nFour\n\nEnd" "Yes|No" -> 2)"));
    EXPECT_EQ(AutomationLog::dialog(QStringLiteral("Say \"hi\""), QStringLiteral("C:\\DATA\tx\x01"), {}, 0),
              QStringLiteral(R"(dialog "Say \"hi\"" "C:\\DATA\tx\x01" "" -> 0)"));
    // Publication text holding "%1" is text, not a placeholder.
    EXPECT_EQ(AutomationLog::dialog(QStringLiteral("%1"), QStringLiteral("100%2"), {QStringLiteral("%3")}, 1),
              QStringLiteral(R"(dialog "%1" "100%2" "%3" -> 1)"));
}

TEST(AutomationLogTest, OtherLinesFollowTheSameQuoting)
{
    EXPECT_EQ(AutomationLog::menu(10, 20, {QStringLiteral("Open"), QStringLiteral("A|B")}, 0),
              QStringLiteral(R"(menu 10 20 "Open|A\|B" -> 0)"));
    EXPECT_EQ(AutomationLog::balloon(-3, 4, QStringLiteral("Tip\r\n|here")),
              QStringLiteral(R"(balloon -3 4 "Tip\n|here")"));
    EXPECT_EQ(AutomationLog::note(1, 2, 3000, QStringLiteral("%1 left")), QStringLiteral(R"(note 1 2 3000 "%1 left")"));
    EXPECT_EQ(AutomationLog::popup(5, 6, 0, QStringLiteral("PICS\\MAP.BMP")),
              QStringLiteral(R"(popup 5 6 0 "PICS\\MAP.BMP")"));
    EXPECT_EQ(AutomationLog::speak(QStringLiteral("Say \"hi\"\r\nto %1|me\\")),
              QStringLiteral(R"(speak "Say \"hi\"\nto %1|me\\")"));
}

TEST(AutomationScriptTest, ABoxCanBeLeftToTheReader)
{
    const AutomationScript script = parseOk(QStringLiteral("answer reader\nanswer 2\n"));
    ASSERT_EQ(script.size(), 2u);
    EXPECT_EQ(script.at(0).number, kReaderAnswers);
    EXPECT_EQ(script.at(1).number, 2);
    EXPECT_EQ(AutomationLog::screenshot(QStringLiteral("/home/a \"b\"/x.png")),
              QStringLiteral(R"(screenshot "/home/a \"b\"/x.png")"));
}

} // namespace
} // namespace lumeria
