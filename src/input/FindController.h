#pragma once

#include "input/FindForm.h"
#include "input/FindSearch.h"
#include "input/PageQueries.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QWidget;

namespace lumeria {

class PageView;
class ScrollBarStore;
class WindowManager;

// What Find takes from the run. The view, the scroll bars and the windows
// must outlive the controller.
struct FindContext {
    QWidget* owner = nullptr; // the Find window's parent
    Publication* publication = nullptr;
    PageView* view = nullptr;
    ScrollBarStore* scrollBars = nullptr;
    WindowManager* windows = nullptr;
    // The window's caption, the title of I/O error boxes.
    QString caption;
    std::function<Page_Rec*()> currentPage;
    std::function<void(Page_Rec*)> goToPage;
    std::function<QString(const QString&)> substitute;
    // A container entry by name; nothing when the container has none.
    std::function<std::unique_ptr<ByteSource>(const QString&)> openEntry;
    // Gives the keyboard focus to an object of the page shown.
    std::function<void(ObjectRef)> focus;
    // Paints what is pending and places the objects' scroll bars, so a hit
    // is shown on the page as the reader will see it.
    std::function<void()> bringUpToDate;
    std::function<void(const QString&)> runScript;
    std::function<void(bool)> setBusyCursor;
    std::function<int(const QString& title, const QString& message, const QStringList& buttons)> messageBox;
};

// Find as the reader meets it: the Find window, the search through the
// publication, and the place found shown on its page.
class FindController : public FindHost {
public:
    explicit FindController(FindContext context);
    ~FindController() override;
    FindController(const FindController&) = delete;
    FindController& operator=(const FindController&) = delete;

    // The Find command: the window opens (or comes forward) over the given
    // scope, its text kept from the last search.
    void open(const QString& scope);
    void close();
    TFindForm* window() const { return m_form; }

    // FindHost.
    Publication& publication() override { return *m_context.publication; }
    Page_Rec* currentPage() const override { return m_context.currentPage(); }
    QString substitute(const QString& text) const override { return m_context.substitute(text); }
    Result<std::unique_ptr<ByteSource>> openFormattedText(const QString& name) override;
    std::unique_ptr<ByteSource> openWindowText(const QString& file, int width, TextWrap wrap) override;
    void showIoError(int code) override;
    void showNotFound() override;

private:
    enum class From { Start, LastHit };
    void run(From from);
    void show(const FindHit& hit);

    FindContext m_context;
    FindSearch m_search;
    QPointer<TFindForm> m_form;
};

} // namespace lumeria
