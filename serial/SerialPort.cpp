#include "serial/SerialPort.h"

#include "serial/PortNames.h"
#include "serial/SerialMonitor.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QScopedValueRollback>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace vantrel {

namespace {

QString serialMessage(int code, int systemError) {
    QString text = ESerialPort::textFor(code);
    if (systemError != -1)
        text += QStringLiteral(" (win error code: %1)").arg(systemError);
    return text;
}

// Pseudo-terminals and some adapters do not know the modem-line and exclusivity ioctls; that is not a fault.
bool notSupported(int err) {
    return err == ENOTTY || err == EINVAL;
}

constexpr int kWriteTimeoutConstantMs = 1000;
constexpr int kWriteTimeoutPerByteMs = 100;

} // namespace

ESerialPort::ESerialPort(int code, int systemError)
    : VantrelError(serialMessage(code, systemError)), code_(code), systemError_(systemError) {}

QString ESerialPort::textFor(int code) {
    switch (code) {
    case OpenFailed:
        return QStringLiteral("Unable to open com port");
    case WriteFailed:
        return QStringLiteral("WriteFile function failed");
    case ReadFailed:
        return QStringLiteral("ReadFile function failed");
    case PurgeFailed:
        return QStringLiteral("PurgeComm function failed");
    case LineSettingsFailed:
        return QStringLiteral("SetCommState function failed");
    case TimeoutsFailed:
        return QStringLiteral("SetCommTimeouts failed");
    case QueueSizesFailed:
        return QStringLiteral("SetupComm function failed");
    case QueueStatusFailed:
        return QStringLiteral("ClearCommError function failed");
    default:
        return QStringLiteral("Serial port error %1").arg(code);
    }
}

TSerialPort::TSerialPort(QObject* parent) : QObject(parent) {}

TSerialPort::~TSerialPort() {
    try {
        close();
    } catch (...) {
        // Nothing can be reported while the program ends; the system releases the device with the process.
    }
}

void TSerialPort::setPort(const QString& name) {
    const QString normalised = normalisePortName(name);
    if (normalised == port_)
        return;
    port_ = normalised;
    if (Connected()) {
        close();
        open();
    }
}

void TSerialPort::setConnected(bool connected) {
    if (connected == Connected())
        return;
    if (connected)
        open();
    else
        close();
}

void TSerialPort::open() {
    const QString path = devicePathForPort(port_);
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
        ::close(fd);
        throw ESerialPort(ESerialPort::OpenFailed, err);
    }
    exclusiveSet_ = true;
    fd_ = fd;

    // Queue sizes: the kernel's buffers are fixed and large enough; nothing to request.
    // Line settings: raw 19200 8N1, receiver on, modem status lines ignored, no handshake of any kind.
    haveSavedSettings_ = ::tcgetattr(fd, &savedSettings_) == 0;
    termios tio{};
    if (!haveSavedSettings_) {
        const int err = errno;
        releaseDevice();
        throw ESerialPort(ESerialPort::LineSettingsFailed, err);
    }
    tio = savedSettings_;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | PARMRK | IGNPAR);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, B19200) != 0 || ::cfsetospeed(&tio, B19200) != 0 || ::tcsetattr(fd, TCSANOW, &tio) != 0) {
        const int err = errno;
        releaseDevice();
        throw ESerialPort(ESerialPort::LineSettingsFailed, err);
    }
    ::tcflush(fd, TCIOFLUSH);
    // DTR and RTS asserted for as long as the port is open; the module takes its power-save cue from them.
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd, TIOCMBIS, &lines) != 0 && !notSupported(errno)) {
        const int err = errno;
        releaseDevice();
        throw ESerialPort(ESerialPort::LineSettingsFailed, err);
    }
    // Time-outs: reads never wait (O_NONBLOCK); the write time-out is kept by WriteBytes itself.

    monitor_ = std::make_unique<TSerialMonitor>(this, fd, shape_);
}

void TSerialPort::close() {
    if (!Connected())
        return;
    // Nothing is pending on the device between calls (writes complete inside WriteBytes), so there is no
    // transfer to abort before the monitor stops.
    if (monitor_) {
        // What the monitor received before it stopped is still delivered, unless the close comes from the
        // receive handler itself.
        if (monitor_->stop() && !delivering_)
            deliverRxChar();
        monitor_.reset();
    }
    releaseDevice();
}

