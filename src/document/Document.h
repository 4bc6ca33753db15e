#pragma once

#include "document/Page.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace lumeria {

// An object of a shown page, and whether it belongs to the master page.
struct ObjectRef {
    Object_Rec* object = nullptr;
    bool onMaster = false;

    explicit operator bool() const { return object != nullptr; }
    friend bool operator==(const ObjectRef&, const ObjectRef&) = default;
};

// The pages of a publication: the master page, whose objects appear on every
// page that asks for them, and the ordered page list. Pages and objects are
// only created while the publication is parsed; afterwards the shape stays
// fixed and only run-time fields change.
class Document {
public:
    static constexpr int kMaxPages = 9999;
    static constexpr int kMaxObjects = 32000; // in the whole publication, master page included
    static const QString kMasterPageName;     // string resource 811

    Document();

    Page_Rec& master() { return *m_master; }
    const Page_Rec& master() const { return *m_master; }
    const std::vector<std::unique_ptr<Page_Rec>>& pages() const { return m_pages; }
    int pageCount() const { return int(m_pages.size()); }
    int objectCount() const { return m_objectCount; }
    // Changes whenever a page or an object is added or removed, and differs
    // between documents, so that an index built over the lists can tell
    // whether it still describes them.
    uint64_t shapeVersion() const { return m_shapeVersion; }

    // Appends a page with the given palette; nullptr when the publication
    // already has kMaxPages pages. The first page appended becomes current.
    Page_Rec* appendPage(const QString& name, const Palette& palette);
    // The same with a palette already shared, which costs no comparison.
    Page_Rec* appendSharedPage(const QString& name, const PagePaletteRef& palette);
    // The palette to give a page: the one last given when it is equal, so
    // that pages repeating a palette share it.
    PagePaletteRef sharedPalette(const Palette& palette);
    // Removes a page and frees its objects.
    void removePage(const Page_Rec* page);
    // Frees the master page's objects and every page; no page is current.
    void clear();

    // Appends a new object of that kind; nullptr when the publication already
    // has kMaxObjects objects.
    Object_Rec* appendObject(Page_Rec& page, uint8_t kind);
    void removeObject(Page_Rec& page, const Object_Rec* object);

    // Names compare ignoring case; the master page answers to its own name
    // though it is not in the list; of two pages with one name the first wins.
    Page_Rec* findPage(const QString& name);
    const Page_Rec* findPage(const QString& name) const;
    // 1-based position in the page list, 0 for a page not in it (the master).
    int pageNumber(const Page_Rec* page) const;
    Page_Rec* lastPage() const { return m_pages.empty() ? nullptr : m_pages.back().get(); }

    Page_Rec* currentPage() const { return m_current; }
    void setCurrentPage(Page_Rec* page) { m_current = page; }
    // Makes a page current, remembering where the reader came from.
    void enterPage(Page_Rec* page);

    // Whether the master page's objects show with a page: the page asks for
    // them and is not the master page itself, whose objects would otherwise
    // come twice.
    bool showsMaster(const Page_Rec* page) const;
    // The objects on screen with a page, in painting order: the master
    // page's when it shows them, then the page's own, each in list order.
    std::vector<ObjectRef> shownObjects(const Page_Rec* page) const;

private:
    std::unique_ptr<Page_Rec> m_master;
    std::vector<std::unique_ptr<Page_Rec>> m_pages;
    PagePaletteRef m_lastPalette;
    Page_Rec* m_current = nullptr;
    int m_objectCount = 0;
    uint64_t m_shapeVersion = 0;

    void shapeChanged();
};

} // namespace lumeria
