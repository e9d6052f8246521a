// Read, write and compare of all 15 pages against the module simulator paced at 19200 baud 8N1 (a separate
// process, so the CPU figures are the tool's alone). Prints, for each transfer, the wall time, the wire
// time of the bytes exchanged, their ratio, and the process's CPU time as a share of the wall time.
//   targets: ratio <= 1.05, CPU share <= 3 %
#include "params/ParameterImage.h"
#include "protocol/ModuleConnection.h"
#include "transfer/ParameterTransfer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

using namespace vantrel;

namespace {

constexpr double kBytesPerSecond = 1920.0;        // 19200 baud, 10 bits a byte
constexpr double kBytesPerPage = 8 * 18;          // one request and seven answers, or seven frames and one ack
constexpr double kWireSeconds = PageCount * kBytesPerPage / kBytesPerSecond;

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString simPath = qEnvironmentVariable("VANTREL_SIM", QStringLiteral("build/vantrel-sim"));
    if (!QFileInfo(simPath).isExecutable()) {
        std::fprintf(stderr, "bench_transfer: no simulator at %s (set VANTREL_SIM)\n", qPrintable(simPath));
        return 1;
    }
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QProcess sim;
    sim.start(simPath, {QStringLiteral("--com"), QStringLiteral("9")});
    if (!sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_transfer: the simulator did not start\n");
        return 1;
    }

    ModuleConnection link;
    link.ComPort1().setPort(QStringLiteral("COM9"));
    link.ComPort1().setConnected(true);
    ImageBytes image = freshImage();
    for (std::size_t i = 0; i < TransferLength; ++i)
        image[i] = static_cast<std::uint8_t>(i * 31 + 7);
    ParameterTransfer transfer(link, image, {});

    std::printf("%-8s %10s %10s %7s %9s  %s\n", "transfer", "wall (s)", "wire (s)", "ratio", "CPU share", "result");
    bool allMet = true;
    const std::pair<const char*, void (ParameterTransfer::*)()> runs[] = {
        {"write", &ParameterTransfer::write}, {"read", &ParameterTransfer::read}, {"compare", &ParameterTransfer::compare}};
    for (const auto& [name, operation] : runs) {
        QElapsedTimer wall;
        const double cpuBefore = cpuSeconds();
        wall.start();
        (transfer.*operation)();
        const double seconds = wall.nsecsElapsed() / 1e9;
        const double cpuShare = (cpuSeconds() - cpuBefore) / seconds;
        const double ratio = seconds / kWireSeconds;
        const bool complete = transfer.position() == int(PageCount);
        const bool met = complete && ratio <= 1.05 && cpuShare <= 0.03;
        allMet = allMet && met;
        std::printf("%-8s %10.3f %10.3f %7.3f %8.2f%%  %s\n", name, seconds, kWireSeconds, ratio, cpuShare * 100,
                    !complete ? "INCOMPLETE" : met ? "ok" : "above target");
    }
    std::printf("targets: ratio <= 1.050, CPU share <= 3.00%%\n");
    link.ComPort1().setConnected(false);
    sim.write("quit\n");
    sim.waitForFinished(3000);
    return allMet ? 0 : 2;
}
