#include "InputTestSupport.h"

#include "platform/VirtualKeys.h"
#include "platform/gdi/Font.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace lumeria::test {
namespace {

using Fields = InputFixture;

TEST_F(Fields, InitialStatesWriteTheirVariables)
{
    Object_Rec& field = h.button(page2, ButtonStyle::EditField, 0, 0, 10, 10, QStringLiteral("Anne"));
    field.button()->VarName = QStringLiteral("name");
    Object_Rec& box = h.button(page1, ButtonStyle::CheckBox, 0, 20, 10, 30, QStringLiteral("Box"));
    box.button()->VarName = QStringLiteral("opt");
    box.button()->InitState = 1;
    Object_Rec& radio =
        h.button(h.pub.document.master(), ButtonStyle::RadioButton, 0, 40, 10, 50, QStringLiteral("Red"));
    radio.button()->VarName = QStringLiteral("colour");
    radio.button()->InitState = 1;
    input.initialiseFieldStates();
    EXPECT_EQ(field.button()->EditText, "Anne");
    EXPECT_EQ(box.button()->State, 1);
    EXPECT_EQ(radio.button()->State, 1);
    EXPECT_EQ(h.vars.get(QStringLiteral("name")), "Anne");
    EXPECT_EQ(h.vars.get(QStringLiteral("opt")), "Checked");
    EXPECT_EQ(h.vars.get(QStringLiteral("colour")), "Red");
}

TEST_F(Fields, RadioGroupAndCheckBoxFollowTheirVariables)
{
    Object_Rec& red = h.button(page1, ButtonStyle::RadioButton, 0, 0, 10, 10, QStringLiteral("Red"));
    Object_Rec& blue = h.button(page2, ButtonStyle::RadioButton, 0, 0, 10, 10, QStringLiteral("Blue"));
    Object_Rec& box = h.button(page1, ButtonStyle::CheckBox, 0, 20, 10, 30, QStringLiteral("Box"));
    red.button()->VarName = QStringLiteral("colour");
    blue.button()->VarName = QStringLiteral("colour");
    box.button()->VarName = QStringLiteral("[Opt]");
    red.button()->State = 1;

    h.vars.set(QStringLiteral("COLOUR"), QStringLiteral("bLUE"));
    EXPECT_EQ(red.button()->State, 0);
    EXPECT_EQ(blue.button()->State, 1);
    // Only the page shown is drawn again, and after every state was settled.
    EXPECT_EQ(h.calls, QStringList{"redraw Red 0 alone"});

    Object_Rec& blank = h.button(page2, ButtonStyle::RadioButton, 0, 20, 10, 30, QString());
    blank.button()->VarName = QStringLiteral("colour");
    h.vars.set(QStringLiteral("colour"), QString());
    EXPECT_EQ(blue.button()->State, 0);
    EXPECT_EQ(blank.button()->State, 0);

    h.vars.set(QStringLiteral("opt"), QStringLiteral("checked"));
    EXPECT_EQ(box.button()->State, 1);
    h.vars.set(QStringLiteral("opt"), QStringLiteral("yes"));
    EXPECT_EQ(box.button()->State, 0);
}

TEST_F(Fields, EveryBoundButtonOfEveryPageFollowsItsVariableWhateverTheCase)
{
    // Bound on the master page, on the first and on the last of many pages,
    // under names that differ in case and brackets.
    Object_Rec& onMaster = h.button(h.pub.document.master(), ButtonStyle::CheckBox, 0, 0, 10, 10, QStringLiteral("M"));
    onMaster.button()->VarName = QStringLiteral("[Opt]");
    Object_Rec& first = h.button(page1, ButtonStyle::EditField, 0, 20, 10, 30, QStringLiteral("F"));
    first.button()->VarName = QStringLiteral("opt");
    Page_Rec* last = &page2;
    for (int i = 3; i <= 50; ++i) {
        last = &h.page(QString::number(i));
        h.add(*last, ObjectKind::Rectangle, 0, 0, 5, 5);
    }
    Object_Rec& far = h.button(*last, ButtonStyle::EditField, 0, 20, 10, 30, QStringLiteral("L"));
    far.button()->VarName = QStringLiteral("O[P]T");
    Object_Rec& other = h.button(*last, ButtonStyle::EditField, 0, 40, 10, 50, QStringLiteral("X"));
    other.button()->VarName = QStringLiteral("optional");
    input.initialiseFieldStates();

    h.vars.set(QStringLiteral("OPT"), QStringLiteral("checked"));
    EXPECT_EQ(onMaster.button()->State, 1);
    EXPECT_EQ(first.button()->EditText, "checked");
    EXPECT_EQ(far.button()->EditText, "checked");
    EXPECT_EQ(other.button()->EditText, "X"); // its own Text, from the start

    // A button added after the publication was indexed is bound as well.
    Object_Rec& late = h.button(page2, ButtonStyle::CheckBox, 0, 60, 10, 70, QStringLiteral("Late"));
    late.button()->VarName = QStringLiteral("oPT");
    h.vars.set(QStringLiteral("opt"), QStringLiteral("CHECKED"));
    EXPECT_EQ(late.button()->State, 1);
    EXPECT_EQ(far.button()->EditText, "CHECKED");

    // Only the shown page is redrawn; the master page is not shown on it.
    h.calls.clear();
    h.vars.set(QStringLiteral("Opt"), QString());
    EXPECT_EQ(onMaster.button()->State, 0);
    EXPECT_EQ(far.button()->EditText, "");
    EXPECT_EQ(h.calls, QStringList{"redraw F 0 alone"});
}

TEST_F(Fields, TextsNamingTheVariableOrTheClockAreRedrawn)
{
    Object_Rec& label = h.add(page1, ObjectKind::Text, 0, 0, 100, 20);
    label.text()->Text = QStringLiteral("Hello [Name]");
    Object_Rec& clock = h.add(page1, ObjectKind::Text, 0, 30, 100, 50);
    clock.text()->Text = QStringLiteral("[Time]");
    clock.FillPattern = 1;
    h.add(page1, ObjectKind::Text, 0, 60, 100, 80).text()->Text = QStringLiteral("plain");

    h.vars.set(QStringLiteral("name"), QStringLiteral("Anne"));
    EXPECT_EQ(h.calls, QStringList{"redraw Hello [Name] 0 alone"});

    h.calls.clear();
    input.TimerTimer(); // the same second: nothing to redraw
    EXPECT_TRUE(h.calls.isEmpty());
    h.builtins.time = h.builtins.time.addSecs(1);
    input.TimerTimer();
    EXPECT_EQ(h.calls, QStringList{"redraw [Time] 0 area"});
}

TEST_F(Fields, EditFieldSitsInsideTheFrameCentredOnTheMHeight)
{
    Object_Rec o = makeObject(uint8_t(ObjectKind::Button));
    o.X1 = 10;
    o.Y1 = 20;
    o.X2 = 110;
    o.Y2 = 51;
    o.LineWidth = 2;
    EXPECT_EQ(InputController::editFieldRect(o, 15, false), QRect(13, 20 + 2 + 13 - 7, 94, 15));
    EXPECT_EQ(InputController::editFieldRect(o, 15, true), QRect(13, 23, 94, 25));

    Object_Rec& field = h.button(page1, ButtonStyle::EditField, 10, 20, 110, 51, QStringLiteral("F"));
    field.LineWidth = 2;
    field.FillColor = 0x0000FF; // red, low byte first
    Button_Rec& b = *field.button();
    b.Font = QStringLiteral("Arial");
    b.FontSize = 12;
    b.MaxLen = 5;
    b.EditText = QStringLiteral("abc");
    h.offset = {30, 40};
    input.changeFocus({&field, false}, InputController::FocusAs::EditField);
    const QLineEdit* line = input.editField()->lineEdit();
    const int mHeight = gdi::Font::fromPoints(b.Font, b.FontSize).height();
    EXPECT_EQ(line->geometry(), InputController::editFieldRect(field, mHeight, false).translated(30, 40));
    EXPECT_EQ(line->text(), "abc");
    EXPECT_EQ(line->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_FALSE(input.editField()->textEdit()->isVisibleTo(h.workArea));

    b.WordWrap = true;
    input.changeFocus({&field, false}, InputController::FocusAs::EditField);
    EXPECT_TRUE(input.editField()->textEdit()->isVisibleTo(h.workArea));
    EXPECT_FALSE(line->isVisibleTo(h.workArea));
}

TEST_F(Fields, TypingRunsTheActionPerCharacterButAVariableWriteDoesNot)
{
    Object_Rec& field = h.button(page1, ButtonStyle::EditField, 10, 20, 110, 50, QStringLiteral("F"));
    Button_Rec& b = *field.button();
    b.VarName = QStringLiteral("name");
    b.Action = QStringLiteral("typed");
    Object_Rec& other = h.button(page1, ButtonStyle::Push, 10, 60, 110, 80, QStringLiteral("Go"));
    other.button()->Key = vk::kA + ('q' - 'a');
    qApp->installEventFilter(input.keyFilter());
    input.changeFocus({&field, false}, InputController::FocusAs::EditField);
    QTest::keyClicks(input.editField()->widget(), QStringLiteral("Abq"));
    qApp->removeEventFilter(input.keyFilter());

    // "q" went to the accelerator before the field saw it.
    EXPECT_EQ(b.EditText, "Ab");
    EXPECT_EQ(h.vars.get(QStringLiteral("name")), "Ab");
    EXPECT_EQ(h.only(QStringLiteral("typed|run")), (QStringList{"typed", "typed", "run Go"}));

    // A script writing the variable updates the control without looping
    // back into the field's Action.
    h.vars.set(QStringLiteral("name"), QStringLiteral("Zoe"));
    EXPECT_EQ(input.editField()->text(), "Zoe");
    EXPECT_EQ(b.EditText, "Zoe");
    EXPECT_EQ(h.only(QStringLiteral("typed")).size(), 2);

    // Leaving the field draws it with its text and hides the control.
    h.calls.clear();
    input.clearFocus();
    EXPECT_EQ(h.calls, QStringList{"redraw F 0 alone"});
    EXPECT_FALSE(input.editField()->widget()->isVisibleTo(h.workArea));
}

TEST_F(Fields, TabTypedInAFieldMovesToTheNextFieldAndBack)
{
    Object_Rec& first = h.button(page1, ButtonStyle::EditField, 10, 20, 110, 50, QStringLiteral("F1"));
    Object_Rec& second = h.button(page1, ButtonStyle::EditField, 10, 60, 110, 90, QStringLiteral("F2"));
    second.button()->EditText = QStringLiteral("kept");
    qApp->installEventFilter(input.keyFilter());
    input.afterPageShown();
    ASSERT_EQ(input.focusedObject(), &first);
    QTest::keyClicks(input.editField()->widget(), QStringLiteral("ab"));
    QTest::keyClick(input.editField()->widget(), Qt::Key_Tab);
    EXPECT_EQ(input.focusedObject(), &second);
    EXPECT_TRUE(input.editActive());
    EXPECT_EQ(input.editField()->text(), "kept");
    EXPECT_EQ(first.button()->EditText, "ab");
    QTest::keyClick(input.editField()->widget(), Qt::Key_Backtab, Qt::ShiftModifier);
    qApp->removeEventFilter(input.keyFilter());
    EXPECT_EQ(input.focusedObject(), &first);
    EXPECT_EQ(input.editField()->text(), "ab");
    EXPECT_EQ(h.only(QStringLiteral("redraw")), (QStringList{"redraw F1 0 alone", "redraw F2 0 alone"}));
}

class LengthLimit : public Fields, public ::testing::WithParamInterface<bool> {
protected:
    // A field of four characters bound to "memo", single-line or wrapping.
    Object_Rec& field()
    {
        Object_Rec& o = h.button(page1, ButtonStyle::EditField, 10, 20, 210, 120, QStringLiteral("F"));
        o.button()->WordWrap = GetParam();
        o.button()->MaxLen = 4;
        o.button()->VarName = QStringLiteral("memo");
        return o;
    }
    QWidget* control() { return input.editField()->widget(); }
    QString shown() { return input.editField()->text(); }
    qsizetype actions() const { return h.only(QStringLiteral("run F")).size(); }
    void paste(const QString& text)
    {
        if (GetParam())
            input.editField()->textEdit()->insertPlainText(text);
        else
            input.editField()->lineEdit()->insert(text);
    }
};

TEST_P(LengthLimit, TypingStopsAtMaxLenAndAFullFieldRefusesKeys)
{
    input.changeFocus({&field(), false}, InputController::FocusAs::EditField);
    QTest::keyClicks(control(), QStringLiteral("abcdef"));
    EXPECT_EQ(shown(), "abcd");
    EXPECT_EQ(h.vars.get(QStringLiteral("memo")), "abcd");
    EXPECT_EQ(actions(), 4);

    // Typed at the start of a full field, a key changes nothing at all.
    QTest::keyClick(control(), Qt::Key_Home);
    QTest::keyClick(control(), Qt::Key_Z);
    EXPECT_EQ(shown(), "abcd");
    EXPECT_EQ(actions(), 4);
    // Once there is room, the key goes in where the cursor is.
    QTest::keyClick(control(), Qt::Key_Delete);
    QTest::keyClick(control(), Qt::Key_Z);
    EXPECT_EQ(shown(), "zbcd");
    EXPECT_EQ(h.vars.get(QStringLiteral("memo")), "zbcd");
    EXPECT_EQ(actions(), 6);

    // A paste keeps what fits.
    QTest::keyClick(control(), Qt::Key_End);
    QTest::keyClick(control(), Qt::Key_Backspace);
    QTest::keyClick(control(), Qt::Key_Backspace);
    paste(QStringLiteral("xyz"));
    EXPECT_EQ(shown(), "zbxy");
    EXPECT_EQ(actions(), 9);
}

TEST_P(LengthLimit, AVariableLongerThanMaxLenStaysWhole)
{
    Object_Rec& o = field();
    h.vars.set(QStringLiteral("memo"), QStringLiteral("a long text"));
    input.changeFocus({&o, false}, InputController::FocusAs::EditField);
    EXPECT_EQ(shown(), "a long text");
    QTest::keyClick(control(), Qt::Key_X);
    EXPECT_EQ(shown(), "a long text");
    EXPECT_EQ(actions(), 0);
    // The reader's first edit writes back all that is left.
    QTest::keyClick(control(), Qt::Key_Backspace);
    EXPECT_EQ(h.vars.get(QStringLiteral("memo")), "a long tex");
    EXPECT_EQ(o.button()->EditText, "a long tex");

    h.vars.set(QStringLiteral("memo"), QStringLiteral("written while shown"));
    EXPECT_EQ(shown(), "written while shown");
    input.clearFocus();
    EXPECT_EQ(o.button()->EditText, "written while shown");
}

INSTANTIATE_TEST_SUITE_P(Fields, LengthLimit, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("WordWrap") : std::string("SingleLine");
                         });

class IdleReturn : public Fields {
protected:
    void SetUp() override
    {
        Fields::SetUp();
        h.pub.settings.AutoReturn = true;
        h.pub.settings.ReturnTime = 2;
        h.pub.settings.ReturnAction = QStringLiteral("GO \"1\"");
    }
    int returns() const { return int(h.only(QStringLiteral("GO")).size()); }
};

TEST_F(IdleReturn, RunsAfterTheMinutesAndOnEveryTickUntilInput)
{
    input.afterPageShown();
    const int64_t start = rig.clock.ms;
    rig.clock.ms = start + 119000;
    input.TimerTimer();
    EXPECT_EQ(returns(), 0);
    rig.clock.ms = start + 120000;
    input.TimerTimer();
    EXPECT_EQ(returns(), 1);
    rig.clock.ms += 1000;
    input.TimerTimer();
    EXPECT_EQ(returns(), 2);

    input.keyDown(vk::kA, 0);
    rig.clock.ms += 1000;
    input.TimerTimer();
    EXPECT_EQ(returns(), 2);
    rig.clock.ms += 119000;
    input.WorkAreaMouseMove({5, 5});
    rig.clock.ms += 119000;
    input.TimerTimer();
    EXPECT_EQ(returns(), 2);
}

TEST_F(IdleReturn, WaitsWhileAPopupIsUpAndNeverWrapsOnHugeTimes)
{
    input.resetIdle();
    rig.clock.ms += 10 * 60000;
    input.setIdleSuspended(true);
    input.TimerTimer();
    EXPECT_EQ(returns(), 0);
    input.setIdleSuspended(false);
    input.TimerTimer();
    EXPECT_EQ(returns(), 1);

    h.pub.settings.ReturnTime = 40000; // minutes: past 2^31 milliseconds
    input.resetIdle();
    input.TimerTimer();
    EXPECT_EQ(returns(), 1);
}

} // namespace
} // namespace lumeria::test
