#include "serial/SerialMonitor.h"

#include "serial/SerialPort.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace vantrel {

QEvent::Type TSerialMonitor::handOverEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// What the thread and the user-interface thread share; kept alive by both, so a hand-over that is being
// serviced while the port closes never touches a destroyed monitor.
struct TSerialMonitor::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    int wakeFd = -1;
    bool pending = false;   // a hand-over waits for the user-interface thread
    bool servicing = false; // the user-interface thread is running it now
    bool finished = false;  // the thread has left its loop
    bool failed = false;    // the last hand-over failed: the monitor ends
};

TSerialMonitor::TSerialMonitor(TSerialPort* port, int fd) : port_(port), fd_(fd), shared_(std::make_shared<Shared>()) {
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

namespace {

int queuedBytes(int fd) {
    int n = 0;
    return ::ioctl(fd, FIONREAD, &n) == 0 ? n : 0;
}

} // namespace

bool TSerialMonitor::settle() {
    // A slow line delivers its bytes one at a time; waking for each would cost almost two thousand wake-ups
    // a second at 19200 baud. So while bytes come in, the thread does not watch the device but sleeps a
    // step (about three characters' time) and looks how many have queued meanwhile: a step that brought
    // fewer than a running line sends means the line has gone quiet and the bytes are handed over. The limit keeps a
    // continuous stream flowing. Only the stop request and the line's hang-up end a step early.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + kSettleLimit;
    int queued = queuedBytes(fd_);
    for (;;) {
        pollfd wake{shared_->wakeFd, POLLIN, 0};
        const timespec step{0, std::chrono::duration_cast<std::chrono::nanoseconds>(kGatherStep).count()};
        const int n = ::ppoll(&wake, 1, &step, nullptr);
        if (n < 0 && errno != EINTR)
            return true;
        if (n > 0)
            return true; // asked to stop
        pollfd device{fd_, 0, 0};
        if (::poll(&device, 1, 0) > 0 && (device.revents & (POLLHUP | POLLERR)) != 0) {
            QCoreApplication::postEvent(port_, new QEvent(TSerialPort::linkLostEventType()));
            return true;
        }
        // A step of a running line brings about three characters; fewer means the line stopped within it.
        const int now = queuedBytes(fd_);
        if (now - queued < kStillFlowing || Clock::now() >= deadline)
            return false;
        queued = now;
    }
}

void TSerialMonitor::run() {
    Shared& s = *shared_;
    // Edge-triggered on the device: a notification means new bytes arrived, as a received-character event
    // does. Bytes a handler leaves in the queue wait for the next arrival instead of waking us at once,
    // so a handler that reads nothing cannot make the monitor spin.
    const int ep = ::epoll_create1(EPOLL_CLOEXEC);
    epoll_event device{};
    device.events = EPOLLIN | EPOLLET | EPOLLRDHUP;
    device.data.fd = fd_;
    epoll_event wake{};
    wake.events = EPOLLIN;
    wake.data.fd = s.wakeFd;
    const bool ready = ep >= 0 && ::epoll_ctl(ep, EPOLL_CTL_ADD, s.wakeFd, &wake) == 0 &&
                       ::epoll_ctl(ep, EPOLL_CTL_ADD, fd_, &device) == 0;
    bool stop = !ready;
    while (!stop) {
        epoll_event events[2];
        const int n = ::epoll_wait(ep, events, 2, -1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        bool readable = false;
        for (int i = 0; i < n; ++i) {
            if (events[i].data.fd == s.wakeFd)
                stop = true;
            else if (events[i].events & (EPOLLHUP | EPOLLERR)) {
                // The device is gone: an unplugged adapter, the other end of a pseudo-terminal closed.
                stop = true;
                QCoreApplication::postEvent(port_, new QEvent(TSerialPort::linkLostEventType()));
            } else if (events[i].events & EPOLLIN)
                readable = true;
        }
        // Bytes a handler already took (they arrived while it ran) leave a notification but nothing to hand over.
        if (stop || !readable || queuedBytes(fd_) == 0)
            continue;
        stop = settle();
        if (stop)
            continue;
        std::unique_lock lock(s.mutex);
        s.pending = true;
        QCoreApplication::postEvent(port_, new QEvent(handOverEventType()));
        s.changed.wait(lock, [&] { return !s.pending; });
        stop = s.failed;
    }
    if (ep >= 0)
        ::close(ep);
    // Like the end of the wait loop of any serial monitor: nothing half-received stays in the queues.
    ::tcflush(fd_, TCIOFLUSH);
    std::lock_guard lock(s.mutex);
    s.finished = true;
    s.changed.notify_all();
}

void TSerialMonitor::serviceHandOver() {
    const std::shared_ptr<Shared> keep = shared_;
    {
        std::lock_guard lock(keep->mutex);
        if (!keep->pending || keep->servicing)
            return;
        keep->servicing = true;
    }
    bool failed = false;
    try {
        port_->deliverRxChar();
    } catch (...) {
        // An error in the hand-over ends the monitor; nothing is shown.
        failed = true;
    }
    std::lock_guard lock(keep->mutex);
    keep->servicing = false;
    keep->pending = false;
    keep->failed = failed;
    keep->changed.notify_all();
}

void TSerialMonitor::stop() {
    if (!thread_.joinable())
        return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t w = ::write(shared_->wakeFd, &one, sizeof one);
    std::unique_lock lock(shared_->mutex);
    while (!shared_->finished) {
        if (shared_->pending && !shared_->servicing) {
            lock.unlock();
            serviceHandOver();
            lock.lock();
            continue;
        }
        if (shared_->pending && shared_->servicing) {
            // Closed from inside the receive handler: the thread need not wait for that handler any more.
            shared_->pending = false;
            shared_->changed.notify_all();
        }
        shared_->changed.wait(lock);
    }
    lock.unlock();
    thread_.join();
}

} // namespace vantrel
