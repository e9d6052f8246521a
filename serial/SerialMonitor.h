// The monitor thread of the serial driver: sleeps in poll() until bytes arrive, hands the notification to
// the user-interface thread and blocks until the handler has returned. Internal to the driver.
#pragma once

#include <QEvent>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace vantrel {

class TSerialPort;

class TSerialMonitor {
public:
    // Starts the thread on an open device; the port receives the hand-over events.
    TSerialMonitor(TSerialPort* port, int fd);
    ~TSerialMonitor(); // stops and joins

    // Stops the thread and waits for it to end. A hand-over that is pending meanwhile is delivered here,
    // so a close cannot deadlock against a monitor that waits for the user-interface thread.
    void stop();

    // Runs a pending hand-over on the calling (user-interface) thread; nothing when none is pending.
    void serviceHandOver();

    bool running() const;

    // The event type of a hand-over, posted to the port.
    static QEvent::Type handOverEventType();

private:
    struct Shared;
    void run();
    // Waits, after bytes arrived, until a gathering step brings no more (at most kSettleLimit in all).
    // True when the monitor must stop instead.
    bool settle();

    // About three characters at 19200 baud: a frame's end is seen within a step of its last byte, when the
    // step brings fewer than kStillFlowing of them.
    static constexpr std::chrono::microseconds kGatherStep{1500};
    static constexpr int kStillFlowing = 2;
    static constexpr std::chrono::milliseconds kSettleLimit{10};

    TSerialPort* port_;
    int fd_;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

} // namespace vantrel
