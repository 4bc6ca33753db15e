#pragma once

#include <QElapsedTimer>

#include <cstdint>

namespace lumeria {

// Monotonic milliseconds for the idle return. Tests substitute a clock they
// move by hand, so that minutes of idleness cost nothing.
class MillisecondClock {
public:
    virtual ~MillisecondClock() = default;
    virtual int64_t now() const = 0;
};

class SteadyMillisecondClock final : public MillisecondClock {
public:
    SteadyMillisecondClock() { m_timer.start(); }
    int64_t now() const override { return m_timer.elapsed(); }

private:
    QElapsedTimer m_timer;
};

} // namespace lumeria
