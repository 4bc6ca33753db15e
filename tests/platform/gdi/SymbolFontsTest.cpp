#include "GdiTestSupport.h"

#include "platform/gdi/SymbolFonts.h"

#include <QFontMetrics>
#include <gtest/gtest.h>

#include <cstring>

namespace lumeria::gdi {
namespace {

using namespace test;

QString fromBytes(SymbolSet set, const char* bytes)
{
    return symbolText(set, std::as_bytes(std::span(bytes, std::strlen(bytes))));
}

QString ucs4(std::u32string_view s)
{
    return QString::fromUcs4(s.data(), qsizetype(s.size()));
}

// A handful of places per font, with the Unicode names of what they show.
TEST(SymbolFonts, EachTableShowsTheCharactersOfItsPictures)
{
    // GREEK CAPITAL LETTER DELTA, GREEK SMALL LETTER PI, ALPHA, INFINITY.
    EXPECT_EQ(fromBytes(SymbolSet::Symbol, "Dpa\xA5"), QStringLiteral("\u0394\u03C0\u03B1\u221E"));
    // WHITE SMILING FACE, HEAVY CHECK MARK, FILE FOLDER.
    EXPECT_EQ(fromBytes(SymbolSet::Wingdings, "J\xFC"
                                              "0"),
              ucs4(U"\u263A\u2714\U0001F4C1"));
    // LOWER RIGHT PENCIL, BALLOT BOX WITH CHECK, INTERROBANG, CIRCLED
    // DIGIT ZERO, BLACK SLIGHTLY SMALL CIRCLE, REFERENCE MARK.
    EXPECT_EQ(fromBytes(SymbolSet::Wingdings2, "!R]i\x96\xF8"), ucs4(U"\U0001F58A\u2611\u203D\u24EA\U0001F784\u203B"));
    // LEFTWARDS TRIANGLE-HEADED ARROW, OPEN BOX,
    // LEFTWARDS SANS-SERIF ARROW, BLACK UP-POINTING TRIANGLE, BLACK MEDIUM
    // RIGHT-POINTING TRIANGLE CENTRED.
    EXPECT_EQ(fromBytes(SymbolSet::Wingdings3, "!Vfp\x84"), ucs4(U"\u2B60\u2423\U0001F850\u25B2\u2BC8"));
    // Control bytes are no pictures.
    EXPECT_EQ(fromBytes(SymbolSet::Wingdings2, "\t"), QStringLiteral("\t"));
}

TEST(SymbolFonts, PlacesAFontLeavesEmptyShowItsMissingGlyphBox)
{
    const QString box(QChar(0x25AF));
    for (const char* bytes : {"\x80", "\x9F", "\x7F", "\xF0"})
        EXPECT_EQ(fromBytes(SymbolSet::Symbol, bytes), box) << int(uint8_t(bytes[0]));
    EXPECT_EQ(fromBytes(SymbolSet::Wingdings2, "\xFA"), box);
    EXPECT_EQ(fromBytes(SymbolSet::Wingdings3, "\xF1"), box);
    EXPECT_EQ(fromBytes(SymbolSet::Wingdings3, "\xFF"), box);
}

TEST(SymbolFonts, TheFaceTheyAreDrawnWithHasEveryCharacter)
{
    ensureGuiApplication();
    const QFontMetrics face{QFont(symbolFamily())};
    QByteArray all;
    for (int b = 0x20; b <= 0xFF; ++b)
        all.append(char(b));
    for (SymbolSet set : {SymbolSet::Symbol, SymbolSet::Wingdings, SymbolSet::Wingdings2, SymbolSet::Wingdings3}) {
        const QString text = symbolText(set, std::as_bytes(std::span(all.constData(), size_t(all.size()))));
        for (char32_t c : text.toUcs4()) {
            // The byte kept where a table has nothing is no picture to check.
            // Wingdings' om sign is a Devanagari letter, which the face
            // leaves to the fonts Qt falls back on.
            if (c > 0xFF && c != 0x0950) {
                EXPECT_TRUE(face.inFontUcs4(uint(c))) << int(set) << " U+" << std::hex << uint(c);
            }
        }
    }
}

TEST(SymbolFonts, DecodedTextGoesBackToItsBytes)
{
    // Windows-1252 decodes byte 0x80 to the euro sign and 0xFC to u-umlaut;
    // in Wingdings they are a circled digit zero and a heavy check mark.
    EXPECT_EQ(symbolText(SymbolSet::Wingdings, QStringView(u"\u20AC\u00FC")), QStringLiteral("\u24EA\u2714"));
    // Windows' private copies of the bytes.
    EXPECT_EQ(symbolText(SymbolSet::Symbol, QStringView(u"\uF044")), QStringLiteral("\u0394"));
    // No byte stands for a Cyrillic letter in the Western code page.
    EXPECT_EQ(symbolText(SymbolSet::Symbol, QStringView(u"\u0416")), QStringLiteral("\u0416"));
    EXPECT_EQ(symbolText(SymbolSet::None, QStringView(u"D")), QStringLiteral("D"));

    EXPECT_EQ(symbolSetOf(u" wingdings 2 "), SymbolSet::Wingdings2);
    EXPECT_EQ(symbolSetOf(u"Wingdings 4"), SymbolSet::None);
    EXPECT_EQ(symbolSetOf(u"Symbol"), SymbolSet::Symbol);
}

// Objects' text in a symbol font shows the pictures, as metafile text does.
TEST(SymbolFonts, CanvasTextInASymbolFaceShowsThePictures)
{
    ensureGuiApplication();
    const auto drawn = [](const QString& face, const QString& text) {
        Surface s(80, 40);
        Canvas c(s);
        c.setFont(Font::fromPixels(face, 24));
        c.textOut({4, 4}, text);
        const std::string left = picture(s);
        Surface t(80, 40);
        Canvas d(t);
        d.setFont(Font::fromPixels(face, 24));
        d.drawText({0, 0, 80, 40}, text);
        return std::pair(left, picture(t));
    };
    EXPECT_EQ(Font::fromPixels(QStringLiteral("Wingdings"), 24).symbols(), SymbolSet::Wingdings);
    EXPECT_EQ(Font::fromPixels(QStringLiteral("Arial"), 24).symbols(), SymbolSet::None);
    // 'J' in Wingdings is the smiling face drawn from the shared face.
    const auto [smileyOut, smileyBox] = drawn(QStringLiteral("Wingdings"), QStringLiteral("J"));
    const auto [faceOut, faceBox] = drawn(symbolFamily(), QStringLiteral("\u263A"));
    EXPECT_EQ(smileyOut, faceOut);
    EXPECT_EQ(smileyBox, faceBox);
    EXPECT_NE(smileyOut, drawn(symbolFamily(), QStringLiteral("J")).first);
    // Measures agree with what is drawn.
    EXPECT_EQ(Font::fromPixels(QStringLiteral("Wingdings"), 24).advance(QStringLiteral("JJ")),
              Font::fromPixels(symbolFamily(), 24).advance(QStringLiteral("\u263A\u263A")));
}

} // namespace
} // namespace lumeria::gdi
