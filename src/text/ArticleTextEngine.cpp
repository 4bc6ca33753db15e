#include "text/ArticleTextEngine.h"

#include "platform/IoError.h"
#include "platform/gdi/Canvas.h"
#include "text/AnchorSearch.h"
#include "text/TextPainter.h"

#include <QFile>

#include <algorithm>
#include <limits>

namespace lumeria::text {

namespace {

int lineUnit(const Object_Rec& object)
{
    const Article_Rec* article = object.article();
    return article ? std::max<int32_t>(1, article->MaxLineHeight) : 1;
}

} // namespace

ArticleTextEngine::ArticleTextEngine(TextOpener openText) : m_open(std::move(openText)) {}

ArticleTextEngine::~ArticleTextEngine()
{
    for (const QString& file : m_temporaryFiles)
        QFile::remove(file);
}

std::function<ArticleTextResult(gdi::Canvas&, const ArticleTextRequest&)> ArticleTextEngine::hook()
{
    return [this](gdi::Canvas& canvas, const ArticleTextRequest& request) { return paintArticle(canvas, request); };
}

ArticleTextResult ArticleTextEngine::paintArticle(gdi::Canvas& canvas, const ArticleTextRequest& request)
{
    ArticleTextResult result;
    if (!request.object || !request.object->article())
        return result;
    const Object_Rec& object = *request.object;
    const int unit = lineUnit(object);
    result.contentHeight = int(std::clamp<int64_t>(int64_t(std::max<int32_t>(0, object.article()->YRange)) * unit, 0,
                                                   std::numeric_limits<int>::max()));
    ArticleState& state = m_articles[&object];
    state.links.clear();
    state.textArea = request.inner;
    if (state.fileName.compare(request.fileName, Qt::CaseInsensitive) != 0) {
        state.fileName = request.fileName;
        state.recordLength = 0;
    }
    std::unique_ptr<ByteSource> text = m_open ? m_open(request.fileName) : nullptr;
    if (!text)
        return result;
    TextPaintRequest paint;
    paint.rect = request.inner;
    paint.options = paintoption::kFreeLinks;
    paint.firstLine = std::max(0, request.verticalPosition) / unit;
    paint.offset = std::max(0, request.horizontalPosition);
    paint.background = request.background;
    paint.textColour = request.textColour;
    const TextPaintResult painted = paintFormattedText(canvas, *text, paint, state.links, state.recordLength);
    state.firstLineHeight = painted.firstLineHeight;
    state.lineAboveHeight = painted.lineAboveHeight;
    state.linesShown = painted.linesShown;
    result.linesShown = painted.linesShown;
    return result;
}

std::optional<QString> ArticleTextEngine::linkAt(const Object_Rec& article, QPoint pagePoint) const
{
    const auto it = m_articles.find(&article);
    if (it == m_articles.end() || !it->second.textArea.contains(pagePoint.x(), pagePoint.y()))
        return std::nullopt;
    const ArticleState& state = it->second;
    const HyperLink_Rec* link =
        text::linkAt(state.links, pagePoint.x() - state.textArea.left, pagePoint.y() - state.textArea.top);
    if (!link)
        return std::nullopt;
    return link->target;
}

std::optional<int> ArticleTextEngine::anchorLine(const Object_Rec& article, const QString& target) const
{
    const Article_Rec* a = article.article();
    if (!a || !m_open)
        return std::nullopt;
    std::unique_ptr<ByteSource> text = m_open(a->FileName);
    if (!text)
        return std::nullopt;
    return findAnchor(*text, target);
}

int ArticleTextEngine::barPositionForLine(const Object_Rec& article, int line)
{
    return int(std::clamp<int64_t>(int64_t(std::max(0, line)) * lineUnit(article), 0, std::numeric_limits<int>::max()));
}

TextScrollChange ArticleTextEngine::scrollChange(const Object_Rec& article, ScrollAxis axis, const ObjectScrollBar& bar,
                                                 int oldPosition) const
{
    if (axis == ScrollAxis::Horizontal)
        return barChange(axis, bar, oldPosition);
    const int unit = lineUnit(article);
    const int oldLine = std::max(0, oldPosition) / unit;
    const int newLine = std::max(0, bar.position) / unit;
    const int64_t delta = int64_t(newLine) - oldLine;
    if (delta == 0)
        return {axis, 0, 0, unit, 0};
    const auto it = m_articles.find(&article);
    if (delta == 1 || delta == -1) {
        // Down, the first line leaves; up, the line above comes in. A height
        // not known from the last paint falls back to a whole repaint.
        const int height =
            it == m_articles.end() ? 0 : (delta > 0 ? it->second.firstLineHeight : it->second.lineAboveHeight);
        if (height > 0)
            return {axis, 0, int(delta), unit, height};
    }
    return {axis, 0, 2, unit, 0};
}

void ArticleTextEngine::scrollArticle(gdi::Canvas& canvas, const Object_Rec& article, const ObjectScrollBars& bars,
                                      ScrollAxis axis, int oldPosition,
                                      const std::function<void(const gdi::Region&)>& repaint) const
{
    const ObjectScrollBar& bar = axis == ScrollAxis::Vertical ? bars.vertical : bars.horizontal;
    scrollTextArea(canvas, articleTextArea(article, &bars), scrollChange(article, axis, bar, oldPosition), repaint);
}

Result<LayoutResult> ArticleTextEngine::layOut(const gdi::Font& font, const QString& sourceName, int width,
                                               TextWrap wrap)
{
    std::unique_ptr<ByteSource> source = m_open ? m_open(sourceName) : nullptr;
    if (!source)
        return Failure{io::kFileNotFound};
    Result<LayoutResult> laid = layOutText(font, *source, {width, wrap == TextWrap::Word, {}, {}});
    if (laid)
        m_temporaryFiles.push_back(laid->output);
    return laid;
}

const HyperLinkList* ArticleTextEngine::links(const Object_Rec& article) const
{
    const auto it = m_articles.find(&article);
    return it == m_articles.end() ? nullptr : &it->second.links;
}

void ArticleTextEngine::forget(const Object_Rec& article)
{
    m_articles.erase(&article);
}

void ArticleTextEngine::clear()
{
    m_articles.clear();
}

} // namespace lumeria::text
