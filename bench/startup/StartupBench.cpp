// Start-up of the tool against a bare Qt window, each a fresh process started from here: the time from
// starting the process to its first window being shown, with (for the tool) the main window built behind
// the splash. What follows is the splash's own fixed pause, which is no start-up work. Prints the medians
// of several starts and their ratio, the figure that counts across machines.
//   target: the tool within 150 ms on this machine
#include "app/Startup.h"
#include "app/TMainForm.h"
#include "common/ui/VantrelApplication.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kStarts = 9;

// The child: says "ready" on standard output once the condition holds, then ends.
int child(QApplication& app, const std::function<bool()>& ready) {
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (ready()) {
            std::printf("ready\n");
            std::fflush(stdout);
            app.exit(0);
        }
    });
    poll.start(0);
    return app.exec();
}

double medianStartMs(const QString& self, const QString& mode) {
    // The tool keeps its setup file in its working directory and its log under XDG_STATE_HOME: both go to
    // a folder of the bench's own.
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
        environment.insert(QString::fromLatin1(name), home.path());
    std::vector<double> times;
    for (int i = 0; i < kStarts; ++i) {
        QProcess process;
        process.setWorkingDirectory(home.path());
        process.setProcessEnvironment(environment);
        QElapsedTimer clock;
        clock.start();
        process.start(self, {mode});
        if (!process.waitForReadyRead(10000))
            return -1;
        times.push_back(clock.nsecsElapsed() / 1e6);
        process.waitForFinished(5000);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--bare") == 0) {
        QApplication app(argc, argv);
        QWidget window;
        window.resize(400, 300);
        window.show();
        return child(app, [&] { return window.isVisible(); });
    }
    if (argc == 2 && std::strcmp(argv[1], "--tool") == 0) {
        vantrel::VantrelApplication app(argc, argv);
        app.setQuitOnLastWindowClosed(false);
        vantrel::Startup startup;
        startup.start();
        return child(app, [&] { return startup.mainForm() != nullptr; });
    }
    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    const double bare = medianStartMs(self, QStringLiteral("--bare"));
    const double tool = medianStartMs(self, QStringLiteral("--tool"));
    if (bare <= 0 || tool <= 0) {
        std::printf("bench_startup: a start did not finish\n");
        return 1;
    }
    std::printf("start to first window (median of %d)\n", kStarts);
    std::printf("bare Qt window:                  %7.1f ms\n", bare);
    std::printf("the tool (splash + main window): %7.1f ms  (target <= 150 ms)\n", tool);
    std::printf("ratio tool / bare:               %7.2f\n", tool / bare);
    return tool <= 150 ? 0 : 2;
}
