#include "InputTestSupport.h"

#include <gtest/gtest.h>

namespace lumeria::test {
namespace {

using Mouse = InputFixture;

TEST_F(Mouse, LeavingAndComingBackBeforeReleaseRunsTheActionOnce)
{
    Object_Rec& b = h.button(page1, ButtonStyle::Push, 10, 10, 50, 30, QStringLiteral("Go"));
    input.WorkAreaMouseDown(Qt::LeftButton, {20, 20});
    EXPECT_EQ(input.pressMode(), PressMode::Button);
    input.WorkAreaMouseMove({100, 100}); // off: pops up
    input.WorkAreaMouseMove({200, 100}); // still off: no second redraw
    input.WorkAreaMouseMove({30, 20});   // back: down again
    input.WorkAreaMouseUp(Qt::LeftButton, {30, 20});
    EXPECT_EQ(h.calls.filter(QStringLiteral("redraw")),
              (QStringList{"redraw Go 1 alone", "redraw Go 0 alone", "redraw Go 1 alone", "redraw Go 0 alone"}));
    EXPECT_EQ(h.calls.filter(QStringLiteral("run ")), QStringList{"run Go"});
    EXPECT_EQ(b.button()->State, 0);
    EXPECT_EQ(h.calls.first(), "timer off");
    EXPECT_EQ(h.calls.last(), "timer on");
}

TEST_F(Mouse, ReleaseOutsideRunsNothingAndLeavesACheckBoxAsItWas)
{
    Object_Rec& push = h.button(page1, ButtonStyle::Push, 10, 10, 50, 30, QStringLiteral("Go"));
    Object_Rec& box = h.button(page1, ButtonStyle::CheckBox, 10, 40, 50, 60, QStringLiteral("Box"));
    box.button()->VarName = QStringLiteral("opt");
    for (Object_Rec* o : {&push, &box}) {
        input.WorkAreaMouseDown(Qt::LeftButton, {o->X1 + 1, o->Y1 + 1});
        input.WorkAreaMouseMove({300, 300});
        input.WorkAreaMouseUp(Qt::LeftButton, {300, 300});
    }
    EXPECT_TRUE(h.calls.filter(QStringLiteral("run ")).isEmpty());
    EXPECT_EQ(push.button()->State, 0);
    EXPECT_EQ(box.button()->State, 0);
    EXPECT_EQ(h.vars.count(), 0);
}

TEST_F(Mouse, CheckBoxTogglesItsVariable)
{
    Object_Rec& box = h.button(page1, ButtonStyle::CheckBox, 10, 40, 50, 60, QStringLiteral("Box"));
    box.button()->VarName = QStringLiteral("[opt]");
    rig.click({20, 50});
    EXPECT_EQ(box.button()->State, 1);
    EXPECT_EQ(h.vars.get(QStringLiteral("opt")), "Checked");
    rig.click({20, 50});
    EXPECT_EQ(box.button()->State, 0);
    EXPECT_EQ(h.vars.count(), 0);
    EXPECT_EQ(h.calls.filter(QStringLiteral("run ")).size(), 2);
}

TEST_F(Mouse, RadioGroupSpansPagesByExactVarName)
{
    Object_Rec& here = h.button(page1, ButtonStyle::RadioButton, 10, 10, 50, 30, QStringLiteral("Red"));
    Object_Rec& there = h.button(page2, ButtonStyle::RadioButton, 10, 10, 50, 30, QStringLiteral("Blue"));
    Object_Rec& otherCase = h.button(page2, ButtonStyle::RadioButton, 10, 40, 50, 60, QStringLiteral("Green"));
    here.button()->VarName = QStringLiteral("colour");
    there.button()->VarName = QStringLiteral("colour");
    otherCase.button()->VarName = QStringLiteral("COLOUR");
    there.button()->State = 1;
    otherCase.button()->State = 1;

    rig.click({20, 20});
    EXPECT_EQ(here.button()->State, 1);
    EXPECT_EQ(there.button()->State, 0);
    EXPECT_EQ(h.vars.get(QStringLiteral("colour")), "Red");
    // The group is the exact VarName; only the shown page is drawn again.
    EXPECT_EQ(otherCase.button()->State, 1);
    EXPECT_TRUE(h.calls.filter(QStringLiteral("redraw Blue")).isEmpty());

    h.calls.clear();
    rig.click({20, 20}); // already selected: nothing at all
    EXPECT_EQ(h.calls, (QStringList{"timer off", "timer on"}));
}

TEST_F(Mouse, TheTopmostObjectTakesThePressEvenWhenItIsNotAButton)
{
    Object_Rec& lower = h.button(page1, ButtonStyle::Push, 10, 10, 100, 100, QStringLiteral("Lower"));
    Object_Rec& upper = h.button(page1, ButtonStyle::Push, 50, 50, 150, 150, QStringLiteral("Upper"));
    rig.click({60, 60});
    EXPECT_EQ(h.calls.filter(QStringLiteral("run ")), QStringList{"run Upper"});
    // The lower one is drawn through the page because the upper overlaps it.
    h.calls.clear();
    rig.click({20, 20});
    EXPECT_EQ(h.calls.filter(QStringLiteral("redraw")).first(), "redraw Lower 1 area");

    page1.ShowMaster = true;
    h.button(h.pub.document.master(), ButtonStyle::Push, 0, 0, 300, 300, QStringLiteral("Master"));
    h.add(page1, ObjectKind::Text, 55, 55, 70, 70);
    h.calls.clear();
    rig.click({60, 60});
    EXPECT_TRUE(h.calls.filter(QStringLiteral("run ")).isEmpty());
    rig.click({120, 120});
    rig.click({200, 200});
    EXPECT_EQ(h.calls.filter(QStringLiteral("run ")), (QStringList{"run Upper", "run Master"}));
    EXPECT_EQ(lower.button()->State, 0);
    EXPECT_EQ(upper.button()->State, 0);
}

TEST_F(Mouse, PointsAreTakenRelativeToThePageOffset)
{
    h.button(page1, ButtonStyle::Push, 10, 10, 20, 20, QStringLiteral("Go"));
    h.offset = {100, 50};
    rig.click({15, 15});
    EXPECT_TRUE(h.calls.filter(QStringLiteral("run ")).isEmpty());
    rig.click({120, 70});
    EXPECT_EQ(h.calls.filter(QStringLiteral("run ")), QStringList{"run Go"});
}

TEST_F(Mouse, AnotherButtonPressedWhileHoldingPutsTheHeldButtonBack)
{
    Object_Rec& b = h.button(page1, ButtonStyle::Push, 10, 10, 50, 30, QStringLiteral("Go"));
    input.WorkAreaMouseDown(Qt::LeftButton, {20, 20});
    input.WorkAreaMouseDown(Qt::RightButton, {20, 20});
    input.WorkAreaMouseUp(Qt::RightButton, {20, 20});
    input.WorkAreaMouseUp(Qt::LeftButton, {20, 20});
    EXPECT_EQ(b.button()->State, 0);
    EXPECT_EQ(h.calls.filter(QStringLiteral("redraw")).last(), "redraw Go 0 alone");
    EXPECT_TRUE(h.calls.filter(QStringLiteral("run ")).isEmpty());
}

TEST_F(Mouse, PressWithTabButtonsFocusesAndEditFieldTakesTheEditControl)
{
    h.pub.settings.TabButtons = true;
    Object_Rec& push = h.button(page1, ButtonStyle::Push, 10, 10, 50, 30, QStringLiteral("Go"));
    Object_Rec& field = h.button(page1, ButtonStyle::EditField, 10, 40, 100, 60, QStringLiteral("Name"));
    rig.click({20, 20});
    EXPECT_EQ(input.focusedObject(), &push);
    EXPECT_TRUE(input.focusFrameShown());
    input.WorkAreaMouseDown(Qt::LeftButton, {20, 50});
    EXPECT_EQ(input.pressMode(), PressMode::EditField);
    EXPECT_EQ(input.focusedObject(), &field);
    EXPECT_TRUE(input.editActive());
    EXPECT_FALSE(input.focusFrameShown());
    input.WorkAreaMouseUp(Qt::LeftButton, {20, 50});
    // The frame went from the button and never came to the field.
    EXPECT_EQ(h.calls.filter(QStringLiteral("frame")), (QStringList{"frame Go", "frame Go"}));
}

TEST_F(Mouse, CursorFollowsWhatIsUnderThePointer)
{
    h.button(page1, ButtonStyle::Push, 10, 10, 50, 30, QStringLiteral("Go"));
    h.button(page1, ButtonStyle::EditField, 10, 40, 100, 60, QStringLiteral("Name"));
    h.add(page1, ObjectKind::Rectangle, 200, 200, 300, 300);
    input.WorkAreaMouseMove({20, 20});
    input.WorkAreaMouseMove({25, 20});
    input.WorkAreaMouseMove({20, 50});
    input.WorkAreaMouseMove({250, 250});
    input.WorkAreaMouseMove({400, 400});
    EXPECT_EQ(h.only(QStringLiteral("cursor")),
              (QStringList{QStringLiteral("cursor %1").arg(int(WorkAreaCursor::Hotspot)),
                           QStringLiteral("cursor %1").arg(int(WorkAreaCursor::IBeam)),
                           QStringLiteral("cursor %1").arg(int(WorkAreaCursor::Application))}));
}

class ArticleLinks : public Mouse {
protected:
    Object_Rec* article = nullptr;
    QPoint seen;

