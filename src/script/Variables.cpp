#include "script/Variables.h"

#include "platform/FileIo.h"
#include "script/ScriptText.h"

#include <algorithm>
#include <atomic>

namespace lumeria {

QString Variables::normalName(const QString& name)
{
    // Most names arrive already in their stored form: no copy then.
    bool stored = true;
    for (QChar c : name) {
        const char16_t u = c.unicode();
        if (u >= 128 || (u >= 'a' && u <= 'z') || u == '[' || u == ']') {
            stored = false;
            break;
        }
    }
    if (stored)
        return name;
    QString n = name;
    n.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
    return upperCased(n);
}

namespace {

// Layout numbers come from one counter for every store, so that a name
// remembered from one store is never taken for a place in another.
std::atomic<uint64_t> g_layouts{0};

uint64_t nextLayout()
{
    return g_layouts.fetch_add(1, std::memory_order_relaxed) + 1;
}

QString withoutBrackets(const QString& name)
{
    QString bare = name;
    if (bare.contains(QLatin1Char('[')) || bare.contains(QLatin1Char(']')))
        bare.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
    return bare;
}

} // namespace

VariableName::VariableName(const QString& name) : m_bare(withoutBrackets(name))
{
    m_key = upperCased(m_bare);
}

Variables::Variables() : m_layout(nextLayout()) {}

Variables::Variables(const Variables& other)
    : m_values(other.m_values), m_layout(nextLayout()), m_listeners(other.m_listeners),
      m_nextListener(other.m_nextListener)
{
}

Variables& Variables::operator=(const Variables& other)
{
    if (this != &other) {
        m_values = other.m_values;
        m_layout = nextLayout();
        m_listeners = other.m_listeners;
        m_nextListener = other.m_nextListener;
    }
    return *this;
}

void Variables::layoutChanged()
{
    m_layout = nextLayout();
}

void Variables::prepareChange()
{
    if (!m_values.isDetached()) {
        m_values.detach();
        layoutChanged();
    }
}

QString Variables::get(const QString& name) const
{
    return m_values.value(normalName(name));
}

const QString* Variables::find(const VariableName& name) const
{
    if (name.m_layout != m_layout) {
        const auto it = m_values.constFind(name.m_key);
        name.m_value = it == m_values.cend() ? nullptr : &it.value();
        name.m_layout = m_layout;
    }
    return name.m_value;
}

void Variables::set(const QString& name, const QString& value)
{
    const QString bare = withoutBrackets(name);
    if (bare.isEmpty())
        return;
    VariableName stored;
    stored.m_bare = bare;
    stored.m_key = upperCased(bare);
    set(stored, value);
}

void Variables::set(const VariableName& name, const QString& value)
{
    if (name.m_key.isEmpty())
        return;
    if (value.size() > limits::kTextLength)
        throw LimitExceeded();
    prepareChange();
    // The store is not shared now: its own value may be written in place.
    if (QString* current = const_cast<QString*>(find(name))) {
        if (*current == value)
            return;
        if (value.isEmpty()) {
            m_values.remove(name.m_key);
            layoutChanged();
        } else {
            *current = value;
        }
    } else {
        if (value.isEmpty())
            return;
        m_values.insert(name.m_key, value);
        layoutChanged();
    }
    notify(name.m_bare);
}

void Variables::set(const VariableName& name, QStringView value)
{
    if (name.m_key.isEmpty())
        return;
    if (value.size() > limits::kTextLength)
        throw LimitExceeded();
    prepareChange();
    QString* current = const_cast<QString*>(find(name));
    if (!current || value.isEmpty() || !current->isDetached() || current->capacity() < value.size()) {
        set(name, value.toString());
        return;
    }
    if (QStringView(*current) == value)
        return;
    // Held by the store alone: nobody sees the old value change in place.
    current->resize(value.size());
    std::copy(value.begin(), value.end(), current->data());
    notify(name.m_bare);
}

void Variables::clear()
{
    m_values.clear();
    layoutChanged();
}

int Variables::addListener(Listener listener)
{
    auto list = std::make_shared<ListenerList>(*m_listeners);
    list->emplace_back(m_nextListener, std::move(listener));
    m_listeners = std::move(list);
    return m_nextListener++;
}

void Variables::removeListener(int id)
{
    auto list = std::make_shared<ListenerList>(*m_listeners);
    list->erase(std::remove_if(list->begin(), list->end(), [id](const auto& l) { return l.first == id; }), list->end());
    m_listeners = std::move(list);
}

void Variables::notify(const QString& name) const
{
    if (m_listeners->empty())
        return;
    // Holding the list keeps it alive while listeners replace it.
    const std::shared_ptr<const ListenerList> listeners = m_listeners;
    for (const auto& [id, listener] : *listeners)
        listener(name);
}

} // namespace lumeria
