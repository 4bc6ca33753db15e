#pragma once

#include "container/ByteSource.h"
#include "document/Publication.h"
#include "document/TextWrap.h"
#include "platform/Result.h"
#include "text/MarkupScanner.h"

#include <QString>

#include <memory>
#include <optional>

namespace lumeria {

// Where Find stopped: the object that holds the text and, in an article or
// a text window, the line.
struct FindHit {
    enum class Kind { Text, Article, TextWindow };
    Kind kind = Kind::Text;
    Page_Rec* page = nullptr;
    Object_Rec* object = nullptr;
    bool onMaster = false;
    int line = 0;       // article and text window: the hit line
    int lineHeight = 0; // its height, from its header
    // Text window: the button's TextWindow command, the file it shows and
    // the window's width key.
    QString windowCommand;
    QString windowFile;
    int widthKey = 0;
};

// What the search reads through the player.
class FindHost {
public:
    virtual ~FindHost() = default;
    virtual Publication& publication() = 0;
    virtual Page_Rec* currentPage() const = 0;
    // A displayed text with its variables replaced.
    virtual QString substitute(const QString& text) const = 0;
    // An article's formatted text, by the name its object gives; an error
    // code when it cannot be opened.
    virtual Result<std::unique_ptr<ByteSource>> openFormattedText(const QString& name) = 0;
    // The text a TextWindow command would show, laid out as its window
    // would lay it out; nothing when it cannot.
    virtual std::unique_ptr<ByteSource> openWindowText(const QString& file, int width, TextWrap wrap) = 0;
    // The error box for an I/O code; a box with L_FINDERROR.
    virtual void showIoError(int code) = 0;
    virtual void showNotFound() = 0;
};

// Find's search through the publication's texts: single texts, articles
// and the texts buttons open as text windows, page by page over a scope,
// going on from the last hit.
class FindSearch {
public:
    explicit FindSearch(FindHost& host) : m_host(host) {}

    // The Find command's argument: empty or "CURRENT", "ALL", or page
    // names separated by '|'. Kept for the searches that follow.
    void setScope(const QString& argument) { m_scopeArgument = argument; }
    // Starts again from the beginning of the scope; the text stays.
    void reset();

    enum class Outcome { Hit, NotFound, Stopped };
    // Searches on from the last hit. At the end of the scope the search
    // starts over and the reader is told (NotFound); a page name that names
    // no page stops it with the same box (Stopped).
    Outcome search(const QString& text, FindHit& hit);

    const QString& lastText() const { return m_text; }
    bool hasCurrentPage() const { return m_page != nullptr; }

private:
    bool nextPage();
    // Searches one object; a hit fills hit.
    bool searchObject(Object_Rec& object, FindHit& hit);
    std::optional<int> searchLines(ByteSource& text, int fromLine, int& lineHeight, int& storedLine);

    FindHost& m_host;
    QString m_scopeArgument;
    QString m_text;
    int m_mode = 0; // 0 current page, 1 all pages, 2 named pages
    QString m_pageList;
    int m_nextIndex = 1;
    Page_Rec* m_page = nullptr;
    int m_objectCounter = 0;
    int m_lineIndex = -1; // the line after which an article search goes on
};

// The shown text of one formatted line, its header and padding left out:
// codes, link targets and hidden text removed, "^^" as one caret. The scan
// mode carries a link or hidden text on to the next line.
QString shownText(QStringView line, text::ScanMode& mode);

} // namespace lumeria
