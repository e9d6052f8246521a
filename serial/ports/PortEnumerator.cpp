// The port enumeration over any key source.
#include "serial/ports/PortEnumerator.h"

#include "serial/ports/KeyTree.h"
#include "serial/ports/PortEntry.h"
#include "serial/ports/SystemPortSource.h"

namespace vantrel::ports {

namespace {

const QLatin1String kComInBracket("(COM");
const QLatin1String kAttachedSeparator(" : ");

std::unique_ptr<PortEnumerator>& sharedInstance() {
    static std::unique_ptr<PortEnumerator> instance;
    return instance;
}

QString joinPath(const QString& path, const QString& name) {
    return path + QLatin1Char('\\') + name;
}

} // namespace

PortEnumerator::PortEnumerator(std::shared_ptr<PortKeySource> source) : source_(std::move(source)) {
    // Without a source there is nothing to list: an empty tree keeps every call well-defined.
    if (!source_)
        source_ = std::make_shared<MemoryKeySource>();
}

PortEnumerator& PortEnumerator::shared() {
    std::unique_ptr<PortEnumerator>& instance = sharedInstance();
    if (!instance)
        instance = std::make_unique<PortEnumerator>(makeSystemPortSource());
    return *instance;
}

void PortEnumerator::setSharedSource(std::shared_ptr<PortKeySource> source) {
    if (!source)
        source = makeSystemPortSource();
    sharedInstance() = std::make_unique<PortEnumerator>(std::move(source));
}

QString PortEnumerator::readFriendlyName(const PortKey& key) const {
    // Drivers spell the value name in three ways; the source may tell them apart.
    for (const char* name : {"FriendlyName", "FRIENDLYNAME", "friendlyname"}) {
        QString text = source_->readText(key, QLatin1String(name));
        if (!text.isEmpty())
            return text;
    }
    return {};
}

void PortEnumerator::ScanDeviceKeys(const QString& path) {
    if (!cache_)
        cache_.emplace();
    const PortKey key = source_->openKey(path);
    bool candidate = source_->readText(key, QStringLiteral("Class")).toLower().contains(QLatin1String("ports"));
    if (!candidate)
        candidate = source_->readText(key, QStringLiteral("Service")).toLower().contains(QLatin1String("serial"));
    if (candidate) {
        const QString friendlyName = readFriendlyName(key);
        const QString maker = source_->readText(key, QStringLiteral("Mfg"));
        if (friendlyName.contains(kComInBracket))
            cache_->append(friendlyName + QLatin1Char(';') + maker);
    }
    for (const QString& name : source_->subkeyNames(key))
        ScanDeviceKeys(joinPath(path, name));
}

void PortEnumerator::ScanAttachedKeys(const QString& path) {
    if (!cache_)
        cache_.emplace();
    const PortKey key = source_->openKey(path);
    const QString attachedTo = source_->readText(key, QStringLiteral("AttachedTo"));
    if (attachedTo.startsWith(QLatin1String("COM"))) {
        const int n = PortNumberOf(attachedTo);
        // A number that wraps to 0 would attach the device to a line that has no number at all.
        if (n > 0 && isLookupPortNumber(n)) {
            const QString friendlyName = readFriendlyName(key);
            const int i = FindPortEntry(*cache_, n);
            if (!friendlyName.isEmpty() && i != -1)
                (*cache_)[i] += kAttachedSeparator + friendlyName;
        }
    }
    for (const QString& name : source_->subkeyNames(key))
        ScanAttachedKeys(joinPath(path, name));
}

void PortEnumerator::CollectPortCandidates() {
    cache_.emplace();
    ScanDeviceKeys(keypath::DeviceTree);
    if (cache_->isEmpty())
        ScanDeviceKeys(keypath::OldDeviceTree);
    SortByPortNumber(*cache_);
    ScanAttachedKeys(keypath::ClassTree);
    ScanAttachedKeys(keypath::ServiceTree);
}

void PortEnumerator::SplitPresentPorts(const QStringList& candidates, QStringList& present, QStringList& absent) {
    if (candidates.isEmpty())
        return;
    const QString mapPath =
        source_->keyExists(keypath::ActivePortMap) ? keypath::ActivePortMap : keypath::OldActivePortMap;
    const PortKey map = source_->openKey(mapPath);
    present.clear();
    absent = candidates;
    for (const QString& valueName : source_->valueNames(map)) {
        const int n = PortNumberOf(source_->readText(map, valueName));
        // A map entry without a port number (or one that wraps to 0) names no port; matching it against
        // candidates whose number could not be read would mark an unknown port present.
        if (!isLookupPortNumber(n))
            continue;
        const int i = FindPortEntry(absent, n);
        if (i != -1)
            present << absent.takeAt(i);
    }
    SortByPortNumber(present);
    SortByPortNumber(absent);
}

void PortEnumerator::ListSerialPorts(QStringList& out) {
    if (!cache_)
        CollectPortCandidates();
    QStringList present;
    QStringList absent;
    SplitPresentPorts(*cache_, present, absent);
    out.clear();
    out.reserve(present.size() + absent.size());
    for (const QString& line : present)
        out << QLatin1Char('+') + line;
    for (const QString& line : absent)
        out << QLatin1Char('-') + line;
    SortByPortNumber(out);
}

} // namespace vantrel::ports
