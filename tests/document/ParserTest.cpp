#include "document/Parser.h"
#include "ContainerBuilder.h"
#include "container/Container.h"
#include "platform/IoError.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

class ParserTest : public ::testing::Test {
protected:
    int parse(const QByteArray& text, const Palette& current = defaultPalette256())
    {
        MemorySource source(text);
        TextSource lines(source);
        return loadPublication(lines, pub, current);
    }

    const Page_Rec& page(int i) const { return *pub.document.pages().at(size_t(i)); }
    const Object_Rec& object(int pageIndex, int i) const { return *page(pageIndex).Objects.at(size_t(i)); }

    Publication pub;
};

TEST_F(ParserTest, KeysIgnoreCaseAndSpacesAndBooleansNeedYes)
{
    ASSERT_EQ(parse("allowesc = yes\r\nAllowPageUpDn=Y\r\nTABBUTTONS=YES\r\nTab Windows = Yes\r\n"), 0);
    EXPECT_TRUE(pub.settings.AllowEsc);
    EXPECT_FALSE(pub.settings.AllowPageUpDn);
    EXPECT_TRUE(pub.settings.TabButtons);
    EXPECT_TRUE(pub.settings.TabWindows);
}

TEST_F(ParserTest, TextKeepsSpacesWhileNumbersLoseThem)
{
    ASSERT_EQ(parse("NewPage=P\r\nObjectType=8\r\nText=  two  words \r\nX1=1 0\r\nY 1 = 2 0\r\n"
                    "Title= My Title\r\n"),
              0);
    EXPECT_EQ(object(0, 0).text()->Text, QStringLiteral("  two  words "));
    EXPECT_EQ(object(0, 0).X1, 10);
    EXPECT_EQ(object(0, 0).Y1, 20);
    EXPECT_EQ(pub.settings.Title, QStringLiteral(" My Title"));
}

// A value reads the same whether it is written with spaces or in either
// case: hexadecimal digits, "0x" and "yes" in lower case included.
TEST_F(ParserTest, ValuesReadAlikeWithOrWithoutSpacesInAnyCase)
{
    ASSERT_EQ(parse("NewPage=P\r\nObjectType=5\r\nX1=$ff\r\nY1=0xfF\r\nX2=-0x10\r\nY2=+7\r\nLineColor=12ab\r\n"
                    "ObjectType=5\r\nX1=$ f f\r\nY1=0 X F F\r\nX2=- 0x10\r\nY2=+ 7\r\nLineColor=1 2AB\r\n"
                    "FullScreen=yEs\r\nSizeable=y e s\r\nStayOnTop=yess\r\n"),
              0);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(object(0, i).X1, 255) << i;
        EXPECT_EQ(object(0, i).Y1, 255) << i;
        EXPECT_EQ(object(0, i).X2, -16) << i;
        EXPECT_EQ(object(0, i).Y2, 7) << i;
        // Letters in a decimal number make it 0.
        EXPECT_EQ(object(0, i).LineColor, 0) << i;
    }
    EXPECT_TRUE(pub.settings.FullScreen);
    EXPECT_TRUE(pub.settings.Sizeable);
    EXPECT_FALSE(pub.settings.StayOnTop);
}

TEST_F(ParserTest, SmallFieldsKeepTheirLowBits)
{
    ASSERT_EQ(parse("NewPage=P\r\nObjectType=3\r\nFontStyle=31\r\nKey=74565\r\nLineStyle=257\r\nAlign=258\r\n"
                    "FillMode=1\r\nObjectType=5\r\nFillMode=2\r\nPageEffect=260\r\nExtractOp=385\r\n"),
              0);
    const Object_Rec& button = object(0, 0);
    EXPECT_EQ(button.button()->FontStyle, 15);
    EXPECT_EQ(button.button()->Key, 74565 & 0xFFFF);
    EXPECT_EQ(button.LineStyle, 1);
    EXPECT_EQ(button.button()->Align, 2);
    EXPECT_TRUE(button.FillMode);
    EXPECT_FALSE(object(0, 1).FillMode);
    EXPECT_EQ(page(0).PageEffect, 4);
    EXPECT_EQ(pub.settings.ExtractOp, 129);
}

