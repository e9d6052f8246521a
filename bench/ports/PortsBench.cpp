// Times the port chooser's two stages on this machine over the Linux source: collecting the candidates
// (done at every activation of the chooser) and the one-second refresh (active port map + grid update).
// Prints medians; run as is, and again with pseudo-terminals linked as extra ports.
#include "serial/PortNames.h"
#include "serial/ports/LinuxPortSource.h"
#include "serial/ports/PortEnumerator.h"
#include "serial/ui/TFormComPort.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <pty.h>
#include <unistd.h>
#include <vector>

using namespace vantrel;
using namespace vantrel::ports;

namespace {

constexpr double kActivationTargetMs = 50.0;
constexpr double kRefreshTargetMs = 2.0;

double medianMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        work();
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void report(const char* what, double ms, double target) {
    std::printf("  %-44s %8.3f ms   (target <= %.0f ms: %s)\n", what, ms, target, ms <= target ? "met" : "MISSED");
}

void measure(const char* title) {
    auto enumerator = std::make_unique<PortEnumerator>(std::make_shared<LinuxPortSource>());
    enumerator->CollectPortCandidates();
    std::printf("%s: %lld candidate(s)\n", title, static_cast<long long>(enumerator->PortCandidateCache()->size()));

    report("CollectPortCandidates (median of 50)", medianMs(50, [&] { enumerator->CollectPortCandidates(); }),
           kActivationTargetMs);

    TFormComPort form(*enumerator);
    form.show();
    QApplication::processEvents();
    report("activation, whole (median of 50)", medianMs(50, [&] { form.FormActivate(); }), kActivationTargetMs);
    report("refresh: ListSerialPorts + grid (median of 500)", medianMs(500, [&] { form.Timer1Timer(); }),
           kRefreshTargetMs);
    auto* grid = form.findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
    report("refresh with repaint (median of 200)",
           medianMs(200,
                    [&] {
                        form.Timer1Timer();
                        grid->viewport()->repaint();
                    }),
           kRefreshTargetMs);
    form.close();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    measure("This machine");

    // The same with 16 ports linked to pseudo-terminals, in a private link directory.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const QString links = portLinkDirectory();
    QDir().mkpath(links);
    std::vector<int> fds;
    for (int number = 70; number < 86; ++number) {
        int master = -1;
        int slave = -1;
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            break;
        fds.push_back(master);
        fds.push_back(slave);
        QFile::link(QString::fromLocal8Bit(name), links + QStringLiteral("/COM%1").arg(number));
    }
    measure("With 16 linked pseudo-terminals");
    for (int fd : fds)
        ::close(fd);
    return 0;
}
