// The read-only key tree that the port enumeration walks: keys addressed by backslash paths, each with
// text values and named subkeys. Sources (an in-memory tree, the Linux device source) implement it.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace vantrel::ports {

// The content of one key: its values in the source's order and the names of its direct subkeys.
struct KeyNode {
    struct Value {
        QString name;
        std::optional<QString> text; // no text: a value of another kind, which the walks read as missing
    };
    QList<Value> values;
    QStringList subkeys;

    const Value* find(const QString& name) const;
};

// An opened key. A default-constructed key is the empty key that a missing or unreadable path gives.
class PortKey {
public:
    PortKey() = default;
    explicit PortKey(std::shared_ptr<const KeyNode> node) : node_(std::move(node)) {}

    const KeyNode* node() const { return node_.get(); }
    bool isEmpty() const { return node_ == nullptr; }

private:
    std::shared_ptr<const KeyNode> node_;
};

// The five key operations. None of them fails: what cannot be read behaves as empty.
class PortKeySource {
public:
    virtual ~PortKeySource() = default;

    virtual PortKey openKey(const QString& path) = 0;
    // Empty text when the value is missing or is not text.
    virtual QString readText(const PortKey& key, const QString& name) const = 0;
    virtual QStringList subkeyNames(const PortKey& key) const = 0;
    virtual QStringList valueNames(const PortKey& key) const = 0;
    virtual bool keyExists(const QString& path) = 0;
};

// A source whose opened keys carry their content: the three reading operations are the same for all.
class NodeKeySource : public PortKeySource {
public:
    QString readText(const PortKey& key, const QString& name) const override;
    QStringList subkeyNames(const PortKey& key) const override;
    QStringList valueNames(const PortKey& key) const override;
};

// "\SYSTEM\CurrentControlSet\Enum" -> {"SYSTEM", "CurrentControlSet", "Enum"}; doubled or trailing
// separators name no extra level.
QStringList splitKeyPath(const QString& path);

} // namespace vantrel::ports
