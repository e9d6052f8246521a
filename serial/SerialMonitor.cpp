#include "serial/SerialMonitor.h"

#include "serial/SerialPort.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>
#include <cerrno>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace vantrel {

using Clock = std::chrono::steady_clock;

QEvent::Type TSerialMonitor::handOverEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// What the thread and the user-interface thread share.
struct TSerialMonitor::Shared {
    mutable std::mutex mutex;
    int wakeFd = -1;
    std::vector<char> inbox; // handed over, not yet taken
    bool posted = false;     // a hand-over event is on its way; the next bytes need none of their own
    bool finished = false;   // the thread has left its loop
};

TSerialMonitor::TSerialMonitor(TSerialPort* port, int fd, MessageShape shape)
    : port_(port), fd_(fd), shape_(shape), shared_(std::make_shared<Shared>()) {
    shared_->wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    thread_ = std::thread([this] { run(); });
}

TSerialMonitor::~TSerialMonitor() {
    stop();
    if (shared_->wakeFd >= 0)
        ::close(shared_->wakeFd);
}

bool TSerialMonitor::running() const {
    std::lock_guard lock(shared_->mutex);
    return !shared_->finished;
}

int TSerialMonitor::takeReceived(std::vector<char>& into) {
    std::lock_guard lock(shared_->mutex);
    shared_->posted = false;
    const int taken = static_cast<int>(shared_->inbox.size());
    into.insert(into.end(), shared_->inbox.begin(), shared_->inbox.end());
    shared_->inbox.clear();
    return taken;
}

void TSerialMonitor::reportLoss() {
    QCoreApplication::postEvent(port_, new QEvent(TSerialPort::linkLostEventType()));
}

bool TSerialMonitor::inboxFull() const {
    // A user-interface thread that takes nothing (a modal wait, a stuck handler) is not fed without end:
    // the bytes wait in the device's queue instead.
    std::lock_guard lock(shared_->mutex);
    return shared_->inbox.size() >= kInboxLimit;
}

bool TSerialMonitor::drain(int& fresh) {
    fresh = 0;
    for (;;) {
        if (inboxFull())
            return true;
        std::uint8_t chunk[512];
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n > 0) {
            if (pending_ == 0)
                pendingSince_ = Clock::now();
            window_.insert(window_.end(), chunk, chunk + n);
            pending_ += static_cast<int>(n);
            fresh += static_cast<int>(n);
            // A read that did not fill the chunk took all there was; what comes meanwhile waits for the
            // next look, and a read less is a system call less for every message.
            if (static_cast<std::size_t>(n) < sizeof chunk)
                return true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK)
            return true;
        if (TSerialPort::isLinkLossError(errno)) {
            handOver();
            reportLoss();
        }
        return false;
    }
}

void TSerialMonitor::handOver() {
    if (pending_ == 0)
        return;
    bool post = false;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->inbox.insert(shared_->inbox.end(), window_.end() - pending_, window_.end());
        post = !shared_->posted;
        shared_->posted = true;
    }
    pending_ = 0;
    // Only what the next look at a message needs stays in the window.
    const std::size_t keep = shape_.known() ? static_cast<std::size_t>(shape_.length) : 0;
    if (window_.size() > keep)
        window_.erase(window_.begin(), window_.end() - static_cast<std::ptrdiff_t>(keep));
    if (post)
        QCoreApplication::postEvent(port_, new QEvent(handOverEventType()));
}

TSerialMonitor::Wait TSerialMonitor::nextWait(int fresh, bool afterSleep) {
    if (pending_ == 0)
        return std::nullopt;
    // A sleep that brought nothing: the line has gone quiet, whatever the bytes look like.
    if (afterSleep && fresh == 0) {
        handOver();
        return std::nullopt;
    }
    if (shape_.known() && messageEndsWithin(shape_, window_, fresh)) {
        const int missing = bytesToMessageEnd(shape_, window_);
        handOver();
        // A module sends its answers back to back: sleep until the next one would be complete, and hand
        // it over then; if none came, the line is quiet and the thread waits for bytes again.
        return kByteTime * (missing > 0 ? missing : shape_.length) + kMargin;
    }
    if (Clock::now() - pendingSince_ >= kHandOverLimit) {
        handOver();
        return kGatherStep;
    }
    const int missing = bytesToMessageEnd(shape_, window_);
    if (missing > 0)
        return kByteTime * missing + kMargin;
    // Nothing known of these bytes: look again after a step; a step that brought fewer than a running line
    // sends means the line stopped within it.
    if (afterSleep && fresh < kStillFlowing) {
        handOver();
        return std::nullopt;
    }
    return kGatherStep;
}

void TSerialMonitor::run() {
    Shared& s = *shared_;
    // While bytes come in, the thread does not watch the device (that would wake it for each byte on a
    // slow line, almost two thousand times a second at 19200 baud) but sleeps until the message is due
    // and reads what has come meanwhile. Only the stop request ends a sleep early.
    Wait wait;
    bool stop = s.wakeFd < 0;
    while (!stop) {
        // During a timed sleep the device is watched for nothing but a hang-up or an error, which poll
        // reports whatever was asked: a device gone ends the sleep at once.
        pollfd fds[2] = {{s.wakeFd, POLLIN, 0}, {fd_, static_cast<short>(wait ? 0 : POLLIN), 0}};
        int n;
        if (wait) {
            const auto ns = wait->count();
            const timespec step{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
            n = ::ppoll(fds, 2, &step, nullptr);
        } else {
            n = ::ppoll(fds, 2, nullptr, nullptr);
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || (fds[0].revents & POLLIN) != 0)
            break; // asked to stop
        int fresh = 0;
        // Bytes that came before a hang-up are still delivered, and first.
        if (!drain(fresh))
            break;
        if ((fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            // The device is gone: an unplugged adapter, the other end of a pseudo-terminal closed.
            handOver();
            reportLoss();
            break;
        }
        wait = nextWait(fresh, wait.has_value());
        if (!wait && inboxFull())
            wait = kGatherStep; // the device still holds bytes: look again later, do not spin on them
    }
    handOver();
    // Like the end of the wait loop of any serial monitor: nothing half-received stays in the device's queues.
    ::tcflush(fd_, TCIOFLUSH);
    std::lock_guard lock(s.mutex);
    s.finished = true;
}

void TSerialMonitor::stop() {
    if (!thread_.joinable())
        return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t w = ::write(shared_->wakeFd, &one, sizeof one);
    thread_.join();
}

} // namespace vantrel
