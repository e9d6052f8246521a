// The Linux key source over libudev, sysfs and the port link directory.
#include "serial/ports/LinuxPortSource.h"

#include "serial/PortNames.h"
#include "serial/ports/PortEnumerator.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <libudev.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::ports {

namespace {

const QString kLinkBus = QStringLiteral("link");
const QString kLinkMaker = QStringLiteral("(port link)");
const QString kBuiltInMaker = QStringLiteral("(standard port types)");
constexpr int kTypeUnknown = 0; // PORT_UNKNOWN: the kernel keeps an 8250 line with no UART found

struct UdevDeviceUnref {
    void operator()(udev_device* device) const { udev_device_unref(device); }
};
using UdevDevice = std::unique_ptr<udev_device, UdevDeviceUnref>;

QString fromC(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

QString property(udev_device* device, const char* name) {
    return fromC(udev_device_get_property_value(device, name)).trimmed();
}

QString portName(int number) {
    return QStringLiteral("COM%1").arg(number);
}

void addDeviceKey(KeyTree& tree, const QString& bus, const QString& name, const QString& friendly, const QString& maker,
                  const QString& service, const QString& node) {
    const QString path = keypath::DeviceTree + QLatin1Char('\\') + bus + QLatin1Char('\\') + name;
    tree.setText(path, QStringLiteral("Class"), QStringLiteral("Ports"));
    if (!service.isEmpty())
        tree.setText(path, QStringLiteral("Service"), service);
    tree.setText(path, QStringLiteral("FriendlyName"), friendly);
    tree.setText(path, QStringLiteral("Mfg"), maker);
    tree.setText(path, QStringLiteral("DeviceNode"), node);
}

// The nearest ancestor that is more than the serial core's own port bookkeeping.
udev_device* hardwareParent(udev_device* device) {
    for (udev_device* parent = udev_device_get_parent(device); parent; parent = udev_device_get_parent(parent))
        if (fromC(udev_device_get_subsystem(parent)) != QLatin1String("serial-base"))
            return parent;
    return nullptr;
}

QString driverName(udev_device* device) {
    for (udev_device* parent = hardwareParent(device); parent; parent = udev_device_get_parent(parent)) {
        const QString driver = fromC(udev_device_get_driver(parent));
        if (!driver.isEmpty())
            return driver;
    }
    return {};
}

QString firstOf(std::initializer_list<QString> texts) {
    for (const QString& text : texts)
        if (!text.isEmpty())
            return text;
    return {};
}

// udev's own ID_MODEL/ID_VENDOR replace blanks with "_".
QString unescapedId(udev_device* device, const char* name) {
    return property(device, name).replace(QLatin1Char('_'), QLatin1Char(' ')).trimmed();
}

} // namespace

QString portFriendlyName(QString label, int portNumber) {
    // A ";" would end the name early in a port line, a "(COM" of the label's own would be read as the
    // port number, and a name that began with "COM" would be read as a port name.
    label.replace(QLatin1Char(';'), QLatin1Char(','));
    label.replace(QLatin1String("(COM"), QLatin1String("[COM"));
    if (label.startsWith(QLatin1String("COM")))
        label.prepend(QStringLiteral("Port "));
    if (portNumber > 0)
        label += QStringLiteral(" (%1)").arg(portName(portNumber));
    return label;
}

LinuxPortSource::LinuxPortSource(QString sysClassTty) : sysClassTty_(std::move(sysClassTty)), udev_(udev_new()) {
    skeleton_.addKey(keypath::DeviceTree);
    skeleton_.addKey(keypath::ClassTree);
    skeleton_.addKey(keypath::ServiceTree);
    skeleton_.addKey(keypath::ActivePortMap);
}

LinuxPortSource::~LinuxPortSource() {
    if (udev_)
        udev_unref(udev_);
}

std::optional<QString> LinuxPortSource::readAttribute(const QString& dir, const char* name) {
    const QByteArray path = (dir + QLatin1Char('/') + QLatin1String(name)).toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char buffer[4096];
    ssize_t n;
    do {
        n = ::read(fd, buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    ::close(fd);
    if (n < 0)
        return std::nullopt;
    return QString::fromUtf8(buffer, n).trimmed();
}

bool LinuxPortSource::uartPresent(const QString& ttyName) const {
    const QString dir = sysClassTty_ + QLatin1Char('/') + ttyName;
    if (!QFileInfo::exists(dir))
        // No line of that name in the kernel; when the tty class itself is not there we cannot judge
        // and leave the port usable rather than hide it.
        return !QFileInfo::exists(sysClassTty_);
    const std::optional<QString> type = readAttribute(dir, "type");
    if (!type)
        return true;
    bool ok = false;
    const int value = type->toInt(&ok, 10);
    return !ok || value != kTypeUnknown;
}

bool LinuxPortSource::lineUsable(const QString& devicePath) const {
    struct stat info {};
    if (::stat(devicePath.toLocal8Bit().constData(), &info) != 0 || !S_ISCHR(info.st_mode))
        return false;
    static const QRegularExpression uartNode(QStringLiteral("^/dev/(ttyS[0-9]+)$"));
    const QRegularExpressionMatch match = uartNode.match(QFileInfo(devicePath).canonicalFilePath());
    return !match.hasMatch() || uartPresent(match.captured(1));
}

void LinuxPortSource::addPortLinks(KeyTree& tree) const {
    const QString directory = portLinkDirectory() + QLatin1Char('/');
    for (int number = 1; number <= HighestPortNumber; ++number) {
        const QString name = portName(number);
        const QString link = directory + name;
        if (devicePathForPort(name) != link)
            continue;
        QString target = QFileInfo(link).symLinkTarget();
        if (target.isEmpty())
            target = link;
        addDeviceKey(tree, kLinkBus, name, portFriendlyName(target, number), kLinkMaker, QString(), link);
    }
}

QStringList LinuxPortSource::hardwareTtyNames() const {
    // Consoles, pseudo-terminals and the other virtual ttys live under devices/virtual; leaving them out
    // by their link is far cheaper than a full udev enumeration, which walks every path it lists.
    QStringList names;
    DIR* dir = ::opendir(sysClassTty_.toLocal8Bit().constData());
    if (dir == nullptr)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        char target[PATH_MAX];
        const ssize_t n = ::readlinkat(dirfd(dir), entry->d_name, target, sizeof target - 1);
        if (n > 0) {
            target[n] = '\0';
            if (std::strstr(target, "/virtual/") != nullptr)
                continue;
        }
        names << QString::fromLocal8Bit(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

void LinuxPortSource::addUdevDevices(KeyTree& tree) const {
    if (!udev_)
        return;
    for (const QString& name : hardwareTtyNames()) {
        const QByteArray sysPath = (sysClassTty_ + QLatin1Char('/') + name).toLocal8Bit();
        UdevDevice device(udev_device_new_from_syspath(udev_, sysPath.constData()));
        if (!device)
            continue;
        // Only a tty with a parent device is a serial line; the kernel's virtual ttys have none.
        udev_device* parent = hardwareParent(device.get());
        const QString node = fromC(udev_device_get_devnode(device.get()));
        if (parent == nullptr || node.isEmpty())
            continue;
        const QString sysName = fromC(udev_device_get_sysname(device.get()));
        const QString driver = driverName(device.get());
        // A link of the same COM number wins, as it does when the port is opened.
        int number = portNumberForDevice(node);
        if (number > 0 && devicePathForPort(portName(number)) != node)
            number = 0;

        QString bus;
        QString label;
        QString maker;
        if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(device.get(), "usb", "usb_device")) {
            const QString usbDir = fromC(udev_device_get_syspath(usb));
            bus = QStringLiteral("usb");
            label = firstOf({readAttribute(usbDir, "product").value_or(QString()),
                             property(device.get(), "ID_MODEL_FROM_DATABASE"), unescapedId(device.get(), "ID_MODEL"),
                             QStringLiteral("USB serial port")});
            maker =
                firstOf({readAttribute(usbDir, "manufacturer").value_or(QString()),
                         property(device.get(), "ID_VENDOR_FROM_DATABASE"), unescapedId(device.get(), "ID_VENDOR")});
        } else {
            bus = firstOf({fromC(udev_device_get_subsystem(parent)), QStringLiteral("tty")});
            label = QStringLiteral("Serial port ") + sysName;
            maker = sysName.startsWith(QLatin1String("ttyS")) ? kBuiltInMaker : driver;
        }
        addDeviceKey(tree, bus, sysName, portFriendlyName(label, number), maker, driver, node);
    }
}

void LinuxPortSource::takeDeviceSnapshot() {
    KeyTree tree;
    tree.addKey(keypath::DeviceTree);
    addUdevDevices(tree);
    addPortLinks(tree);
    devices_ = std::move(tree);
}

PortKey LinuxPortSource::activePortMap() const {
    auto map = std::make_shared<KeyNode>();
    for (int number = 1; number <= HighestPortNumber; ++number) {
        const QString name = portName(number);
        const QString device = devicePathForPort(name);
        if (lineUsable(device))
            map->values.append({device, name});
    }
    return PortKey(std::move(map));
}

namespace {

// "\SYSTEM\...": one spelling for every comparison below.
QString canonicalKeyPath(const QString& path) {
    return QLatin1Char('\\') + splitKeyPath(path).join(QLatin1Char('\\'));
}

bool inDeviceTree(const QString& path) {
    return path == keypath::DeviceTree || path.startsWith(keypath::DeviceTree + QLatin1Char('\\'));
}

} // namespace

PortKey LinuxPortSource::openKey(const QString& path) {
    const QString key = canonicalKeyPath(path);
    if (key == keypath::ActivePortMap)
        return activePortMap();
    if (inDeviceTree(key)) {
        if (key == keypath::DeviceTree || !devices_)
            takeDeviceSnapshot();
        return devices_->find(key);
    }
    return skeleton_.find(key);
}

bool LinuxPortSource::keyExists(const QString& path) {
    const QString key = canonicalKeyPath(path);
    if (inDeviceTree(key)) {
        if (!devices_)
            takeDeviceSnapshot();
        return devices_->contains(key);
    }
    return skeleton_.contains(key);
}

} // namespace vantrel::ports
