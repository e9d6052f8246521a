// Why a serial port cannot be used: who else holds the device and the reason of a failed open in words.
// Qt Core only, shared by the port chooser, the main window and the command-line tool. On Linux the
// holders are found in /proc as fuser does; Windows tells no holders of a device.
#pragma once

#include "common/Errors.h"

#include <QList>
#include <QString>

namespace vantrel {

struct PortHolder {
    qint64 pid = 0;
    QString name; // the program's name
};

// The processes other than this one that have devicePath (e.g. "/dev/ttyUSB0") open. Processes whose
// descriptors cannot be read (another user's, as non-root) are not seen. Empty on Windows.
QList<PortHolder> portHolders(const QString& devicePath);

// The processes that hold an flock on devicePath (from /proc/locks, which every user may read, so also
// another user's program is found; its name is read where /proc allows). Empty on Windows.
QList<PortHolder> portLockHolders(const QString& devicePath);

// Whether the system error of a failed open (ESerialPort's) means that another program holds the port, and
// the error that says so, for a port found held although it opened.
bool isPortBusyError(int systemError);
int portBusyError();

// The reason a port could not be opened, from the system error of the failed open and the device path, in
// the language asked for: no such device, in use (naming the holder when one is seen), no permission (with
// the group that owns the device), or the system's own text. A device refused as busy that no process
// holds or locks kept the exclusive mark of a program that was killed: that is said, with the way out.
QString portOpenReason(int systemError, const QString& devicePath, TextLanguage language = TextLanguage::Hungarian);

} // namespace vantrel
