// Listing the machine's COM ports: a slow walk of the device keys that collects the port candidates into
// a cache, and a fast pass that marks each candidate present ("+") or absent ("-") by the active port map.
#pragma once

#include "serial/ports/PortKeySource.h"

#include <QStringList>
#include <memory>
#include <optional>

namespace vantrel::ports {

namespace keypath {
inline const QString DeviceTree = QStringLiteral("\\SYSTEM\\CurrentControlSet\\Enum");
inline const QString OldDeviceTree = QStringLiteral("\\Enum");
inline const QString ClassTree = QStringLiteral("\\SYSTEM\\CurrentControlSet\\Control\\Class");
inline const QString ServiceTree = QStringLiteral("\\SYSTEM\\CurrentControlSet\\Services");
inline const QString ActivePortMap = QStringLiteral("\\HARDWARE\\DEVICEMAP\\SERIALCOMM");
inline const QString OldActivePortMap = QStringLiteral("\\Hardware\\DeviceMap\\SerialComm");
} // namespace keypath

class PortEnumerator {
public:
    explicit PortEnumerator(std::shared_ptr<PortKeySource> source);

    // The enumerator of the whole program, over the Linux source unless a test gave another source.
    static PortEnumerator& shared();
    // Replaces the shared enumerator (and so empties its cache); nullptr brings back the Linux source.
    static void setSharedSource(std::shared_ptr<PortKeySource> source);

    // Rebuilds the candidate cache from the device, class and service trees.
    void CollectPortCandidates();
    // The marked, sorted port lines; collects the candidates first if that never happened.
    void ListSerialPorts(QStringList& out);
    // Splits candidates by the active port map; leaves both outputs alone when there are no candidates.
    void SplitPresentPorts(const QStringList& candidates, QStringList& present, QStringList& absent);

    // The walks, exposed for the tests of their rules; both work on the cache.
    void ScanDeviceKeys(const QString& path);
    void ScanAttachedKeys(const QString& path);

    // Unmarked candidate lines sorted by port number; nothing until first collected.
    const std::optional<QStringList>& PortCandidateCache() const { return cache_; }

    PortKeySource& source() const { return *source_; }

private:
    QString readFriendlyName(const PortKey& key) const;

    std::shared_ptr<PortKeySource> source_;
    std::optional<QStringList> cache_;
};

} // namespace vantrel::ports
