// The authoring side of articles: lays out a marked-up source with the same
// engine and fonts the player paints with, so that the formatted file and
// the numbers the publication stores beside it agree with what is shown.
#include "Commands.h"

#include "container/ByteSource.h"
#include "platform/IoError.h"
#include "render/TextBlock.h"
#include "text/TextLayout.h"

#include <QFile>
#include <QFileInfo>

#include <iostream>

namespace lumeria::pack {

int format(const FormatOptions& options)
{
    auto fail = [](const QString& message) {
        std::cerr << "lumeria-pack: " << message.toStdString() << '\n';
        return 1;
    };
    if (!QFileInfo(options.source).isFile())
        return fail(QStringLiteral("cannot read %1: %2").arg(options.source, ioErrorText(io::kFileNotFound)));
    FileSource source(options.source);
    if (source.openError())
        return fail(QStringLiteral("cannot read %1: %2").arg(options.source, ioErrorText(source.openError())));
    const gdi::Font font = objectFont(options.font, options.points, options.style);
    const Result<text::LayoutResult> laid =
        text::layOutText(font, source, {options.width, options.wordWrap, options.output, {}});
    if (!laid) {
        return fail(QStringLiteral("cannot format %1: %2 (code %3)")
                        .arg(options.source, ioErrorText(laid.error()))
                        .arg(laid.error()));
    }
    std::cout << "YRange=" << laid->lineCount << "\nXRange=" << laid->xRange
              << "\nMaxLineHeight=" << laid->maxLineHeight << '\n';
    return 0;
}

} // namespace lumeria::pack
