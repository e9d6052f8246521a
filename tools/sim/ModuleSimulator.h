// The module on the far end of a serial line: plays ModuleCore on the controlling side of a
// pseudo-terminal it makes itself, or on a serial device, in two threads of its own (one receives and
// decides, one transmits at the line's pace). Every public member may be called from any thread.
#pragma once

#include "tools/sim/ModuleCore.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace vantrel::sim {

struct Timing {
    bool pacing = true;   // 19200 baud 8N1: 1920 bytes a second, both ways
    int turnaroundMs = 0; // from the last byte of a request to the first byte of the answer
    bool operator==(const Timing&) const = default;
};

class ModuleSimulator {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr auto ByteTime = std::chrono::nanoseconds(1'000'000'000 / 1920);

    ModuleSimulator();
    ~ModuleSimulator();
    ModuleSimulator(const ModuleSimulator&) = delete;
    ModuleSimulator& operator=(const ModuleSimulator&) = delete;

    // Makes a new pseudo-terminal in raw mode and returns the path of its terminal side, which the tool
    // opens. Also after a lost line, which it replaces. Throws SimError.
    std::string openPseudoTerminal();
    // Plays the module on a serial device instead (locked, raw, 19200 8N1). Throws SimError.
    void openDevice(const std::string& path);
    std::string terminalPath() const;

    // Starts answering; throws SimError when no line is open. stop() waits for both threads; the line
    // stays open and start() may follow again.
    void start();
    void stop();
    bool running() const;

    // True once the line is gone: the terminal was closed by the hang-up fault, or the device vanished.
    bool lineLost() const { return lineLost_; }
    // True when the hang-up fault has closed, or is about to close, the line.
    bool hungUpByFault() const { return hangUpRequested_; }
    // Called once, from the receiving thread, when the line is lost (before lineLost() turns true). It must
    // not call stop().
    void setLineLostHandler(std::function<void()> handler);
    // Receives one line per notable event (requests refused, pages read and written, faults acting);
    // called from the simulator's threads.
    void setLogger(std::function<void(const std::string&)> logger);

    MemoryBytes memory() const;
    void setMemory(const MemoryBytes& memory);
    PageBytes page(int page) const;
    void setPage(int page, const PageBytes& bytes);
    // Loads the module's memory from a parameter file, and saves it as one. Throw SimError.
    void loadParameterFile(const std::string& path);
    void saveParameterFile(const std::string& path) const;

    ModuleStatus status() const;
    void setStatus(const ModuleStatus& status);
    Faults faults() const;
    void setFaults(const Faults& faults); // also restarts the page counts of the faults
    void restartFaultCounts();
    Timing timing() const;
    void setTiming(const Timing& timing);
    Stats stats() const;

    // Sends a text on channel 1..4 (bytes in the module's code page). Throws SimError for a bad channel.
    void sendText(int channel, std::string_view text, TextForm form = TextForm::Long);
    // Waits until everything queued so far has left; false on time-out.
    bool waitUntilSent(std::chrono::milliseconds timeout) const;

private:
    struct Outgoing {
        std::vector<std::uint8_t> bytes;
        Clock::time_point notBefore;
        bool hangUp = false;
    };

    void prepareForNewLine();
    void stopThreads();
    void receiveLoop();
    void transmitLoop();
    void handleBytes(const std::uint8_t* bytes, std::size_t count);
    void transmit(const Outgoing& item, bool pacing);
    void writeToLine(const std::uint8_t* bytes, std::size_t count);
    bool pauseUntil(Clock::time_point when); // false when stopping
    void idleWait(int ms);
    void letTheToolReadWhatWasSent();
    void wakeReceiver();
    void closeLine();
    void reportLineLost();
    void log(const std::string& text);
    void requireValidPage(int page) const;

    mutable std::mutex mutex_; // guards everything below up to the line
    mutable std::condition_variable changed_;
    ModuleCore core_;
    Timing timing_;
    std::deque<Outgoing> queue_;
    bool transmitting_ = false;
    std::atomic<bool> stopping_{false}; // written under mutex_, read anywhere
    std::function<void()> lineLostHandler_;
    std::function<void(const std::string&)> logger_;

    mutable std::mutex lineMutex_; // guards the descriptor against closing while the transmitter writes
    int fd_ = -1;
    bool isPseudoTerminal_ = false;
    std::string path_;

    std::mutex controlMutex_; // one start() or stop() at a time
    std::atomic<bool> running_{false};
    Clock::time_point lineFreeAt_{};  // transmitter only: when the last byte has left
    Clock::time_point lastArrival_{}; // receiver only: when the last byte reached the module
    int wakeFd_ = -1;
    std::atomic<bool> hangUpRequested_{false};
    std::atomic<bool> lineLost_{false};
    std::thread receiver_;
    std::thread transmitter_;
};

} // namespace vantrel::sim
