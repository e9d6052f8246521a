// The module search: which ports have a module that answers. Each port is opened through the serial driver
// as the tool opens it (exclusively, 19200 8N1); one that another program holds (refused, or on Linux only
// opened by it without a lock) is skipped, every other is sent one "??" CR and watched up to the time limit
// for a status frame; all ports at once, so the search takes about as long as one port. Nothing else is
// ever sent to a port. Qt Core only: the port chooser and the command-line tool share it; it may run on a
// thread of its own (it runs an event loop of that thread while it waits).
#pragma once

#include <QList>
#include <QString>

namespace vantrel {

struct ProbeResult {
    enum class Outcome {
        Answered,   // a status frame came back: a module is there
        NoAnswer,   // opened and asked, but no status frame within the time limit (garbage included)
        Busy,       // another program holds the port: skipped, nothing sent
        OpenFailed, // could not be opened (systemError says why)
    };
    QString port;       // "COM5"
    QString devicePath; // "/dev/ttyUSB0", "\\.\COM5"
    Outcome outcome = Outcome::NoAnswer;
    int systemError = 0; // the system's error of a failed or refused open
};

// Probes the given ports ("COM5", ...) in parallel and returns one result per port, in the same order.
QList<ProbeResult> probePorts(const QStringList& ports, int timeoutMs = 1000);

} // namespace vantrel
