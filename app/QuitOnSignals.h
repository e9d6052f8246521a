// Ending the program cleanly when the system asks it to (log-out, kill, Ctrl+C in a terminal): the
// request becomes an ordinary close of the main window, so the chosen port is still saved.
#pragma once

#include <functional>

namespace vantrel {

// From now on SIGTERM, SIGINT and SIGHUP run `quit` on the user-interface thread. Call once.
void quitOnSignals(std::function<void()> quit);

} // namespace vantrel
