#include "app/PageReading.h"

#include "input/FindSearch.h"
#include "text/LineReader.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

namespace lumeria {

namespace {

struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The rectangle as it lies on the page, whichever corners the file gave.
Box boxOf(const Object_Rec& o)
{
    return {std::min(o.X1, o.X2), std::min(o.Y1, o.Y2), std::max(o.X1, o.X2), std::max(o.Y1, o.Y2)};
}

bool containsBox(const Box& outer, const Box& inner)
{
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

// Whether an object paints every pixel of its rectangle, so that what lies
// under it cannot be seen.
bool paintsOpaque(const Object_Rec& o)
{
    if (const Picture_Rec* p = o.picture())
        return !p->TransImages;
    if (o.FillPattern != 0)
        return false;
    switch (o.kind()) {
    case ObjectKind::Rectangle: return o.LineOrigin != 1; // rounded corners let the page through
    case ObjectKind::Text:
    case ObjectKind::Article: return true;
    case ObjectKind::Button: {
        const auto style = ButtonStyle(o.button()->Style);
        return style == ButtonStyle::Push || style == ButtonStyle::EditField;
    }
    default: return false;
    }
}

// A shown line break of a painted text.
QString withLineBreaks(QString text)
{
    text.replace(QLatin1Char('|'), QLatin1Char('\n'));
    return text;
}

QString articleReading(const Article_Rec& article, const ReadingSources& sources, qsizetype limit)
{
    if (article.FileName.isEmpty() || !sources.openText)
        return {};
    const std::unique_ptr<ByteSource> source = sources.openText(article.FileName);
    if (!source)
        return {};
    text::LineReader reader(*source);
    text::ScanMode mode;
    QString line;
    QString out;
    bool paragraphEnded = false;
    for (int n = 0; n < kMaxArticleLines && out.size() < limit && reader.next(line) == TextSource::Status::Line; ++n) {
        const QString shown = shownText(line, mode).simplified();
        // The layout broke paragraphs into lines; an empty line is where a
        // paragraph ended.
        if (shown.isEmpty()) {
            paragraphEnded = !out.isEmpty();
            continue;
        }
        if (!out.isEmpty())
            out += paragraphEnded ? QLatin1Char('\n') : QLatin1Char(' ');
        paragraphEnded = false;
        out += shown;
    }
    return out;
}

// Whether an object can carry words at all, before any text is looked at.
bool mayCarryText(const Object_Rec& o)
{
    if (const Text_Rec* t = o.text())
        return !t->Text.isEmpty();
    if (const Article_Rec* a = o.article())
        return !a->FileName.isEmpty();
    if (const Button_Rec* b = o.button())
        return !(b->Style == uint8_t(ButtonStyle::EditField) ? b->EditText : b->Text).isEmpty();
    return false;
}

} // namespace

QString boundedText(const QString& text, qsizetype limit)
{
    if (text.size() <= limit)
        return text;
    qsizetype end = std::max<qsizetype>(limit, 0);
    if (end > 0 && end < text.size() && text.at(end - 1).isHighSurrogate() && text.at(end).isLowSurrogate())
        --end;
    // A word cut in half is read as a different word; a blank close to the
    // end is a better place.
    const qsizetype blank = text.lastIndexOf(QLatin1Char(' '), end);
    if (blank > 0 && end - blank < 40)
        end = blank;
    return text.left(end).trimmed();
}

QString objectReading(const Object_Rec& object, const ReadingSources& sources, qsizetype limit)
{
    QString said;
    if (const Text_Rec* t = object.text()) {
        said = withLineBreaks(sources.substitute ? sources.substitute(t->Text) : t->Text);
    } else if (const Article_Rec* a = object.article()) {
        said = articleReading(*a, sources, limit);
    } else if (const Button_Rec* b = object.button()) {
        // A field shows its contents as typed; labels show their variables'
        // values, as they are painted.
        if (b->Style == uint8_t(ButtonStyle::EditField))
            said = b->EditText;
        else
            said = withLineBreaks(sources.substitute ? sources.substitute(b->Text) : b->Text);
    }
    return boundedText(said.trimmed(), limit);
}

std::vector<const Object_Rec*> readingOrder(std::vector<const Object_Rec*> objects)
{
    std::vector<size_t> byTop(objects.size());
    std::iota(byTop.begin(), byTop.end(), size_t(0));
    std::stable_sort(byTop.begin(), byTop.end(),
                     [&](size_t a, size_t b) { return boxOf(*objects[a]).top < boxOf(*objects[b]).top; });
    std::vector<const Object_Rec*> out;
    out.reserve(objects.size());
    for (size_t first = 0; first < byTop.size();) {
        const Box anchor = boxOf(*objects[byTop[first]]);
        // Halved apart so that rectangles near the coordinate limits do not overflow.
        const int64_t middle = (int64_t(anchor.top) + int64_t(anchor.bottom)) / 2;
        size_t last = first + 1;
        while (last < byTop.size() && boxOf(*objects[byTop[last]]).top <= middle)
            ++last;
        std::stable_sort(byTop.begin() + std::ptrdiff_t(first), byTop.begin() + std::ptrdiff_t(last),
                         [&](size_t a, size_t b) {
                             const Box ba = boxOf(*objects[a]);
                             const Box bb = boxOf(*objects[b]);
                             return ba.left != bb.left ? ba.left < bb.left : a < b;
                         });
        for (size_t i = first; i < last; ++i)
            out.push_back(objects[byTop[i]]);
        first = last;
    }
    return out;
}

QStringList pageReading(const Document& document, const Page_Rec& page, const ReadingSources& sources, qsizetype limit)
{
    const std::vector<ObjectRef> shown = document.shownObjects(&page);
    std::vector<const Object_Rec*> candidates;
    // Where each candidate was painted, to look only at what came after it.
    std::unordered_map<const Object_Rec*, size_t> drawIndex;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (mayCarryText(*shown[i].object)) {
            candidates.push_back(shown[i].object);
            drawIndex.emplace(shown[i].object, i);
        }
    }

    QStringList out;
    qsizetype used = 0;
    int looked = 0;
    for (const Object_Rec* object : readingOrder(candidates)) {
        if (used >= limit || out.size() >= kMaxPageUtterances || looked >= kMaxPageUtterances * 4)
            break;
        ++looked;
        const Box box = boxOf(*object);
        bool hidden = false;
        for (size_t j = drawIndex[object] + 1; j < shown.size() && !hidden; ++j) {
            const Object_Rec& later = *shown[j].object;
            hidden = paintsOpaque(later) && containsBox(boxOf(later), box);
        }
        if (hidden)
            continue;
        const QString said = objectReading(*object, sources, std::min(kMaxUtterance, limit - used));
        if (said.isEmpty())
            continue;
        used += said.size();
        out.append(said);
    }
    return out;
}

} // namespace lumeria
