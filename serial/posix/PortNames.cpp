// On Linux a COM name opens an override link if there is one, else a device of a fixed range.
#include "serial/PortNames.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace vantrel {

namespace {

struct DeviceRange {
    const char* prefix;
    int firstPort;
};
// 32 ports per device family, in COM number order.
constexpr DeviceRange kRanges[] = {{"/dev/ttyS", 1}, {"/dev/ttyUSB", 33}, {"/dev/ttyACM", 65}};
constexpr int kPortsPerRange = 32;

} // namespace

QString portLinkDirectory() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/vantrel/ports");
}

QString devicePathForPort(const QString& portName) {
    static const QRegularExpression pattern(QStringLiteral("^COM([1-9][0-9]?)$"));
    const QRegularExpressionMatch match = pattern.match(portName);
    if (!match.hasMatch())
        return {};
    const int number = match.captured(1).toInt();
    if (number > HighestPortNumber)
        return {};
    const QString link = portLinkDirectory() + QLatin1Char('/') + portName;
    if (QFileInfo(link).isSymLink())
        return link;
    const DeviceRange& range = kRanges[(number - 1) / kPortsPerRange];
    return QString::fromLatin1(range.prefix) + QString::number(number - range.firstPort);
}

int portNumberForDevice(const QString& devicePath) {
    for (const DeviceRange& range : kRanges) {
        const QString prefix = QString::fromLatin1(range.prefix);
        if (!devicePath.startsWith(prefix))
            continue;
        bool ok = false;
        const QString digits = devicePath.mid(prefix.size());
        const int index = digits.toInt(&ok, 10);
        if (ok && index >= 0 && index < kPortsPerRange && QString::number(index) == digits)
            return range.firstPort + index;
    }
    return 0;
}

} // namespace vantrel
