// What reading aloud takes from a page: which objects speak, in which
// order, and how far a large text is read.
#include "app/PageReading.h"
#include "app/ReadingAloud.h"

#include "container/ByteSource.h"

#include <QHash>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

// Formatted lines with headers and padding, as the layout writes them.
QByteArray formatted(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines)
        out += ("^Z015012" + line.leftJustified(60)).toLatin1() + "\r\n";
    return out;
}

class PageReadingTest : public ::testing::Test {
protected:
    PageReadingTest()
    {
        page = document.appendPage(QStringLiteral("One"), Palette{});
        sources.substitute = [this](QString text) { return text.replace(QStringLiteral("[NAME]"), name); };
        sources.openText = [this](const QString& file) -> std::unique_ptr<ByteSource> {
            if (!files.contains(file))
                return nullptr;
            return std::make_unique<MemorySource>(files.value(file));
        };
    }

    Object_Rec& add(ObjectKind kind, int x1, int y1, int x2, int y2, Page_Rec* on = nullptr)
    {
        Object_Rec* o = document.appendObject(on ? *on : *page, uint8_t(kind));
        o->X1 = x1;
        o->Y1 = y1;
        o->X2 = x2;
        o->Y2 = y2;
        return *o;
    }
    Object_Rec& text(const QString& words, int x1, int y1, int x2, int y2, Page_Rec* on = nullptr)
    {
        Object_Rec& o = add(ObjectKind::Text, x1, y1, x2, y2, on);
        o.FillPattern = Object_Rec::kNoFill;
        o.text()->Text = words;
        return o;
    }
    Object_Rec& button(ButtonStyle style, const QString& label, int x1, int y1)
    {
        Object_Rec& o = add(ObjectKind::Button, x1, y1, x1 + 60, y1 + 20);
        o.button()->Style = uint8_t(style);
        o.button()->Text = label;
        return o;
    }
    Object_Rec& article(const QString& file, const QByteArray& lines, int x1, int y1)
    {
        Object_Rec& o = add(ObjectKind::Article, x1, y1, x1 + 200, y1 + 80);
        o.article()->FileName = file;
        files.insert(file, lines);
        return o;
    }
    QStringList read(qsizetype limit = kMaxPageReading) { return pageReading(document, *page, sources, limit); }

    Document document;
    Page_Rec* page = nullptr;
    ReadingSources sources;
    QHash<QString, QByteArray> files;
    QString name = QStringLiteral("Ada");
};

TEST_F(PageReadingTest, RowsGoTopToBottomAndEachRowLeftToRightWhateverTheDrawingOrder)
{
    text(QStringLiteral("bottom"), 10, 200, 100, 220);
    text(QStringLiteral("title"), 200, 50, 300, 70);
    text(QStringLiteral("left"), 10, 54, 150, 70); // a few pixels lower, still the title's row
    text(QStringLiteral("middle"), 10, 120, 100, 140);
    // Corners given the other way round still make the same rectangle.
    text(QStringLiteral("upside down"), 100, 20, 10, 5);
    EXPECT_EQ(read(), (QStringList{QStringLiteral("upside down"), QStringLiteral("left"), QStringLiteral("title"),
                                   QStringLiteral("middle"), QStringLiteral("bottom")}));
}

TEST_F(PageReadingTest, ARowEndsAtTheMiddleOfItsFirstObject)
{
    text(QStringLiteral("tall"), 100, 0, 200, 100);
    text(QStringLiteral("beside"), 20, 49, 90, 60);
    text(QStringLiteral("below the middle"), 0, 51, 90, 60);
    EXPECT_EQ(read(),
              (QStringList{QStringLiteral("beside"), QStringLiteral("tall"), QStringLiteral("below the middle")}));
}

TEST_F(PageReadingTest, ButtonsSayTheirLabelsFieldsTheirContentsAndPicturesNothing)
{
    button(ButtonStyle::Push, QStringLiteral("Hello [NAME]|again"), 10, 10);
    button(ButtonStyle::CheckBox, QStringLiteral("Tick"), 100, 10);
    button(ButtonStyle::RadioButton, QStringLiteral("Pick"), 200, 10);
    Object_Rec& field = button(ButtonStyle::EditField, QStringLiteral("initial"), 300, 10);
    field.button()->EditText = QStringLiteral("typed [NAME]"); // a field shows what was typed, as typed
    button(ButtonStyle::Push, QString(), 10, 40);              // an image-only button
    add(ObjectKind::Picture, 10, 70, 100, 100).picture()->FileName = QStringLiteral("A.BMP");
    add(ObjectKind::Rectangle, 10, 110, 100, 130).FillPattern = Object_Rec::kNoFill;
    text(QStringLiteral("  |  "), 10, 140, 100, 150); // blank once its line break is one
    EXPECT_EQ(read(), (QStringList{QStringLiteral("Hello Ada\nagain"), QStringLiteral("Tick"), QStringLiteral("Pick"),
                                   QStringLiteral("typed [NAME]")}));
}

