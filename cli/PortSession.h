// One port held for one command: the PORT argument resolved (a COMn name as the windows map it, or a device
// path), opened exclusively through the driver, and the waits in the event loop that the commands share.
#pragma once

#include "protocol/ModuleConnection.h"

#include <QString>
#include <functional>

namespace vantrel::cli {

// The device a PORT argument names: "COM7" (any case) through the port links and the fixed ranges, a path
// as it is. CliError UsageError for a name that is neither.
struct PortTarget {
    QString name;    // as the user gave it, for messages
    QString comName; // COMn when the argument was one; empty for a device path
    QString device;  // the path that is opened
};
PortTarget resolvePort(const QString& argument);

class PortSession {
public:
    // Opens the port exclusively, at once: CliError PortFailed when it does not exist, is held by another
    // program (or another vantrel5-cli; also one that opened it without a lock) or cannot be opened, with
    // the reason.
    explicit PortSession(const QString& argument);
    ~PortSession();
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;

    ModuleConnection& link() { return link_; }
    const PortTarget& target() const { return target_; }

    // Whether the device went away (or hung up) since it was opened.
    bool linkLost() const;

    // Blocks in the event loop until done() holds, ms pass, the link is lost or the run is interrupted;
    // returns done().
    bool waitFor(const std::function<bool()>& done, int ms);

    // The one-line message for a lost link.
    QString linkLostText() const;

private:
    // The device itself, a link followed.
    QString resolvedDevice() const;
    // Ends the opening: logged, then CliError PortFailed with the reason for err.
    [[noreturn]] void refuse(int err) const;

    PortTarget target_;
    ModuleConnection link_;
};

} // namespace vantrel::cli
