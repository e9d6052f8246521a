// Waiting in tests without sleeping the event loop away: events keep being processed while we wait.
#pragma once

#include <functional>

namespace vantrel::test {

// Processes events until condition() holds or timeoutMs passes; returns the last value of condition().
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);
// Processes events for ms milliseconds.
void pumpEvents(int ms);

} // namespace vantrel::test
