// The serial device on Linux: a terminal device in raw mode, held with flock and the exclusive flag,
// watched for arrivals with a socket notifier on its descriptor.
#include "serial/SerialDevice.h"

#include "serial/PortNames.h"
#include "serial/SerialPort.h"

#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace vantrel {

namespace {

// Pseudo-terminals and some adapters do not know the modem-line and exclusivity ioctls; that is not a fault.
bool notSupported(int err) {
    return err == ENOTTY || err == EINVAL;
}

constexpr int kWriteTimeoutConstantMs = 1000;
constexpr int kWriteTimeoutPerByteMs = 100;

class PosixSerialDevice : public SerialDevice {
public:
    explicit PosixSerialDevice(int fd) : fd_(fd) {}
    ~PosixSerialDevice() override;

    void setUp();
    int write(const void* data, int count) override;
    int read(void* buffer, int size, int& error) override;
    bool hungUp() override;
    // Nothing is pending between calls: writes complete inside write(), reads never wait.
    void abortTransfers() override {}
    void purge() override { ::tcflush(fd_, TCIOFLUSH); }
    void setArrivalHandler(std::function<void()> arrived) override;
    void setWatching(bool on) override;

    bool exclusiveSet = false;

private:
    int fd_;
    termios savedSettings_{};
    bool haveSavedSettings_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
};

PosixSerialDevice::~PosixSerialDevice() {
    notifier_.reset();
    if (haveSavedSettings_)
        ::tcsetattr(fd_, TCSANOW, &savedSettings_);
    // Only a flag this port set is cleared: another program's exclusive mode is never ours to end.
    if (exclusiveSet)
        ::ioctl(fd_, TIOCNXCL);
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
}

void PosixSerialDevice::setUp() {
    // Queue sizes: the kernel's buffers are fixed and large enough; nothing to request.
    // Line settings: raw 19200 8N1, receiver on, modem status lines ignored, no handshake of any kind.
    haveSavedSettings_ = ::tcgetattr(fd_, &savedSettings_) == 0;
    if (!haveSavedSettings_)
        throw ESerialPort(ESerialPort::LineSettingsFailed, errno);
    termios tio = savedSettings_;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | PARMRK | IGNPAR);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, B19200) != 0 || ::cfsetospeed(&tio, B19200) != 0 || ::tcsetattr(fd_, TCSANOW, &tio) != 0)
        throw ESerialPort(ESerialPort::LineSettingsFailed, errno);
    ::tcflush(fd_, TCIOFLUSH);
    // DTR and RTS asserted for as long as the port is open; the module takes its power-save cue from them.
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd_, TIOCMBIS, &lines) != 0 && !notSupported(errno))
        throw ESerialPort(ESerialPort::LineSettingsFailed, errno);
    // Time-outs: reads never wait (O_NONBLOCK); the write time-out is kept by write() itself.
}

int PosixSerialDevice::write(const void* data, int count) {
    const auto* bytes = static_cast<const char*>(data);
    QDeadlineTimer deadline(kWriteTimeoutConstantMs + qint64(kWriteTimeoutPerByteMs) * count);
    int written = 0;
    while (written < count) {
        const ssize_t n = ::write(fd_, bytes + written, static_cast<size_t>(count - written));
        if (n > 0) {
            written += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            throw ESerialPort(ESerialPort::WriteFailed, errno);
        // The output queue is full (or a flow-stopped line): wait for room until the time-out ends the write.
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            break;
        pollfd p{fd_, POLLOUT, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno != EINTR)
            throw ESerialPort(ESerialPort::WriteFailed, errno);
        if (r > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)))
            throw ESerialPort(ESerialPort::WriteFailed, EIO);
    }
    return written;
}

int PosixSerialDevice::read(void* buffer, int size, int& error) {
    ssize_t n;
    do {
        n = ::read(fd_, buffer, static_cast<size_t>(size));
    } while (n < 0 && errno == EINTR);
    if (n >= 0)
        return static_cast<int>(n);
    if (errno == EAGAIN || errno == EWOULDBLOCK)
        return 0;
    error = errno;
    return -1;
}

bool PosixSerialDevice::hungUp() {
    // A hang-up that reads do not report: they return nothing on a quiet line and on a hung-up one alike.
    pollfd device{fd_, 0, 0};
    return ::poll(&device, 1, 0) > 0 && (device.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

void PosixSerialDevice::setArrivalHandler(std::function<void()> arrived) {
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    notifier_->setEnabled(false);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), std::move(arrived));
}

void PosixSerialDevice::setWatching(bool on) {
    if (notifier_)
        notifier_->setEnabled(on);
}

} // namespace

std::unique_ptr<SerialDevice> SerialDevice::open(const QString& portName) {
    const QString path = devicePathForPort(portName);
    if (path.isEmpty())
        throw ESerialPort(ESerialPort::OpenFailed, ENOENT);

    // O_NOCTTY: the port must never become our controlling terminal; O_NONBLOCK: opening must not wait for
    // a carrier, and reads return at once; O_CLOEXEC: child processes do not inherit the port.
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw ESerialPort(ESerialPort::OpenFailed, errno);

    // Exclusive use: flock keeps out every other program that plays by the rules (and root, which
    // TIOCEXCL alone does not stop); TIOCEXCL keeps out later plain opens.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        throw ESerialPort(ESerialPort::OpenFailed, err);
    }
    // Root passes another program's TIOCEXCL: a flag already set (our flock is free, so not by us) means
    // another program holds the port, and it is refused as busy instead of being taken over.
    int alreadyExclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &alreadyExclusive) == 0 && alreadyExclusive != 0) {
        ::flock(fd, LOCK_UN);
        ::close(fd);
        throw ESerialPort(ESerialPort::OpenFailed, EBUSY);
    }
    if (::ioctl(fd, TIOCEXCL) != 0 && !notSupported(errno)) {
        const int err = errno;
        ::flock(fd, LOCK_UN);
        ::close(fd);
        throw ESerialPort(ESerialPort::OpenFailed, err);
    }
    auto device = std::make_unique<PosixSerialDevice>(fd);
    device->exclusiveSet = true;
    device->setUp(); // a failure releases the device with it
    return device;
}

bool SerialDevice::isLinkLossError(int systemError) {
    return systemError == EIO || systemError == ENXIO || systemError == ENODEV;
}

int SerialDevice::notOpenError() {
    return EBADF;
}

} // namespace vantrel
