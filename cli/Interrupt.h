// Ctrl+C (SIGINT), SIGTERM, SIGHUP (the terminal or SSH session gone) and SIGPIPE (the reader of the
// output gone) while a command talks to the module; on Windows the console's Ctrl+C, Ctrl+Break, closing
// of its window, log-off and shut-down. The interruption becomes a call on the event loop's thread, so a
// write stops after the frame on the wire instead of dying between two pages, and the port is released
// and the outcome logged as after Ctrl+C. Each platform's backend is in posix/ or win32/.
#pragma once

#include <QString>
#include <functional>

namespace vantrel::cli {

// From now on the interruptions set interrupted() and run the current handler on the main thread (inside
// the event loop). Call once, after the application object exists.
void catchInterrupts();
void setInterruptHandler(std::function<void()> handler);
bool interrupted();
// The name of what interrupted the run (the first one): "SIGHUP", "CTRL_CLOSE_EVENT", ...; empty when
// nothing did.
QString interruptName();
// Whether the run was asked to stop (Ctrl+C, SIGTERM, Ctrl+Break, shut-down), rather than left by its
// terminal or its reader (SIGHUP, SIGPIPE, the console window closed, log-off).
bool interruptedByRequest();

} // namespace vantrel::cli
