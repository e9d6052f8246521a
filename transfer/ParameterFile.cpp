#include "transfer/ParameterFile.h"

#include "common/AtomicFile.h"
#include "common/Errors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vantrel {

void saveParameterFile(const QString& fileName, const ImageBytes& image) {
    const QByteArray bytes(reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size()));
    if (const std::optional<AtomicWriteError> failed = writeFileAtomically(fileName, bytes))
        throw EInOutError::fromErrno(failed->err, fileName);
}

ImageBytes openParameterFile(const QString& fileName) {
    // O_NONBLOCK: a FIFO or a terminal chosen by mistake must not stall the window waiting for bytes; it
    // ends at once as a file too short (or with the system's error).
    const int fd = ::open(fileName.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        throw EInOutError::fromErrno(errno, fileName);
    ImageBytes image{};
    std::size_t got = 0;
    while (got < image.size()) {
        const ssize_t n = ::read(fd, image.data() + got, image.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            throw EInOutError::fromErrno(err, fileName);
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (got < image.size())
        throw EInOutError(EInOutError::ReadBeyondEnd);
    return image;
}

} // namespace vantrel
