// The line's own reports, against the module simulator on pseudo-terminals:
//  - the status window open for 10 simulated minutes (1200 polls and answers through the real windows, the
//    clock of the stale check and the history driven ahead half a second a poll): the CPU time that costs
//    as a share of the 10 minutes, and how much memory grows (once the 10-minute history is full, it must
//    not grow at all);
//  - the module search over 32 ports of which 2 answer;
//  - the time from the line hanging up to the main window showing the disconnected state.
//   targets: status window CPU < 1 % of a core, memory growth < 2 MB an hour; search <= 1.5 s; hang-up to
//   disconnected <= 0.5 s
#include "app/Startup.h"
#include "app/TMainForm.h"
#include "bench/support/Bench.h"
#include "common/ui/VantrelApplication.h"
#include "monitor/ui/TStateForm.h"
#include "protocol/ModuleProbe.h"
#include "tools/sim/ModuleSimulator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <pty.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace vantrel;
using vantrel::bench::cpuSeconds;
using vantrel::bench::pumpUntil;

namespace {

long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// A pseudo-terminal pair; the terminal side's path, empty when none could be made.
QString openPty(int& master, int& slave) {
    char name[256] = {};
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0 || ::ttyname_r(slave, name, sizeof name) != 0)
        return {};
    return QString::fromLocal8Bit(name);
}

void linkPort(const QString& portsDir, int number, const QString& device) {
    QFile::remove(portsDir + QStringLiteral("/COM%1").arg(number));
    QFile::link(device, portsDir + QStringLiteral("/COM%1").arg(number));
}

} // namespace

int main(int argc, char** argv) {
    VantrelApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    const bench::OwnHome home;
    const QString portsDir = home.path() + QStringLiteral("/vantrel/ports");
    QDir().mkpath(portsDir);
    bool met = true;

    // The status window for 10 simulated minutes, twice: the first fills the history, the second shows
    // what an hour would add.
    {
        sim::ModuleSimulator module;
        module.setTiming({false, 0});
        linkPort(portsDir, 1, QString::fromStdString(module.openPseudoTerminal()));
        module.start();
        Startup startup;
        startup.start();
        pumpUntil([&] { return startup.mainForm() && startup.mainForm()->isVisible(); }, 10000);
        TMainForm* main = startup.mainForm();
        main->findChild<QPushButton*>(QStringLiteral("btConnect"))->click();
        main->findChild<QPushButton*>(QStringLiteral("btStatus"))->click();
        TStateForm& state = startup.stateForm();
        qint64 now = 1'000'000'000;
        state.setClock([&] { return now; });
        state.TimerState()->stop(); // the polls are driven here, one per simulated half second
        double cpu[2] = {};
        long grown[2] = {};
        for (int round = 0; round < 2; ++round) {
            const double cpuBefore = cpuSeconds();
            const long rssBefore = residentKb();
            for (int poll = 0; poll < 1200; ++poll) {
                const int answered = module.stats().statusPolls;
                now += 500;
                QMetaObject::invokeMethod(state.TimerState(), "timeout");
                module.setStatus(
                    {static_cast<std::uint8_t>(poll % 2 ? 0x1F : 0x00), static_cast<std::uint8_t>(poll % 31), 0, 0});
                pumpUntil([&] { return module.stats().statusPolls > answered; }, 1000);
                QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
            }
            cpu[round] = cpuSeconds() - cpuBefore;
            grown[round] = residentKb() - rssBefore;
        }
        const double share = cpu[1] / 600.0;
        const double perHourMb = grown[1] * 6 / 1024.0;
        std::printf("status window, 10 simulated minutes (1200 polls):\n");
        std::printf("  CPU %.3f s = %.3f %% of a core (target < 1 %%)\n", cpu[1], share * 100);
        std::printf("  memory: %+ld kB while the history filled, %+ld kB the next 10 minutes (%.2f MB an hour, "
                    "target < 2 MB)\n",
                    grown[0], grown[1], perHourMb);
        met = met && share < 0.01 && perHourMb < 2;

        // Hang-up: the module's side of the line goes away; how long until the main window says so.
        main->findChild<QPushButton*>(QStringLiteral("btDisconnect"))->click();
    }
    {
        int master = -1;
        int slave = -1;
        const QString device = openPty(master, slave);
        if (device.isEmpty())
            return 1;
        ::close(slave);
        linkPort(portsDir, 1, device);
        Startup startup;
        startup.start();
        pumpUntil([&] { return startup.mainForm() && startup.mainForm()->isVisible(); }, 10000);
        TMainForm* main = startup.mainForm();
        main->findChild<QPushButton*>(QStringLiteral("btConnect"))->click();
        QElapsedTimer sinceHangUp;
        sinceHangUp.start();
        ::close(master);
        pumpUntil([&] { return main->stateText().contains(QStringLiteral("megszakadt")); }, 5000);
        const double ms = sinceHangUp.nsecsElapsed() / 1e6;
        std::printf("hang-up to the disconnected state: %.1f ms (target <= 500 ms)\n", ms);
        met = met && ms <= 500;
    }

    // The search: 32 pseudo-terminals, a module on two of them.
    {
        std::vector<std::unique_ptr<sim::ModuleSimulator>> modules;
        std::vector<int> masters;
        QStringList names;
        for (int n = 1; n <= 32; ++n) {
            if (n == 5 || n == 27) {
                modules.push_back(std::make_unique<sim::ModuleSimulator>());
                modules.back()->setTiming({false, 0});
                linkPort(portsDir, n, QString::fromStdString(modules.back()->openPseudoTerminal()));
                modules.back()->start();
            } else {
                int master = -1;
                int slave = -1;
                const QString device = openPty(master, slave);
                if (device.isEmpty())
                    return 1;
                masters.push_back(master);
                masters.push_back(slave);
                linkPort(portsDir, n, device);
            }
            names << QStringLiteral("COM%1").arg(n);
        }
        QElapsedTimer clock;
        clock.start();
        const QList<ProbeResult> results = probePorts(names, 1000);
        const double seconds = clock.nsecsElapsed() / 1e9;
        int answered = 0;
        for (const ProbeResult& r : results)
            answered += r.outcome == ProbeResult::Outcome::Answered ? 1 : 0;
        std::printf("module search, 32 ports: %d answered, %.3f s (target <= 1.5 s)\n", answered, seconds);
        met = met && answered == 2 && seconds <= 1.5;
        for (int fd : masters)
            ::close(fd);
    }
    return met ? 0 : 2;
}
