#include "suite/BusyCounter.h"

#include <QCoreApplication>
#include <atomic>

namespace liqiva {

namespace {
std::atomic<std::int16_t> counter{0};
}

std::int16_t BusyCounter::value()
{
    return counter.load();
}

void BusyCounter::raise()
{
    ++counter;
}

void BusyCounter::lower()
{
    if (counter.load() > 0)
        --counter;
}

void BusyCounter::yieldToEvents()
{
    BusyScope scope;
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

} // namespace liqiva
