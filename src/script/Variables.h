#pragma once

#include <QHash>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace lumeria {

class Variables;

// A variable's name worked out once, for a name read or written again and
// again (a script line in a loop): as the store keys it and as its
// listeners hear it, with where the store last held its value.
class VariableName {
public:
    VariableName() = default;
    explicit VariableName(const QString& name);

    const QString& key() const { return m_key; }   // brackets removed, upper-cased
    const QString& bare() const { return m_bare; } // brackets removed

private:
    friend class Variables;
    QString m_key;
    QString m_bare;
    // Valid while the store's layout is the one numbered here: values stay
    // where they are until an entry is added or removed.
    mutable uint64_t m_layout = 0;
    mutable const QString* m_value = nullptr;
};

// The run's named text values. Names lose every '[' and ']' and compare
// upper-cased; an empty value means unset, so setting one removes the entry.
class Variables {
public:
    // Called with the bracket-free name after every change, and with an empty
    // name on the clock tick, so that bound fields and texts showing the
    // variable (or the time) are brought up to date.
    using Listener = std::function<void(const QString& name)>;

    Variables();
    Variables(const Variables& other);
    Variables& operator=(const Variables& other);

    QString get(const QString& name) const;
    // The stored value itself, or nullptr; valid until the next change.
    const QString* find(const VariableName& name) const;
    // Sends no notification when the value does not change (compared
    // exactly, case included).
    void set(const QString& name, const QString& value);
    void set(const VariableName& name, const QString& value);
    // The same for a value made anew each time (a Math result): written
    // over the old value where only the store holds it.
    void set(const VariableName& name, QStringView value);
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
    // Before any change: a copy of all() shares the values, and the change
    // would move them out from under the names that point at them.
    void prepareChange();
    void layoutChanged();

    QHash<QString, QString> m_values;
    uint64_t m_layout = 0; // never 0 once constructed, unique across stores
    // Replaced, never changed in place: a notification walks the list it
    // started with while a listener adds or removes listeners.
    using ListenerList = std::vector<std::pair<int, Listener>>;
    std::shared_ptr<const ListenerList> m_listeners = std::make_shared<const ListenerList>();
    int m_nextListener = 1;
};

} // namespace lumeria
