// Reading and writing whole files the safe way: reads never block on a pipe or device that happens to
// carry the expected name, and a file is replaced in one step, never left half-written.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace vantrel {

// Closes a descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release();
    // Closes now, so that a failing close can be reported; returns what close() returned.
    int close();

private:
    int fd_;
};

// Where a file operation failed, and the errno it failed with.
struct FileError {
    enum class Stage { Open, Read, Create, Write, Replace };
    Stage stage;
    int err;
};

struct FileContent {
    QByteArray bytes;
    std::optional<FileError> error;
};

// The first maxBytes bytes of a file (all of a shorter one). Only ordinary files are read: anything else
// fails at the Open stage (a directory with EISDIR, a pipe or device with ENODEV), without waiting.
FileContent readFileStart(const QString& path, qsizetype maxBytes);

// Writes data as the whole new content of path, through a temporary file beside it that then takes the
// file's name. A file that already exists keeps its permissions and owner, and a link keeps pointing where
// it did (its target is replaced). A file or folder the user may not write (or, for root, one without any
// write bit) is left as it is: EACCES at the Create stage. File and folder are synced before it returns.
// Nothing is left behind on failure.
std::optional<FileError> writeFileAtomically(const QString& path, const QByteArray& data);

} // namespace vantrel