void TSerialPort::releaseDevice() {
    if (fd_ < 0)
        return;
    if (haveSavedSettings_)
        ::tcsetattr(fd_, TCSANOW, &savedSettings_);
    // Only a flag this port set is cleared: another program's exclusive mode is never ours to end.
    if (exclusiveSet_)
        ::ioctl(fd_, TIOCNXCL);
    exclusiveSet_ = false;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
    haveSavedSettings_ = false;
    linkLost_ = false;
    lossReported_ = false;
    rx_.clear();
    rxBegin_ = 0;
}

int TSerialPort::WriteBytes(const void* data, int count) {
    if (!Connected())
        throw ESerialPort(ESerialPort::WriteFailed, EBADF);
    if (count <= 0)
        return 0;
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
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            const int err = errno;
            if (isLinkLossError(err))
                noteLinkLost();
            throw ESerialPort(ESerialPort::WriteFailed, err);
        }
        // The output queue is full (or a flow-stopped line): wait for room until the time-out ends the write.
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            break;
        pollfd p{fd_, POLLOUT, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno != EINTR) {
            const int err = errno;
            if (isLinkLossError(err))
                noteLinkLost();
            throw ESerialPort(ESerialPort::WriteFailed, err);
        }
        if (r > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)))
            throw ESerialPort(ESerialPort::WriteFailed, EIO);
    }
    if (written > 0 && monitor_)
        monitor_->lineTurned();
    return written;
}

int TSerialPort::WriteText(const QByteArray& text) {
    return WriteBytes(text.constData(), static_cast<int>(text.size()));
}

int TSerialPort::ReadBytes(void* buffer, int count) {
    if (!Connected())
        throw ESerialPort(ESerialPort::ReadFailed, EBADF);
    if (count <= 0)
        return 0;
    if (rxQueued() == 0 && !monitorRunning())
        readDevice();
    const int taken = std::min(count, rxQueued());
    if (taken == 0)
        return 0; // an empty queue may have no storage at all
    std::memcpy(buffer, rx_.data() + rxBegin_, static_cast<size_t>(taken));
    rxBegin_ += taken;
    return taken;
}

void TSerialPort::queueReceived(std::span<const std::uint8_t> bytes) {
    if (rxBegin_ > 0 && rxQueued() == 0) {
        rx_.clear();
        rxBegin_ = 0;
    }
    rx_.insert(rx_.end(), bytes.begin(), bytes.end());
}

void TSerialPort::readDevice() {
    char chunk[512];
    ssize_t n;
    do {
        n = ::read(fd_, chunk, sizeof chunk);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
        const int err = errno;
        if (isLinkLossError(err))
            noteLinkLost();
        throw ESerialPort(ESerialPort::ReadFailed, err);
    }
    if (n > 0)
        rx_.insert(rx_.end(), chunk, chunk + n);
}

bool TSerialPort::monitorRunning() const {
    return monitor_ && monitor_->running();
}

bool TSerialPort::isLinkLossError(int err) {
    return err == EIO || err == ENXIO || err == ENODEV;
}

QEvent::Type TSerialPort::linkLostEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void TSerialPort::noteLinkLost() {
    if (!Connected() || linkLost_)
        return;
    linkLost_ = true;
    // Reported through the event loop, never from inside the failing call: the handler closes the port,
    // which must not happen under a caller that is still using it.
    QCoreApplication::postEvent(this, new QEvent(linkLostEventType()));
}

bool TSerialPort::event(QEvent* e) {
    if (e->type() == linkLostEventType()) {
        // A report for a port closed (or reopened) meanwhile is stale: the owner already acted.
        if (Connected() && !lossReported_) {
            linkLost_ = true;
            lossReported_ = true;
            if (OnLinkLost)
                OnLinkLost(this);
        }
        return true;
    }
    return QObject::event(e);
}

void TSerialPort::deliverHandOver() {
    // A handler that fails leaves the rest of its bytes; nothing is shown and the line goes on.
    try {
        deliverRxChar();
    } catch (...) {
        // The bytes the handler did not take wait for the next arrival.
    }
}

int TSerialPort::deliverRxChar() {
    const int waiting = Connected() ? rxQueued() : 0;
    if (waiting == 0)
        return 0;
    if (OnRxChar) {
        const QScopedValueRollback inside(delivering_, true);
        OnRxChar(this, waiting);
    }
    return waiting;
}

} // namespace vantrel
