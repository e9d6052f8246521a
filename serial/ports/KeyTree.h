// A tree of keys held in memory, addressed by backslash paths (case-sensitive, as every source may be).
// The in-memory source is one; the Linux source builds its snapshots as such trees.
#pragma once

#include "serial/ports/PortKeySource.h"

#include <map>

namespace vantrel::ports {

class KeyTree {
public:
    KeyTree();
    ~KeyTree();
    KeyTree(KeyTree&&) noexcept;
    KeyTree& operator=(KeyTree&&) noexcept;

    // Each of these creates the key and its parents when they are missing.
    void addKey(const QString& path);
    void setText(const QString& path, const QString& name, const QString& text);
    void setNonText(const QString& path, const QString& name);

    void removeValue(const QString& path, const QString& name);
    void removeKey(const QString& path);

    // The key at path, or the empty key.
    PortKey find(const QString& path) const;
    bool contains(const QString& path) const;

private:
    struct Node;
    Node* lookup(const QString& path) const;
    Node* make(const QString& path);
    void setValue(const QString& path, const QString& name, std::optional<QString> text);

    std::unique_ptr<Node> root_;
};

// The in-memory source: a key tree behind the five key operations.
class MemoryKeySource : public NodeKeySource, public KeyTree {
public:
    PortKey openKey(const QString& path) override { return find(path); }
    bool keyExists(const QString& path) override { return contains(path); }
};

} // namespace vantrel::ports
