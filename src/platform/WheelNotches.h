#pragma once

#include <QGuiApplication>
#include <QStyleHints>

namespace lumeria {

// A wheel turns in notches of 120 units, as the window system counts them;
// wheels and touchpads that report finer steps send parts of a notch, which
// add up here until a whole one is reached. What is left over waits for the
// next turn the same way, and a turn the other way first uses it up.
class WheelNotches {
public:
    static constexpr int kNotch = 120;

    // The whole notches that this delta completes, positive away from the
    // reader (up, or left for a horizontal wheel).
    int add(int delta)
    {
        m_pending += delta;
        const int notches = m_pending / kNotch; // truncates toward zero
        m_pending -= notches * kNotch;
        return notches;
    }
    void reset() { m_pending = 0; }

private:
    int m_pending = 0;
};

// The lines one notch scrolls: the desktop's setting, three unless the
// reader chose otherwise, as the system the publications were made for had
// it.
inline int wheelScrollLines()
{
    const int lines = QGuiApplication::styleHints()->wheelScrollLines();
    return lines > 0 ? lines : 3;
}

} // namespace lumeria
