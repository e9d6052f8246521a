#include "serial/PortNames.h"
#include "tests/support/PortLinks.h"

#include <gtest/gtest.h>

using namespace vantrel;

TEST(PortNames, NormalisationTable) {
    const std::pair<const char*, const char*> rows[] = {
        {"com3", "COM3"}, {"COM3", "COM3"}, {"3", "COM3"},   {" 3", "COM3"},  {"cOm96", "COM96"},
        {"COM0", "COM1"}, {"COM97", "COM1"}, {"COMX", "COM1"}, {"", "COM1"},    {"abc", "COM1"},
        {"COM-5", "COM1"}, {"007", "COM7"},  {"COM 12", "COM12"}, {"1e3", "COM1"}, {"COM99999999999", "COM1"},
    };
    for (const auto& [in, out] : rows)
        EXPECT_EQ(normalisePortName(QString::fromLatin1(in)), QString::fromLatin1(out)) << in;
}

TEST(PortNames, FixedDeviceMappingBothWays) {
    test::PortLinks links; // an empty link directory: only the fixed mapping applies
    const std::pair<const char*, const char*> rows[] = {
        {"COM1", "/dev/ttyS0"},     {"COM32", "/dev/ttyS31"},  {"COM33", "/dev/ttyUSB0"},
        {"COM64", "/dev/ttyUSB31"}, {"COM65", "/dev/ttyACM0"}, {"COM96", "/dev/ttyACM31"},
    };
    for (const auto& [name, device] : rows) {
        EXPECT_EQ(devicePathForPort(QString::fromLatin1(name)), QString::fromLatin1(device));
        EXPECT_EQ(normalisePortName(QString::number(portNumberForDevice(QString::fromLatin1(device)))),
                  QString::fromLatin1(name));
    }
    EXPECT_EQ(devicePathForPort(QStringLiteral("COM97")), QString());
    EXPECT_EQ(devicePathForPort(QStringLiteral("COM0")), QString());
    EXPECT_EQ(portNumberForDevice(QStringLiteral("/dev/ttyUSB32")), 0);
    EXPECT_EQ(portNumberForDevice(QStringLiteral("/dev/ttyS01")), 0);
    EXPECT_EQ(portNumberForDevice(QStringLiteral("/dev/pts/3")), 0);
}

TEST(PortNames, LinkOverridesTheFixedDevice) {
    test::PortLinks links;
    links.link(5, QStringLiteral("/dev/null"));
    EXPECT_EQ(devicePathForPort(QStringLiteral("COM5")), links.directory() + QStringLiteral("/COM5"));
    EXPECT_EQ(devicePathForPort(QStringLiteral("COM6")), QStringLiteral("/dev/ttyS5"));
    // A dangling link still names the port's device: opening it then fails as "device missing".
    links.link(6, QStringLiteral("/nonexistent/tty"));
    EXPECT_EQ(devicePathForPort(QStringLiteral("COM6")), links.directory() + QStringLiteral("/COM6"));
}
