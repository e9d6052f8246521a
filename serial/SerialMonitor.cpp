#include "serial/SerialMonitor.h"

#include "serial/SerialDevice.h"
#include "serial/SerialPort.h"

#include <utility>

namespace vantrel {

using Clock = std::chrono::steady_clock;

TSerialMonitor::TSerialMonitor(TSerialPort* port, SerialDevice& device, MessageShape shape)
    : port_(port), device_(device), shape_(shape) {
    sleep_.setSingleShot(true);
    sleep_.setTimerType(Qt::PreciseTimer);
    device_.setArrivalHandler([this] { look(false); });
    connect(&sleep_, &QTimer::timeout, this, [this] { look(true); });
    device_.setWatching(true);
}

TSerialMonitor::~TSerialMonitor() {
    stop();
}

bool TSerialMonitor::stop() {
    if (!running_)
        return false;
    endWatch();
    int fresh = 0;
    if (drain(fresh))
        handOver();
    // Nothing half-received stays in the device's queues for whoever opens it next.
    device_.purge();
    return std::exchange(due_, false);
}

void TSerialMonitor::endWatch() {
    running_ = false;
    device_.setWatching(false);
    sleep_.stop();
}

void TSerialMonitor::lineTurned() {
    if (running_ && pending_ == 0 && sleep_.isActive()) {
        sleep_.stop();
        device_.setWatching(true);
    }
}

void TSerialMonitor::look(bool afterSleep) {
    device_.setWatching(false);
    if (inboxFull()) {
        carryOn(kGatherStep); // the port is behind: the bytes wait in the device meanwhile
        return;
    }
    int fresh = 0;
    if (drain(fresh)) {
        if (!afterSleep && fresh == 0 && device_.hungUp())
            lose();
        else
            carryOn(nextWait(fresh, afterSleep));
    }
    // Last, with nothing of this monitor touched after it: the receive handler may close the port, and
    // with it the monitor.
    if (due_) {
        due_ = false;
        port_->deliverHandOver();
    }
}

bool TSerialMonitor::inboxFull() const {
    // A program that reads nothing (a stuck handler) is not fed without end: the bytes wait in the device.
    return static_cast<std::size_t>(port_->rxQueued()) >= kInboxLimit;
}

void TSerialMonitor::carryOn(const Wait& wait) {
    if (!running_)
        return;
    if (wait) {
        // Timers count in whole milliseconds: rounded up, a sleep never ends before the message is due.
        sleep_.start(std::chrono::ceil<std::chrono::milliseconds>(*wait));
        return;
    }
    device_.setWatching(true);
}

bool TSerialMonitor::drain(int& fresh) {
    fresh = 0;
    while (!inboxFull()) {
        std::uint8_t chunk[512];
        int err = 0;
        const int n = device_.read(chunk, sizeof chunk, err);
        if (n > 0) {
            if (pending_ == 0)
                pendingSince_ = Clock::now();
            window_.insert(window_.end(), chunk, chunk + n);
            pending_ += n;
            fresh += n;
            // A read that did not fill the chunk took all there was: a system call less for every message.
            if (static_cast<std::size_t>(n) < sizeof chunk)
                return true;
            continue;
        }
        if (n == 0)
            return true;
        // Any other failure ends the watch; a read of the port's own then meets the error and reports it.
        if (SerialDevice::isLinkLossError(err)) {
            lose();
        } else {
            handOver();
            endWatch();
        }
        return false;
    }
    return true;
}

void TSerialMonitor::lose() {
    // Bytes that came before the loss are still delivered, and first.
    handOver();
    endWatch();
    device_.purge();
    port_->noteLinkLost();
}

void TSerialMonitor::handOver() {
    if (pending_ == 0)
        return;
    port_->queueReceived(std::span(window_).last(static_cast<std::size_t>(pending_)));
    pending_ = 0;
    // Only what the next look at a message needs stays in the window.
    const std::size_t keep = shape_.known() ? static_cast<std::size_t>(shape_.length) : 0;
    if (window_.size() > keep)
        window_.erase(window_.begin(), window_.end() - static_cast<std::ptrdiff_t>(keep));
    due_ = true;
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
        // it over then; if none came, the line is quiet and the device is watched again.
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

} // namespace vantrel
