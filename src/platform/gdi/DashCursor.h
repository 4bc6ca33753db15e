#pragma once

#include <span>

namespace lumeria::gdi {

// Walks a cosmetic pen's dash pattern one pixel at a time. A fresh cursor is
// made for every figure: the pattern restarts at each line and each outline.
class DashCursor {
public:
    explicit DashCursor(std::span<const int> dashes) : m_dashes(dashes)
    {
        if (!m_dashes.empty())
            m_left = m_dashes[0];
    }

    // Whether the current pixel is in a dash (true) or a gap; then advances.
    bool step()
    {
        if (m_dashes.empty())
            return true;
        const bool on = (m_index & 1) == 0;
        if (--m_left == 0) {
            m_index = (m_index + 1) % m_dashes.size();
            m_left = m_dashes[m_index];
        }
        return on;
    }

private:
    std::span<const int> m_dashes;
    size_t m_index = 0;
    int m_left = 0;
};

} // namespace lumeria::gdi
