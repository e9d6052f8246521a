// Reading and writing whole files the safe way: reads never block on a pipe or device that happens to
// carry the expected name, and a file is replaced in one step, never left half-written. Each platform has
// its backend (posix/FileIO.cpp, win32/FileIO.cpp); the error numbers below are the platform's (errno on
// Linux, GetLastError() on Windows), the names in parentheses the Linux ones. On Windows a name the system
// keeps for a device (NUL, CON, COM1, ... with any extension) is never taken as a file's.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace vantrel {

// Where a file operation failed, and the system error number it failed with.
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
// and a file or folder the user may not write (for root, one without any write bit; on Windows, a file
// marked read-only: EACCES). With
// ExistingFile::Keep an existing name is never taken over: EEXIST at the Replace stage (nameTaken() tells
// it on every platform). A device name is refused at the Create stage (Windows). Temporaries of
// earlier saves of the same file that were killed on the way are removed. File and folder are synced
// before it returns. Nothing is left behind on failure.
std::optional<FileError> writeFileAtomically(const QString& path, const QByteArray& data,
                                             ExistingFile existing = ExistingFile::Replace);

// Whether a failure of writeFileAtomically with ExistingFile::Keep means that the name was taken.
bool nameTaken(const FileError& error);

// Whether path could be written by writeFileAtomically as far as can be told without keeping anything
// written: the number it would fail with at the Create stage, or 0.
int checkWritableTarget(const QString& path);

// Makes folder and its missing parents (mode 0700 for new ones when privateFolder). Run by root inside
// the home of another user, what it makes is given to that user, so that the user can still write there
// later. Returns 0 or the system error number of the step that failed.
int makeFolders(const QString& folder, bool privateFolder = false);

// What stands at path (following links), to say what an input is when it is not a file. Device: also a name
// the system keeps for a device (Windows).
enum class EntryKind { Missing, File, Folder, Device, Pipe, Other };
EntryKind entryKind(const QString& path);

// Gives a file another library wrote as root inside another user's home to that user (it is opened without
// following a link); a file that does not belong to root is left as it is. Nothing on Windows.
void handOverToHomeOwner(const QString& path);

} // namespace vantrel
