#include "script/Variables.h"

#include "script/ScriptText.h"

#include <algorithm>

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

QString Variables::get(const QString& name) const
{
    return m_values.value(normalName(name));
}

void Variables::set(const QString& name, const QString& value)
{
    QString bare = name;
    if (bare.contains(QLatin1Char('[')) || bare.contains(QLatin1Char(']')))
        bare.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
    if (bare.isEmpty())
        return;
    setStored(upperCased(bare), bare, value);
}

void Variables::setStored(const QString& key, const QString& bare, const QString& value)
{
    if (key.isEmpty())
        return;
    auto it = m_values.find(key);
    if (it != m_values.end()) {
        if (*it == value)
            return;
        if (value.isEmpty())
            m_values.erase(it);
        else
            *it = value;
    } else {
        if (value.isEmpty())
            return;
        m_values.insert(key, value);
    }
    notify(bare);
}

void Variables::clear()
{
    m_values.clear();
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
    // Holding the list keeps it alive while listeners replace it.
    const std::shared_ptr<const ListenerList> listeners = m_listeners;
    for (const auto& [id, listener] : *listeners)
        listener(name);
}

} // namespace lumeria
