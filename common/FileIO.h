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

// Whether writeFileAtomically may put its file in the place of an existing one.
enum class ExistingFile { Replace, Keep };

// Writes data as the whole new content of path, through a temporary file beside it ("<name>.tmp-XXXXXX")
// that then takes the file's name. A file that already exists keeps its permissions and owner, and a link
// keeps pointing where it did (its target is replaced). Refused at the Create stage, with nothing touched:
// an existing target that is not an ordinary file (a device, a pipe, a socket, a folder: ENODEV, EISDIR),
// and a file or folder the user may not write (or, for root, one without any write bit: EACCES). With
// ExistingFile::Keep an existing name is never taken over: EEXIST at the Replace stage. Temporaries of
// earlier saves of the same file that were killed on the way are removed. File and folder are synced
// before it returns. Nothing is left behind on failure.
std::optional<FileError> writeFileAtomically(const QString& path, const QByteArray& data,
                                             ExistingFile existing = ExistingFile::Replace);

// Whether path could be written by writeFileAtomically as far as can be told without writing: the errno
// it would fail with at the Create stage, or 0.
int checkWritableTarget(const QString& path);

// Makes folder and its missing parents (mode 0700 for new ones when privateFolder). Run by root inside
// the home of another user, what it makes is given to that user, so that the user can still write there
// later. Returns 0 or the errno of the step that failed.
int makeFolders(const QString& folder, bool privateFolder = false);

// Gives a file root has just made inside another user's home (fd open on it) to that user; nothing
// otherwise. The tool's own files must stay writable by the user whose home they are in.
void handOverToHomeOwner(int fd, const QString& path);
// The same for a file another library wrote (it is opened without following a link); a file that does not
// belong to root is left as it is.
void handOverToHomeOwner(const QString& path);

} // namespace vantrel
