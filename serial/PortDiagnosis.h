// Why a serial port cannot be used: who else holds the device (found in /proc as fuser does) and the
// reason of a failed open in words. Qt Core only, shared by the port chooser and the command-line tool.
#pragma once

#include "common/Errors.h"

#include <QList>
#include <QString>
#include <sys/types.h>

namespace vantrel {

struct PortHolder {
    pid_t pid = 0;
    QString name; // the program's name (/proc/<pid>/comm)
};

// The processes other than this one that have devicePath (e.g. "/dev/ttyUSB0") open. Processes whose
// descriptors cannot be read (another user's, as non-root) are not seen.
QList<PortHolder> portHolders(const QString& devicePath);

// The processes that hold an flock on devicePath (from /proc/locks, which every user may read, so also
// another user's program is found; its name is read where /proc allows).
QList<PortHolder> portLockHolders(const QString& devicePath);

// The reason a port could not be opened, from the errno of the failed open and the device path, in the
// language asked for: no such device, in use (naming the holder when one is seen), no permission (with
// the group that owns the device), or the system's own text. A device refused as busy that no process
// holds or locks kept the exclusive mark of a program that was killed: that is said, with the way out.
QString portOpenReason(int systemError, const QString& devicePath, TextLanguage language = TextLanguage::Hungarian);

} // namespace vantrel
