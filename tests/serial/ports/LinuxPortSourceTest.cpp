// The Linux source: port links to pseudo-terminals, the 8250 placeholder check, and a full enumeration of
// this machine's devices.
#include "serial/ports/LinuxPortSource.h"
#include "serial/PortNames.h"
#include "serial/ports/PortEntry.h"
#include "serial/ports/PortEnumerator.h"
#include "tests/support/PortLinks.h"
#include "tests/support/Pty.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::ports;

namespace {

QStringList linesWithNumber(const QStringList& lines, int number) {
    QStringList found;
    for (const QString& line : lines)
        if (PortNumberOf(line) == number)
            found << line;
    return found;
}

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

TEST(LinuxPortSource, LinkedPseudoTerminalIsPresentUntilItsTargetGoes) {
    test::PortLinks links;
    auto pty = std::make_unique<test::PtyPair>();
    const QString target = pty->terminalPath();
    links.link(7, target);

    PortEnumerator enumerator(std::make_shared<LinuxPortSource>());
    enumerator.CollectPortCandidates();
    QStringList lines;
    enumerator.ListSerialPorts(lines);
    const QString line = QStringLiteral("%1 (COM7);(port link)").arg(target);
    EXPECT_EQ(linesWithNumber(lines, 7), QStringList{QLatin1Char('+') + line});

    pty.reset(); // both sides closed: the terminal's node disappears
    ASSERT_FALSE(QFileInfo::exists(target));
    enumerator.ListSerialPorts(lines);
    EXPECT_EQ(linesWithNumber(lines, 7), QStringList{QLatin1Char('-') + line});

    links.unlink(7);
    enumerator.CollectPortCandidates();
    enumerator.ListSerialPorts(lines);
    EXPECT_TRUE(linesWithNumber(lines, 7).isEmpty());
}

TEST(LinuxPortSource, LinksShadowFixedDevicesAndOnlyCharacterDevicesCount) {
    test::PortLinks links;
    test::PtyPair pty;
    links.link(1, pty.terminalPath()); // COM1 is /dev/ttyS0 unless linked
    QTemporaryDir files;
    const QString plainFile = files.filePath(QStringLiteral("not-a-device"));
    writeFile(plainFile, "x");
    links.link(40, plainFile);
    links.link(41, files.filePath(QStringLiteral("missing")));

    LinuxPortSource source;
    const PortKey map = source.openKey(keypath::ActivePortMap);
    const QString link1 = links.directory() + QStringLiteral("/COM1");
    EXPECT_EQ(source.readText(map, link1), QStringLiteral("COM1"));
    EXPECT_FALSE(source.valueNames(map).contains(QStringLiteral("/dev/ttyS0")));
    EXPECT_FALSE(source.lineUsable(links.directory() + QStringLiteral("/COM40")));
    EXPECT_FALSE(source.lineUsable(links.directory() + QStringLiteral("/COM41")));

    PortEnumerator enumerator(std::make_shared<LinuxPortSource>());
    QStringList lines;
    enumerator.ListSerialPorts(lines);
    EXPECT_EQ(linesWithNumber(lines, 1), QStringList{QStringLiteral("+%1 (COM1);(port link)").arg(pty.terminalPath())});
    EXPECT_EQ(linesWithNumber(lines, 40), QStringList{QStringLiteral("-%1 (COM40);(port link)").arg(plainFile)});
    EXPECT_EQ(linesWithNumber(lines, 41).size(), 1);
}

TEST(LinuxPortSource, KeysOfTheTree) {
    test::PortLinks links;
    test::PtyPair pty;
    links.link(12, pty.terminalPath());
    LinuxPortSource source;

    EXPECT_TRUE(source.keyExists(keypath::ActivePortMap));
    EXPECT_TRUE(source.keyExists(keypath::ClassTree));
    EXPECT_TRUE(source.keyExists(keypath::ServiceTree));
    EXPECT_FALSE(source.keyExists(keypath::OldDeviceTree));
    EXPECT_TRUE(source.subkeyNames(source.openKey(keypath::ClassTree)).isEmpty());
    EXPECT_EQ(source.subkeyNames(source.openKey(QStringLiteral("\\SYSTEM\\CurrentControlSet"))),
              (QStringList{"Enum", "Control", "Services"}));

    ASSERT_TRUE(source.subkeyNames(source.openKey(keypath::DeviceTree)).contains(QStringLiteral("link")));
    const PortKey key = source.openKey(keypath::DeviceTree + QStringLiteral("\\link\\COM12"));
    EXPECT_EQ(source.readText(key, QStringLiteral("Class")), QStringLiteral("Ports"));
    EXPECT_EQ(source.readText(key, QStringLiteral("FriendlyName")), pty.terminalPath() + QStringLiteral(" (COM12)"));
    EXPECT_EQ(source.readText(key, QStringLiteral("Mfg")), QStringLiteral("(port link)"));
    EXPECT_TRUE(source.keyExists(QStringLiteral("SYSTEM\\CurrentControlSet\\Enum\\link\\COM12\\")));
}

TEST(LinuxPortSource, FriendlyNamesStayReadableAsPortLines) {
    const struct {
        const char* label;
        int number;
        const char* expected;
        int readBack;
    } cases[] = {
        {"USB to UART Bridge", 33, "USB to UART Bridge (COM33)", 33},
        {"Serial port ttyS0", 0, "Serial port ttyS0", 0},
        {"Adapter; rev 2", 34, "Adapter, rev 2 (COM34)", 34},
        {"COMBO adapter", 35, "Port COMBO adapter (COM35)", 35},
        {"/tmp/odd (COM9) name", 3, "/tmp/odd [COM9) name (COM3)", 3},
    };
    for (const auto& c : cases) {
        const QString name = portFriendlyName(QString::fromUtf8(c.label), c.number);
        EXPECT_EQ(name, QString::fromUtf8(c.expected));
        EXPECT_EQ(PortNumberOf(name + QStringLiteral(";maker")), c.readBack) << c.label;
        EXPECT_EQ(EntryName(QLatin1Char('+') + name + QStringLiteral(";maker")), name);
    }
}

TEST(LinuxPortSource, AttributesAreReadWithoutTheirLineEnd) {
    QTemporaryDir sys;
    writeFile(sys.filePath(QStringLiteral("ttyS0/type")), "4\n");
    writeFile(sys.filePath(QStringLiteral("ttyS1/type")), "0\n");
    QDir().mkpath(sys.filePath(QStringLiteral("ttyS2")));
    writeFile(sys.filePath(QStringLiteral("ttyS3/type")), "");

    EXPECT_EQ(LinuxPortSource::readAttribute(sys.filePath(QStringLiteral("ttyS0")), "type"), QStringLiteral("4"));
    EXPECT_EQ(LinuxPortSource::readAttribute(sys.filePath(QStringLiteral("ttyS1")), "type"), QStringLiteral("0"));
    EXPECT_EQ(LinuxPortSource::readAttribute(sys.filePath(QStringLiteral("ttyS2")), "type"), std::nullopt);
    EXPECT_EQ(LinuxPortSource::readAttribute(sys.filePath(QStringLiteral("ttyS3")), "type"), QString());
}

TEST(LinuxPortSource, PlaceholderUartsAreAbsent) {
    QTemporaryDir sys;
    writeFile(sys.filePath(QStringLiteral("ttyS0/type")), "4\n");    // a UART of a known type
    writeFile(sys.filePath(QStringLiteral("ttyS1/type")), "0\n");    // PORT_UNKNOWN: no UART behind it
    QDir().mkpath(sys.filePath(QStringLiteral("ttyS2")));            // type unreadable: cannot judge
    writeFile(sys.filePath(QStringLiteral("ttyS3/type")), "junk\n"); // not a number: cannot judge

    LinuxPortSource source(sys.path());
    EXPECT_TRUE(source.uartPresent(QStringLiteral("ttyS0")));
    EXPECT_FALSE(source.uartPresent(QStringLiteral("ttyS1")));
    EXPECT_TRUE(source.uartPresent(QStringLiteral("ttyS2")));
    EXPECT_TRUE(source.uartPresent(QStringLiteral("ttyS3")));
    EXPECT_FALSE(source.uartPresent(QStringLiteral("ttyS9"))); // the kernel has no such line

    LinuxPortSource withoutSysfs(sys.filePath(QStringLiteral("no-such-dir")));
    EXPECT_TRUE(withoutSysfs.uartPresent(QStringLiteral("ttyS9")));
}

TEST(LinuxPortSource, ThisMachineEnumeratesWhateverItsDevicesAre) {
    test::PortLinks links; // no links: only the machine's own devices
    LinuxPortSource probe;
    PortEnumerator enumerator(std::make_shared<LinuxPortSource>());
    QStringList lines;
    ASSERT_NO_THROW(enumerator.ListSerialPorts(lines));
    ASSERT_TRUE(enumerator.PortCandidateCache().has_value());
    EXPECT_EQ(lines.size(), enumerator.PortCandidateCache()->size());

    int previous = 0;
    for (const QString& line : lines) {
        SCOPED_TRACE(line.toStdString());
        ASSERT_TRUE(line.startsWith(QLatin1Char('+')) || line.startsWith(QLatin1Char('-')));
        const int number = PortNumberOf(line);
        EXPECT_GE(number, 1);
        EXPECT_LE(number, HighestPortNumber);
        EXPECT_GE(number, previous);
        previous = number;
        EXPECT_FALSE(EntryName(line).isEmpty());
        EXPECT_EQ(linesWithNumber(lines, number).size(), 1); // one device per COM number
        const QString device = devicePathForPort(QStringLiteral("COM%1").arg(number));
        EXPECT_EQ(line.startsWith(QLatin1Char('+')), probe.lineUsable(device));
    }

    // Every serial line the kernel lists under the fixed names is a candidate.
    const QDir ttys(QStringLiteral("/sys/class/tty"));
    for (const QString& name : ttys.entryList({"ttyS*", "ttyUSB*", "ttyACM*"}, QDir::AllEntries | QDir::System)) {
        const int number = portNumberForDevice(QStringLiteral("/dev/") + name);
        if (number == 0 || !QFileInfo::exists(ttys.filePath(name + QStringLiteral("/device"))) ||
            !QFileInfo::exists(QStringLiteral("/dev/") + name))
            continue;
        EXPECT_EQ(linesWithNumber(lines, number).size(), 1) << name.toStdString();
    }
}
