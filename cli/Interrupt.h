// Ctrl+C (SIGINT) and SIGTERM while a command talks to the module: the signal becomes a call on the event
// loop's thread, so a write stops after the frame on the wire instead of dying between two pages.
#pragma once

#include <functional>

namespace vantrel::cli {

// From now on SIGINT and SIGTERM set interrupted() and run the current handler on the main thread (inside
// the event loop). Call once, after the application object exists.
void catchInterrupts();
void setInterruptHandler(std::function<void()> handler);
bool interrupted();

} // namespace vantrel::cli
