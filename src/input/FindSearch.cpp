#include "input/FindSearch.h"

#include "script/ScriptText.h"
#include "text/LineReader.h"
#include "text/Markup.h"

#include <QStringList>

#include <vector>

namespace lumeria {

QString shownText(QStringView line, text::ScanMode& mode)
{
    const QStringView body = text::lineText(line);
    QString shown;
    text::MarkupScanner scanner(body, text::TextForm::Formatted, mode);
    for (text::MarkupToken token = scanner.next(); token.kind != text::MarkupToken::Kind::End; token = scanner.next()) {
        if (token.kind == text::MarkupToken::Kind::Run)
            shown += token.text;
    }
    return shown;
}

void FindSearch::reset()
{
    m_page = nullptr;
    m_objectCounter = 0;
    m_lineIndex = -1;
    m_nextIndex = 1;
}

bool FindSearch::nextPage()
{
    Document& doc = m_host.publication().document;
    m_objectCounter = 0;
    m_lineIndex = -1;
    if (m_mode == 1) {
        const int number = m_page ? doc.pageNumber(m_page) : 0;
        m_page = number < doc.pageCount() ? doc.pages()[size_t(number)].get() : nullptr;
        return m_page != nullptr;
    }
    const QStringList names = m_pageList.split(QLatin1Char('|'));
    const QString name = m_nextIndex <= names.size() ? names[m_nextIndex - 1] : QString();
    m_page = nullptr;
    if (name.isEmpty())
        return false;
    m_page = doc.findPage(name);
    if (!m_page)
        return false;
    ++m_nextIndex;
    return true;
}

FindSearch::Outcome FindSearch::search(const QString& text, FindHit& hit)
{
    m_text = text.toUpper();
    if (m_text.isEmpty())
        return Outcome::NotFound;
    if (!m_page) {
        const QString scope = m_scopeArgument.trimmed().toUpper();
        if (scope.isEmpty() || scope == QLatin1String("CURRENT")) {
            m_mode = 0;
            const Page_Rec* shown = m_host.currentPage();
            m_pageList = shown ? shown->Name : QString();
        } else if (scope == QLatin1String("ALL")) {
            m_mode = 1;
        } else {
            m_mode = 2;
            m_pageList = m_scopeArgument;
        }
        m_nextIndex = 1;
        m_objectCounter = 0;
    }

    Document& doc = m_host.publication().document;
    for (;;) {
        if (!m_page || m_objectCounter == 0) {
            const bool wasNamed = m_mode != 1;
            if (!nextPage()) {
                const QStringList names = m_pageList.split(QLatin1Char('|'));
                const bool unknownName = wasNamed && m_nextIndex <= names.size() && !names[m_nextIndex - 1].isEmpty();
                reset();
                m_host.showNotFound();
                return unknownName ? Outcome::Stopped : Outcome::NotFound;
            }
        }
        // Every object counts, the master page's first when the page shows
        // them, so a hit can be gone on from.
        const std::vector<ObjectRef> objects = doc.shownObjects(m_page);
        const int from = m_objectCounter;
        for (int i = std::max(1, from); i <= int(objects.size()); ++i) {
            auto [object, onMaster] = objects[size_t(i - 1)];
            // A single text lies strictly after the last hit; an article may
            // hold more hits after the one before.
            if (object->is(ObjectKind::Text) && i == from)
                continue;
            if (i != from)
                m_lineIndex = -1;
            if (searchObject(*object, hit)) {
                m_objectCounter = i;
                hit.page = m_page;
                hit.object = object;
                hit.onMaster = onMaster;
                return Outcome::Hit;
            }
        }
        m_objectCounter = 0;
    }
}

bool FindSearch::searchObject(Object_Rec& object, FindHit& hit)
{
    if (const Text_Rec* t = object.text()) {
        QString text = t->Text;
        text.remove(QLatin1Char('^')).replace(QLatin1Char('|'), QLatin1Char(' '));
        if (!m_host.substitute(text).toUpper().contains(m_text))
            return false;
        hit.kind = FindHit::Kind::Text;
        return true;
    }
    if (const Article_Rec* a = object.article()) {
        Result<std::unique_ptr<ByteSource>> opened = m_host.openFormattedText(a->FileName);
        if (!opened) {
            m_host.showIoError(opened.error());
            return false;
        }
        const std::unique_ptr<ByteSource> source = std::move(opened).value();
        int lineHeight = 0;
        const std::optional<int> line = searchLines(*source, m_lineIndex + 1, lineHeight, m_lineIndex);
        if (!line)
            return false;
        hit.kind = FindHit::Kind::Article;
        hit.line = *line;
        hit.lineHeight = lineHeight;
        return true;
    }
    if (const Button_Rec* b = object.button()) {
        const ScriptText script(b->Action);
        for (int n = 1; n <= script.lineCount(); ++n) {
            const ScriptLine* command = script.line(n);
            if (command->command != Command::TextWindow)
                continue;
            const auto& args = command->arguments.values;
            const int width = args[3].trimmed().toInt();
            const TextWrap wrap =
                args[6].toUpper() == QLatin1String("WORDWRAP") && width > 0 ? TextWrap::Word : TextWrap::None;
            std::unique_ptr<ByteSource> source = m_host.openWindowText(args[5], width, wrap);
            if (!source)
                return false;
            int lineHeight = 0;
            const std::optional<int> line = searchLines(*source, m_lineIndex + 1, lineHeight, m_lineIndex);
            if (!line)
                return false;
            hit.kind = FindHit::Kind::TextWindow;
            hit.line = *line;
            hit.lineHeight = lineHeight;
            hit.windowCommand = command->text.trimmed();
            hit.windowFile = args[5];
            hit.widthKey = wrap == TextWrap::Word ? width : 0;
            return true;
        }
    }
    return false;
}

std::optional<int> FindSearch::searchLines(ByteSource& source, int fromLine, int& lineHeight, int& storedLine)
{
    text::LineReader reader(source);
    text::ScanMode mode;
    QString line;
    QString tail;
    const qsizetype n = m_text.size();
    for (int number = 0; reader.next(line) == TextSource::Status::Line; ++number) {
        const QString shown = shownText(line, mode).toUpper();
        if (number < fromLine)
            continue;
        // A phrase broken over two lines is found in the tail of the one
        // and the start of the next.
        const QString searched = tail + QLatin1Char(' ') + shown;
        const qsizetype at = searched.indexOf(m_text);
        if (at >= 0) {
            const auto header = text::readLineHeader(line);
            lineHeight = header ? header->height : 0;
            storedLine = at < tail.size() ? number - 1 : number;
            return number;
        }
        tail = shown.right(n);
    }
    return std::nullopt;
}

} // namespace lumeria
