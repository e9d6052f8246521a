// Probing ports for a module: every port is opened and asked first, then all answers are awaited at once on
// one event loop, so 32 ports cost one time-out, not 32.
#include "protocol/ModuleProbe.h"

#include "protocol/SecuredFrame.h"
#include "serial/PortDiagnosis.h"
#include "serial/PortNames.h"
#include "serial/SerialPort.h"

#include <QEventLoop>
#include <QTimer>
#include <memory>
#include <vector>

namespace vantrel {

namespace {

constexpr std::uint8_t kStatusCode = 0x24;

struct Probe {
    int index = 0;
    TSerialPort port;
    FrameReceiver receiver;
    bool done = false;
};

} // namespace

QList<ProbeResult> probePorts(const QStringList& ports, int timeoutMs) {
    // Made before any port opens: the ports' watches need this thread's event loop.
    QEventLoop loop;
    QList<ProbeResult> results;
    std::vector<std::unique_ptr<Probe>> probes;
    int waiting = 0;
    auto finish = [&](Probe& p) {
        if (p.done)
            return;
        p.done = true;
        if (--waiting == 0)
            loop.quit();
    };

    for (const QString& name : ports) {
        ProbeResult r;
        r.port = normalisePortName(name);
        r.devicePath = devicePathForPort(r.port);
        const int index = static_cast<int>(results.size());
        results.append(r);
        auto probe = std::make_unique<Probe>();
        Probe& p = *probe;
        p.index = index;
        p.port.setPort(r.port);
        p.port.setMessageShape({static_cast<int>(FrameSize), FrameStart, FrameEnd});
        try {
            p.port.setConnected(true);
            // A program that has the device open without a lock is a holder all the same: nothing is sent to it.
            if (!portHolders(r.devicePath).isEmpty()) {
                p.port.setConnected(false);
                results[index].outcome = ProbeResult::Outcome::Busy;
                results[index].systemError = portBusyError();
                continue;
            }
            p.port.OnRxChar = [&results, &p, &finish](TSerialPort* port, int count) {
                for (int i = 0; i < count && !p.done; ++i) {
                    std::uint8_t b = 0;
                    if (port->ReadBytes(&b, 1) != 1)
                        break;
                    if (p.receiver.FeedByte(b) && (p.receiver.RxPlain()[1] & 0x3F) == kStatusCode) {
                        results[p.index].outcome = ProbeResult::Outcome::Answered;
                        finish(p);
                    }
                }
            };
            p.port.OnLinkLost = [&finish, &p](TSerialPort*) { finish(p); }; // gone while asked: no answer
            ++waiting;
            p.port.WriteText(QByteArrayLiteral("??\r"));
        } catch (const ESerialPort& e) {
            if (p.port.Connected())
                finish(p);
            p.port.setConnected(false);
            results[index].outcome = e.Code() == ESerialPort::OpenFailed && isPortBusyError(e.SystemError())
                                         ? ProbeResult::Outcome::Busy
                                         : ProbeResult::Outcome::OpenFailed;
            results[index].systemError = e.SystemError();
            continue;
        }
        probes.push_back(std::move(probe));
    }

    if (waiting > 0) {
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    // The ports close here, each with its watch, before the loop goes.
    probes.clear();
    return results;
}

} // namespace vantrel
