#include "tools/sim/ModuleSimulator.h"

#include "common/FileIO.h"
#include "common/posix/Descriptor.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace vantrel::sim {

namespace {

// While nobody has the terminal open the controlling side reports a hang-up on every poll; looking again
// this often answers the first request after a connect promptly without spinning.
constexpr int IdleRecheckMs = 20;
// A tool that keeps the terminal open but stops reading fills the terminal's buffer; after this long the
// module gives up on the bytes, as a real line would lose them.
constexpr auto StalledWriteLimit = std::chrono::seconds(2);
// Before the hang-up fault closes the line: how long the tool gets to read what was sent, how often that
// is looked at, and the grace time when it cannot be looked at.
constexpr auto DrainLimit = std::chrono::seconds(2);
constexpr int DrainRecheckMs = 2;
constexpr int DrainGraceMs = 200;

// Raw bytes at the module's line settings: nothing may be translated, echoed or held back.
void makeRaw(termios& tio) {
    cfmakeraw(&tio);
    cfsetispeed(&tio, B19200);
    cfsetospeed(&tio, B19200);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
}

} // namespace

ModuleSimulator::ModuleSimulator() : wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (wakeFd_ < 0)
        throw SimError("cannot make the simulator's wake-up descriptor: " + systemText(errno));
}

ModuleSimulator::~ModuleSimulator() {
    stop();
    closeLine();
    ::close(wakeFd_);
}

std::string ModuleSimulator::openPseudoTerminal() {
    std::lock_guard control(controlMutex_);
    prepareForNewLine();
    Descriptor master(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (master.get() < 0)
        throw SimError("cannot make a pseudo-terminal: " + systemText(errno));
    char name[PATH_MAX] = {};
    if (::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0 ||
        ::ptsname_r(master.get(), name, sizeof name) != 0)
        throw SimError("cannot make a pseudo-terminal: " + systemText(errno));

    // The settings are made on the terminal side, where the line discipline works. Closing it again
    // leaves the controlling side reporting a hang-up until the tool opens the terminal, which is how the
    // module knows nobody listens.
    Descriptor terminal(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    termios tio{};
    if (terminal.get() < 0 || ::tcgetattr(terminal.get(), &tio) != 0)
        throw SimError(std::string("cannot set up the pseudo-terminal ") + name + ": " + systemText(errno));
    makeRaw(tio);
    if (::tcsetattr(terminal.get(), TCSANOW, &tio) != 0)
        throw SimError(std::string("cannot set up the pseudo-terminal ") + name + ": " + systemText(errno));

    std::lock_guard line(lineMutex_);
    fd_ = master.release();
    isPseudoTerminal_ = true;
    path_ = name;
    return path_;
}

void ModuleSimulator::openDevice(const std::string& path) {
    std::lock_guard control(controlMutex_);
    prepareForNewLine();
    Descriptor device(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (device.get() < 0)
        throw SimError("cannot open " + path + ": " + systemText(errno));
    // Another program on this machine (the tool itself, say) must not share the device.
    if (::flock(device.get(), LOCK_EX | LOCK_NB) != 0)
        throw SimError(path + " is in use by another program");
    termios tio{};
    if (::tcgetattr(device.get(), &tio) != 0)
        throw SimError(path + " is not a serial device: " + systemText(errno));
    if (::ioctl(device.get(), TIOCEXCL) != 0 && errno != ENOTTY && errno != EINVAL)
        throw SimError("cannot claim " + path + ": " + systemText(errno));
    makeRaw(tio);
    if (::tcsetattr(device.get(), TCSANOW, &tio) != 0)
        throw SimError("cannot set the line of " + path + ": " + systemText(errno));
    ::tcflush(device.get(), TCIOFLUSH);

    std::lock_guard line(lineMutex_);
    fd_ = device.release();
    isPseudoTerminal_ = false;
    path_ = path;
}

std::string ModuleSimulator::terminalPath() const {
    std::lock_guard line(lineMutex_);
    return fd_ >= 0 ? path_ : std::string();
}

void ModuleSimulator::start() {
    std::lock_guard control(controlMutex_);
    if (lineLost_)
        throw SimError("the line is lost");
    if (receiver_.joinable())
        return;
    if (terminalPath().empty())
        throw SimError("the simulator has no line open");
    hangUpRequested_ = false;
    stopping_ = false;
    receiver_ = std::thread([this] { receiveLoop(); });
    transmitter_ = std::thread([this] { transmitLoop(); });
    running_ = true;
}

void ModuleSimulator::prepareForNewLine() {
    if (!terminalPath().empty())
        throw SimError("the simulator has a line open already");
    // After a lost line the threads may still be there, the receiver finished, the transmitter idle.
    stopThreads();
    lineLost_ = false;
    hangUpRequested_ = false;
}

void ModuleSimulator::stop() {
    std::lock_guard control(controlMutex_);
    stopThreads();
}

void ModuleSimulator::stopThreads() {
    if (!receiver_.joinable())
        return;
    running_ = false;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    wakeReceiver();
    receiver_.join();
    transmitter_.join();
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
        queue_.clear();
        transmitting_ = false;
    }
    changed_.notify_all();
}

bool ModuleSimulator::running() const {
    return running_ && !lineLost_;
}

void ModuleSimulator::setLineLostHandler(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    lineLostHandler_ = std::move(handler);
}

void ModuleSimulator::setLogger(std::function<void(const std::string&)> logger) {
    std::lock_guard lock(mutex_);
    logger_ = std::move(logger);
}

// ---- the module's state -------------------------------------------------------------------------------

void ModuleSimulator::requireValidPage(int page) const {
    if (page < 0 || page >= static_cast<int>(PageCount))
        throw SimError("page " + std::to_string(page) + " does not exist; the pages are 0 to 14");
}

MemoryBytes ModuleSimulator::memory() const {
    std::lock_guard lock(mutex_);
    return core_.memory();
}

void ModuleSimulator::setMemory(const MemoryBytes& memory) {
    std::lock_guard lock(mutex_);
    core_.setMemory(memory);
}

PageBytes ModuleSimulator::page(int page) const {
    requireValidPage(page);
    std::lock_guard lock(mutex_);
    return pageOf(core_.memory(), page);
}

void ModuleSimulator::setPage(int page, const PageBytes& bytes) {
    requireValidPage(page);
    std::lock_guard lock(mutex_);
    MemoryBytes memory = core_.memory();
    storePage(memory, page, bytes);
    core_.setMemory(memory);
}

void ModuleSimulator::loadParameterFile(const std::string& path) {
    const ImageBytes image = readParameterFile(path);
    std::lock_guard lock(mutex_);
    core_.setImage(image);
}

void ModuleSimulator::saveParameterFile(const std::string& path) const {
    ImageBytes image;
    {
        std::lock_guard lock(mutex_);
        image = core_.image();
    }
    writeParameterFile(path, image);
}

ModuleStatus ModuleSimulator::status() const {
    std::lock_guard lock(mutex_);
    return core_.status();
}

void ModuleSimulator::setStatus(const ModuleStatus& status) {
    std::lock_guard lock(mutex_);
    core_.setStatus(status);
}

Faults ModuleSimulator::faults() const {
    std::lock_guard lock(mutex_);
    return core_.faults();
}

void ModuleSimulator::setFaults(const Faults& faults) {
    std::lock_guard lock(mutex_);
    core_.setFaults(faults);
}

void ModuleSimulator::restartFaultCounts() {
    std::lock_guard lock(mutex_);
    core_.restartFaultCounts();
}

Timing ModuleSimulator::timing() const {
    std::lock_guard lock(mutex_);
    return timing_;
}

void ModuleSimulator::setTiming(const Timing& timing) {
    std::lock_guard lock(mutex_);
    timing_ = timing;
}

Stats ModuleSimulator::stats() const {
    std::lock_guard lock(mutex_);
    return core_.stats();
}

void ModuleSimulator::sendText(int channel, std::string_view text, TextForm form) {
    {
        std::lock_guard lock(mutex_);
        std::vector<std::uint8_t> bytes = core_.textBytes(channel, text, form);
        if (bytes.empty())
            return;
        queue_.push_back({std::move(bytes), Clock::now(), false});
    }
    changed_.notify_all();
}

bool ModuleSimulator::waitUntilSent(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return queue_.empty() && !transmitting_; });
}

