#include "input/FindController.h"

#include "platform/IoError.h"
#include "render/ObjectScrollBars.h"
#include "render/PageLayout.h"
#include "render/PageView.h"
#include "render/TextAreaScroll.h"
#include "text/ArticleTextEngine.h"
#include "text/windows/FloatingWindowForm.h"
#include "text/windows/FloatingWindows.h"

#include <QLineEdit>

#include <algorithm>

namespace lumeria {

FindController::FindController(FindContext context) : m_context(std::move(context)), m_search(*this) {}

FindController::~FindController()
{
    close();
}

void FindController::open(const QString& scope)
{
    if (!m_form) {
        m_form = new TFindForm(publication().strings, m_context.owner);
        m_form->onFindFirst = [this] { run(From::Start); };
        m_form->onFindNext = [this] { run(From::LastHit); };
        m_form->searchEdit()->setText(m_search.lastText());
    }
    m_search.setScope(scope);
    m_form->setSearching(m_search.hasCurrentPage());
    m_form->show();
    m_form->raise();
    m_form->searchEdit()->setFocus();
}

void FindController::close()
{
    if (m_form)
        delete m_form.data();
}

void FindController::run(From from)
{
    if (!m_form)
        return;
    if (from == From::Start)
        m_search.reset();
    FindHit hit;
    m_context.setBusyCursor(true);
    const FindSearch::Outcome outcome = m_search.search(m_form->searchEdit()->text(), hit);
    m_context.setBusyCursor(false);
    // A box the search showed may have let the reader close the window.
    if (outcome != FindSearch::Outcome::Hit) {
        if (m_form)
            m_form->searchEnded();
        return;
    }
    show(hit);
    if (m_form)
        m_form->setSearching(true);
}

void FindController::show(const FindHit& hit)
{
    if (hit.page != currentPage())
        m_context.goToPage(hit.page);
    if (hit.page != currentPage())
        return; // an exit script kept the reader where they were
    const PublicationSettings& s = publication().settings;
    const bool reachable = hit.kind == FindHit::Kind::Article ? s.TabWindows && hit.object->article()->WindowFlags != 0
                           : hit.kind == FindHit::Kind::TextWindow ? s.TabButtons
                                                                   : false;
    if (reachable)
        m_context.focus({hit.object, hit.onMaster});
    PageView& view = *m_context.view;
    view.invalidateAll();
    m_context.bringUpToDate();

    switch (hit.kind) {
    case FindHit::Kind::Text: view.flash(objectRepaintRect(*hit.object, QPoint(0, 0))); break;
    case FindHit::Kind::Article: {
        const Object_Rec& article = *hit.object;
        ScrollBarStore& store = *m_context.scrollBars;
        const ObjectScrollBars* bars = store.find(article);
        const int unit = std::max<int32_t>(1, article.article()->MaxLineHeight);
        int first = bars ? bars->vertical.position / unit : 0;
        const int shown = bars && bars->vertical.page > 0 ? std::max(1, bars->vertical.page / unit) : 1;
        if (bars && bars->vertical.visible && (hit.line < first || hit.line >= first + shown)) {
            ObjectScrollBar& bar = store.of(article).vertical;
            bar.position =
                std::clamp(text::ArticleTextEngine::barPositionForLine(article, hit.line), 0, bar.maxPosition());
            first = bar.position / unit;
            view.redrawObject(article, Redraw::Area);
            m_context.bringUpToDate();
        }
        const gdi::Rect area = articleTextArea(article, bars);
        const int top = area.top + (hit.line - first) * unit;
        view.flash(gdi::Rect{area.left, top, area.right, top + std::max(1, hit.lineHeight)}.intersected(area));
        break;
    }
    case FindHit::Kind::TextWindow: {
        m_context.runScript(hit.windowCommand);
        TFloatingWindowForm* window = m_context.windows->find(hit.windowFile, hit.widthKey);
        if (!window)
            break;
        if (hit.line < window->firstLine() || hit.line >= window->firstLine() + window->linesPerPage())
            window->scrollToLine(hit.line);
        window->flashLine(hit.line);
        break;
    }
    }
}

Result<std::unique_ptr<ByteSource>> FindController::openFormattedText(const QString& name)
{
    std::unique_ptr<ByteSource> entry = m_context.openEntry(name);
    if (!entry)
        return Failure{io::kFileNotFound};
    return entry;
}

std::unique_ptr<ByteSource> FindController::openWindowText(const QString& file, int width, TextWrap wrap)
{
    std::optional<QByteArray> lines = m_context.windows->laidOutText(file, width, wrap);
    return lines ? std::make_unique<MemorySource>(std::move(*lines)) : nullptr;
}

void FindController::showIoError(int code)
{
    m_context.messageBox(m_context.caption, ioErrorText(code), {QStringLiteral("OK")});
}

void FindController::showNotFound()
{
    const LanguageElementArray& strings = publication().strings;
    m_context.messageBox(strings.caption(LanguageElement::L_FINDTITLE), strings[LanguageElement::L_FINDERROR],
                         {strings.caption(LanguageElement::L_OK)});
}

} // namespace lumeria
