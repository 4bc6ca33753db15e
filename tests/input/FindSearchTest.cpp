// Find's search over pages built in the test, with formatted texts held in
// memory.
#include "input/FindSearch.h"

#include "script/Substitution.h"
#include "script/Variables.h"

#include <QHash>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

class NoBuiltins : public BuiltinValues {
public:
    QString pageTitle() const override { return {}; }
    QString pageNumber() const override { return {}; }
};

class FakeFindHost : public FindHost {
public:
    Publication pub;
    Variables vars;
    QHash<QString, QByteArray> files;
    int notFound = 0;
    QList<int> ioErrors;

    Publication& publication() override { return pub; }
    Page_Rec* currentPage() const override { return pub.document.currentPage(); }
    QString substitute(const QString& text) const override
    {
        const NoBuiltins none;
        return lumeria::substitute(text, vars, none);
    }
    Result<std::unique_ptr<ByteSource>> openFormattedText(const QString& name) override
    {
        if (!files.contains(name))
            return Failure{2};
        return std::unique_ptr<ByteSource>(std::make_unique<MemorySource>(files.value(name)));
    }
    std::unique_ptr<ByteSource> openWindowText(const QString& file, int, TextWrap) override
    {
        Result<std::unique_ptr<ByteSource>> opened = openFormattedText(file + QStringLiteral(".V"));
        return opened ? std::move(opened).value() : nullptr;
    }
    void showIoError(int code) override { ioErrors << code; }
    void showNotFound() override { ++notFound; }

    Page_Rec& page(const QString& name) { return *pub.document.appendPage(name, Palette{}); }
    Object_Rec& text(Page_Rec& page, const QString& text)
    {
        Object_Rec* o = pub.document.appendObject(page, uint8_t(ObjectKind::Text));
        o->text()->Text = text;
        return *o;
    }
    Object_Rec& article(Page_Rec& page, const QString& file, const QByteArray& lines)
    {
        Object_Rec* o = pub.document.appendObject(page, uint8_t(ObjectKind::Article));
        o->article()->FileName = file;
        files.insert(file, lines);
        return *o;
    }
};

// Formatted lines with headers and padding, as the layout writes them.
QByteArray formatted(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines)
        out += ("^Z015012" + line.leftJustified(60)).toLatin1() + "\r\n";
    return out;
}

class Find : public ::testing::Test {
protected:
    FakeFindHost host;
    FindSearch search{host};
    FindHit hit;
};

TEST_F(Find, APhraseBrokenOverTwoArticleLinesIsFound)
{
    Page_Rec& p = host.page(QStringLiteral("One"));
    Object_Rec& a = host.article(p, QStringLiteral("A.V"),
                                 formatted({QStringLiteral("First line ends with quick"),
                                            QStringLiteral("brown fox in the second."), QStringLiteral("Third.")}));
    host.pub.document.setCurrentPage(&p);
    ASSERT_EQ(search.search(QStringLiteral("quick BROWN"), hit), FindSearch::Outcome::Hit);
    EXPECT_EQ(hit.object, &a);
    EXPECT_EQ(hit.kind, FindHit::Kind::Article);
    EXPECT_EQ(hit.line, 1);
    EXPECT_EQ(hit.lineHeight, 15);
}

TEST_F(Find, HiddenTextAndLinkTargetsAreNotFoundButLinkTextIs)
{
    Page_Rec& p = host.page(QStringLiteral("One"));
    host.article(p, QStringLiteral("A.V"),
                 formatted({QStringLiteral("See ^Lthe shown part=GO \"Secret\"^l and ^Mhidden^m words.")}));
    host.pub.document.setCurrentPage(&p);
    EXPECT_EQ(search.search(QStringLiteral("secret"), hit), FindSearch::Outcome::NotFound);
    EXPECT_EQ(search.search(QStringLiteral("hidden"), hit), FindSearch::Outcome::NotFound);
    EXPECT_EQ(host.notFound, 2);
    EXPECT_EQ(search.search(QStringLiteral("shown part"), hit), FindSearch::Outcome::Hit);
}

TEST_F(Find, NextAfterTheLastHitSaysSoOnceThenStartsOver)
{
    Page_Rec& p = host.page(QStringLiteral("One"));
    Object_Rec& first = host.text(p, QStringLiteral("a cat"));
    Object_Rec& second = host.text(p, QStringLiteral("another ca^t|here"));
    host.pub.document.setCurrentPage(&p);
    ASSERT_EQ(search.search(QStringLiteral("cat"), hit), FindSearch::Outcome::Hit);
    EXPECT_EQ(hit.object, &first);
    ASSERT_EQ(search.search(QStringLiteral("cat"), hit), FindSearch::Outcome::Hit);
    EXPECT_EQ(hit.object, &second); // carets vanish
    EXPECT_EQ(search.search(QStringLiteral("cat"), hit), FindSearch::Outcome::NotFound);
    EXPECT_EQ(host.notFound, 1);
    EXPECT_FALSE(search.hasCurrentPage());
    ASSERT_EQ(search.search(QStringLiteral("cat"), hit), FindSearch::Outcome::Hit);
    EXPECT_EQ(hit.object, &first);
}

