// Ending the program cleanly when the system asks it to (log-out, kill, Ctrl+C in a terminal): the
// request becomes an ordinary close of the main window, so the chosen port is still saved.
#pragma once

#include <functional>

namespace vantrel {

// From now on SIGTERM, SIGINT and SIGHUP (on Windows: the console's events and the end of the session) run
// `quit` on the user-interface thread. Call once. Each platform's backend is in posix/ or win32/.
void quitOnSignals(std::function<void()> quit);

} // namespace vantrel
