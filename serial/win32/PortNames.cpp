// On Windows a COM name is the device's own name; its device path is the name behind "\\.\".
#include "serial/PortNames.h"

#include <QRegularExpression>

namespace vantrel {

namespace {

const QString kDevicePrefix = QStringLiteral("\\\\.\\");

// The number of a canonical "COMn" (no leading zeros, 1 to 96), else 0.
int canonicalPortNumber(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^COM([1-9][0-9]?)$"));
    const QRegularExpressionMatch match = pattern.match(name);
    const int number = match.hasMatch() ? match.captured(1).toInt() : 0;
    return number <= HighestPortNumber ? number : 0;
}

} // namespace

QString portLinkDirectory() {
    return {};
}

QString devicePathForPort(const QString& portName) {
    return canonicalPortNumber(portName) > 0 ? kDevicePrefix + portName : QString();
}

int portNumberForDevice(const QString& devicePath) {
    return devicePath.startsWith(kDevicePrefix) ? canonicalPortNumber(devicePath.mid(kDevicePrefix.size())) : 0;
}

} // namespace vantrel
