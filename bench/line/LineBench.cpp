// How the receiver meets a module that sends at 19200 baud byte by byte: a frame of 18 bytes is written
// into a pseudo-terminal at the line's pace, and the port's handler takes it on the event loop. Prints the
// delay from the frame's last byte to the handler having it all, how often the process woke per frame,
// and the CPU time per frame; once for a port that knows nothing of the frames (it gathers for a few
// characters' time) and once for one that knows their length and first and last byte (it sleeps until
// the frame is due).
//   target: median delay of a whole frame <= 3 ms
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

struct Figures {
    int frames = 0;
    double median = 0;
    double worst = 0;
    double wakesPerFrame = 0;
    double cpuPerFrameUs = 0;
};

// One pass: the module sends kFrames frames, the port takes them with or without knowing their shape.
Figures measure(QCoreApplication& app, int master, std::atomic<Clock::time_point::rep>& lastByteAt, bool shaped) {
    TSerialPort port;
    port.setPort(QStringLiteral("COM1"));
    if (shaped)
        port.setMessageShape({kFrameBytes, '{', '}'});
    port.setConnected(true);

    std::vector<double> delays;
    int received = 0;
    port.OnRxChar = [&](TSerialPort* sender, int count) {
        std::vector<char> buffer(static_cast<std::size_t>(std::max(count, 1)));
        received += sender->ReadBytes(buffer.data(), count);
        if (received >= kFrameBytes) {
            const auto at = Clock::time_point(Clock::duration(lastByteAt.load()));
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
                const char byte = i == 0 ? '{' : i == kFrameBytes - 1 ? '}' : static_cast<char>(0x40 + i);
                [[maybe_unused]] const ssize_t w = ::write(master, &byte, 1);
                if (i == kFrameBytes - 1)
                    lastByteAt.store(Clock::now().time_since_epoch().count());
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

    Figures f;
    f.frames = static_cast<int>(delays.size());
    if (delays.empty())
        return f;
    std::sort(delays.begin(), delays.end());
    f.median = delays[delays.size() / 2];
    f.worst = delays.back();
    f.wakesPerFrame = double(after.ru_nvcsw - before.ru_nvcsw) / f.frames;
    f.cpuPerFrameUs = (cpuSeconds(after) - cpuSeconds(before)) / f.frames * 1e6;
    return f;
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

    bool met = true;
    std::printf("frames of %d bytes at 19200 baud, byte by byte, %d for each receiver\n", kFrameBytes, kFrames);
    std::printf("%-22s %8s %14s %12s %13s %14s\n", "receiver", "frames", "median delay", "worst delay",
                "wakes/frame", "CPU/frame (us)");
    for (const bool shaped : {false, true}) {
        const Figures f = measure(app, master, *lastByteAt, shaped);
        if (f.frames == 0) {
            std::printf("bench_line: no frame arrived\n");
            return 2;
        }
        std::printf("%-22s %8d %11.2f ms %9.2f ms %13.1f %14.1f\n",
                    shaped ? "knows the frame shape" : "knows nothing", f.frames, f.median, f.worst, f.wakesPerFrame,
                    f.cpuPerFrameUs);
        met = met && f.median <= 3.0;
    }
    std::printf("target: median delay <= 3 ms; a wake-up per byte would be %d a frame\n", kFrameBytes);
    return met ? 0 : 2;
}
