#include "InputTestSupport.h"

#include "platform/VirtualKeys.h"

#include <gtest/gtest.h>

namespace lumeria::test {
namespace {

using Direction = PageObjects::Direction;

TEST(HitTest, LaterObjectAndPageOverMasterWinWithInclusiveEdges)
{
    RecordingHost h;
    Page_Rec& page = h.page(QStringLiteral("1"));
    page.ShowMaster = true;
    Object_Rec& onMaster = h.button(h.pub.document.master(), ButtonStyle::Push, 0, 0, 100, 100, QStringLiteral("M"));
    Object_Rec& lower = h.button(page, ButtonStyle::Push, 50, 50, 150, 150, QStringLiteral("A"));
    Object_Rec& upper = h.button(page, ButtonStyle::Push, 100, 100, 200, 200, QStringLiteral("B"));
    const PageObjects view(h.pub.document, &page);

    EXPECT_EQ(view.hitTest({10, 10}), (ObjectRef{&onMaster, true}));
    EXPECT_EQ(view.hitTest({60, 60}), (ObjectRef{&lower, false}));
    EXPECT_EQ(view.hitTest({120, 120}), (ObjectRef{&upper, false}));
    // X2 and Y2 belong to the object, one pixel past does not.
    EXPECT_EQ(view.hitTest({200, 200}).object, &upper);
    EXPECT_FALSE(view.hitTest({201, 150}));
    EXPECT_FALSE(view.hitTest({150, 201}));
    // Without ShowMaster the master page is not there at all.
    page.ShowMaster = false;
    EXPECT_FALSE(PageObjects(h.pub.document, &page).hitTest({10, 10}));
}

TEST(HitTest, OverlapCountsOnlyObjectsPaintedLater)
{
    RecordingHost h;
    Page_Rec& page = h.page(QStringLiteral("1"));
    page.ShowMaster = true;
    Object_Rec& master = h.add(h.pub.document.master(), ObjectKind::Rectangle, 0, 0, 10, 10);
    Object_Rec& first = h.add(page, ObjectKind::Rectangle, 10, 10, 20, 20); // shares one corner pixel
    Object_Rec& last = h.add(page, ObjectKind::Rectangle, 30, 30, 40, 40);
    const PageObjects view(h.pub.document, &page);
    EXPECT_TRUE(view.overlapped(master));
    EXPECT_FALSE(view.overlapped(first));
    EXPECT_FALSE(view.overlapped(last));
}

class TabOrder : public ::testing::Test {
protected:
    RecordingHost h;
    Page_Rec& page = h.page(QStringLiteral("1"));
    Object_Rec& m = h.button(h.pub.document.master(), ButtonStyle::Push, 0, 0, 10, 10, QStringLiteral("M"));
    Object_Rec& a = h.button(page, ButtonStyle::Push, 20, 0, 30, 10, QStringLiteral("A"));
    Object_Rec& field = h.button(page, ButtonStyle::EditField, 40, 0, 60, 10, QStringLiteral("F"));
    Object_Rec& b = h.button(page, ButtonStyle::CheckBox, 70, 0, 80, 10, QStringLiteral("B"));

    void SetUp() override { page.ShowMaster = true; }
    const Object_Rec* next(const Object_Rec* from, Direction d, bool buttons = true, bool windows = false)
    {
        return PageObjects(h.pub.document, &page).nextTabStop(from, d, buttons, windows).object;
    }
};

TEST_F(TabOrder, WrapsBothWays)
{
    EXPECT_EQ(next(nullptr, Direction::Forward), &m);
    EXPECT_EQ(next(&m, Direction::Forward), &a);
    EXPECT_EQ(next(&b, Direction::Forward), &m);
    // Backward walks the master list first, each list from its end.
    EXPECT_EQ(next(nullptr, Direction::Backward), &m);
    EXPECT_EQ(next(&m, Direction::Backward), &b);
    EXPECT_EQ(next(&a, Direction::Backward), &m);
}

TEST_F(TabOrder, WithoutTabButtonsOnlyEditFieldsAreStops)
{
    EXPECT_EQ(next(nullptr, Direction::Forward, false), &field);
    EXPECT_EQ(next(&field, Direction::Forward, false), &field);
    field.button()->Style = uint8_t(ButtonStyle::Push);
    EXPECT_EQ(next(&field, Direction::Forward, false), nullptr);
}

TEST_F(TabOrder, StopCoveredWholeByALaterObjectIsSkipped)
{
    h.add(page, ObjectKind::Rectangle, 15, 0, 35, 10); // covers A
    h.add(page, ObjectKind::Rectangle, 45, 0, 60, 10); // covers F only in part
    h.add(page, ObjectKind::Rectangle, 0, 0, 10, 10);  // a page object covers the master's M
    EXPECT_EQ(next(nullptr, Direction::Forward), &field);
    EXPECT_EQ(next(&field, Direction::Forward), &b);
    EXPECT_EQ(next(&b, Direction::Forward), &field);
}

TEST(Accelerators, ModifiersMustMatchAndTheMasterPageWins)
{
    RecordingHost h;
    Page_Rec& page = h.page(QStringLiteral("1"));
    Object_Rec& pageX = h.button(page, ButtonStyle::Push, 0, 0, 10, 10, QStringLiteral("P"));
    pageX.button()->Key = 88;
    Object_Rec& shiftX = h.button(page, ButtonStyle::Push, 0, 20, 10, 30, QStringLiteral("S"));
    shiftX.button()->Key = 88 | vk::kShiftBit;
    Object_Rec& masterX = h.button(h.pub.document.master(), ButtonStyle::Push, 0, 0, 10, 10, QStringLiteral("M"));
    masterX.button()->Key = 88;

    EXPECT_EQ(PageObjects(h.pub.document, &page).findAccelerator(88).object, &pageX);
    EXPECT_EQ(PageObjects(h.pub.document, &page).findAccelerator(88 | vk::kShiftBit).object, &shiftX);
    EXPECT_FALSE(PageObjects(h.pub.document, &page).findAccelerator(88 | vk::kCtrlBit));
    page.ShowMaster = true;
    EXPECT_EQ(PageObjects(h.pub.document, &page).findAccelerator(88), (ObjectRef{&masterX, true}));
}

} // namespace
} // namespace lumeria::test