    void SetUp() override
    {
        Mouse::SetUp();
        article = &h.add(page1, ObjectKind::Article, 100, 100, 300, 300);
        article->LineWidth = 2;
        h.linkAt = [this](const Object_Rec&, QPoint p) -> std::optional<QString> {
            seen = p;
            if (p.y() < 10)
                return QStringLiteral("GO \"2\"");
            if (p.y() < 20)
                return QStringLiteral(":Chapter");
            return std::nullopt;
        };
    }
};

TEST_F(ArticleLinks, ScriptLinkRunsWithArticleLocalPoint)
{
    rig.click({105, 106});
    EXPECT_EQ(seen, QPoint(3, 4));
    EXPECT_EQ(h.only(QStringLiteral("GO")), QStringList{"GO \"2\""});
}

TEST_F(ArticleLinks, AnchorLinkScrollsOrBeeps)
{
    rig.click({105, 115}); // no vertical bar
    EXPECT_EQ(h.only(QStringLiteral("beep")).size(), 1);
    h.verticalBar = true;
    rig.click({105, 115}); // bar, but no such anchor
    EXPECT_EQ(h.only(QStringLiteral("beep")).size(), 2);
    h.anchors[QStringLiteral("CHAPTER")] = 42;
    rig.click({105, 115});
    EXPECT_EQ(h.only(QStringLiteral("beep")).size(), 2);
    EXPECT_EQ(h.only(QStringLiteral("top line")), QStringList{"top line 42"});
    EXPECT_EQ(h.only(QStringLiteral("redraw")).last(), "redraw 100,100 0 alone");
}

} // namespace
} // namespace lumeria::test
