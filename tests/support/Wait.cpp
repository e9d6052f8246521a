#include "tests/support/Wait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace vantrel::test {

namespace {

// Sleeps in the event loop until any event arrives; a 10 ms tick bounds the sleep so conditions that no
// event announces are still seen.
void waitForEvents() {
    QTimer tick;
    tick.start(10);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return condition();
        waitForEvents();
    }
    return true;
}

void pumpEvents(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        waitForEvents();
}

} // namespace vantrel::test
