#pragma once

#include "platform/gdi/Colour.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace lumeria::text {

inline constexpr char16_t kCaret = u'^';
inline constexpr char16_t kArgumentEnd = u'~';

// Pixels for a distance in twips on the 96 DPI canvas, rounded to nearest
// with halves away from zero.
int twipsToPixels(int64_t twips);

// A distance on a line, in pixels, held within a range no page reaches: a
// count of character widths (^S, ^T) can be as large as an int, and times a
// width, or added to a position, it must move the pen far away, not overflow.
inline constexpr int64_t kFarPixels = int64_t(1) << 24;
int linePixels(int64_t pixels);

// The colour of a ^P argument: 0 to 15 pick from the 16-colour table, larger
// values are RGB with red in the low byte. Negative values and the high byte
// are dropped, so a text can never name a system colour.
gdi::ColorRef markupColour(int64_t n);

// A code's numeric argument as written after the letter: an optional "-"
// and decimal digits, ended by "~" (consumed). Without digits there is no
// number; a "~" right after the letter is still consumed. Values beyond an
// int saturate.
struct NumberArgument {
    std::optional<int> value;
    qsizetype end = 0; // index of the first character after the argument
};
NumberArgument readNumber(QStringView text, qsizetype from);

enum class TextForm { Source, Formatted };

// Codes that take a numeric argument. ^C and ^G carry one only in formatted
// text, where the layout wrote the line's measured width after them.
bool takesNumber(char16_t letter, TextForm form);

// The formatting in force at a point of a text, as far as the start of an
// output line must restore it.
struct MarkupToken;

struct TextState {
    // What a state code (bold, size, colour, indent ...) changes; other
    // tokens leave the state as it is. The layout and the painter both read
    // the codes through this, so a code means one thing to both.
    void apply(const MarkupToken& code);

    int indentTwips = 0;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    bool strikeOut = false;
    bool fixedPitch = false;
    bool centre = false;
    bool right = false;
    bool reverse = false;
    std::optional<int> colour; // the ^P argument as written
    int sizePoints = 0;        // 0: the object's own size
    bool inLink = false;       // inside the shown part of a link

    friend bool operator==(const TextState&, const TextState&) = default;
};

// The codes that restore a state at the start of a line, in a fixed order:
// indent, bold, underline, italic, strike-out, fixed pitch, centre, right,
// reverse, colour, size, link. The size is written only when it differs
// from the object's (objectPixels). Fixed pitch is written "^F~" so that a
// line whose text begins with digits cannot turn it into a size.
QString stateCodes(const TextState& state, int objectPixels);

// The "^Zhhhaaa" header of a formatted line.
inline constexpr qsizetype kHeaderLength = 8;
QString lineHeader(int height, int ascent);

struct LineHeader {
    int height = 0;
    int ascent = 0;
};
// The header at the start of a line, when it has a well-formed one.
std::optional<LineHeader> readLineHeader(QStringView line);
// A formatted line's text: without its header and the padding that gives
// every line one length. Searches read this, since a phrase broken by a
// line end must meet its other half across them.
QStringView lineText(QStringView line);

// Font size in pixels for a ^F argument in points; sizes below one point
// are taken as one.
int pointsToTextPixels(int points);

} // namespace lumeria::text
