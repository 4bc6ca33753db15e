// Feeds arbitrary bytes to the article text engine: as a formatted text to
// paint and search for an anchor, and as a marked-up source to lay out.
#include "FuzzSupport.h"
#include "container/ByteSource.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Font.h"
#include "text/AnchorSearch.h"
#include "text/TextLayout.h"
#include "text/TextPainter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    lumeria::fuzz::startGuiApplication("fuzz_text");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace lumeria;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    static gdi::Surface surface(200, 120);
    static const gdi::Font font = gdi::Font::fromPoints(QStringLiteral("Arial"), 10);
    // Laying out writes two files an input: in memory where there is one.
    static QTemporaryDir scratch(fuzz::scratchTemplate("fuzz_text"));

    gdi::Canvas canvas(surface.view());
    canvas.setFont(font);
    text::HyperLinkList links;
    int recordLength = 0;
    // The first byte picks where painting starts, so seeking is exercised.
    text::TextPaintRequest paint{surface.rect(), text::paintoption::kFreeLinks, size > 0 ? data[0] % 8 : 0, 0, 0, 0};
    MemorySource formatted(bytes);
    (void)text::paintFormattedText(canvas, formatted, paint, links, recordLength);
    MemorySource searched(bytes);
    (void)text::findAnchor(searched, QStringLiteral(":A"));

    // Laying out writes files and measures every word; small sources reach
    // every rule, and the layout target takes sources of any size.
    if (size <= 1024) {
        MemorySource source(bytes);
        const QString output = QDir(scratch.path()).filePath(QStringLiteral("OUT.V"));
        (void)text::layOutText(font, source, {160, size % 2 == 0, output, scratch.path()});
        QFile::remove(output);
    }
    return 0;
}