TEST_F(ParserTest, TextAfterTheFirstEqualsSignIsTheValue)
{
    ASSERT_EQ(parse("NewPage=P\r\nObjectType=3\r\nAction=SV \"[A]\" \"x=y\"\r\nNEWPAGE\r\nNewPage = Spaced\r\n"), 0);
    EXPECT_EQ(object(0, 0).button()->Action, QStringLiteral("SV \"[A]\" \"x=y\""));
    ASSERT_EQ(pub.document.pageCount(), 3);
    EXPECT_EQ(page(1).Name, QString());
    EXPECT_EQ(page(2).Name, QStringLiteral(" Spaced"));
}

TEST_F(ParserTest, ObjectKeysNeedACurrentObjectWhichOutlivesItsPage)
{
    ASSERT_EQ(parse("X1=99\r\nNewPage=A\r\nX1=5\r\nObjectType=5\r\nX1=1\r\nNewPage=B\r\nX1=7\r\n"
                    "PageColor=255\r\n"),
              0);
    ASSERT_EQ(page(0).Objects.size(), 1u);
    // The X1 after NewPage=B still moves page A's last object.
    EXPECT_EQ(object(0, 0).X1, 7);
    EXPECT_TRUE(page(1).Objects.empty());
    EXPECT_EQ(page(1).PageColor, 255);
    EXPECT_EQ(page(0).PageColor, 0);
}

TEST_F(ParserTest, KeysWithoutACurrentPageAreSkippedButHeaderKeysApply)
{
    ASSERT_EQ(parse("PageColor=5\r\nObjectType=5\r\nScreenWidth=800\r\nL_OK=D'accord\r\n"), 0);
    EXPECT_EQ(pub.document.pageCount(), 0);
    EXPECT_EQ(pub.document.objectCount(), 0);
    EXPECT_EQ(pub.settings.ScreenWidth, 800);
    EXPECT_EQ(pub.settings.ScreenHeight, 480);
    EXPECT_EQ(pub.strings[LanguageElement::L_OK], QStringLiteral("D'accord"));
}

TEST_F(ParserTest, MasterPageCollectsObjectsAndGroupsMeanNothing)
{
    ASSERT_EQ(parse("MasterPage\r\nPageColor=1\r\nObjectType=6\r\nGroupBegin\r\nObjectType=7\r\nGroupEnd\r\n"
                    "NewPage=First\r\nShowMaster=Yes\r\nObjectType=5\r\n"),
              0);
    EXPECT_EQ(pub.document.master().Objects.size(), 2u);
    EXPECT_EQ(pub.document.master().PageColor, 1);
    EXPECT_TRUE(page(0).ShowMaster);
    EXPECT_EQ(pub.document.objectCount(), 3);
    EXPECT_EQ(pub.document.currentPage(), &page(0));
}

TEST_F(ParserTest, StandAloneKeywordsMayBeSpacedOutAndFollowedByAnything)
{
    // The spaced-out forms run past the length of the longest stand-alone
    // keyword as written; long values of other keys are never numbers.
    const QByteArray script(3000, 'a');
    ASSERT_EQ(parse("N e w P a g e = First\r\nObjectType=5\r\nAction=" + script +
                    "\r\nM A S T E R   P A G E trailing\r\nObjectType = 6 \r\nG R O U P E N D = 1\r\n"
                    "X1 = 1 2\r\nmaster page=x\r\nY1=0x1f\r\n"),
              0);
    ASSERT_EQ(pub.document.pageCount(), 1);
    EXPECT_EQ(page(0).Name, " First");
    ASSERT_EQ(page(0).Objects.size(), 1u);
    ASSERT_EQ(pub.document.master().Objects.size(), 1u);
    EXPECT_EQ(pub.document.master().Objects[0]->X1, 12);
    EXPECT_EQ(pub.document.master().Objects[0]->Y1, 31);
}