// ---- receiving --------------------------------------------------------------------------------------

void ModuleSimulator::receiveLoop() {
    std::array<std::uint8_t, 4096> buffer{};
    lastArrival_ = {};
    while (!stopping_) {
        if (hangUpRequested_) {
            letTheToolReadWhatWasSent();
            closeLine();
            reportLineLost();
            return;
        }
        const int fd = fd_; // only this thread closes the line while it runs
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            log("receiving stopped: " + systemText(errno));
            return;
        }
        if (fds[1].revents != 0) {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t ignored = ::read(wakeFd_, &count, sizeof count);
            continue;
        }
        bool gone = (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        if ((fds[0].revents & POLLIN) != 0) {
            const ssize_t got = ::read(fd, buffer.data(), buffer.size());
            if (got > 0) {
                handleBytes(buffer.data(), static_cast<std::size_t>(got));
                continue;
            }
            if (got < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            gone = true; // end of file or EIO: the other side is not there
        }
        if (!gone)
            continue;
        if (isPseudoTerminal_ && (fds[0].revents & POLLNVAL) == 0) {
            // Nobody has the terminal open (yet, or any more): wait for the tool to come back.
            idleWait(IdleRecheckMs);
            continue;
        }
        closeLine();
        reportLineLost();
        return;
    }
}

void ModuleSimulator::handleBytes(const std::uint8_t* bytes, std::size_t count) {
    const Clock::time_point now = Clock::now();
    std::vector<std::string> notes;
    {
        std::lock_guard lock(mutex_);
        const bool pacing = timing_.pacing;
        const auto turnaround = std::chrono::milliseconds(timing_.turnaroundMs);
        for (std::size_t i = 0; i < count; ++i) {
            // At 19200 baud a byte cannot reach the module sooner than one byte time after the one before,
            // however fast the terminal handed them over.
            const Clock::time_point arrival = pacing ? std::max(now, lastArrival_ + ByteTime) : now;
            lastArrival_ = arrival;
            std::optional<Reaction> reaction = core_.receive(bytes[i]);
            if (!reaction)
                continue;
            if (!reaction->bytes.empty() || reaction->hangUp)
                queue_.push_back({std::move(reaction->bytes), arrival + turnaround, reaction->hangUp});
            if (!reaction->note.empty())
                notes.push_back(std::move(reaction->note));
        }
    }
    changed_.notify_all();
    for (const std::string& note : notes)
        log(note);
}

void ModuleSimulator::letTheToolReadWhatWasSent() {
    if (!isPseudoTerminal_) {
        ::tcdrain(fd_);
        return;
    }
    pollfd line{fd_, POLLOUT, 0};
    ::poll(&line, 1, 0);
    if ((line.revents & POLLHUP) != 0)
        return; // nobody there to read anything
    // Closing the controlling side throws away what the terminal still holds, which a real line would
    // have delivered. A second descriptor on the terminal shows how much is still unread; the tool's own
    // exclusive mode may refuse it to an unprivileged simulator, which then grants a fixed grace time.
    const auto giveUp = Clock::now() + DrainLimit;
    const int probe = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (probe < 0) {
        idleWait(DrainGraceMs);
        return;
    }
    // Polling the terminal, unlike asking for its queue length, first moves bytes still on their way
    // into the queue, so "nothing to read" really means the tool has read everything.
    for (;;) {
        pollfd unread{probe, POLLIN, 0};
        if (stopping_ || Clock::now() >= giveUp || ::poll(&unread, 1, 0) <= 0 || (unread.revents & POLLIN) == 0)
            break;
        idleWait(DrainRecheckMs);
    }
    ::close(probe);
}

void ModuleSimulator::idleWait(int ms) {
    pollfd wake{wakeFd_, POLLIN, 0};
    if (::poll(&wake, 1, ms) > 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t ignored = ::read(wakeFd_, &count, sizeof count);
    }
}

void ModuleSimulator::wakeReceiver() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
}

