// Sleeping in the event loop of the calling thread until something happens, for the loops that wait for a
// flag an event sets (a page arrived, a time-out ticked).
#pragma once

namespace vantrel {

// Sleeps until an event arrives, handles it, and delivers what was posted meanwhile. Some event loops
// (Qt's own, without GLib) deliver the events posted while they slept only when next entered, and sleep
// again first: a wait that checked its flag in between would see it only at the next wake-up.
void waitForEvents();

} // namespace vantrel
