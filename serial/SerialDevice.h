// The serial device of the platform under the driver: opens a port by its COM name with the module link's
// line settings, writes with the write time-out, reads what has arrived without waiting, and watches for
// arrivals on the user-interface thread's event loop. Internal to the driver; each platform has its own
// backend (posix/, win32/). Failures are ESerialPort errors carrying the system's own error number.
#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace vantrel {

class SerialDevice {
public:
    virtual ~SerialDevice() = default; // restores the line as it was found and releases the device

    // Opens the device behind "COMn" for this program alone, with 19200 8N1, DTR and RTS on, no handshake,
    // queues and time-outs set and both queues emptied. ESerialPort with the code of the failing step.
    static std::unique_ptr<SerialDevice> open(const QString& portName);

    // Writes the bytes; ends when all are written or the write time-out (1000 ms + 100 ms per byte) has
    // passed, and returns the number written. ESerialPort (write failed) with the system's error.
    virtual int write(const void* data, int count) = 0;

    // Copies up to size bytes that have already arrived; never waits. Returns the number copied (0: none
    // waiting), or -1 with the system's error in error.
    virtual int read(void* buffer, int size, int& error) = 0;

    // Whether the device has gone (a hang-up, a pulled adapter) although reads report nothing.
    virtual bool hungUp() = 0;

    // Ends every read and write still in progress (ESerialPort, purge failed, when the device refuses).
    virtual void abortTransfers() = 0;

    // Empties both queues, so nothing half-received is left for whoever opens the port next.
    virtual void purge() = 0;

    // Watches for arrivals: while watching is on, arrived() runs on this thread's event loop when the
    // device has bytes to read or has something else to say (a hang-up, a failure). Watching starts off.
    virtual void setArrivalHandler(std::function<void()> arrived) = 0;
    virtual void setWatching(bool on) = 0;

    // Whether a system error of a read or write means that the device has gone away.
    static bool isLinkLossError(int systemError);
    // The system's error for a call on a device that is not open (an invalid handle).
    static int notOpenError();
};

} // namespace vantrel
