#include "input/PageQueries.h"

#include <vector>

namespace lumeria {

namespace {

using ObjectList = std::vector<std::unique_ptr<Object_Rec>>;

bool tabCandidate(const Object_Rec& o, bool tabButtons, bool tabWindows)
{
    if (const Button_Rec* b = o.button())
        return tabButtons || b->Style == uint8_t(ButtonStyle::EditField);
    if (const Article_Rec* a = o.article())
        return tabWindows && a->WindowFlags != 0;
    if (const Picture_Rec* p = o.picture())
        return tabWindows && p->WindowFlags != 0;
    return false;
}

bool covers(const Object_Rec& outer, const Object_Rec& inner)
{
    return outer.X1 <= inner.X1 && outer.Y1 <= inner.Y1 && outer.X2 >= inner.X2 && outer.Y2 >= inner.Y2;
}

} // namespace

bool contains(const Object_Rec& o, QPoint p)
{
    return p.x() >= o.X1 && p.x() <= o.X2 && p.y() >= o.Y1 && p.y() <= o.Y2;
}

bool intersects(const Object_Rec& a, const Object_Rec& b)
{
    return a.X1 <= b.X2 && b.X1 <= a.X2 && a.Y1 <= b.Y2 && b.Y1 <= a.Y2;
}

PageObjects::PageObjects(const Document& document, const Page_Rec* page)
    : m_page(page), m_master(document.showsMaster(page) ? &document.master() : nullptr)
{
}

bool PageObjects::shows(const Object_Rec& object) const
{
    for (const Page_Rec* list : {m_master, m_page}) {
        if (!list)
            continue;
        for (const auto& o : list->Objects)
            if (o.get() == &object)
                return true;
    }
    return false;
}

ObjectRef PageObjects::hitTest(QPoint p) const
{
    ObjectRef found;
    if (m_master)
        for (const auto& o : m_master->Objects)
            if (contains(*o, p))
                found = {o.get(), true};
    if (m_page)
        for (const auto& o : m_page->Objects)
            if (contains(*o, p))
                found = {o.get(), false};
    return found;
}

bool PageObjects::overlapped(const Object_Rec& object) const
{
    bool passed = false;
    for (const Page_Rec* list : {m_master, m_page}) {
        if (!list)
            continue;
        for (const auto& o : list->Objects) {
            if (passed && intersects(*o, object))
                return true;
            if (o.get() == &object)
                passed = true;
        }
    }
    return false;
}

bool PageObjects::covered(const Object_Rec& object, bool onMaster) const
{
    // Later in its own list, and for a master object every page object.
    bool passed = false;
    const Page_Rec* own = onMaster ? m_master : m_page;
    for (const auto& o : own->Objects) {
        if (passed && covers(*o, object))
            return true;
        if (o.get() == &object)
            passed = true;
    }
    if (onMaster && m_page)
        for (const auto& o : m_page->Objects)
            if (covers(*o, object))
                return true;
    return false;
}

ObjectRef PageObjects::nextTabStop(const Object_Rec* current, Direction direction, bool tabButtons,
                                   bool tabWindows) const
{
    // Master then page; backward walks each list from its end but still
    // takes the master list first, so Shift+Tab keeps publications' order.
    std::vector<ObjectRef> order;
    for (const Page_Rec* list : {m_master, m_page}) {
        if (!list)
            continue;
        const bool onMaster = list == m_master;
        if (direction == Direction::Forward)
            for (const auto& o : list->Objects)
                order.push_back({o.get(), onMaster});
        else
            for (auto it = list->Objects.rbegin(); it != list->Objects.rend(); ++it)
                order.push_back({it->get(), onMaster});
    }

    auto search = [&](const Object_Rec* after) -> ObjectRef {
        bool started = after == nullptr;
        for (const ObjectRef& ref : order) {
            if (!started) {
                started = ref.object == after;
                continue;
            }
            if (tabCandidate(*ref.object, tabButtons, tabWindows) && !covered(*ref.object, ref.onMaster))
                return ref;
        }
        return {};
    };

    ObjectRef found = search(current);
    if (!found && current)
        found = search(nullptr);
    return found;
}

ObjectRef PageObjects::findAccelerator(uint16_t key) const
{
    if (key == 0)
        return {};
    for (const Page_Rec* list : {m_master, m_page}) {
        if (!list)
            continue;
        for (const auto& o : list->Objects)
            if (const Button_Rec* b = o->button(); b && b->Key != 0 && b->Key == key)
                return {o.get(), list == m_master};
    }
    return {};
}

} // namespace lumeria
