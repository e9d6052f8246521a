// vantrel5-cli as the bench runs it, whole program runs timed from the outside:
//   a read of 15 pages against the simulator paced at 19200 baud, as a ratio to the wire time (target
//   <= 1.05); 8 reads in parallel on 8 simulated modules, as a ratio to one read (target <= 1.2); the
//   start-up and run of `diff` on two files, in ms (target < 50 ms).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr double kBytesPerSecond = 1920.0; // 19200 baud, 10 bits a byte
constexpr double kBytesPerPage = 8 * 18;   // one request and seven answer frames
constexpr double kReadWireSeconds = 15 * kBytesPerPage / kBytesPerSecond;
constexpr int kParallel = 8;

QString g_cli;
QString g_sim;

struct Simulator {
    QProcess process;
    bool start(int com) {
        process.start(g_sim, {QStringLiteral("--com"), QString::number(com)});
        return process.waitForReadyRead(5000);
    }
    ~Simulator() {
        process.terminate();
        process.waitForFinished(5000);
    }
};

// Wall time of the programs started together, in seconds; -1 when one of them failed.
double runTogether(const std::vector<QStringList>& commands) {
    std::vector<std::unique_ptr<QProcess>> processes;
    QElapsedTimer timer;
    timer.start();
    for (const QStringList& args : commands) {
        processes.push_back(std::make_unique<QProcess>());
        processes.back()->start(g_cli, args);
    }
    bool ok = true;
    for (auto& process : processes) {
        ok = process->waitForFinished(60000) && process->exitStatus() == QProcess::NormalExit &&
             process->exitCode() == 0 && ok;
        if (!ok)
            std::fprintf(stderr, "%s", process->readAllStandardError().constData());
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    return ok ? seconds : -1;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    g_cli = qEnvironmentVariable("VANTREL_CLI", QStringLiteral(VANTREL_CLI));
    g_sim = qEnvironmentVariable("VANTREL_SIM", QStringLiteral(VANTREL_SIM_PROGRAM));
    if (!QFileInfo(g_cli).isExecutable() || !QFileInfo(g_sim).isExecutable()) {
        std::fprintf(stderr, "bench_cli: no program at %s or %s\n", qPrintable(g_cli), qPrintable(g_sim));
        return 1;
    }
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
    qputenv("XDG_STATE_HOME", (home.path() + "/state").toLocal8Bit());
    const QString files = home.path() + '/';

    std::vector<std::unique_ptr<Simulator>> sims;
    for (int i = 0; i < kParallel; ++i) {
        sims.push_back(std::make_unique<Simulator>());
        if (!sims.back()->start(11 + i)) {
            std::fprintf(stderr, "bench_cli: a simulator did not start\n");
            return 1;
        }
    }

    // One read (best of three: the machine is shared), then all eight at once (best of three).
    std::vector<double> single, parallel;
    for (int round = 0; round < 3; ++round) {
        single.push_back(runTogether({{"read", "-q", "--port", "COM11", files + "single.VT3"}}));
        std::vector<QStringList> all;
        for (int i = 0; i < kParallel; ++i)
            all.push_back(
                {"read", "-q", "--port", QStringLiteral("COM%1").arg(11 + i), files + QString::number(i) + ".VT3"});
        parallel.push_back(runTogether(all));
    }
    if (*std::min_element(single.begin(), single.end()) < 0 || *std::min_element(parallel.begin(), parallel.end()) < 0)
        return 1;
    const double one = *std::min_element(single.begin(), single.end());
    const double eight = *std::min_element(parallel.begin(), parallel.end());

    // diff of two files: the whole program run, start-up included.
    QFile a(files + "a.VT3"), b(files + "b.VT3");
    a.open(QIODevice::WriteOnly);
    a.write(QByteArray(1088, char(0xFF)));
    b.open(QIODevice::WriteOnly);
    b.write(QByteArray(1088, char(0x00)));
    a.close();
    b.close();
    std::vector<double> diffs;
    for (int i = 0; i < 21; ++i) {
        QProcess diff;
        QElapsedTimer timer;
        timer.start();
        diff.start(g_cli, {"diff", "--json", a.fileName(), b.fileName()});
        diff.waitForFinished(10000);
        diffs.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (diff.exitCode() != 1) {
            std::fprintf(stderr, "bench_cli: diff ended with %d\n", diff.exitCode());
            return 1;
        }
    }

    std::printf("%-34s %10s %10s %8s  %s\n", "measure", "value", "reference", "ratio", "target");
    std::printf("%-34s %9.3fs %9.3fs %8.3f  <= 1.05\n", "read 15 pages (wall vs wire)", one, kReadWireSeconds,
                one / kReadWireSeconds);
    std::printf("%-34s %9.3fs %9.3fs %8.3f  <= 1.2\n", "8 parallel reads vs one read", eight, one, eight / one);
    std::printf("%-34s %8.1fms %10s %8s  < 50 ms\n", "diff of two files (median of 21)", median(diffs), "-", "-");
    return 0;
}
