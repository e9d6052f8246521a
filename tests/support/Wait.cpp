#include "tests/support/Wait.h"

#include "common/EventWait.h"

#include <QDeadlineTimer>
#include <QTimer>

namespace vantrel::test {

namespace {

// Sleeps in the event loop until any event arrives; a 10 ms tick bounds the sleep so conditions that no
// event announces are still seen.
void waitForTickOrEvents() {
    QTimer tick;
    tick.start(10);
    waitForEvents();
}

} // namespace

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return condition();
        waitForTickOrEvents();
    }
    return true;
}

void pumpEvents(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        waitForTickOrEvents();
}

} // namespace vantrel::test
