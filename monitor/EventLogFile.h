// Appending to one log file, the platform's part of the event log: each platform's backend (posix/,
// win32/) opens the file without waiting and without following a link, takes only an ordinary file,
// keeps two writers' lines apart, rotates the file when it is full, and writes a line whole or not at all.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace vantrel::eventlogfile {

// Why a line was not appended.
struct Refusal {
    enum class Kind {
        System,          // err holds the system error number
        Link,            // a link stands in the log's place
        NotOrdinaryFile, // a folder, a pipe or a device stands there
        OtherUsersFile,  // the file belongs to another user
    };
    Kind kind;
    int err = 0;
};

// Appends line to the file base, after rotating base -> base.1 -> ... (keeping filesKept files) when it
// has reached rotateSize. The folder is made when missing.
std::optional<Refusal> append(const QString& base, const QByteArray& line, qint64 rotateSize, int filesKept);

// The name of the n-th rotated file (0: base itself).
QString rotatedName(const QString& base, int n);

} // namespace vantrel::eventlogfile
