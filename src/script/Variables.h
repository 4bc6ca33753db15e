#pragma once

#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace lumeria {

// The run's named text values. Names lose every '[' and ']' and compare
// upper-cased; an empty value means unset, so setting one removes the entry.
class Variables {
public:
    // Called with the bracket-free name after every change, and with an empty
    // name on the clock tick, so that bound fields and texts showing the
    // variable (or the time) are brought up to date.
    using Listener = std::function<void(const QString& name)>;

    QString get(const QString& name) const;
    // The same by the name as stored (normalName), for callers that worked
    // it out once: a script line's variable names never change.
    QString getStored(const QString& key) const { return m_values.value(key); }
    // The stored value itself, or nullptr; valid until the next change.
    const QString* findStored(const QString& key) const
    {
        const auto it = m_values.constFind(key);
        return it == m_values.cend() ? nullptr : &it.value();
    }
    // Sends no notification when the value does not change (compared
    // exactly, case included).
    void set(const QString& name, const QString& value);
    // The same with the name already taken apart: key is normalName(name),
    // bare the name without brackets (what listeners hear).
    void setStored(const QString& key, const QString& bare, const QString& value);
    void clear();
    int count() const { return int(m_values.size()); }
    // Upper-cased names and values, in no particular order.
    const QHash<QString, QString>& all() const { return m_values; }

    int addListener(Listener listener);
    void removeListener(int id);
    void notify(const QString& name) const;

    // The name as stored: brackets removed, upper-cased.
    static QString normalName(const QString& name);

private:
    QHash<QString, QString> m_values;
    // Replaced, never changed in place: a notification walks the list it
    // started with while a listener adds or removes listeners.
    using ListenerList = std::vector<std::pair<int, Listener>>;
    std::shared_ptr<const ListenerList> m_listeners = std::make_shared<const ListenerList>();
    int m_nextListener = 1;
};

} // namespace lumeria
