// Port names: the "COMn" names the tool and its files use, and the Linux device behind each of them.
#pragma once

#include <QString>

namespace vantrel {

constexpr int HighestPortNumber = 96;

// "com5" -> "COM5", "7" -> "COM7"; anything that is not a number from 1 to 96 -> "COM1".
QString normalisePortName(const QString& text);

// The directory of override links: $XDG_CONFIG_HOME/vantrel/ports, or ~/.config/vantrel/ports.
QString portLinkDirectory();

// The device that COMn opens: the override link COMn if it exists, else COM1-32 -> /dev/ttyS0-31,
// COM33-64 -> /dev/ttyUSB0-31, COM65-96 -> /dev/ttyACM0-31. Empty for a name that is not COM1-COM96.
QString devicePathForPort(const QString& portName);

// The fixed mapping backwards: "/dev/ttyUSB2" -> 35. 0 for a device outside the three ranges.
int portNumberForDevice(const QString& devicePath);

} // namespace vantrel
