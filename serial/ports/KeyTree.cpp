// The in-memory key tree.
#include "serial/ports/KeyTree.h"

namespace vantrel::ports {

struct KeyTree::Node {
    std::shared_ptr<KeyNode> key = std::make_shared<KeyNode>();
    std::map<QString, std::unique_ptr<Node>> children;
};

KeyTree::KeyTree() : root_(std::make_unique<Node>()) {}
KeyTree::~KeyTree() = default;
KeyTree::KeyTree(KeyTree&&) noexcept = default;
KeyTree& KeyTree::operator=(KeyTree&&) noexcept = default;

KeyTree::Node* KeyTree::lookup(const QString& path) const {
    Node* node = root_.get();
    for (const QString& part : splitKeyPath(path)) {
        const auto it = node->children.find(part);
        if (it == node->children.end())
            return nullptr;
        node = it->second.get();
    }
    return node;
}

KeyTree::Node* KeyTree::make(const QString& path) {
    Node* node = root_.get();
    for (const QString& part : splitKeyPath(path)) {
        std::unique_ptr<Node>& child = node->children[part];
        if (!child) {
            child = std::make_unique<Node>();
            node->key->subkeys << part;
        }
        node = child.get();
    }
    return node;
}

void KeyTree::addKey(const QString& path) {
    make(path);
}

void KeyTree::setValue(const QString& path, const QString& name, std::optional<QString> text) {
    KeyNode& key = *make(path)->key;
    for (KeyNode::Value& value : key.values) {
        if (value.name == name) {
            value.text = std::move(text);
            return;
        }
    }
    key.values.append({name, std::move(text)});
}

void KeyTree::setText(const QString& path, const QString& name, const QString& text) {
    setValue(path, name, text);
}

void KeyTree::setNonText(const QString& path, const QString& name) {
    setValue(path, name, std::nullopt);
}

void KeyTree::removeValue(const QString& path, const QString& name) {
    if (Node* node = lookup(path))
        node->key->values.removeIf([&](const KeyNode::Value& value) { return value.name == name; });
}

void KeyTree::removeKey(const QString& path) {
    QStringList parts = splitKeyPath(path);
    if (parts.isEmpty())
        return;
    const QString last = parts.takeLast();
    Node* parent = lookup(parts.join(QLatin1Char('\\')));
    if (parent == nullptr || parent->children.erase(last) == 0)
        return;
    parent->key->subkeys.removeAll(last);
}

PortKey KeyTree::find(const QString& path) const {
    const Node* node = lookup(path);
    return node ? PortKey(node->key) : PortKey();
}

bool KeyTree::contains(const QString& path) const {
    return lookup(path) != nullptr;
}

} // namespace vantrel::ports
