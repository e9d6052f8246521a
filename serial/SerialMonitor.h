// The receiving side of the serial driver: watches the device on the user-interface thread's event loop,
// gathers the bytes of a running line into whole messages, and hands them to the port, which calls the
// receive handler there and then. Internal to the driver.
//
// A slow line must not cost a wake-up per byte (almost two thousand a second at 19200 baud). So the
// device is watched only while the line is quiet; once bytes come, the monitor stops watching and sleeps
// on a timer until the message they begin is due to be complete, then reads all that came meanwhile in
// one go. Everything runs on one thread, so a whole message costs the process one wake-up.
#pragma once

#include "serial/MessageShape.h"

#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace vantrel {

class SerialDevice;
class TSerialPort;

class TSerialMonitor : public QObject {
public:
    // Starts watching an open device; the port receives the hand-overs and the loss report.
    TSerialMonitor(TSerialPort* port, SerialDevice& device, MessageShape shape);
    ~TSerialMonitor() override;

    // Stops watching. What the device holds at that moment is read first and queued at the port; true
    // when that, or an earlier hand-over not yet delivered, brought bytes the handler has not been told of.
    bool stop();

    // The program has just sent something. A sleep that only waits for more of a burst already handed
    // over ends here, and the device is watched instead: what comes now is an answer, and a sleep that
    // looks for it would wake to nothing.
    void lineTurned();

    // Whether the device is still watched: false once stopped or once the device has gone.
    bool running() const { return running_; }

    // The time of one character at the link's 19200 baud, 8N1.
    static constexpr std::chrono::nanoseconds kByteTime{1'000'000'000LL * 10 / 19200};

private:
    using Wait = std::optional<std::chrono::nanoseconds>;

    // Looks at the line: when the device has something to say (bytes, or a hang-up) while it is watched,
    // and when a sleep has ended. Hands what is complete to the port, as its last step.
    void look(bool afterSleep);
    // Reads everything the device holds into the window; false when the device failed (loss reported).
    bool drain(int& fresh);
    // Passes the bytes not yet handed over to the port, at the end of the look.
    void handOver();
    // How long to sleep before looking at the line again, after `fresh` new bytes; empty: watch the device.
    Wait nextWait(int fresh, bool afterSleep);
    // Sleeps for the wait, or watches the device when there is none.
    void carryOn(const Wait& wait);
    void lose();
    void endWatch();
    bool inboxFull() const;

    // Without a known message shape: a frame's end is seen within a step (about four characters) of its
    // last byte, when the step brings fewer than kStillFlowing of them.
    static constexpr std::chrono::microseconds kGatherStep{2000};
    static constexpr int kStillFlowing = 2;
    // A sleep that is meant to end with a message's last byte ends this much after it is due.
    static constexpr std::chrono::microseconds kMargin{250};
    // However the bytes look, a running line is handed over at least this often.
    static constexpr std::chrono::milliseconds kHandOverLimit{20};
    // What the program has not read yet is held up to this size; beyond it the device's own queue fills.
    static constexpr std::size_t kInboxLimit = 1 << 20;

    TSerialPort* port_;
    SerialDevice& device_;
    MessageShape shape_;
    QTimer sleep_;
    bool running_ = true;
    // The bytes of the message window: the last ones handed over, then the pending ones.
    std::vector<std::uint8_t> window_;
    int pending_ = 0;
    std::chrono::steady_clock::time_point pendingSince_{};
    bool due_ = false; // bytes were queued at the port: its handler is to be told at the end of this look
};

} // namespace vantrel