TEST_F(ParserTest, KindKeysApplyOnlyToKindsThatHaveThem)
{
    ASSERT_EQ(parse("NewPage=P\r\n"
                    "ObjectType=3\r\nScale=Yes\r\nFileName=x.bmp\r\nText=Go\r\nStyle=1\r\nMaxLen=12\r\n"
                    "ObjectType=4\r\nText=ignored\r\nScale=Yes\r\nFileName=pic.bmp\r\nTransImages=Yes\r\n"
                    "ObjectType=2\r\nXRange=300\r\nYRange=40\r\nMaxLineHeight=16\r\nWindowFlags=48\r\n"
                    "ObjectType=7\r\nFont=Arial\r\nLineOrigin=1\r\n"
                    "ObjectType=9\r\nText=lost\r\nX2=50\r\n"),
              0);
    const Button_Rec* b = object(0, 0).button();
    EXPECT_EQ(b->Text, QStringLiteral("Go"));
    EXPECT_EQ(b->Style, 1);
    EXPECT_EQ(b->MaxLen, 12);
    const Picture_Rec* p = object(0, 1).picture();
    EXPECT_TRUE(p->Scale);
    EXPECT_TRUE(p->TransImages);
    EXPECT_EQ(p->FileName, QStringLiteral("pic.bmp"));
    EXPECT_EQ(object(0, 1).FillPattern, 1);
    const Article_Rec* a = object(0, 2).article();
    EXPECT_EQ(a->XRange, 300);
    EXPECT_EQ(a->YRange, 40);
    EXPECT_EQ(a->MaxLineHeight, 16);
    EXPECT_EQ(a->WindowFlags, 48);
    EXPECT_EQ(object(0, 3).LineOrigin, 1);
    EXPECT_EQ(object(0, 4).Kind, 9);
    EXPECT_EQ(object(0, 4).X2, 50);
}

TEST_F(ParserTest, InitStateSetsTheStateOfCheckBoxesAndRadioButtonsOnly)
{
    ASSERT_EQ(parse("NewPage=P\r\n"
                    "ObjectType=3\r\nStyle=2\r\nInitState=1\r\n"
                    "ObjectType=3\r\nStyle=3\r\nInitState=1\r\n"
                    "ObjectType=3\r\nStyle=0\r\nInitState=1\r\n"
                    "ObjectType=3\r\nStyle=1\r\nInitState=1\r\n"),
              0);
    EXPECT_EQ(object(0, 0).button()->State, 1);
    EXPECT_EQ(object(0, 1).button()->State, 1);
    EXPECT_EQ(object(0, 2).button()->State, 0);
    EXPECT_EQ(object(0, 2).button()->InitState, 1);
    EXPECT_EQ(object(0, 3).button()->State, 0);
}

TEST_F(ParserTest, SizeableLooksAtFullScreenAsItStandsThen)
{
    ASSERT_EQ(parse("FullScreen=Yes\r\nSizeable=No\r\n"), 0);
    EXPECT_EQ(pub.settings.Border, WindowBorder::None);

    Publication late;
    MemorySource source("Sizeable=No\r\nFullScreen=Yes\r\n");
    TextSource lines(source);
    ASSERT_EQ(loadPublication(lines, late, defaultPalette256()), 0);
    EXPECT_EQ(late.settings.Border, WindowBorder::Dialog);
    EXPECT_TRUE(late.settings.FullScreen);
}

