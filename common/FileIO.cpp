#include "common/FileIO.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
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

std::optional<FileError> writeFileAtomically(const QString& path, const QByteArray& data) {
    using Stage = FileError::Stage;
    const QByteArray target = QFile::encodeName(replacedPath(path));
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(target)).absolutePath());

    // A file or folder the user may not write is never replaced behind their back, although the rename
    // through a temporary file would get past the file's own permissions.
    struct stat existing {};
    const bool replacing = ::stat(target.constData(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode))
        return FileError{Stage::Create, EISDIR};
    if (replacing && !writable(target, existing))
        return FileError{Stage::Create, EACCES};
    struct stat folderInfo {};
    if (::stat(folder.constData(), &folderInfo) != 0)
        return FileError{Stage::Create, errno};
    if (!writable(folder, folderInfo))
        return FileError{Stage::Create, EACCES};

    QByteArray temporary = target + ".XXXXXX";
    Descriptor fd(::mkstemp(temporary.data()));
    if (fd.get() < 0)
        return FileError{Stage::Create, errno};

    auto fail = [&](Stage stage, int err) {
        ::unlink(temporary.constData());
        return FileError{stage, err};
    };
    const bool replacingFile = replacing && S_ISREG(existing.st_mode);
    ::fchmod(fd.get(), replacingFile ? (existing.st_mode & 07777) : newFileMode());
    // The file stays its owner's when someone else (root) saves it; this fails harmlessly for others.
    if (replacingFile && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())) {
        if (::fchown(fd.get(), existing.st_uid, existing.st_gid) != 0) {
            // Only root may give a file away; anyone else's copy becomes theirs, as with any editor.
        }
    }

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
    if (fd.close() != 0)
        return fail(Stage::Write, errno);
    if (::rename(temporary.constData(), target.constData()) != 0)
        return fail(Stage::Replace, errno);
    syncFolder(folder);
    return std::nullopt;
}

} // namespace vantrel
