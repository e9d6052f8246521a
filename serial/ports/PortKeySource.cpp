// The reading operations shared by sources whose keys carry their content, and key path splitting.
#include "serial/ports/PortKeySource.h"

namespace vantrel::ports {

const KeyNode::Value* KeyNode::find(const QString& name) const {
    for (const Value& value : values)
        if (value.name == name)
            return &value;
    return nullptr;
}

QString NodeKeySource::readText(const PortKey& key, const QString& name) const {
    if (key.isEmpty())
        return {};
    const KeyNode::Value* value = key.node()->find(name);
    if (value == nullptr || !value->text)
        return {};
    return *value->text;
}

QStringList NodeKeySource::subkeyNames(const PortKey& key) const {
    return key.isEmpty() ? QStringList() : key.node()->subkeys;
}

QStringList NodeKeySource::valueNames(const PortKey& key) const {
    QStringList names;
    if (!key.isEmpty())
        for (const KeyNode::Value& value : key.node()->values)
            names << value.name;
    return names;
}

QStringList splitKeyPath(const QString& path) {
    return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

} // namespace vantrel::ports
