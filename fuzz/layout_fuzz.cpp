// Lays out arbitrary marked-up sources as the authoring tool does, with the
// width, wrapping and font the first bytes choose, then holds the result to
// what the player relies on when it reads it back: every line one length, as
// many lines as reported, and a formatted text the painter and the anchor
// search can walk. The text target lays out small sources with one font and
// width; this one takes sources of any size, long lines among them.
#include "FuzzSupport.h"
#include "container/ByteSource.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Font.h"
#include "render/TextBlock.h"
#include "text/AnchorSearch.h"
#include "text/TextLayout.h"
#include "text/TextPainter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <cstdint>

namespace {

constexpr size_t kHeader = 4;

// Faces a publication names most, each resolved once: their metrics stay
// cached, and the fuzzer spends its time in the layout.
const lumeria::gdi::Font& fontFor(uint8_t choice)
{
    using lumeria::gdi::Font;
    static const std::array<QString, 4> faces = {QStringLiteral("Arial"), QStringLiteral("Times New Roman"),
                                                 QStringLiteral("Courier New"), QStringLiteral("System")};
    static const std::array<int, 4> points = {6, 10, 14, 36};
    static std::array<std::optional<Font>, 4 * 4 * 4> fonts;
    const size_t face = choice & 3, size = (choice >> 2) & 3, style = (choice >> 4) & 3;
    auto& font = fonts[face * 16 + size * 4 + style];
    if (!font)
        font = lumeria::objectFont(faces[face], points[size], uint8_t(style));
    return *font;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    lumeria::fuzz::startGuiApplication("fuzz_layout");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace lumeria;
    if (size < kHeader)
        return 0;
    static QTemporaryDir scratch(fuzz::scratchTemplate("fuzz_layout"));
    static gdi::Surface surface(160, 120);
    static const QString output = QDir(scratch.path()).filePath(QStringLiteral("OUT.V"));

    // Widths from one pixel, narrower than any word, to wider than the page.
    const int width = (data[0] | (data[1] & 3) << 8) - 8;
    const bool wordWrap = data[1] & 4;
    const gdi::Font& font = fontFor(data[2]);
    MemorySource source(QByteArray(reinterpret_cast<const char*>(data + kHeader), qsizetype(size - kHeader)));
    const Result<text::LayoutResult> laid = text::layOutText(font, source, {width, wordWrap, output, scratch.path()});
    if (!laid)
        return 0;

    QFile file(output);
    if (!file.open(QIODevice::ReadOnly))
        __builtin_trap();
    const QByteArray formatted = file.readAll();
    file.close();
    QFile::remove(output);

    // The painter seeks to line i at i times the first line's length; a line
    // feed alone is text, records end at CR LF.
    const qsizetype record = formatted.indexOf("\r\n") + 2;
    if (laid->lineCount > 0 && (record <= 2 || formatted.size() != record * laid->lineCount))
        __builtin_trap();
    for (qsizetype at = record - 1; record > 0 && at < formatted.size(); at += record) {
        if (formatted[at] != '\n' || formatted[at - 1] != '\r')
            __builtin_trap();
    }
    if (laid->lineCount == 0 && !formatted.isEmpty())
        __builtin_trap();

    gdi::Canvas canvas(surface.view());
    canvas.setFont(font);
    text::HyperLinkList links;
    int recordLength = 0;
    const int firstLine = laid->lineCount > 0 ? data[3] % laid->lineCount : 0;
    text::TextPaintRequest paint{
        surface.rect(), text::paintoption::kFreeLinks, firstLine, data[3] & 0x40 ? 8 : 0, 0, 0};
    MemorySource painted(formatted);
    (void)text::paintFormattedText(canvas, painted, paint, links, recordLength);
    if (laid->lineCount > 0 && recordLength != record)
        __builtin_trap();
    MemorySource searched(formatted);
    (void)text::findAnchor(searched, QStringLiteral("end"));
    return 0;
}
