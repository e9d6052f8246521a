#include "tools/sim/ModuleMemory.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vantrel::sim {

namespace {

constexpr std::size_t BytesPerBlock = 12;

// Closes a descriptor on every way out of a file operation.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }
    // Closing can report a write that never reached the disk, so callers that wrote check it.
    int release() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }

private:
    int fd_;
};

} // namespace

std::uint32_t modulePageChecksum(const PageBytes& page) {
    std::uint32_t sum = 0;
    for (std::size_t k = 0; k < page.size(); ++k) {
        const auto weight = static_cast<std::uint32_t>(k / BytesPerBlock + 1 + k % BytesPerBlock);
        sum += weight ^ page[k];
    }
    return sum;
}

PageBytes pageOf(const MemoryBytes& memory, int page) {
    PageBytes bytes{};
    const auto start = memory.begin() + static_cast<std::ptrdiff_t>(page) * static_cast<std::ptrdiff_t>(PageSize);
    std::copy(start, start + static_cast<std::ptrdiff_t>(PageSize), bytes.begin());
    return bytes;
}

void storePage(MemoryBytes& memory, int page, const PageBytes& bytes) {
    std::copy(bytes.begin(), bytes.end(), memory.begin() + static_cast<std::ptrdiff_t>(page * PageSize));
}

ImageBytes readParameterFile(const std::string& path) {
    FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        throw SimError("cannot open the memory file " + path + ": " + systemText(errno));
    ImageBytes image{};
    std::size_t done = 0;
    while (done < image.size()) {
        const ssize_t n = ::read(file.get(), image.data() + done, image.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw SimError("cannot read the memory file " + path + ": " + systemText(errno));
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    if (done < image.size())
        throw SimError("the memory file " + path + " holds " + std::to_string(done) +
                       " bytes; a parameter file holds " + std::to_string(image.size()));
    return image;
}

void writeParameterFile(const std::string& path, const ImageBytes& image) {
    FileHandle file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (file.get() < 0)
        throw SimError("cannot create " + path + ": " + systemText(errno));
    std::size_t done = 0;
    while (done < image.size()) {
        const ssize_t n = ::write(file.get(), image.data() + done, image.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw SimError("cannot write " + path + ": " + systemText(n < 0 ? errno : ENOSPC));
        done += static_cast<std::size_t>(n);
    }
    if (file.release() != 0)
        throw SimError("cannot write " + path + ": " + systemText(errno));
}

std::string systemText(int err) {
    return std::strerror(err);
}

} // namespace vantrel::sim
