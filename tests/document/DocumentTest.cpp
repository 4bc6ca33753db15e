#include "document/Document.h"

#include <gtest/gtest.h>

namespace lumeria {
namespace {

TEST(Document, MasterPageAnswersToItsNameInAnyCase)
{
    Document doc;
    doc.appendPage(QStringLiteral("Intro"), {});
    EXPECT_EQ(doc.master().Name, QStringLiteral("Page maître"));
    EXPECT_EQ(doc.findPage(QStringLiteral("PAGE MAÎTRE")), &doc.master());
    EXPECT_EQ(doc.findPage(QStringLiteral("page maître")), &doc.master());
    EXPECT_EQ(doc.pageNumber(&doc.master()), 0);
    EXPECT_EQ(doc.pageCount(), 1);
}

TEST(Document, LookupIsCaseInsensitiveAndFindsTheFirstOfDuplicates)
{
    Document doc;
    Page_Rec* first = doc.appendPage(QStringLiteral("Same"), {});
    Page_Rec* second = doc.appendPage(QStringLiteral("SAME"), {});
    Page_Rec* other = doc.appendPage(QStringLiteral("Other"), {});
    EXPECT_EQ(doc.findPage(QStringLiteral("same")), first);
    EXPECT_EQ(doc.findPage(QStringLiteral("oTHER")), other);
    EXPECT_EQ(doc.findPage(QStringLiteral("none")), nullptr);
    EXPECT_EQ(doc.pageNumber(second), 2);
    EXPECT_EQ(doc.pageNumber(other), 3);
    EXPECT_EQ(doc.lastPage(), other);
    EXPECT_EQ(doc.currentPage(), first);
}

// The master page's objects come first when a page shows them, and once
// only when the master page is itself the page shown.
TEST(Document, ShownObjectsPutTheMasterPageUnderThePageAndNeverTwice)
{
    Document doc;
    Page_Rec* page = doc.appendPage(QStringLiteral("One"), {});
    Object_Rec* under = doc.appendObject(doc.master(), 5);
    Object_Rec* over = doc.appendObject(*page, 5);

    page->ShowMaster = true;
    EXPECT_EQ(doc.shownObjects(page), (std::vector<ObjectRef>{{under, true}, {over, false}}));
    page->ShowMaster = false;
    EXPECT_EQ(doc.shownObjects(page), (std::vector<ObjectRef>{{over, false}}));

    doc.master().ShowMaster = true;
    EXPECT_FALSE(doc.showsMaster(&doc.master()));
    EXPECT_EQ(doc.shownObjects(&doc.master()), (std::vector<ObjectRef>{{under, false}}));
    EXPECT_TRUE(doc.shownObjects(nullptr).empty());
}

TEST(Document, PageLimitIs9999)
{
    Document doc;
    for (int i = 0; i < Document::kMaxPages; ++i)
        ASSERT_NE(doc.appendPage(QString::number(i), {}), nullptr) << i;
    EXPECT_EQ(doc.appendPage(QStringLiteral("one too many"), {}), nullptr);
    EXPECT_EQ(doc.pageCount(), 9999);
    EXPECT_EQ(doc.pageNumber(doc.findPage(QStringLiteral("9998"))), 9999);
}

TEST(Document, ObjectLimitCountsTheMasterPage)
{
    Document doc;
    Page_Rec* page = doc.appendPage(QStringLiteral("P"), {});
    for (int i = 0; i < 100; ++i)
        ASSERT_NE(doc.appendObject(doc.master(), 5), nullptr);
    for (int i = 100; i < Document::kMaxObjects; ++i)
        ASSERT_NE(doc.appendObject(*page, 6), nullptr) << i;
    EXPECT_EQ(doc.appendObject(*page, 6), nullptr);
    EXPECT_EQ(doc.objectCount(), 32000);

    doc.removeObject(*page, page->Objects.front().get());
    EXPECT_EQ(doc.objectCount(), 31999);
    EXPECT_NE(doc.appendObject(*page, 6), nullptr);
}

TEST(Document, NewObjectsGetTheirKindRecordAndDefaults)
{
    Document doc;
    Page_Rec* page = doc.appendPage(QStringLiteral("P"), {});
    EXPECT_NE(doc.appendObject(*page, 2)->article(), nullptr);
    EXPECT_EQ(page->Objects.back()->article()->MaxLineHeight, 1);
    EXPECT_NE(doc.appendObject(*page, 3)->button(), nullptr);
    Object_Rec* picture = doc.appendObject(*page, 4);
    ASSERT_NE(picture->picture(), nullptr);
    EXPECT_EQ(picture->FillPattern, 1);
    EXPECT_NE(doc.appendObject(*page, 8)->text(), nullptr);
    for (uint8_t kind : {5, 6, 7, 0, 9, 255}) {
        const Object_Rec* o = doc.appendObject(*page, kind);
        EXPECT_TRUE(std::holds_alternative<std::monostate>(o->Data)) << int(kind);
        EXPECT_EQ(o->FillPattern, 0);
    }
}

TEST(Document, RemovingTheHeadPageMakesItsNextTheHead)
{
    Document doc;
    Page_Rec* head = doc.appendPage(QStringLiteral("A"), {});
    doc.appendObject(*head, 5);
    doc.appendObject(*head, 5);
    Page_Rec* next = doc.appendPage(QStringLiteral("B"), {});
    doc.enterPage(next);
    EXPECT_EQ(next->CameFrom, head);

    doc.removePage(head);
    EXPECT_EQ(doc.pages().front().get(), next);
    EXPECT_EQ(doc.pageNumber(next), 1);
    EXPECT_EQ(doc.objectCount(), 0);
    EXPECT_EQ(next->CameFrom, nullptr); // never points at a freed page
}

TEST(Document, ClearFreesEverythingButTheMasterPage)
{
    Document doc;
    doc.appendObject(doc.master(), 5);
    doc.appendObject(*doc.appendPage(QStringLiteral("A"), {}), 5);
    doc.clear();
    EXPECT_EQ(doc.pageCount(), 0);
    EXPECT_EQ(doc.objectCount(), 0);
    EXPECT_EQ(doc.currentPage(), nullptr);
    EXPECT_TRUE(doc.master().Objects.empty());
    EXPECT_EQ(doc.findPage(QStringLiteral("page maître")), &doc.master());
}

} // namespace
} // namespace lumeria
