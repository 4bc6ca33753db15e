#include "InputTestSupport.h"

#include "input/KeyFilter.h"
#include "platform/VirtualKeys.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace lumeria::test {
namespace {

class Keyboard : public InputFixture {
protected:
    Page_Rec& page3 = h.page(QStringLiteral("3"));

    bool key(int code, uint16_t bits = 0) { return input.keyDown(code, bits); }
};

TEST_F(Keyboard, EscClosesOnlyWhenAllowedOrAsScreenSaverAndOtherwiseStopsAScript)
{
    EXPECT_FALSE(key(vk::kEscape));
    EXPECT_TRUE(h.calls.isEmpty());

    h.running = true;
    EXPECT_TRUE(key(vk::kEscape));
    EXPECT_TRUE(key(vk::kPause));
    // Where Esc may close the player, it still abandons a running script
    // first; a running saver goes at once.
    h.pub.settings.AllowEsc = true;
    EXPECT_TRUE(key(vk::kEscape));
    h.screenSaver = true;
    EXPECT_TRUE(key(vk::kEscape));
    EXPECT_EQ(h.calls, (QStringList{"stop", "stop", "stop", "close"}));

    h.calls.clear();
    h.running = false;
    h.screenSaver = false;
    EXPECT_TRUE(key(vk::kEscape));
    h.pub.settings.AllowEsc = false;
    h.screenSaver = true;
    EXPECT_TRUE(key(vk::kEscape));
    EXPECT_EQ(h.calls, (QStringList{"close", "close"}));
}

TEST_F(Keyboard, PageKeysTurnPagesAndDoNothingPastTheEnds)
{
    EXPECT_FALSE(key(vk::kNext));
    h.pub.settings.AllowPageUpDn = true;
    EXPECT_TRUE(key(vk::kPrior)); // first page: consumed, nowhere to go
    EXPECT_TRUE(h.calls.isEmpty());
    EXPECT_TRUE(key(vk::kNext));
    EXPECT_TRUE(key(vk::kEnd));
    EXPECT_TRUE(key(vk::kHome)); // already there
    h.pub.document.setCurrentPage(&page3);
    EXPECT_TRUE(key(vk::kNext));
    EXPECT_TRUE(key(vk::kPrior));
    EXPECT_TRUE(key(vk::kHome));
    EXPECT_EQ(h.calls, (QStringList{"go 2", "go 3", "go 2", "go 1"}));
}

TEST_F(Keyboard, HomeAndEndStayInAnActiveEditField)
{
    h.pub.settings.AllowPageUpDn = true;
    Object_Rec& field = h.button(page1, ButtonStyle::EditField, 10, 10, 100, 30, QStringLiteral("F"));
    input.changeFocus({&field, false}, InputController::FocusAs::EditField);
    ASSERT_TRUE(input.editActive());
    EXPECT_FALSE(key(vk::kHome));
    EXPECT_FALSE(key(vk::kEnd));
    EXPECT_TRUE(key(vk::kNext));
    EXPECT_EQ(h.only(QStringLiteral("go")), QStringList{"go 2"});
}

TEST_F(Keyboard, EnterPressesTheFocusedButtonWithAHeldLook)
{
    h.pub.settings.TabButtons = true;
    Object_Rec& box = h.button(page1, ButtonStyle::CheckBox, 10, 10, 50, 30, QStringLiteral("Box"));
    box.button()->VarName = QStringLiteral("opt");
    input.moveFocus(PageObjects::Direction::Forward);
    ASSERT_EQ(input.focusedObject(), &box);
    // A repeated key arriving during the wait must not press it again.
    h.onWait = [&] { EXPECT_TRUE(key(vk::kSpace)); };
    h.calls.clear();
    EXPECT_TRUE(key(vk::kReturn));
    EXPECT_EQ(h.calls, (QStringList{"redraw Box 2 alone", "frame Box", "frame Box", "wait 150", "redraw Box 1 alone",
                                    "redraw Box 1 alone", "run Box"}));
    EXPECT_EQ(h.vars.get(QStringLiteral("opt")), "Checked");
}

TEST_F(Keyboard, AcceleratorsMatchModifiersExactly)
{
    Object_Rec& x = h.button(page1, ButtonStyle::Push, 10, 10, 50, 30, QStringLiteral("X"));
    x.button()->Key = 88;
    EXPECT_FALSE(key(88, vk::kShiftBit));
    EXPECT_TRUE(key(88));
    EXPECT_EQ(h.only(QStringLiteral("run")), QStringList{"run X"});
    // A selected radio button answers its key by doing nothing, but the key
    // is still its own.
    x.button()->Style = uint8_t(ButtonStyle::RadioButton);
    x.button()->State = 1;
    EXPECT_TRUE(key(88));
    EXPECT_EQ(h.only(QStringLiteral("run")).size(), 1);
}

TEST_F(Keyboard, FocusedArticleTakesNavigationKeysEvenWithoutBars)
{
    h.pub.settings.TabWindows = true;
    Object_Rec& article = h.add(page1, ObjectKind::Article, 10, 10, 200, 200);
    article.article()->WindowFlags = windowflags::kVerticalBar;
    input.moveFocus(PageObjects::Direction::Forward);
    ASSERT_EQ(input.focusedObject(), &article);
    for (int code : {vk::kDown, vk::kLeft, vk::kPrior, vk::kHome})
        EXPECT_TRUE(key(code));
    EXPECT_FALSE(key(vk::kA));
    EXPECT_EQ(h.only(QStringLiteral("bar")), (QStringList{"bar v 40", "bar h 37", "bar v 33", "bar v 36"}));
}

TEST_F(Keyboard, TabWithNothingEligibleClearsTheFocus)
{
    Object_Rec& push = h.button(page1, ButtonStyle::Push, 10, 10, 50, 30, QStringLiteral("Go"));
    input.changeFocus({&push, false});
    EXPECT_TRUE(key(vk::kTab, vk::kShiftBit));
    EXPECT_EQ(input.focusedObject(), nullptr);
    EXPECT_FALSE(input.focusFrameShown());
}

TEST_F(Keyboard, PageChangeMovesTheFocusToTheFirstStopOfTheNewPage)
{
    h.pub.settings.TabButtons = true;
    Object_Rec& first = h.button(page1, ButtonStyle::Push, 10, 10, 50, 30, QStringLiteral("A"));
    Object_Rec& other = h.button(page2, ButtonStyle::Push, 10, 10, 50, 30, QStringLiteral("B"));
    input.afterPageShown();
    EXPECT_EQ(input.focusedObject(), &first);
    input.beforePageChange();
    EXPECT_EQ(input.focusedObject(), nullptr);
    h.pub.document.setCurrentPage(&page2);
    input.afterPageShown();
    EXPECT_EQ(input.focusedObject(), &other);
    EXPECT_EQ(h.only(QStringLiteral("frame")), (QStringList{"frame A", "frame A", "frame B"}));
}

TEST_F(Keyboard, FilterHandlesKeysOfTheMainWindowOnly)
{
    h.pub.settings.AllowEsc = true;
    qApp->installEventFilter(input.keyFilter());
    QWidget elsewhere;
    QTest::keyClick(&elsewhere, Qt::Key_Escape);
    EXPECT_TRUE(h.calls.isEmpty());
    QTest::keyClick(&h.window, Qt::Key_Escape);
    EXPECT_EQ(h.calls, QStringList{"close"});
    qApp->removeEventFilter(input.keyFilter());
}

} // namespace
} // namespace lumeria::test
