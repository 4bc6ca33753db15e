#pragma once

#include "platform/gdi/Colour.h"
#include "platform/gdi/Rect.h"
#include "platform/image/DecodedPicture.h"

#include <QSize>
#include <QString>

#include <functional>
#include <optional>

namespace lumeria {

namespace gdi {
class Canvas;
}

class ScrollBarStore;
struct Object_Rec;

// What the article text engine is handed to lay out and paint an article
// inside its frame. The rectangle is in page coordinates; the canvas it is
// given is already translated to the page origin and clipped to it.
struct ArticleTextRequest {
    // The article, which the engine keeps its links and caches under.
    const Object_Rec* object = nullptr;
    QString fileName;
    gdi::Rect inner;
    gdi::ColorRef background = 0;
    gdi::ColorRef textColour = 0;
    // Positions of the scroll bar model, both in pixels: the vertical one
    // steps by the article's tallest line.
    int horizontalPosition = 0;
    int verticalPosition = 0;
};

struct ArticleTextResult {
    // Pixels of content along the vertical bar: its range.
    int contentHeight = 0;
    // Lines that fit wholly in the text area, the vertical bar's page;
    // negative when the engine cannot tell.
    int linesShown = -1;
};

// Everything the object painter takes from the rest of the player. Each
// member may be left empty: texts are then drawn unexpanded, pictures count
// as missing, scroll bars are not modelled and article text is not drawn.
struct PaintContext {
    // Expands the variables of a text.
    std::function<QString(const QString&)> substitute;
    // Decodes a picture of the publication by name; nothing when it cannot.
    std::function<std::optional<DecodedPicture>(const QString&)> loadPicture;
    // The size recorded for a picture file, which keeps a button's layout
    // when its image is missing.
    std::function<std::optional<QSize>(const QString&)> recordedPictureSize;
    // The scroll bar models of articles and pictures, kept between paints.
    ScrollBarStore* scrollBars = nullptr;
    // The article text engine's entry.
    std::function<ArticleTextResult(gdi::Canvas&, const ArticleTextRequest&)> paintArticleText;
};

} // namespace lumeria
