#include "text/AnchorSearch.h"

#include "text/LineReader.h"
#include "text/Markup.h"

namespace lumeria::text {

std::optional<int> findAnchor(ByteSource& text, const QString& target)
{
    QString name = target;
    if (name.startsWith(QLatin1Char(':')))
        name.remove(0, 1);
    const QString marker = QStringLiteral("^M") + name.toUpper() + QStringLiteral("^M");
    LineReader reader(text);
    QString line;
    QString tail;
    for (int number = 0; reader.next(line) == TextSource::Status::Line; ++number) {
        // The header and the padding are not text: with them a marker cut
        // by the line break would never meet its other half.
        const QStringView body = lineText(line);
        const QString upper = body.toString().toUpper();
        if ((tail + QLatin1Char(' ') + upper).contains(marker))
            return number;
        tail = upper.right(marker.size());
    }
    return std::nullopt;
}

} // namespace lumeria::text