TEST_F(Find, TextsAreSearchedWithTheirVariablesValues)
{
    Page_Rec& p = host.page(QStringLiteral("One"));
    host.text(p, QStringLiteral("Hello [NAME]"));
    host.pub.document.setCurrentPage(&p);
    host.vars.set(QStringLiteral("NAME"), QStringLiteral("Zoe"));
    EXPECT_EQ(search.search(QStringLiteral("hello zoe"), hit), FindSearch::Outcome::Hit);
    search.reset();
    EXPECT_EQ(search.search(QStringLiteral("[name]"), hit), FindSearch::Outcome::NotFound);
}

TEST_F(Find, AllPagesSearchTheMasterAgainOnEveryPageThatShowsIt)
{
    Page_Rec& one = host.page(QStringLiteral("One"));
    Page_Rec& two = host.page(QStringLiteral("Two"));
    one.ShowMaster = true;
    two.ShowMaster = true;
    Object_Rec& banner = host.text(host.pub.document.master(), QStringLiteral("Banner"));
    host.pub.document.setCurrentPage(&one);
    search.setScope(QStringLiteral("all"));
    ASSERT_EQ(search.search(QStringLiteral("banner"), hit), FindSearch::Outcome::Hit);
    EXPECT_EQ(hit.page, &one);
    EXPECT_EQ(hit.object, &banner);
    EXPECT_TRUE(hit.onMaster);
    ASSERT_EQ(search.search(QStringLiteral("banner"), hit), FindSearch::Outcome::Hit);
    EXPECT_EQ(hit.page, &two);
    EXPECT_EQ(search.search(QStringLiteral("banner"), hit), FindSearch::Outcome::NotFound);
}

TEST_F(Find, NamedPagesInOrderAndAnUnknownNameStops)
{
    Page_Rec& one = host.page(QStringLiteral("One"));
    Page_Rec& two = host.page(QStringLiteral("Two"));
    host.text(one, QStringLiteral("word"));
    Object_Rec& inTwo = host.text(two, QStringLiteral("word"));
    host.pub.document.setCurrentPage(&one);
    search.setScope(QStringLiteral("Two|Nowhere|One"));
    ASSERT_EQ(search.search(QStringLiteral("word"), hit), FindSearch::Outcome::Hit);
    EXPECT_EQ(hit.object, &inTwo);
    EXPECT_EQ(search.search(QStringLiteral("word"), hit), FindSearch::Outcome::Stopped);
    EXPECT_EQ(host.notFound, 1);
}

TEST_F(Find, TextWindowsOfButtonsAndUnreadableArticles)
{
    Page_Rec& p = host.page(QStringLiteral("One"));
    Object_Rec* button = host.pub.document.appendObject(p, uint8_t(ObjectKind::Button));
    button->button()->Action = QStringLiteral("SV \"X\" \"1\" | TW \"Notes\" \"-1\" \"-1\" \"300\" \"200\" "
                                              "\"NOTES.TXT\" \"WORDWRAP\"");
    host.files.insert(QStringLiteral("NOTES.TXT.V"), formatted({QStringLiteral("nothing"), QStringLiteral("needle")}));
    Object_Rec* broken = host.pub.document.appendObject(p, uint8_t(ObjectKind::Article));
    broken->article()->FileName = QStringLiteral("GONE.V");
    host.pub.document.setCurrentPage(&p);
    ASSERT_EQ(search.search(QStringLiteral("needle"), hit), FindSearch::Outcome::Hit);
    EXPECT_EQ(hit.kind, FindHit::Kind::TextWindow);
    EXPECT_EQ(hit.line, 1);
    EXPECT_EQ(hit.widthKey, 300);
    EXPECT_EQ(hit.windowFile, QStringLiteral("NOTES.TXT"));
    EXPECT_TRUE(hit.windowCommand.startsWith(QStringLiteral("TW ")));
    EXPECT_EQ(search.search(QStringLiteral("needle"), hit), FindSearch::Outcome::NotFound);
    EXPECT_EQ(host.ioErrors, QList<int>{2});
}

} // namespace
} // namespace lumeria
