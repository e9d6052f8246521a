#include "common/AtomicFile.h"

#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

namespace {

// The file that is really replaced: the final target of a link, else the path itself.
QString replacedPath(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        if (!target.isEmpty())
            return target;
    }
    return path;
}

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

std::optional<AtomicWriteError> writeFileAtomically(const QString& path, const QByteArray& data) {
    using Stage = AtomicWriteError::Stage;
    const QString target = replacedPath(path);
    const QByteArray targetName = target.toLocal8Bit();
    QByteArray tempName = targetName + ".XXXXXX";
    const int fd = ::mkstemp(tempName.data());
    if (fd < 0)
        return AtomicWriteError{Stage::Create, errno};

    struct stat existing {};
    const mode_t mode = ::stat(targetName.constData(), &existing) == 0 && S_ISREG(existing.st_mode)
                            ? (existing.st_mode & 07777)
                            : (0666 & ~currentUmask());
    ::fchmod(fd, mode);

    auto fail = [&](Stage stage, int err) {
        ::close(fd);
        ::unlink(tempName.constData());
        return AtomicWriteError{stage, err};
    };
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, static_cast<size_t>(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(Stage::Write, n < 0 ? errno : ENOSPC);
        done += n;
    }
    // The data must be on disk before the name moves over, or a crash could leave an empty file behind.
    if (::fsync(fd) != 0)
        return fail(Stage::Write, errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tempName.constData());
        return AtomicWriteError{Stage::Write, err};
    }
    if (::rename(tempName.constData(), targetName.constData()) != 0) {
        const int err = errno;
        ::unlink(tempName.constData());
        return AtomicWriteError{Stage::Replace, err};
    }
    return std::nullopt;
}

} // namespace vantrel
