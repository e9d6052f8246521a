// The module search: which ports have a module that answers. Each port that no other program holds (by a
// lock, its exclusive mark, or only an open descriptor) is
// opened exclusively (19200 8N1), sent one "??" CR, and watched up to the time limit for a status frame;
// all ports at once, so the search takes about as long as one port. Qt Core only: the port chooser and the
// command-line tool share it. Nothing else is ever sent to a port.
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
    QString devicePath; // "/dev/ttyUSB0"
    Outcome outcome = Outcome::NoAnswer;
    int systemError = 0;
};

// Probes the given ports ("COM5", ...) in parallel and returns one result per port, in the same order.
QList<ProbeResult> probePorts(const QStringList& ports, int timeoutMs = 1000);

} // namespace vantrel
