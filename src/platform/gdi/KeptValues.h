#pragma once

#include <QHash>

#include <cstddef>
#include <memory>

namespace lumeria::gdi {

// Values kept by key in two generations of a bounded weight: a value found
// in the older generation comes back into the newer one, and when the newer
// one is full the older is dropped. What a page keeps using stays; what it
// stopped using goes within two generations. Keys must say everything a
// value depends on, so that nothing kept can be stale.
template <class Key, class Value>
class KeptValues {
public:
    explicit KeptValues(qsizetype generationWeight) : m_generationWeight(generationWeight) {}

    std::shared_ptr<const Value> find(const Key& key)
    {
        if (const auto recent = m_recent.constFind(key); recent != m_recent.cend())
            return recent->value;
        const auto older = m_older.constFind(key);
        if (older == m_older.cend())
            return nullptr;
        const Entry entry = *older;
        insert(key, entry.value, entry.weight);
        return entry.value;
    }

    void insert(const Key& key, std::shared_ptr<const Value> value, qsizetype weight)
    {
        if (m_weight >= m_generationWeight) {
            m_older = std::move(m_recent);
            m_recent.clear();
            m_weight = 0;
        }
        m_weight += weight;
        m_recent.insert(key, Entry{std::move(value), weight});
    }

private:
    struct Entry {
        std::shared_ptr<const Value> value;
        qsizetype weight = 0;
    };

    qsizetype m_generationWeight;
    QHash<Key, Entry> m_recent;
    QHash<Key, Entry> m_older;
    qsizetype m_weight = 0;
};

} // namespace lumeria::gdi