TEST_F(ParserTest, InterfaceStringsAndUnknownNames)
{
    ASSERT_EQ(parse("L_OK=Valider\r\nL_ERRORTITLE=Erreur\r\nL_INSTSUBTITLE=Setup\r\nL_UNKNOWN=x\r\nl_no = Non\r\n"), 0);
    EXPECT_EQ(pub.strings[LanguageElement::L_OK], QStringLiteral("Valider"));
    EXPECT_EQ(pub.strings[LanguageElement::L_ERRORTITLE], QStringLiteral("Erreur"));
    EXPECT_EQ(pub.strings.at(30), QStringLiteral("Setup"));
    EXPECT_EQ(pub.strings[LanguageElement::L_NO], QStringLiteral(" Non"));
    EXPECT_TRUE(pub.strings[LanguageElement::L_CANCEL].isEmpty());
    // Captions left empty read as the player's own words; set ones win, and
    // messages have no word of their own.
    EXPECT_EQ(pub.strings.caption(LanguageElement::L_CANCEL), QStringLiteral("Annuler"));
    EXPECT_EQ(pub.strings.caption(LanguageElement::L_YES), QStringLiteral("Oui"));
    EXPECT_EQ(pub.strings.caption(LanguageElement::L_OK), QStringLiteral("Valider"));
    EXPECT_TRUE(pub.strings.caption(LanguageElement::L_FINDERROR).isEmpty());
}

TEST_F(ParserTest, TextIsDecodedFromWindows1252)
{
    ASSERT_EQ(parse("NewPage=Caf\xE9\r\nObjectType=8\r\nText=\x93quoted\x94 \x80 5\r\n"), 0);
    EXPECT_EQ(page(0).Name, QStringLiteral("Café"));
    EXPECT_EQ(pub.document.findPage(QStringLiteral("CAFÉ")), &page(0));
    EXPECT_EQ(object(0, 0).text()->Text, QStringLiteral("“quoted” € 5"));
}

TEST_F(ParserTest, PagePaletteIsCarriedToLaterPages)
{
    Palette current{};
    current[5] = {1, 2, 3, 0};
    ASSERT_EQ(
        parse("NewPage=Before\r\nNewPage=WithPalette\r\nPagePalette=255 65280 16711680 \r\nNewPage=After\r\n", current),
        0);
    // Pages start from the player's palette, marked no-collapse.
    EXPECT_EQ(page(0).PagePalette[5], (PaletteEntry{1, 2, 3, kNoCollapse}));
    const Palette& p = page(1).PagePalette;
    EXPECT_EQ(p[0], (PaletteEntry{255, 0, 0, kNoCollapse}));
    EXPECT_EQ(p[1], (PaletteEntry{0, 255, 0, kNoCollapse}));
    EXPECT_EQ(p[2], (PaletteEntry{0, 0, 255, kNoCollapse}));
    // Entries the line does not give are black.
    EXPECT_EQ(p[3], (PaletteEntry{0, 0, 0, kNoCollapse}));
    EXPECT_EQ(p[5], (PaletteEntry{0, 0, 0, kNoCollapse}));
    EXPECT_EQ(page(2).PagePalette, p);
}

TEST_F(ParserTest, PagesRepeatingAPaletteShareOneAndAChangedLineIsReadAgain)
{
    const QByteArray a = "PagePalette=1 2 3 \r\n";
    const QByteArray b = "PagePalette=4 5 6 \r\n";
    ASSERT_EQ(parse("NewPage=A1\r\n" + a + "NewPage=A2\r\n" + a + "NewPage=B\r\n" + b + "NewPage=A3\r\n" + a +
                    "NewPage=Plain\r\n"),
              0);
    EXPECT_TRUE(page(0).PagePalette.sharesWith(page(1).PagePalette));
    EXPECT_FALSE(page(1).PagePalette.sharesWith(page(2).PagePalette));
    EXPECT_EQ(colourValue(page(2).PagePalette[0]), 4u);
    // The first line again after another one: read, not taken from the last.
    EXPECT_EQ(colourValue(page(3).PagePalette[0]), 1u);
    EXPECT_EQ(colourValue(page(3).PagePalette[2]), 3u);
    EXPECT_EQ(page(3).PagePalette, page(0).PagePalette.get());
    // A page without a line of its own carries the last palette, shared.
    EXPECT_TRUE(page(4).PagePalette.sharesWith(page(3).PagePalette));
}

