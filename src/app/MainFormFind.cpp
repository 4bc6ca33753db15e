// Find: its window, the search through the publication, and showing a hit.
#include "app/MainForm.h"
#include "app/PlayerSession.h"
#include "container/ByteSource.h"
#include "input/FindForm.h"
#include "platform/IoError.h"
#include "platform/gdi/Canvas.h"
#include "text/windows/FloatingWindowForm.h"

#include <QLineEdit>

#include <chrono>
#include <thread>

namespace lumeria {

void TMainForm::find(const QString& scope)
{
    if (!m_findForm) {
        m_findForm = new TFindForm(publication().strings, this);
        m_findForm->onFindFirst = [this] { runFind(true); };
        m_findForm->onFindNext = [this] { runFind(false); };
        m_findForm->searchEdit()->setText(m_findSearch->lastText());
    }
    m_findSearch->setScope(scope);
    m_findForm->setSearching(m_findSearch->hasCurrentPage());
    m_findForm->show();
    m_findForm->raise();
    m_findForm->searchEdit()->setFocus();
}

void TMainForm::closeFind()
{
    if (m_findForm)
        delete m_findForm.data();
}

void TMainForm::runFind(bool fromStart)
{
    if (!m_findForm)
        return;
    if (fromStart)
        m_findSearch->reset();
    FindHit hit;
    setBusyCursor(true);
    const FindSearch::Outcome outcome = m_findSearch->search(m_findForm->searchEdit()->text(), hit);
    setBusyCursor(false);
    if (outcome != FindSearch::Outcome::Hit) {
        if (m_findForm)
            m_findForm->searchEnded();
        return;
    }
    showFindHit(hit);
    if (m_findForm)
        m_findForm->setSearching(true);
}

void TMainForm::showFindHit(const FindHit& hit)
{
    if (hit.page != currentPage())
        goToPage(hit.page);
    if (hit.page != currentPage())
        return; // an exit script kept the reader where they were
    const PublicationSettings& s = publication().settings;
    const bool reachable = hit.kind == FindHit::Kind::Article ? s.TabWindows && hit.object->article()->WindowFlags != 0
                           : hit.kind == FindHit::Kind::TextWindow ? s.TabButtons
                                                                   : false;
    if (reachable)
        m_input->changeFocus({hit.object, hit.onMaster}, false);
    invalidateWholePage();
    bringUpToDate();

    switch (hit.kind) {
    case FindHit::Kind::Text: flashPageRect(objectRepaintRect(*hit.object, QPoint(0, 0))); break;
    case FindHit::Kind::Article: {
        const Object_Rec& article = *hit.object;
        const ObjectScrollBars* bars = m_scrollStore.find(article);
        const int unit = std::max<int32_t>(1, article.article()->MaxLineHeight);
        int first = bars ? bars->vertical.position / unit : 0;
        const int shown = bars && bars->vertical.page > 0 ? std::max(1, bars->vertical.page / unit) : 1;
        if (bars && bars->vertical.visible && (hit.line < first || hit.line >= first + shown)) {
            scrollArticleToLine(article, hit.line);
            first = m_scrollStore.of(article).vertical.position / unit;
            redrawObject(article, Redraw::Area);
            bringUpToDate();
        }
        const gdi::Rect area = articleTextArea(article, bars);
        const int top = area.top + (hit.line - first) * unit;
        flashPageRect(gdi::Rect{area.left, top, area.right, top + std::max(1, hit.lineHeight)}.intersected(area));
        break;
    }
    case FindHit::Kind::TextWindow: {
        runScript(hit.windowCommand);
        TFloatingWindowForm* window = m_windows->find(hit.windowFile, hit.widthKey);
        if (!window)
            break;
        if (hit.line < window->firstLine() || hit.line >= window->firstLine() + window->linesPerPage())
            window->scrollToLine(hit.line);
        window->flashLine(hit.line);
        break;
    }
    }
}

void TMainForm::flashPageRect(const gdi::Rect& area)
{
    const gdi::Rect cut = area.intersected(m_backbuffer.rect());
    if (cut.isEmpty())
        return;
    renderDirty();
    gdi::Canvas canvas(m_backbuffer.view());
    for (int i = 0; i < 8; ++i) {
        canvas.invertRect(cut);
        viewport()->repaint(gdi::toQRect(cut).translated(pageOrigin()));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::unique_ptr<ByteSource> TMainForm::openFormattedText(const QString& name, int& error)
{
    if (!m_session.container().find(name)) {
        error = io::kFileNotFound;
        return nullptr;
    }
    error = 0;
    return std::make_unique<EntrySource>(m_session.container(), name);
}

std::unique_ptr<ByteSource> TMainForm::openWindowText(const QString& file, int width, bool wordWrap)
{
    std::optional<QByteArray> lines = m_windows->laidOutText(file, width, wordWrap);
    return lines ? std::make_unique<MemorySource>(std::move(*lines)) : nullptr;
}

void TMainForm::showIoError(int code)
{
    messageDialog(caption(), ioErrorText(code), {QStringLiteral("OK")});
}

void TMainForm::showNotFound()
{
    const LanguageElementArray& strings = publication().strings;
    messageDialog(strings[LanguageElement::L_FINDTITLE], strings[LanguageElement::L_FINDERROR],
                  {strings[LanguageElement::L_OK]});
}

} // namespace lumeria