void ModuleSimulator::closeLine() {
    std::lock_guard line(lineMutex_);
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void ModuleSimulator::reportLineLost() {
    std::function<void()> handler;
    {
        std::lock_guard lock(mutex_);
        handler = lineLostHandler_;
    }
    log("the line is closed");
    if (handler)
        handler();
    lineLost_ = true;
}

void ModuleSimulator::log(const std::string& text) {
    std::function<void(const std::string&)> logger;
    {
        std::lock_guard lock(mutex_);
        logger = logger_;
    }
    if (logger)
        logger(text);
}

// ---- transmitting -----------------------------------------------------------------------------------

void ModuleSimulator::transmitLoop() {
    std::unique_lock lock(mutex_);
    lineFreeAt_ = {};
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_)
            return;
        const Clock::time_point notBefore = queue_.front().notBefore;
        if (changed_.wait_until(lock, notBefore, [this] { return stopping_.load(); }))
            return;
        const Outgoing item = std::move(queue_.front());
        queue_.pop_front();
        transmitting_ = true;
        const bool pacing = timing_.pacing;
        lock.unlock();
        transmit(item, pacing);
        lock.lock();
        transmitting_ = false;
        changed_.notify_all();
    }
}

void ModuleSimulator::transmit(const Outgoing& item, bool pacing) {
    if (pacing) {
        lineFreeAt_ = std::max(lineFreeAt_, Clock::now());
        for (const std::uint8_t byte : item.bytes) {
            // A byte is there for the tool once its ten bits have gone over the line.
            const Clock::time_point done = lineFreeAt_ + ByteTime;
            if (!pauseUntil(done))
                return;
            writeToLine(&byte, 1);
            lineFreeAt_ = done;
        }
    } else {
        writeToLine(item.bytes.data(), item.bytes.size());
    }
    if (item.hangUp) {
        hangUpRequested_ = true;
        wakeReceiver();
    }
}

bool ModuleSimulator::pauseUntil(Clock::time_point when) {
    std::unique_lock lock(mutex_);
    return !changed_.wait_until(lock, when, [this] { return stopping_.load(); });
}

void ModuleSimulator::writeToLine(const std::uint8_t* bytes, std::size_t count) {
    std::size_t done = 0;
    {
        std::lock_guard line(lineMutex_);
        const Clock::time_point giveUp = Clock::now() + StalledWriteLimit;
        while (fd_ >= 0 && done < count && !stopping_) {
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, 0);
            // No reader on the terminal: the bytes go nowhere, as on an unplugged line, instead of waiting
            // in the terminal for whoever opens it next.
            if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
                break;
            const ssize_t n = ::write(fd_, bytes + done, count - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN && Clock::now() < giveUp) {
                pollfd wait{fd_, POLLOUT, 0};
                ::poll(&wait, 1, IdleRecheckMs);
                continue;
            }
            break;
        }
    }
    std::lock_guard lock(mutex_);
    core_.stats().bytesSent += done;
    core_.stats().bytesDropped += count - done;
}

} // namespace vantrel::sim
