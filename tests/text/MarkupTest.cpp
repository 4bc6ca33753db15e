#include "text/Markup.h"
#include "text/MarkupScanner.h"

#include <gtest/gtest.h>

#include <vector>

namespace lumeria::text {
namespace {

TEST(Markup, TwipsRoundToTheNearestPixelAt96Dpi)
{
    EXPECT_EQ(twipsToPixels(15), 1);
    EXPECT_EQ(twipsToPixels(7), 0); // 0.47
    EXPECT_EQ(twipsToPixels(8), 1); // 0.53
    EXPECT_EQ(twipsToPixels(720), 48);
    EXPECT_EQ(twipsToPixels(-8), -1);
    EXPECT_EQ(twipsToPixels(int64_t(1) << 40), twipsToPixels(std::numeric_limits<int>::max()));
}

TEST(Markup, ColoursComeFromTheTableUpTo15AndAreRgbAbove)
{
    EXPECT_EQ(markupColour(9), gdi::rgb(255, 0, 0));
    EXPECT_EQ(markupColour(255), gdi::rgb(255, 0, 0));
    EXPECT_EQ(markupColour(8), gdi::rgb(192, 192, 192));
    EXPECT_EQ(markupColour(16), gdi::rgb(16, 0, 0));
    EXPECT_EQ(markupColour(0x123456), gdi::ColorRef(0x123456));
    // No system colours and no negative values from a text.
    EXPECT_EQ(markupColour(int64_t(0x80000005)), gdi::ColorRef(5));
    EXPECT_EQ(markupColour(-3), gdi::ColorRef(0));
}

TEST(Markup, NumbersEndAtTheTildeWhichIsConsumed)
{
    const QString s = QStringLiteral("12~x-7~y-z~w99");
    NumberArgument a = readNumber(s, 0);
    EXPECT_EQ(a.value, 12);
    EXPECT_EQ(a.end, 3);
    a = readNumber(s, 4);
    EXPECT_EQ(a.value, -7);
    a = readNumber(s, 8); // "-z": no digits, the "-" stays text
    EXPECT_FALSE(a.value);
    EXPECT_EQ(a.end, 8);
    a = readNumber(s, 10); // "~" alone goes with the code
    EXPECT_FALSE(a.value);
    EXPECT_EQ(a.end, 11);
    a = readNumber(s, 12); // no "~" at the end of the text
    EXPECT_EQ(a.value, 99);
    EXPECT_EQ(a.end, 14);
    EXPECT_EQ(readNumber(QStringLiteral("99999999999999~"), 0).value, std::numeric_limits<int>::max());
}

TEST(Markup, StateCodesRestoreTheFormattingInTheirOrder)
{
    TextState s;
    s.indentTwips = 720;
    s.bold = s.underline = s.italic = s.strikeOut = s.fixedPitch = true;
    s.centre = s.right = s.reverse = s.inLink = true;
    s.colour = 9;
    s.sizePoints = 14;
    EXPECT_EQ(stateCodes(s, 13), QStringLiteral("^O720~^B^U^I^X^F~^C^G^R^P9~^F14~^L"));
    // A size that comes out at the object's own pixels is not written.
    s = {};
    s.sizePoints = 10;
    EXPECT_EQ(stateCodes(s, 13), QString());
    EXPECT_EQ(stateCodes({}, 13), QString());
}

std::vector<MarkupToken> scan(const QString& text, TextForm form = TextForm::Formatted)
{
    ScanMode mode;
    MarkupScanner scanner(text, form, mode);
    std::vector<MarkupToken> tokens;
    for (MarkupToken t = scanner.next(); t.kind != MarkupToken::Kind::End; t = scanner.next())
        tokens.push_back(t);
    return tokens;
}

QString shown(const QString& text)
{
    QString s;
    for (const MarkupToken& t : scan(text))
        if (t.kind == MarkupToken::Kind::Run)
            s += t.text;
    return s;
}

TEST(MarkupScanner, CaretsUnknownLettersAndArguments)
{
    EXPECT_EQ(shown(QStringLiteral("a^^b")), QStringLiteral("a^b"));
    EXPECT_EQ(shown(QStringLiteral("a^Qb")), QStringLiteral("ab"));
    EXPECT_EQ(shown(QStringLiteral("a^F12~b^Fc")), QStringLiteral("abc"));
    EXPECT_EQ(shown(QStringLiteral("end^")), QStringLiteral("end"));
    EXPECT_EQ(shown(QStringLiteral("^C120~centred")), QStringLiteral("centred"));
    // In a source ^C has no argument: digits after it are text.
    ScanMode mode;
    const QString source = QStringLiteral("^C5 apples");
    MarkupScanner scanner(source, TextForm::Source, mode);
    EXPECT_EQ(scanner.next().letter, u'C');
    EXPECT_EQ(scanner.next().text, QStringLiteral("5 apples"));
}

TEST(MarkupScanner, LinksSplitIntoShownTextAndTargetAndHiddenTextIsApart)
{
    const auto tokens = scan(QStringLiteral("see ^Lthe map=GO \"^^MAP\"^l and ^Mpark^m here"));
    QString shownText, target, hidden;
    for (const MarkupToken& t : tokens) {
        if (t.kind == MarkupToken::Kind::Run)
            shownText += t.text;
        else if (t.kind == MarkupToken::Kind::Target)
            target += t.text;
        else if (t.kind == MarkupToken::Kind::Hidden)
            hidden += t.text;
    }
    EXPECT_EQ(shownText, QStringLiteral("see the map and  here"));
    EXPECT_EQ(target, QStringLiteral("GO \"^MAP\""));
    EXPECT_EQ(hidden, QStringLiteral("park"));
    // "=" outside a link is text.
    EXPECT_EQ(shown(QStringLiteral("a=b")), QStringLiteral("a=b"));
}

} // namespace
} // namespace lumeria::text
