// How the receiver meets a module that sends at 19200 baud byte by byte: a frame of 18 bytes is written
// into a pseudo-terminal at the line's pace, and the port's handler takes it on the event loop. Prints the
// delay from the frame's last byte to the handler having it all, how often the process woke per frame,
// and the CPU time per frame. The receiver gathers bytes for a few characters' time instead of waking for
// each: the figures show what that costs in delay and saves in wake-ups.
//   target: median delay of a whole frame <= 3 ms (a quiet-line check of 1 ms, plus at most 2 ms of gathering)
#include "serial/SerialPort.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <new>
#include <pty.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace vantrel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFrameBytes = 18;
constexpr int kFrames = 200;
constexpr auto kByteTime = std::chrono::nanoseconds(1'000'000'000LL * 10 / 19200); // 8N1: ten bits a byte

rusage usage() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u;
}

double cpuSeconds(const rusage& u) {
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        std::perror("bench_line: openpty");
        return 1;
    }
    termios raw{};
    ::tcgetattr(master, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(master, TCSANOW, &raw);
    // The tool opens COM1 through its port links; point COM1 at the pseudo-terminal.
    QTemporaryDir config;
    QDir().mkpath(config.path() + QStringLiteral("/vantrel/ports"));
    char name[256] = {};
    if (::ttyname_r(slave, name, sizeof name) != 0) {
        std::perror("bench_line: ttyname_r");
        return 1;
    }
    QFile::link(QString::fromLocal8Bit(name), config.path() + QStringLiteral("/vantrel/ports/COM1"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));

    TSerialPort port;
    port.setPort(QStringLiteral("COM1"));
    port.setConnected(true);

    // The module runs in a process of its own, so that the wake-ups and CPU time are the receiver's alone;
    // it tells the time of each frame's last byte through shared memory (the monotonic clock is the
    // machine's, the same in both processes).
    auto* lastByteAt = static_cast<std::atomic<Clock::time_point::rep>*>(
        ::mmap(nullptr, sizeof(std::atomic<Clock::time_point::rep>), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS,
               -1, 0));
    if (lastByteAt == MAP_FAILED) {
        std::perror("bench_line: mmap");
        return 1;
    }
    new (lastByteAt) std::atomic<Clock::time_point::rep>(0);
    std::vector<double> delays;
    int received = 0;
    port.OnRxChar = [&](TSerialPort* sender, int count) {
        std::vector<char> buffer(static_cast<std::size_t>(std::max(count, 1)));
        received += sender->ReadBytes(buffer.data(), count);
        if (received >= kFrameBytes) {
            const auto at = Clock::time_point(Clock::duration(lastByteAt->load()));
            delays.push_back(std::chrono::duration<double, std::milli>(Clock::now() - at).count());
            received -= kFrameBytes;
        }
    };

    // The module: each frame byte by byte at the line's pace, with a pause after it as a module makes.
    const pid_t module = ::fork();
    if (module == 0) {
        for (int frame = 0; frame < kFrames; ++frame) {
            auto next = Clock::now();
            for (int i = 0; i < kFrameBytes; ++i) {
                std::this_thread::sleep_until(next);
                const char byte = static_cast<char>(0x40 + i);
                [[maybe_unused]] const ssize_t w = ::write(master, &byte, 1);
                if (i == kFrameBytes - 1)
                    lastByteAt->store(Clock::now().time_since_epoch().count());
                next += kByteTime;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::_exit(0);
    }
    const rusage before = usage();
    const auto started = Clock::now();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (static_cast<int>(delays.size()) >= kFrames || Clock::now() - started > std::chrono::seconds(30))
            app.quit();
    });
    poll.start(50);
    app.exec();
    const rusage after = usage();
    ::waitpid(module, nullptr, 0);
    port.setConnected(false);

    if (delays.empty()) {
        std::printf("bench_line: no frame arrived\n");
        return 2;
    }
    std::sort(delays.begin(), delays.end());
    const double median = delays[delays.size() / 2];
    const double worst = delays.back();
    const double frames = double(delays.size());
    std::printf("frames at 19200 baud, byte by byte: %zu of %d\n", delays.size(), kFrames);
    std::printf("delay after the last byte:  median %.2f ms (target <= 3 ms), worst %.2f ms\n", median, worst);
    std::printf("wake-ups per frame:         %.1f  (a wake-up per byte would be %d)\n",
                double(after.ru_nvcsw - before.ru_nvcsw) / frames, kFrameBytes);
    std::printf("CPU per frame:              %.1f us\n", (cpuSeconds(after) - cpuSeconds(before)) / frames * 1e6);
    return median <= 3.0 ? 0 : 2;
}
