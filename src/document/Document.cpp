#include "document/Document.h"

#include <algorithm>
#include <atomic>
#include <numeric>
#include <utility>

namespace lumeria {

const QString Document::kMasterPageName = QStringLiteral("Page maître");

Document::Document() : m_master(std::make_unique<Page_Rec>())
{
    m_master->Name = kMasterPageName;
    shapeChanged();
}

void Document::shapeChanged()
{
    // One counter for every document: a new document at the address of an
    // old one never repeats its version.
    static std::atomic<uint64_t> next{0};
    m_shapeVersion = ++next;
}

Page_Rec* Document::appendPage(const QString& name, const Palette& palette)
{
    if (pageCount() >= kMaxPages)
        return nullptr;
    return appendSharedPage(name, sharedPalette(palette));
}

Page_Rec* Document::appendSharedPage(const QString& name, const PagePaletteRef& palette)
{
    if (pageCount() >= kMaxPages)
        return nullptr;
    auto page = std::make_unique<Page_Rec>();
    page->Name = name;
    page->PagePalette = palette;
    m_pages.push_back(std::move(page));
    shapeChanged();
    if (m_pages.size() == 1)
        m_current = m_pages.front().get();
    return m_pages.back().get();
}

PagePaletteRef::PagePaletteRef()
{
    static const auto black = std::make_shared<const Palette>();
    m_palette = black;
}

PagePaletteRef Document::sharedPalette(const Palette& palette)
{
    if (!(m_lastPalette == palette))
        m_lastPalette = PagePaletteRef(std::make_shared<const Palette>(palette));
    return m_lastPalette;
}

void Document::removePage(const Page_Rec* page)
{
    auto it = std::find_if(m_pages.begin(), m_pages.end(), [&](const auto& p) { return p.get() == page; });
    if (it == m_pages.end())
        return;
    m_objectCount -= int((*it)->Objects.size());
    if (m_current == page)
        m_current = nullptr;
    for (auto& p : m_pages) {
        if (p->CameFrom == page)
            p->CameFrom = nullptr;
    }
    m_pages.erase(it);
    shapeChanged();
}

void Document::clear()
{
    m_objectCount -= int(m_master->Objects.size());
    m_master->Objects.clear();
    m_master->CameFrom = nullptr;
    m_objectCount -= std::accumulate(m_pages.begin(), m_pages.end(), 0,
                                     [](int n, const auto& p) { return n + int(p->Objects.size()); });
    m_pages.clear();
    m_current = nullptr;
    shapeChanged();
}

Object_Rec* Document::appendObject(Page_Rec& page, uint8_t kind)
{
    if (m_objectCount >= kMaxObjects)
        return nullptr;
    page.Objects.push_back(std::make_unique<Object_Rec>(makeObject(kind)));
    ++m_objectCount;
    shapeChanged();
    return page.Objects.back().get();
}

void Document::removeObject(Page_Rec& page, const Object_Rec* object)
{
    auto it = std::find_if(page.Objects.begin(), page.Objects.end(), [&](const auto& o) { return o.get() == object; });
    if (it == page.Objects.end())
        return;
    page.Objects.erase(it);
    --m_objectCount;
    shapeChanged();
}

Page_Rec* Document::findPage(const QString& name)
{
    return const_cast<Page_Rec*>(std::as_const(*this).findPage(name));
}

const Page_Rec* Document::findPage(const QString& name) const
{
    if (name.compare(m_master->Name, Qt::CaseInsensitive) == 0)
        return m_master.get();
    for (const auto& page : m_pages) {
        if (page->Name.compare(name, Qt::CaseInsensitive) == 0)
            return page.get();
    }
    return nullptr;
}

int Document::pageNumber(const Page_Rec* page) const
{
    for (size_t i = 0; i < m_pages.size(); ++i) {
        if (m_pages[i].get() == page)
            return int(i) + 1;
    }
    return 0;
}

void Document::enterPage(Page_Rec* page)
{
    if (!page)
        return;
    page->CameFrom = m_current;
    m_current = page;
}

bool Document::showsMaster(const Page_Rec* page) const
{
    return page && page->ShowMaster && page != m_master.get();
}

std::vector<ObjectRef> Document::shownObjects(const Page_Rec* page) const
{
    std::vector<ObjectRef> objects;
    if (!page)
        return objects;
    if (showsMaster(page)) {
        objects.reserve(m_master->Objects.size() + page->Objects.size());
        for (const auto& object : m_master->Objects)
            objects.push_back({object.get(), true});
    }
    for (const auto& object : page->Objects)
        objects.push_back({object.get(), false});
    return objects;
}

} // namespace lumeria
