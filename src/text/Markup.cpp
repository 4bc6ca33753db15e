#include "text/Markup.h"

#include "platform/gdi/Font.h"

#include <algorithm>
#include <array>
#include <limits>

namespace lumeria::text {

namespace {

constexpr std::array<gdi::ColorRef, 16> kColourTable = {
    gdi::rgb(0, 0, 0),       gdi::rgb(128, 0, 0),   gdi::rgb(0, 128, 0),   gdi::rgb(128, 128, 0),
    gdi::rgb(0, 0, 128),     gdi::rgb(128, 0, 128), gdi::rgb(0, 128, 128), gdi::rgb(128, 128, 128),
    gdi::rgb(192, 192, 192), gdi::rgb(255, 0, 0),   gdi::rgb(0, 255, 0),   gdi::rgb(0, 0, 255),
    gdi::rgb(255, 0, 255),   gdi::rgb(0, 255, 255), gdi::rgb(255, 255, 0), gdi::rgb(255, 255, 255),
};

constexpr int kDpi = 96;
constexpr int kTwipsPerInch = 1440;
constexpr int kMaxHeaderValue = 999;

QString threeDigits(int v)
{
    return QStringLiteral("%1").arg(std::clamp(v, 0, kMaxHeaderValue), 3, 10, QLatin1Char('0'));
}

} // namespace

int linePixels(int64_t pixels)
{
    return int(std::clamp(pixels, -kFarPixels, kFarPixels));
}

int twipsToPixels(int64_t twips)
{
    const int64_t n =
        std::clamp<int64_t>(twips, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()) * kDpi;
    const int64_t half = kTwipsPerInch / 2;
    const int64_t pixels = n >= 0 ? (n + half) / kTwipsPerInch : (n - half) / kTwipsPerInch;
    return int(pixels);
}

gdi::ColorRef markupColour(int64_t n)
{
    if (n >= 0 && n < int64_t(kColourTable.size()))
        return kColourTable[size_t(n)];
    return gdi::ColorRef(uint64_t(std::max<int64_t>(n, 0)) & 0xFFFFFFu);
}

NumberArgument readNumber(QStringView text, qsizetype from)
{
    NumberArgument arg;
    qsizetype i = from;
    const bool negative = i < text.size() && text[i] == u'-';
    if (negative)
        ++i;
    const qsizetype digitsStart = i;
    int64_t value = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        value = std::min<int64_t>(value * 10 + (text[i].unicode() - u'0'), int64_t(std::numeric_limits<int>::max()));
        ++i;
    }
    if (i == digitsStart) {
        // No digits: the "-" stays text, a lone "~" goes with the code.
        arg.end = from < text.size() && text[from] == kArgumentEnd ? from + 1 : from;
        return arg;
    }
    if (i < text.size() && text[i] == kArgumentEnd)
        ++i;
    arg.value = int(negative ? -value : value);
    arg.end = i;
    return arg;
}

bool takesNumber(char16_t letter, TextForm form)
{
    switch (letter) {
    case u'F':
    case u'P':
    case u'O':
    case u'A':
    case u'a':
    case u'S':
    case u's':
    case u'T':
    case u't': return true;
    case u'C':
    case u'G': return form == TextForm::Formatted;
    default: return false;
    }
}

QString stateCodes(const TextState& state, int objectPixels)
{
    QString codes;
    if (state.indentTwips > 0)
        codes += QStringLiteral("^O%1~").arg(state.indentTwips);
    if (state.bold)
        codes += QStringLiteral("^B");
    if (state.underline)
        codes += QStringLiteral("^U");
    if (state.italic)
        codes += QStringLiteral("^I");
    if (state.strikeOut)
        codes += QStringLiteral("^X");
    if (state.fixedPitch)
        codes += QStringLiteral("^F~");
    if (state.centre)
        codes += QStringLiteral("^C");
    if (state.right)
        codes += QStringLiteral("^G");
    if (state.reverse)
        codes += QStringLiteral("^R");
    if (state.colour)
        codes += QStringLiteral("^P%1~").arg(*state.colour);
    if (state.sizePoints != 0 && pointsToTextPixels(state.sizePoints) != objectPixels)
        codes += QStringLiteral("^F%1~").arg(state.sizePoints);
    if (state.inLink)
        codes += QStringLiteral("^L");
    return codes;
}

QString lineHeader(int height, int ascent)
{
    return QStringLiteral("^Z") + threeDigits(height) + threeDigits(ascent);
}

std::optional<LineHeader> readLineHeader(QStringView line)
{
    if (line.size() < kHeaderLength || line[0] != kCaret || line[1] != u'Z')
        return std::nullopt;
    int values[2] = {0, 0};
    for (qsizetype i = 2; i < kHeaderLength; ++i) {
        const QChar c = line[i];
        if (c < u'0' || c > u'9')
            return std::nullopt;
        int& v = values[(i - 2) / 3];
        v = v * 10 + (c.unicode() - u'0');
    }
    return LineHeader{values[0], values[1]};
}

QStringView lineText(QStringView line)
{
    if (readLineHeader(line))
        line = line.mid(kHeaderLength);
    while (!line.isEmpty() && line.back() == u' ')
        line.chop(1);
    return line;
}

int pointsToTextPixels(int points)
{
    return gdi::Font::pointsToPixels(std::max(points, 1));
}

} // namespace lumeria::text