TEST_F(ParserTest, RepeatedValuesShareOneStringAndStayApart)
{
    ASSERT_EQ(parse("NewPage=P\r\nObjectType=3\r\nFont=Arial\r\nAction=GO \"NEXT\"\r\nText=\xe9t\xe9\r\n"
                    "ObjectType=3\r\nFont=Arial\r\nAction=GO \"NEXT\"\r\nText=\xe9t\xe9\r\n"
                    "ObjectType=3\r\nFont=arial\r\nAction=\r\nText=Arial\r\nNewPage=Arial\r\n"),
              0);
    Button_Rec& first = *pub.document.pages().at(0)->Objects.at(0)->button();
    Button_Rec& second = *pub.document.pages().at(0)->Objects.at(1)->button();
    const Button_Rec& third = *object(0, 2).button();
    EXPECT_TRUE(first.Font.isSharedWith(second.Font));
    EXPECT_TRUE(first.Action.isSharedWith(second.Action));
    EXPECT_EQ(second.Text, QStringLiteral(u"\u00e9t\u00e9")) << "shared values are decoded all the same";
    // Values that differ, if only by case, or are read for another key
    // are what they say.
    EXPECT_EQ(third.Font, QStringLiteral("arial"));
    EXPECT_TRUE(third.Action.isEmpty());
    EXPECT_EQ(third.Text, QStringLiteral("Arial"));
    EXPECT_EQ(page(1).Name, QStringLiteral("Arial"));
    // A run-time change to one object leaves the others as they were read.
    first.Text += QLatin1Char('!');
    EXPECT_EQ(second.Text, QStringLiteral(u"\u00e9t\u00e9"));
}

TEST_F(ParserTest, LastPaletteNumberWithoutASpaceIsNotTaken)
{
    Palette p{};
    parsePalette("10 20 30", p);
    EXPECT_EQ(colourValue(p[0]), 10u);
    EXPECT_EQ(colourValue(p[1]), 20u);
    EXPECT_EQ(colourValue(p[2]), 0u);

    std::string full;
    for (int i = 0; i < 256; ++i)
        full += std::to_string(i + 1) + " ";
    full += "999 ";
    parsePalette(full, p);
    EXPECT_EQ(colourValue(p[255]), 256u);

    parsePalette("1  x 3 ", p);
    EXPECT_EQ(colourValue(p[0]), 1u);
    EXPECT_EQ(colourValue(p[1]), 0u);
    EXPECT_EQ(colourValue(p[2]), 0u);
    EXPECT_EQ(colourValue(p[3]), 3u);
}

TEST_F(ParserTest, PageLimitStopsWithStatus8KeepingWhatWasBuilt)
{
    QByteArray text;
    for (int i = 0; i < 10001; ++i)
        text += "NewPage=P" + QByteArray::number(i) + "\r\n";
    text += "Title=never reached\r\n";
    EXPECT_EQ(parse(text), kStatusLimitReached);
    EXPECT_EQ(pub.document.pageCount(), 9999);
    EXPECT_TRUE(pub.settings.Title.isEmpty());
}

TEST_F(ParserTest, ObjectLimitStopsWithStatus8)
{
    QByteArray text = "MasterPage\r\nObjectType=5\r\nNewPage=P\r\n";
    for (int i = 0; i < 32000; ++i)
        text += "ObjectType=6\r\n";
    EXPECT_EQ(parse(text), kStatusLimitReached);
    EXPECT_EQ(pub.document.objectCount(), 32000);
    EXPECT_EQ(page(0).Objects.size(), 31999u);
}

