#pragma once

namespace lumeria {

// Raises a counter for the length of a scope: a wait, a press or a print
// job that others ask about while events run inside it. The counter comes
// down however the scope is left.
class ScopedCount {
public:
    explicit ScopedCount(int& counter) : m_counter(counter) { ++m_counter; }
    ~ScopedCount() { --m_counter; }
    ScopedCount(const ScopedCount&) = delete;
    ScopedCount& operator=(const ScopedCount&) = delete;

private:
    int& m_counter;
};

} // namespace lumeria
