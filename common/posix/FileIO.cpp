// The careful reader and writer on Linux: descriptors, fsync, rename and flock.
#include "common/FileIO.h"
#include "common/posix/Descriptor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vantrel {

namespace {

// The file that is really replaced: the final target of a link, else the path itself.
QString replacedPath(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        if (!target.isEmpty())
            return target;
        // A link to a file not made yet: the file is made where the link points, the link stays.
        return info.symLinkTarget();
    }
    return path;
}

// Whether the user may write here: the permission check the system makes, and for root (whom the system
// lets write anything) the mark a user sets to keep a file or folder as it is, no write bit at all.
bool writable(const QByteArray& path, const struct stat& info) {
    return ::access(path.constData(), W_OK) == 0 && (info.st_mode & 0222) != 0;
}

// Makes sure the folder's entry is on disk too, so a crash cannot bring the old name back.
void syncFolder(const QByteArray& folder) {
    Descriptor dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

Descriptor::~Descriptor() {
    if (fd_ >= 0)
        ::close(fd_);
}

int Descriptor::release() {
    return std::exchange(fd_, -1);
}

int Descriptor::close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
}

FileContent readFileStart(const QString& path, qsizetype maxBytes) {
    using Stage = FileError::Stage;
    // Non-blocking: opening a pipe of that name must not wait for a writer.
    Descriptor fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return {{}, FileError{Stage::Open, errno}};
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return {{}, FileError{Stage::Open, errno}};
    if (!S_ISREG(info.st_mode))
        return {{}, FileError{Stage::Open, S_ISDIR(info.st_mode) ? EISDIR : ENODEV}};
    FileContent content;
    content.bytes.resize(std::min<qsizetype>(maxBytes, std::max<qsizetype>(info.st_size, 0)));
    qsizetype got = 0;
    while (got < maxBytes) {
        if (got == content.bytes.size())
            content.bytes.resize(std::min<qsizetype>(maxBytes, got + 4096)); // the file grew meanwhile
        const ssize_t n = ::read(fd.get(), content.bytes.data() + got, static_cast<size_t>(content.bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {{}, FileError{Stage::Read, errno}};
        if (n == 0)
            break;
        got += n;
    }
    content.bytes.truncate(got);
    return content;
}

namespace {

// The home folder's owner when root works inside the home of another user, else nothing.
std::optional<std::pair<uid_t, gid_t>> otherHomeOwner(const QString& path) {
    if (::geteuid() != 0)
        return std::nullopt;
    const QString home = QDir::cleanPath(QDir::homePath());
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (home.isEmpty() || home == QLatin1String("/") || !absolute.startsWith(home + QLatin1Char('/')))
        return std::nullopt;
    struct stat info {};
    if (::stat(QFile::encodeName(home).constData(), &info) != 0 || info.st_uid == 0)
        return std::nullopt;
    return std::pair{info.st_uid, info.st_gid};
}

// The refusal for an existing target, or 0 when it may be replaced.
int refusalFor(const QByteArray& target, const struct stat& existing) {
    if (S_ISDIR(existing.st_mode))
        return EISDIR;
    // A device, a pipe or a socket is never replaced by a file: as root that would swap out a system node.
    if (!S_ISREG(existing.st_mode))
        return ENODEV;
    return writable(target, existing) ? 0 : EACCES;
}

const QByteArray kTemporaryMark = ".tmp-";

// A temporary of ours is named "<name>.tmp-" and six characters of mkstemp's. It is stale when it is an
// ordinary file of this user that no running save holds locked (a save locks its temporary until the
// rename): a save killed on the way left it.
void removeStaleTemporaries(const QByteArray& target) {
    const QFileInfo info(QFile::decodeName(target));
    const QDir dir = info.absoluteDir();
    const QString prefix = info.fileName() + QString::fromLatin1(kTemporaryMark);
    // Listed and matched by hand: the name may hold characters that a wildcard pattern would read.
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (name.size() != prefix.size() + 6 || !name.startsWith(prefix))
            continue;
        const QByteArray full = QFile::encodeName(dir.filePath(name));
        Descriptor fd(::open(full.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat st {};
        if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0)
            ::unlink(full.constData());
    }
}

// Moves the temporary to its name; with keep, only if the name is free.
int moveIntoPlace(const QByteArray& temporary, const QByteArray& target, bool keep) {
    if (!keep)
        return ::rename(temporary.constData(), target.constData()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the refusing rename: a hard link refuses an existing name just as well.
    if (::link(temporary.constData(), target.constData()) != 0)
        return errno;
    ::unlink(temporary.constData());
    return 0;
}

} // namespace

EntryKind entryKind(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return EntryKind::Missing;
    if (S_ISREG(st.st_mode))
        return EntryKind::File;
    if (S_ISDIR(st.st_mode))
        return EntryKind::Folder;
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return EntryKind::Device;
    if (S_ISFIFO(st.st_mode))
        return EntryKind::Pipe;
    return EntryKind::Other;
}

bool nameTaken(const FileError& error) {
    return error.stage == FileError::Stage::Replace && error.err == EEXIST;
}

int checkWritableTarget(const QString& path) {
    const QByteArray target = QFile::encodeName(replacedPath(path));
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(target)).absolutePath());
    struct stat existing {};
    if (::stat(target.constData(), &existing) == 0) {
        if (const int refused = refusalFor(target, existing))
            return refused;
    }
    struct stat folderInfo {};
    if (::stat(folder.constData(), &folderInfo) != 0)
        return errno;
    if (!S_ISDIR(folderInfo.st_mode))
        return ENOTDIR;
    return writable(folder, folderInfo) ? 0 : EACCES;
}

int makeFolders(const QString& folder, bool privateFolder) {
    const QString absolute = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const auto owner = otherHomeOwner(absolute + QStringLiteral("/x"));
    QString sofar;
    for (const QString& part : absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        sofar += QLatin1Char('/') + part;
        const QByteArray native = QFile::encodeName(sofar);
        if (::mkdir(native.constData(), privateFolder ? 0700 : 0777) == 0) {
            if (owner && otherHomeOwner(sofar) && ::chown(native.constData(), owner->first, owner->second) != 0)
                return errno;
            continue;
        }
        if (errno != EEXIST)
            return errno;
        struct stat info {};
        if (::stat(native.constData(), &info) != 0)
            return errno;
        if (!S_ISDIR(info.st_mode))
            return ENOTDIR;
    }
    return 0;
}

void handOverToHomeOwner(int fd, const QString& path) {
    if (const auto owner = otherHomeOwner(path)) {
        if (::fchown(fd, owner->first, owner->second) != 0) {
            // The file stays root's; the user is told when a later write of theirs is refused.
        }
    }
}

void handOverToHomeOwner(const QString& path) {
    if (!otherHomeOwner(path))
        return;
    Descriptor fd(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info {};
    if (fd.get() >= 0 && ::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == 0)
        handOverToHomeOwner(fd.get(), path);
}

std::optional<FileError> writeFileAtomically(const QString& path, const QByteArray& data, ExistingFile existingFile) {
    using Stage = FileError::Stage;
    const bool keep = existingFile == ExistingFile::Keep;
    const QByteArray target = QFile::encodeName(replacedPath(path));
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(target)).absolutePath());

    // A file or folder the user may not write is never replaced behind their back, although the rename
    // through a temporary file would get past the file's own permissions.
    struct stat existing {};
    const bool replacing = ::stat(target.constData(), &existing) == 0;
    if (replacing && keep)
        return FileError{Stage::Replace, EEXIST};
    if (replacing) {
        if (const int refused = refusalFor(target, existing))
            return FileError{Stage::Create, refused};
    }
    struct stat folderInfo {};
    if (::stat(folder.constData(), &folderInfo) != 0)
        return FileError{Stage::Create, errno};
    if (!writable(folder, folderInfo))
        return FileError{Stage::Create, EACCES};

    removeStaleTemporaries(target);
    QByteArray temporary = target + kTemporaryMark + "XXXXXX";
    Descriptor fd(::mkstemp(temporary.data()));
    if (fd.get() < 0)
        return FileError{Stage::Create, errno};
    // Held until the name has moved, so that another save of the same file does not take it for stale.
    ::flock(fd.get(), LOCK_EX);

    auto fail = [&](Stage stage, int err) {
        ::unlink(temporary.constData());
        return FileError{stage, err};
    };
    ::fchmod(fd.get(), replacing ? (existing.st_mode & 07777) : newFileMode());
    // The file stays its owner's when someone else (root) saves it; this fails harmlessly for others.
    if (replacing && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())) {
        if (::fchown(fd.get(), existing.st_uid, existing.st_gid) != 0) {
            // Only root may give a file away; anyone else's copy becomes theirs, as with any editor.
        }
    }
    if (!replacing)
        handOverToHomeOwner(fd.get(), QFile::decodeName(target));

    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd.get(), data.constData() + done, static_cast<size_t>(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(Stage::Write, n < 0 ? errno : ENOSPC);
        done += n;
    }
    // The data must be on disk before the name moves over, or a crash could leave an empty file behind.
    if (::fsync(fd.get()) != 0)
        return fail(Stage::Write, errno);
    if (const int err = moveIntoPlace(temporary, target, keep))
        return fail(Stage::Replace, err);
    fd.close();
    syncFolder(folder);
    return std::nullopt;
}

} // namespace vantrel
