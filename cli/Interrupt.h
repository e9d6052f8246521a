// Ctrl+C (SIGINT), SIGTERM, SIGHUP (the terminal or SSH session gone) and SIGPIPE (the reader of the
// output gone) while a command talks to the module: the signal becomes a call on the event loop's thread,
// so a write stops after the frame on the wire instead of dying between two pages, and the port is
// released and the outcome logged as after Ctrl+C.
#pragma once

#include <QString>
#include <functional>

namespace vantrel::cli {

// From now on the four signals set interrupted() and run the current handler on the main thread (inside
// the event loop). Call once, after the application object exists.
void catchInterrupts();
void setInterruptHandler(std::function<void()> handler);
bool interrupted();
// The signal that interrupted the run (the first one), 0 when none came.
int interruptSignal();
// Its name: "SIGHUP", ...
QString signalName(int signal);

} // namespace vantrel::cli
