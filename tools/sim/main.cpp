// vantrel-sim: the module simulator as a program, for an installer trying the tool without hardware, for
// `make run` and for the end-to-end tests. Everything but the console lives in the vantrel_sim library.
#include "tools/sim/ModuleSimulator.h"
#include "tools/sim/PortLink.h"
#include "tools/sim/SimCommands.h"
#include "tools/sim/SimOptions.h"

#include <csignal>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <mutex>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>
#include <utility>

using namespace vantrel::sim;

namespace {

constexpr int ExitOk = 0;
constexpr int ExitLineFailure = 1;
constexpr int ExitBadUsage = 2;

std::mutex consoleMutex; // the simulator's threads log while the console answers commands

void complain(const std::string& text) {
    std::lock_guard lock(consoleMutex);
    std::cerr << "vantrel-sim: " << text << std::endl;
}

void say(const std::string& text) {
    std::lock_guard lock(consoleMutex);
    std::cout << text << std::endl;
}

// Lines typed on standard input, gathered from whatever pieces read() returns.
class LineReader {
public:
    // Reads what is there; false at end of input.
    bool readSome(std::vector<std::string>& lines) {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return true;
        if (n <= 0) {
            if (!pending_.empty())
                lines.push_back(std::exchange(pending_, {}));
            return false;
        }
        pending_.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end = pending_.find('\n'); end != std::string::npos; end = pending_.find('\n')) {
            std::string line = pending_.substr(0, end);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(std::move(line));
            pending_.erase(0, end + 1);
        }
        return true;
    }

private:
    std::string pending_;
};

} // namespace

int main(int argc, char** argv) {
    Options options;
    try {
        options = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const OptionError& e) {
        std::cerr << "vantrel-sim: " << e.what() << "\nTry 'vantrel-sim --help'." << std::endl;
        return ExitBadUsage;
    }
    if (options.help) {
        std::cout << helpText() << std::flush;
        return ExitOk;
    }

    // The signals that end the program are blocked before any thread exists and read from a descriptor,
    // so the port link is always removed on the way out.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    sigaddset(&endSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);
    const int signalFd = ::signalfd(-1, &endSignals, SFD_CLOEXEC);
    std::signal(SIGPIPE, SIG_IGN);
    // Started in the background of a terminal, reading standard input must fail rather than stop us.
    std::signal(SIGTTIN, SIG_IGN);

    ModuleSimulator sim;
    try {
        if (!options.memoryFile.empty())
            sim.loadParameterFile(options.memoryFile);
    } catch (const SimError& e) {
        complain(e.what());
        return ExitBadUsage;
    }
    sim.setStatus(options.status);
    sim.setTiming(options.timing);
    sim.setFaults(options.faults);

    std::string path;
    std::unique_ptr<PortLink> link;
    int lostPipe[2] = {-1, -1};
    try {
        if (options.device.empty()) {
            path = sim.openPseudoTerminal();
        } else {
            sim.openDevice(options.device);
            path = options.device;
        }
        if (options.com > 0)
            link = std::make_unique<PortLink>(options.com, path);
        if (signalFd < 0 || ::pipe2(lostPipe, O_CLOEXEC | O_NONBLOCK) != 0)
            throw SimError("cannot set up the console: " + systemText(errno));
    } catch (const SimError& e) {
        complain(e.what());
        return ExitLineFailure;
    }
    sim.setLineLostHandler([fd = lostPipe[1]] { [[maybe_unused]] const ssize_t n = ::write(fd, "x", 1); });
    if (options.verbose)
        sim.setLogger(complain);
    sim.start();
    say(path);
    if (link && options.verbose)
        complain("COM" + std::to_string(options.com) + " is " + link->path());

    CommandInterpreter interpreter(sim);
    DemoScript demo;
    LineReader input;
    bool inputOpen = true;
    const auto demoPeriod = std::chrono::seconds(options.demoSeconds);
    auto nextDemo = std::chrono::steady_clock::now() + demoPeriod;
    int exitCode = ExitOk;
    for (bool done = false; !done;) {
        pollfd fds[3] = {{signalFd, POLLIN, 0}, {lostPipe[0], POLLIN, 0}, {inputOpen ? STDIN_FILENO : -1, POLLIN, 0}};
        int timeoutMs = -1;
        if (options.demoSeconds > 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(nextDemo - std::chrono::steady_clock::now());
            timeoutMs = static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, left.count()));
        }
        if (::poll(fds, 3, timeoutMs) < 0 && errno != EINTR) {
            complain("console: " + systemText(errno));
            break;
        }
        if (fds[0].revents != 0)
            break;
        if (fds[1].revents != 0) {
            if (sim.hungUpByFault()) {
                complain("the line is closed (hang-up fault)");
            } else {
                complain("the line is gone: " + path);
                exitCode = ExitLineFailure;
            }
            break;
        }
        if (fds[2].revents != 0) {
            std::vector<std::string> lines;
            inputOpen = input.readSome(lines);
            for (const std::string& line : lines) {
                try {
                    const CommandInterpreter::Result result = interpreter.execute(line);
                    if (!result.output.empty())
                        say(result.output);
                    if (result.quit) {
                        done = true;
                        break;
                    }
                } catch (const std::exception& e) {
                    complain(e.what());
                }
            }
        }
        if (options.demoSeconds > 0 && std::chrono::steady_clock::now() >= nextDemo) {
            nextDemo += demoPeriod;
            const DemoScript::Step step = demo.next(sim.status());
            sim.setStatus(step.status);
            sim.sendText(step.channel, step.text, step.form);
        }
    }
    sim.stop();
    return exitCode;
}
