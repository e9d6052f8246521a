// Appending to a log file on Linux: O_APPEND without waiting or following links, flock between writers.
#include "monitor/EventLogFile.h"

#include "common/FileIO.h"
#include "common/posix/Descriptor.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::eventlogfile {

namespace {

// Opens a log file for reading or appending without waiting (a pipe of that name) and without following a
// link (placed there to make the tool, perhaps root, append to another file). -1 and errno on failure.
int openLogFile(const QByteArray& name, int flags) {
    return ::open(name.constData(), flags | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
}

// Renames events.log -> events.log.1 -> ... keeping filesKept files. An flock on the current file makes
// two processes that both see it full rotate it only once.
void rotateIfFull(const QString& base, qint64 rotateSize, int filesKept) {
    const QByteArray name = QFile::encodeName(base);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < rotateSize)
        return;
    const int fd = openLogFile(name, O_RDONLY);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX) == 0) {
        struct stat again {};
        // Another process may have rotated while we waited: only a file that is still full goes.
        if (::lstat(name.constData(), &again) == 0 && again.st_ino == st.st_ino && again.st_size >= rotateSize) {
            for (int i = filesKept - 1; i >= 1; --i)
                ::rename(QFile::encodeName(rotatedName(base, i - 1)).constData(),
                         QFile::encodeName(rotatedName(base, i)).constData());
        }
        ::flock(fd, LOCK_UN);
    }
    ::close(fd);
}

Refusal systemRefusal(int err) {
    return Refusal{Refusal::Kind::System, err};
}

} // namespace

std::optional<Refusal> append(const QString& base, const QByteArray& line, qint64 rotateSize, int filesKept) {
    if (const int err = makeFolders(QFileInfo(base).absolutePath(), true))
        return systemRefusal(err);
    rotateIfFull(base, rotateSize, filesKept);
    const QByteArray name = QFile::encodeName(base);
    Descriptor fd(openLogFile(name, O_WRONLY | O_CREAT | O_APPEND));
    if (fd.get() < 0) {
        // ELOOP: a symbolic link in the log's place; ENXIO: a pipe nobody reads.
        if (errno == ELOOP)
            return Refusal{Refusal::Kind::Link};
        return systemRefusal(errno);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return systemRefusal(errno);
    if (!S_ISREG(st.st_mode))
        return Refusal{Refusal::Kind::NotOrdinaryFile};
    if (st.st_uid == 0 && ::geteuid() == 0)
        handOverToHomeOwner(fd.get(), base);
    else if (st.st_uid != ::geteuid() && ::geteuid() != 0)
        return Refusal{Refusal::Kind::OtherUsersFile};
    // Other writers of the log wait, so that a line cut short can be taken back before theirs follows.
    ::flock(fd.get(), LOCK_EX);
    const off_t before = ::lseek(fd.get(), 0, SEEK_END);
    qsizetype done = 0;
    int err = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(fd.get(), line.constData() + done, static_cast<size_t>(line.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            err = n < 0 ? errno : ENOSPC;
            break;
        }
        done += n;
    }
    if (done != line.size()) {
        // A full disk took part of the line: without it the next entry would be glued to its remains.
        if (done > 0 && before >= 0 && ::ftruncate(fd.get(), before) != 0) {
            // Nothing more to do: the warning says the log could not be written.
        }
        return systemRefusal(err);
    }
    return std::nullopt;
}

} // namespace vantrel::eventlogfile
