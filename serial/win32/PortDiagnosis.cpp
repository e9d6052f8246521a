// On Windows no program is told which other program holds a device, so no holders are found; the reason
// of a failed open comes from its GetLastError() code.
#include "serial/PortDiagnosis.h"

#include <windows.h>

namespace vantrel {

QList<PortHolder> portHolders(const QString&) {
    return {};
}

QList<PortHolder> portLockHolders(const QString&) {
    return {};
}

bool isPortBusyError(int systemError) {
    // A port is opened for exclusive use: a refused open means that another program has it.
    switch (static_cast<DWORD>(systemError)) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return true;
    default:
        return false;
    }
}

int portBusyError() {
    return ERROR_ACCESS_DENIED;
}

QString portOpenReason(int systemError, const QString&, TextLanguage language) {
    // Windows has no groups of serial users and names no holder: a busy port is simply in use.
    return portOpenReasonText(systemError, {}, {}, language);
}

} // namespace vantrel