// A large text is read ahead on a second thread, in batches of a few
// thousand lines; wherever their bounds fall, every line applies in order
// and what a line leaves (the current page, the palette) carries on.
QByteArray manyPages(int pages)
{
    QByteArray text = "Title=Many\r\n";
    for (int i = 0; i < pages; ++i) {
        const QByteArray n = QByteArray::number(i);
        text += "New Page=P" + n + "\r\npagecolor=" + n + "\r\nNot a key, though it has = in it\r\n";
        if (i == pages / 2)
            text += "PagePalette=5 6 \r\n";
        text += "ObjectType=8\r\nText=" + QByteArray(i % 97 + 1, 'x') + "=" + n + "\r\n X 1 = " + n + "\r\n";
    }
    return text;
}

TEST_F(ParserTest, ATextOfManyBatchesAppliesEveryLineInOrder)
{
    constexpr int kPages = 4000;
    const QByteArray text = manyPages(kPages) + "Author=the last line, without its end";
    ASSERT_GT(text.size(), 512 * 1024);
    ASSERT_EQ(parse(text), 0);
    ASSERT_EQ(pub.document.pageCount(), kPages);
    const uint32_t defaultFirst = colourValue(defaultPalette256()[0]);
    for (int i = 0; i < kPages; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(page(i).Name, QStringLiteral("P%1").arg(i));
        EXPECT_EQ(page(i).PageColor, i);
        EXPECT_EQ(colourValue(page(i).PagePalette[0]), i >= kPages / 2 ? 5u : defaultFirst);
        ASSERT_EQ(page(i).Objects.size(), 1u);
        EXPECT_EQ(object(i, 0).X1, i);
        EXPECT_EQ(object(i, 0).text()->Text, QString(i % 97 + 1, QLatin1Char('x')) + QStringLiteral("=%1").arg(i));
        if (::testing::Test::HasFailure())
            break;
    }
    EXPECT_EQ(pub.settings.Author, QStringLiteral("the last line, without its end"));
}

// Serves a text up to a point and fails to read past it.
class FailingPartWay final : public ByteSource {
public:
    FailingPartWay(QByteArray text, int64_t failAt) : m_text(std::move(text)), m_failAt(failAt) {}
    int64_t readAt(int64_t position, std::span<std::byte> buffer) override
    {
        if (position >= m_failAt)
            return -io::kReadError;
        const auto count = std::min<int64_t>(int64_t(buffer.size()), m_failAt - position);
        return MemorySource(m_text).readAt(position, buffer.first(size_t(count)));
    }

private:
    QByteArray m_text;
    int64_t m_failAt;
};

TEST_F(ParserTest, AReadErrorFarIntoATextKeepsEveryLineBeforeIt)
{
    const QByteArray text = manyPages(3000);
    FailingPartWay source(text, text.size() * 3 / 5);
    TextSource lines(source);
    EXPECT_EQ(loadPublication(lines, pub, defaultPalette256()), io::kReadError);
    const int read = pub.document.pageCount();
    EXPECT_GT(read, 1000);
    EXPECT_LT(read, 3000);
    for (int i = 0; i < read; ++i)
        ASSERT_EQ(page(i).PageColor, i);
}

TEST_F(ParserTest, MissingPublicationTextReportsNotInContainer)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pub.lum"));
    ASSERT_TRUE(test::writeFile(path, test::containerBytes({{"OTHER.TXT", "x"}})));
    auto container = Container::open(path);
    ASSERT_TRUE(container.ok());
    EntrySource entry(*container.value(), QStringLiteral("RUNTIME.PUB"));
    TextSource lines(entry);
    EXPECT_EQ(loadPublication(lines, pub, defaultPalette256()), io::kNotInContainer);
}

} // namespace
} // namespace lumeria
