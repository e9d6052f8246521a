// Port names: the "COMn" names the tool and its files use, and the device behind each of them on the
// platform the tool runs on.
#pragma once

#include <QString>

namespace vantrel {

constexpr int HighestPortNumber = 96;

// "com5" -> "COM5", "7" -> "COM7"; anything that is not a number from 1 to 96 -> "COM1".
QString normalisePortName(const QString& text);

// Linux: the directory of override links, $XDG_CONFIG_HOME/vantrel/ports or ~/.config/vantrel/ports.
// Windows has no such links: empty.
QString portLinkDirectory();

// The device that COMn opens. Linux: the override link COMn if it exists, else COM1-32 -> /dev/ttyS0-31,
// COM33-64 -> /dev/ttyUSB0-31, COM65-96 -> /dev/ttyACM0-31. Windows: the device path \\.\COMn (which
// also opens ports above COM9). Empty for a name that is not COM1-COM96.
QString devicePathForPort(const QString& portName);

// The mapping backwards: "/dev/ttyUSB2" -> 35 on Linux, "\\.\COM5" -> 5 on Windows. 0 for any other path.
int portNumberForDevice(const QString& devicePath);

} // namespace vantrel
