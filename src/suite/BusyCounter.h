#pragma once

#include <cstdint>

namespace liqiva {

// The process-wide busy counter (16 bits, as the suite keeps it). Long loops call
// yieldToEvents(): the counter is raised while pending events are processed, and the
// command dispatcher and the main window refuse to start work while it is above zero.
class BusyCounter {
public:
    static std::int16_t value();
    static bool busy() { return value() > 0; }
    static void raise();
    static void lower();

    // Raises the counter, lets the event loop process pending events, lowers it again.
    static void yieldToEvents();
};

// Raises the counter for the life of a scope (a fill, a save).
class BusyScope {
public:
    BusyScope() { BusyCounter::raise(); }
    ~BusyScope() { BusyCounter::lower(); }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;
};

} // namespace liqiva
