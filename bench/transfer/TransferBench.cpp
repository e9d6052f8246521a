// Read, write and compare of all 15 pages against the module simulator paced at 19200 baud 8N1 (a separate
// process, so the CPU figures are the tool's alone). Prints, for each transfer, the wall time, the wire
// time of the bytes exchanged, their ratio, and the process's CPU time as a share of the wall time; then
// how long Stop takes to end a read, and how long a read takes to end after the module's line hangs up.
//   targets: ratio <= 1.05 (also for a write with backup and read-back: 45 pages), CPU share <= 1 %
#include "params/ParameterImage.h"
#include "protocol/ModuleConnection.h"
#include "transfer/ParameterTransfer.h"
#include "bench/support/Bench.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

using namespace vantrel;
using vantrel::bench::cpuSeconds;
using vantrel::bench::wakeUps;

namespace {

constexpr double kBytesPerSecond = 1920.0; // 19200 baud, 10 bits a byte
constexpr double kBytesPerPage = 8 * 18;   // one request and seven answers, or seven frames and one ack
constexpr double kPageWireSeconds = kBytesPerPage / kBytesPerSecond;


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
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit()); // the backups of the writes go there
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

    std::printf("%-20s %5s %9s %9s %7s %9s %9s  %s\n", "transfer", "pages", "wall (s)", "wire (s)", "ratio",
                "CPU share", "wakes/pg", "result");
    bool allMet = true;
    struct Run {
        const char* name;
        int pages; // page exchanges on the wire
        std::function<TransferOutcome()> operation;
    };
    const Run runs[] = {
        {"write", 15,
         [&] {
             return transfer.write({false, false});
         }},
        {"write+backup+verify", 45,
         [&] {
             return transfer.write({true, true});
         }},
        {"read", 15, [&] { return transfer.read(); }},
        {"compare", 15, [&] { return transfer.compare(); }},
    };
    for (const Run& run : runs) {
        QElapsedTimer wall;
        const double cpuBefore = cpuSeconds();
        const long wakesBefore = wakeUps();
        wall.start();
        const TransferOutcome outcome = run.operation();
        const double seconds = wall.nsecsElapsed() / 1e9;
        const double cpuShare = (cpuSeconds() - cpuBefore) / seconds;
        const double wakesPerPage = double(wakeUps() - wakesBefore) / run.pages;
        const double wire = run.pages * kPageWireSeconds;
        const double ratio = seconds / wire;
        const bool complete = outcome.succeeded();
        const bool met = complete && ratio <= 1.05 && cpuShare <= 0.01;
        allMet = allMet && met;
        std::printf("%-20s %5d %9.3f %9.3f %7.3f %8.2f%% %9.1f  %s\n", run.name, run.pages, seconds, wire, ratio,
                    cpuShare * 100, wakesPerPage,
                    !complete ? "INCOMPLETE"
                    : met     ? "ok"
                              : "above target");
    }
    std::printf("targets: ratio <= 1.050, CPU share <= 1.00%% of one core\n");

    // Stop, pressed while a page is on its way: the time until the read has ended.
    QElapsedTimer sinceStop;
    QTimer::singleShot(400, [&] {
        sinceStop.start();
        transfer.stop();
    });
    const TransferOutcome stopped = transfer.read();
    std::printf("stop latency:       %7.1f ms  (%s)\n", sinceStop.isValid() ? sinceStop.nsecsElapsed() / 1e6 : -1.0,
                qPrintable(outcomeText(stopped, TextLanguage::English)));

    // Hang-up: the simulator closes its line in the middle of the fourth page (after about half a page,
    // 36 ms of line time) and ends. Measured from the third page's arrival to the end of the read.
    QElapsedTimer sinceThirdPage;
    ParameterTransfer watched(link, image,
                              {[&](int pages) {
                                   if (pages == 3)
                                       sinceThirdPage.start();
                               },
                               {},
                               {}});
    sim.write("fault hangup-after 3\n");
    sim.waitForBytesWritten(1000);
    const TransferOutcome lost = watched.read();
    std::printf("hang-up to outcome: %7.1f ms after the last whole page (%s)\n",
                sinceThirdPage.isValid() ? sinceThirdPage.nsecsElapsed() / 1e6 : -1.0,
                qPrintable(outcomeText(lost, TextLanguage::English)));

    link.ComPort1().setConnected(false);
    if (sim.state() != QProcess::NotRunning) {
        sim.write("quit\n");
        sim.waitForFinished(3000);
    }
    return allMet ? 0 : 2;
}
