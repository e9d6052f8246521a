// The Linux key source: the serial tty devices that the kernel lists and libudev describes and the COMn override links
// appear as device keys (Class "Ports", a friendly name "<model> (COMn)", the maker as "Mfg"), and the devices that can
// be opened now as the active port map. Class and service trees exist but are empty: Linux records no "attached device"
// for a serial line.
#pragma once

#include "serial/ports/KeyTree.h"

#include <optional>

struct udev;

namespace vantrel::ports {

// "<label> (COMn)", or the label alone for a device without a COM number; the label is made safe to
// stand in a port line.
QString portFriendlyName(QString label, int portNumber);

class LinuxPortSource : public NodeKeySource {
public:
    // sysClassTty: where the kernel lists its tty lines; only tests point it elsewhere.
    explicit LinuxPortSource(QString sysClassTty = QStringLiteral("/sys/class/tty"));
    ~LinuxPortSource() override;
    LinuxPortSource(const LinuxPortSource&) = delete;
    LinuxPortSource& operator=(const LinuxPortSource&) = delete;

    // Opening the device tree's root takes a fresh snapshot of the devices; its subkeys are read from that
    // snapshot. The active port map is read anew at every opening.
    PortKey openKey(const QString& path) override;
    bool keyExists(const QString& path) override;

    // A sysfs attribute of the device at directory dir, without its line end; nothing when unreadable.
    static std::optional<QString> readAttribute(const QString& dir, const char* name);
    // Whether a COM device path (a link or a node) leads to a serial line that can be used now: a
    // character device and, for an 8250 line (ttyS), a UART really behind it.
    bool lineUsable(const QString& devicePath) const;
    // Whether the 8250 line ttyName (e.g. "ttyS0") has a UART: the kernel keeps placeholder lines whose
    // type is PORT_UNKNOWN. Read from sysfs, so no port is opened or disturbed.
    bool uartPresent(const QString& ttyName) const;

private:
    void takeDeviceSnapshot();
    void addPortLinks(KeyTree& tree) const;
    QStringList hardwareTtyNames() const;
    void addUdevDevices(KeyTree& tree) const;
    PortKey activePortMap() const;

    QString sysClassTty_;
    udev* udev_ = nullptr;
    KeyTree skeleton_;
    std::optional<KeyTree> devices_;
};

} // namespace vantrel::ports
