// The monitor thread of the serial driver: reads the device while the user-interface thread does other
// work, gathers the bytes into whole messages, and hands them over through the port's event queue.
// Internal to the driver.
#pragma once

#include "serial/MessageShape.h"

#include <QEvent>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace vantrel {

class TSerialPort;

class TSerialMonitor {
public:
    // Starts the thread on an open device; the port receives the hand-over and loss events.
    TSerialMonitor(TSerialPort* port, int fd, MessageShape shape);
    ~TSerialMonitor(); // stops and joins

    // Stops the thread and waits for it to end. Bytes it had received stay to be taken.
    void stop();

    // Moves the bytes handed over so far to the end of `into` and returns how many; called on the
    // user-interface thread. The next bytes post a new hand-over event.
    int takeReceived(std::vector<char>& into);

    bool running() const;

    // The event type of a hand-over, posted to the port.
    static QEvent::Type handOverEventType();

    // The time of one character at the link's 19200 baud, 8N1.
    static constexpr std::chrono::nanoseconds kByteTime{1'000'000'000LL * 10 / 19200};

private:
    struct Shared;
    using Wait = std::optional<std::chrono::nanoseconds>;

    void run();
    // Reads everything the device holds into the window; false when the device failed (loss reported).
    bool drain(int& fresh);
    // Passes the bytes not yet handed over to the user-interface thread.
    void handOver();
    // How long to sleep before looking at the line again, after `fresh` new bytes; empty: wait for bytes.
    Wait nextWait(int fresh, bool afterSleep);
    void reportLoss();
    bool inboxFull() const;

    // Without a known message shape: a frame's end is seen within a step (about three characters) of its
    // last byte, when the step brings fewer than kStillFlowing of them.
    static constexpr std::chrono::microseconds kGatherStep{1500};
    static constexpr int kStillFlowing = 2;
    // A sleep that is meant to end with a message's last byte ends this much after it is due.
    static constexpr std::chrono::microseconds kMargin{250};
    // However the bytes look, a running line is handed over at least this often.
    static constexpr std::chrono::milliseconds kHandOverLimit{20};
    // What the user-interface thread has not taken yet is held up to this size; beyond it the device's own
    // queue fills instead.
    static constexpr std::size_t kInboxLimit = 1 << 20;

    TSerialPort* port_;
    int fd_;
    MessageShape shape_;
    std::shared_ptr<Shared> shared_;
    // Thread-local state: the bytes of the message window (the last ones handed over, then the pending ones).
    std::vector<std::uint8_t> window_;
    int pending_ = 0;
    std::chrono::steady_clock::time_point pendingSince_{};
    std::thread thread_;
};

} // namespace vantrel
