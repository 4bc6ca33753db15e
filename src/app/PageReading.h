#pragma once

#include "container/ByteSource.h"
#include "document/Document.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace lumeria {

// What reading aloud takes from one page, one pop-up or one label. A page
// may hold articles of megabytes; what a reader hears of it in one go is a
// few minutes of speech (about 4000 characters at 150 words a minute).
inline constexpr qsizetype kMaxPageReading = 4000;
inline constexpr qsizetype kMaxUtterance = 2000;
// An article is read only this far, shown characters or not, so a text of
// hidden lines costs no more than one of shown ones.
inline constexpr int kMaxArticleLines = 2000;
// Objects read from one page at most.
inline constexpr int kMaxPageUtterances = 200;

// How reading reaches the publication: a displayed text with its variables
// replaced, and an article's formatted text by name (null when it cannot be
// opened).
struct ReadingSources {
    std::function<QString(const QString&)> substitute;
    std::function<std::unique_ptr<ByteSource>(const QString& name)> openText;
};

// What an object shows as words, as a reader would hear it: a text object's
// text, an article's shown text (no codes, hidden anchors or link targets),
// a push button's, check box's or radio button's label, an edit field's
// contents. A "|" is the line break it is when painted. Pictures and shapes
// say nothing. Empty when there is nothing to say; at most limit characters.
QString objectReading(const Object_Rec& object, const ReadingSources& sources, qsizetype limit = kMaxUtterance);

// Top to bottom, left to right: objects are taken in rows, a row starting
// with the highest object left and taking every object whose top lies above
// that object's vertical middle; a row is read from left to right. Ties keep
// drawing order. The objects are not changed; their order is returned.
std::vector<const Object_Rec*> readingOrder(std::vector<const Object_Rec*> objects);

// The texts of a page as the reader sees it (with the master page's objects
// when it shows them), one utterance per object in reading order. An object
// that a later opaque object hides whole is not read. Everything together
// takes at most limit characters.
QStringList pageReading(const Document& document, const Page_Rec& page, const ReadingSources& sources,
                        qsizetype limit = kMaxPageReading);

// Text cut to at most limit characters: at the last blank of the final
// stretch when there is one, never between the halves of a surrogate pair.
QString boundedText(const QString& text, qsizetype limit);

} // namespace lumeria