TEST_F(PageReadingTest, AnArticleSaysItsShownTextWithoutCodesAnchorsOrLinkTargets)
{
    article(QStringLiteral("STORY.TXT"),
            formatted({QStringLiteral("^C120~^B^F14~A ^^ title^b^f^c"), QStringLiteral("Read ^Ithis^i^M anchor^m and"),
                       QStringLiteral("^Lfollow=GO \"Two\"^l the ^P12~link^p."), QString(),
                       QStringLiteral("^LNext para=:anchor"), QStringLiteral("^L^lgraph.")}),
            10, 10);
    // A text that cannot be opened says nothing, and the page goes on.
    article(QStringLiteral("GONE.TXT"), {}, 10, 100);
    files.remove(QStringLiteral("GONE.TXT"));
    EXPECT_EQ(read(), QStringList{QStringLiteral("A ^ title Read this and follow the link.\nNext para graph.")});
}

TEST_F(PageReadingTest, TheMasterPageJoinsWhenShownAndHiddenObjectsStaySilent)
{
    Page_Rec& master = document.master();
    text(QStringLiteral("footer"), 10, 220, 300, 235, &master);
    text(QStringLiteral("under the page's box"), 20, 100, 100, 110, &master);
    text(QStringLiteral("header"), 10, 5, 300, 20);
    add(ObjectKind::Rectangle, 10, 90, 200, 120); // solid, hides the master's text
    text(QStringLiteral("under a hatch"), 20, 150, 100, 160);
    Object_Rec& hatch = add(ObjectKind::Rectangle, 10, 140, 200, 170);
    hatch.FillPattern = 5;
    hatch.FillMode = true;
    text(QStringLiteral("half under"), 250, 100, 310, 110);

    EXPECT_EQ(read(),
              (QStringList{QStringLiteral("header"), QStringLiteral("half under"), QStringLiteral("under a hatch")}));
    page->ShowMaster = true;
    EXPECT_EQ(read(), (QStringList{QStringLiteral("header"), QStringLiteral("half under"),
                                   QStringLiteral("under a hatch"), QStringLiteral("footer")}));
}

TEST_F(PageReadingTest, AHugeArticleIsReadOnlyAsFarAsThePageBound)
{
    QStringList lines;
    for (int i = 0; i < 50000; ++i)
        lines << QStringLiteral("line %1 of a long text").arg(i);
    article(QStringLiteral("BIG.TXT"), formatted(lines), 10, 10);
    text(QStringLiteral("after"), 10, 300, 100, 320);
    const QStringList said = read();
    ASSERT_EQ(said.size(), 2);
    EXPECT_LE(said[0].size() + said[1].size(), kMaxPageReading);
    EXPECT_LE(said[0].size(), kMaxUtterance);
    EXPECT_GT(said[0].size(), kMaxUtterance - 40);
    // The text from its start, ending where a word ends.
    const QString whole = lines.join(QLatin1Char(' '));
    EXPECT_TRUE(whole.startsWith(said[0]));
    EXPECT_EQ(whole.at(said[0].size()), QLatin1Char(' '));
    EXPECT_EQ(said[1], QStringLiteral("after"));

    // Lines that show nothing are not read forever either.
    QStringList hidden(kMaxArticleLines + 10, QStringLiteral("^Mnothing shown^m"));
    hidden << QStringLiteral("too far to be read");
    article(QStringLiteral("HIDDEN.TXT"), formatted(hidden), 10, 500);
    EXPECT_FALSE(read().join(QLatin1Char(' ')).contains(QStringLiteral("too far")));
}

TEST(BoundedTextTest, CutsAtABlankAndNeverInsideASurrogatePair)
{
    EXPECT_EQ(boundedText(QStringLiteral("short"), 10), QStringLiteral("short"));
    EXPECT_EQ(boundedText(QStringLiteral("one two three"), 9), QStringLiteral("one two"));
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // two UTF-16 units
    const QString cut = boundedText(QStringLiteral("x").repeated(60) + emoji + emoji, 61);
    EXPECT_EQ(cut, QStringLiteral("x").repeated(60));
    EXPECT_TRUE(boundedText(QStringLiteral("abc"), 0).isEmpty());
}

TEST(ReadingAloudTest, LogsWhatWouldBeSaidOnlyWhileOnEvenWithoutAnEngine)
{
    QStringList logged;
    {
        ReadingAloud voice([&](const QString& text) { logged << text; }, QStringLiteral("none"));
        voice.speak(QStringLiteral("off"));
        voice.stop();
        voice.setEnabled(true);
        voice.speak(QStringLiteral("one"));
        voice.speak(QString()); // nothing to say is not an utterance
        voice.stop();
        voice.speak(QStringLiteral("two"));
        voice.setEnabled(false);
        voice.speak(QStringLiteral("off again"));
    } // and the voice's thread ends with it
    EXPECT_EQ(logged, (QStringList{QStringLiteral("one"), QStringLiteral("two")}));
}

} // namespace
} // namespace lumeria
