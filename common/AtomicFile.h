// Replacing a file without ever leaving a half-written one in its place: the data goes to a temporary file
// beside it, which then takes the file's name in one step.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace vantrel {

struct AtomicWriteError {
    enum class Stage { Create, Write, Replace };
    Stage stage;
    int err; // errno of the failing step
};

// Writes data as the whole new content of path. A file that already exists keeps its permissions, and a
// link keeps pointing where it did (its target is replaced). Nothing is left behind on failure.
std::optional<AtomicWriteError> writeFileAtomically(const QString& path, const QByteArray& data);

} // namespace vantrel
