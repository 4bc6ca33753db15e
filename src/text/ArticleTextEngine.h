#pragma once

#include "container/ByteSource.h"
#include "document/Objects.h"
#include "document/TextWrap.h"
#include "platform/Result.h"
#include "platform/gdi/Rect.h"
#include "render/PaintContext.h"
#include "render/TextAreaScroll.h"
#include "text/HyperLink.h"
#include "text/TextLayout.h"

#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

namespace lumeria::gdi {
class Canvas;
class Font;
} // namespace lumeria::gdi

namespace lumeria::text {

// Opens a text of the publication by name; reads of a missing name fail.
using TextOpener = std::function<std::unique_ptr<ByteSource>(const QString& name)>;

// The article text engine as the player uses it: paints articles through
// the object painter's hook and keeps, per article, what must outlive a
// paint (its links, the record length of its text, the heights the scrolled
// repaint needs). The window owns one and forgets an article's state when
// its page goes away; files laid out through it are deleted with it.
class ArticleTextEngine {
public:
    explicit ArticleTextEngine(TextOpener openText);
    ~ArticleTextEngine();
    ArticleTextEngine(const ArticleTextEngine&) = delete;
    ArticleTextEngine& operator=(const ArticleTextEngine&) = delete;

    // For PaintContext::paintArticleText; the engine must outlive it.
    std::function<ArticleTextResult(gdi::Canvas&, const ArticleTextRequest&)> hook();
    ArticleTextResult paintArticle(gdi::Canvas& canvas, const ArticleTextRequest& request);

    // The target of the link under a page point, as last painted. Links are
    // hit only inside the text area they were painted in.
    std::optional<QString> linkAt(const Object_Rec& article, QPoint pagePoint) const;

    // The line that holds the anchor of a ":" NAME target, in the article's
    // text; nothing when there is none (the caller beeps).
    std::optional<int> anchorLine(const Object_Rec& article, const QString& target) const;

    // The vertical bar position that makes a line the top line.
    static int barPositionForLine(const Object_Rec& article, int line);

    // What a move of an article's bar means for the pixels on screen: a
    // vertical step of one line moves them by the height of the line that
    // leaves (down) or comes in (up), as measured at the last paint.
    TextScrollChange scrollChange(const Object_Rec& article, ScrollAxis axis, const ObjectScrollBar& bar,
                                  int oldPosition) const;

    // Scrolls the article's text area on the canvas after its bar moved and
    // hands what is left to repaint to the caller.
    void scrollArticle(gdi::Canvas& canvas, const Object_Rec& article, const ObjectScrollBars& bars, ScrollAxis axis,
                       int oldPosition, const std::function<void(const gdi::Region&)>& repaint) const;

    // Lays out a marked-up text of the publication into a new temporary
    // file that the engine deletes when it goes.
    Result<LayoutResult> layOut(const gdi::Font& font, const QString& sourceName, int width, TextWrap wrap);

    const HyperLinkList* links(const Object_Rec& article) const;
    void forget(const Object_Rec& article);
    void clear();

private:
    struct ArticleState {
        HyperLinkList links;
        QString fileName; // the text the record length was measured in
        int recordLength = 0;
        int firstLineHeight = 0;
        int lineAboveHeight = 0;
        int linesShown = 0;
        gdi::Rect textArea; // page coordinates, as last painted
    };

    TextOpener m_open;
    std::unordered_map<const Object_Rec*, ArticleState> m_articles;
    QStringList m_temporaryFiles;
};

} // namespace lumeria::text
