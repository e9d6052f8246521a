// The Windows serial driver against the simulator on a COM port (under Wine: a pseudo-terminal mapped to
// a COM name), and the registry walk against keys the test puts into the registry and takes away.
//   VANTREL_TEST_COM         the port the simulator plays the module on (e.g. COM5)
//   VANTREL_TEST_DEAF_COM    a port whose far end never reads (write time-out)
//   VANTREL_TEST_HANGUP_COM  a port whose far end goes away once it has received "bye" CR (link loss)
// A case whose port is not given is skipped; scripts/windows/serial-test.sh gives all three.
#include "protocol/ModuleProbe.h"
#include "protocol/SecuredFrame.h"
#include "serial/PortDiagnosis.h"
#include "serial/SerialPort.h"
#include "serial/ports/PortEnumerator.h"
#include "serial/ports/SystemPortSource.h"
#include "tests/support/Wait.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <future>
#include <gtest/gtest.h>
#include <iostream>

#include <windows.h>

using namespace vantrel;

namespace {

QString portFromEnvironment(const char* variable) {
    return qEnvironmentVariable(variable).trimmed().toUpper();
}

#define REQUIRE_PORT(name, variable)                                                                                   \
    const QString name = portFromEnvironment(variable);                                                                \
    if (name.isEmpty())                                                                                                \
    GTEST_SKIP() << variable " is not set"

// Counts what wakes the driver on the event loop: its timers and the ends of its waits.
class WakeCounter : public QObject {
public:
    WakeCounter() { QCoreApplication::instance()->installEventFilter(this); }
    ~WakeCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
    int wakes = 0;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        // The dispatcher's own timer events are its bookkeeping within a wake-up, not wake-ups of their own.
        if ((event->type() == QEvent::Timer || event->type() == QEvent::WinEventAct) &&
            qobject_cast<QAbstractEventDispatcher*>(receiver) == nullptr)
            ++wakes;
        return false;
    }
};

// A port with a receive handler that takes every byte and notes each notification.
struct Receiver {
    TSerialPort port;
    QByteArray received;
    QList<int> counts;

    explicit Receiver(const QString& name) {
        port.setPort(name);
        port.OnRxChar = [this](TSerialPort*, int count) {
            counts << count;
            for (int i = 0; i < count; ++i) {
                char b = 0;
                if (port.ReadBytes(&b, 1) == 1)
                    received.append(b);
            }
        };
    }
};

// Waits on the event loop alone (no timer of its own, so that the wake-ups counted are the driver's).
bool waitOnLoop(const std::function<bool()>& done, int timeoutMs) {
    bool late = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [&] { late = true; });
    deadline.start(timeoutMs);
    while (!done() && !late)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

// Lets the event loop run for ms milliseconds with nothing of its own but the timer that ends it.
void idle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool isStatusFrame(const QByteArray& bytes) {
    FrameReceiver receiver;
    bool status = false;
    for (char b : bytes)
        if (receiver.FeedByte(static_cast<std::uint8_t>(b)))
            status = (receiver.RxPlain()[1] & 0x3F) == 0x24;
    return status;
}

} // namespace

TEST(Win32Driver, OpensExclusivelyWithTheLineSettingsAndEachStatusFrameComesWhole) {
    REQUIRE_PORT(com, "VANTREL_TEST_COM");
    Receiver r(com);
    r.port.setMessageShape({static_cast<int>(FrameSize), FrameStart, FrameEnd});
    r.port.setConnected(true);
    ASSERT_TRUE(r.port.Connected());

    // A second handle: Windows refuses it (share mode 0); Wine does not keep devices exclusive, and there
    // the handle shows the line settings the driver made (the time-outs are each handle's own: the write
    // time-out is seen at work below).
    const std::wstring path = L"\\\\.\\" + com.toStdWString();
    const HANDLE other = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_OVERLAPPED, nullptr);
    if (other == INVALID_HANDLE_VALUE) {
        EXPECT_TRUE(isPortBusyError(static_cast<int>(GetLastError()))) << GetLastError();
    } else {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        ASSERT_TRUE(GetCommState(other, &dcb));
        CloseHandle(other);
        EXPECT_EQ(dcb.BaudRate, 19200u);
        EXPECT_EQ(dcb.ByteSize, 8);
        EXPECT_EQ(dcb.Parity, NOPARITY);
        EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
        EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
        EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
        EXPECT_FALSE(dcb.fOutxCtsFlow || dcb.fOutxDsrFlow || dcb.fOutX || dcb.fInX || dcb.fNull || dcb.fParity);
    }

    char none = 0;
    EXPECT_EQ(r.port.ReadBytes(&none, 1), 0); // nothing waiting: at once

    // Status polls one after the other, as the status window sends them: each answer is one notification
    // of its 18 bytes, and the program is woken only a few times for it.
    constexpr int kPolls = 10;
    WakeCounter counter;
    for (int i = 0; i < kPolls; ++i) {
        const qsizetype before = r.received.size();
        ASSERT_EQ(r.port.WriteText("??\r"), 3);
        ASSERT_TRUE(waitOnLoop([&] { return r.received.size() >= before + 18; }, 3000)) << "poll " << i;
        EXPECT_TRUE(isStatusFrame(r.received.mid(before, 18))) << "poll " << i;
    }
    EXPECT_EQ(r.counts.size(), kPolls);
    EXPECT_EQ(r.counts, QList<int>(kPolls, 18));
    std::cout << "[ measured ] " << counter.wakes << " wake-ups for " << kPolls << " status frames\n";
    EXPECT_LE(counter.wakes, 6 * kPolls);

    // A quiet line costs little: the looks on a timer (where the system's wait does not work) grow apart.
    const int quietStart = counter.wakes;
    idle(1000);
    std::cout << "[ measured ] " << counter.wakes - quietStart << " wake-ups in a quiet second\n";
    EXPECT_LE(counter.wakes - quietStart, 40);
    r.port.setConnected(false);
    EXPECT_FALSE(r.port.Connected());
}

TEST(Win32Driver, FailuresCarryTheWindowsErrorCodes) {
    // A COM name with no device behind it: the system's file-not-found.
    TSerialPort absent;
    absent.setPort(QStringLiteral("COM96"));
    try {
        absent.setConnected(true);
        FAIL() << "opened COM96";
    } catch (const ESerialPort& e) {
        EXPECT_EQ(e.Code(), ESerialPort::OpenFailed);
        EXPECT_EQ(e.SystemError(), static_cast<int>(ERROR_FILE_NOT_FOUND));
        EXPECT_EQ(e.message(), QStringLiteral("Unable to open com port (win error code: 2)"));
    }
    EXPECT_FALSE(absent.Connected());
    // A write on a closed port: the system's invalid handle.
    try {
        absent.WriteBytes("x", 1);
        FAIL();
    } catch (const ESerialPort& e) {
        EXPECT_EQ(e.message(), QStringLiteral("WriteFile function failed (win error code: 6)"));
    }
    // What another program's hold looks like on Windows.
    EXPECT_TRUE(isPortBusyError(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(isPortBusyError(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(isPortBusyError(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(portHolders(QStringLiteral("\\\\.\\COM5")).isEmpty());
    // The reasons told to the user, from the open's Windows error code.
    const QString device = QStringLiteral("\\\\.\\COM96");
    EXPECT_EQ(portOpenReason(ERROR_FILE_NOT_FOUND, device), QStringLiteral("Nincs ilyen eszköz."));
    EXPECT_EQ(portOpenReason(ERROR_ACCESS_DENIED, device), QStringLiteral("Egy másik program használja."));
    EXPECT_EQ(portOpenReason(ERROR_SHARING_VIOLATION, device, TextLanguage::English),
              QStringLiteral("In use by another program."));
    EXPECT_TRUE(portOpenReason(ERROR_GEN_FAILURE, device).endsWith(QStringLiteral("(31).")))
        << portOpenReason(ERROR_GEN_FAILURE, device).toStdString();
}

TEST(Win32Driver, AWriteTheLineCannotTakeEndsAtItsTimeOut) {
    REQUIRE_PORT(com, "VANTREL_TEST_DEAF_COM");
    TSerialPort port;
    port.setPort(com);
    port.setConnected(true);
    // Sixteen bytes at a time until the line takes no more: that write ends at its time-out
    // (1000 + 16 * 100 ms) with what went out before; then a single byte ends after 1100 ms with none.
    QByteArray chunk(16, 'x');
    QElapsedTimer clock;
    int total = 0;
    int n = 0;
    do {
        clock.start();
        n = port.WriteBytes(chunk.constData(), chunk.size());
        total += n;
        ASSERT_LT(total, 1 << 22);
    } while (n == chunk.size());
    EXPECT_GE(clock.elapsed(), 2600 - 50);
    EXPECT_LT(clock.elapsed(), 6000);
    clock.start();
    EXPECT_EQ(port.WriteBytes("y", 1), 0);
    EXPECT_GE(clock.elapsed(), 1100 - 50);
    EXPECT_LT(clock.elapsed(), 4000);
    std::cout << "[ measured ] the line took " << total << " bytes before the time-out\n";
    port.setConnected(false);
}

TEST(Win32Driver, TheFarEndGoingAwayIsReportedOnceAndClosingWorks) {
    REQUIRE_PORT(com, "VANTREL_TEST_HANGUP_COM");
    TSerialPort port;
    port.setPort(com);
    int reports = 0;
    port.OnLinkLost = [&](TSerialPort*) { ++reports; };
    port.setConnected(true);
    port.WriteText("bye\r");
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(test::waitUntil([&] { return reports == 1; }, 5000));
    std::cout << "[ measured ] the loss was reported after " << clock.elapsed() << " ms\n";
    EXPECT_TRUE(port.linkLost());
    EXPECT_FALSE(port.monitorRunning());
    // The watch has ended: nothing keeps waking the program, nothing is reported again.
    {
        WakeCounter counter;
        idle(500);
        EXPECT_LE(counter.wakes, 1); // the idle time's own timer
    }
    EXPECT_EQ(reports, 1);
    EXPECT_TRUE(port.Connected()); // stays until the owner closes it
    EXPECT_NO_THROW(port.setConnected(false));
    EXPECT_FALSE(port.Connected());
}

TEST(Win32Driver, TheModuleSearchFindsTheSimulatorFromASideThread) {
    REQUIRE_PORT(com, "VANTREL_TEST_COM");
    REQUIRE_PORT(deaf, "VANTREL_TEST_DEAF_COM");
    // As the port chooser runs it: on a thread of its own, beside the window's event loop.
    auto search = std::async(std::launch::async, [&] {
        return probePorts({com, deaf, QStringLiteral("COM96")}, 1000);
    });
    const QList<ProbeResult> results = search.get();
    ASSERT_EQ(results.size(), 3);
    EXPECT_EQ(results[0].outcome, ProbeResult::Outcome::Answered);
    EXPECT_EQ(results[0].devicePath, QStringLiteral("\\\\.\\") + com);
    EXPECT_EQ(results[1].outcome, ProbeResult::Outcome::NoAnswer);
    EXPECT_EQ(results[2].outcome, ProbeResult::Outcome::OpenFailed);
    EXPECT_EQ(results[2].systemError, static_cast<int>(ERROR_FILE_NOT_FOUND));
}

namespace {

// Keys of the test under the local machine, removed again when it ends.
class RegistryKeys {
public:
    ~RegistryKeys() {
        for (const std::wstring& key : created_)
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
    }
    void set(const std::wstring& key, const std::wstring& name, const std::wstring& text) {
        HKEY handle = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr),
                  ERROR_SUCCESS);
        const auto* data = reinterpret_cast<const BYTE*>(text.c_str());
        ASSERT_EQ(RegSetValueExW(handle, name.c_str(), 0, REG_SZ, data,
                                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        RegCloseKey(handle);
    }
    void own(const std::wstring& key) { created_.push_back(key); }
    void removeValue(const std::wstring& key, const std::wstring& name) {
        HKEY handle = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE, &handle) == ERROR_SUCCESS) {
            RegDeleteValueW(handle, name.c_str());
            RegCloseKey(handle);
        }
    }

private:
    std::vector<std::wstring> created_;
};

} // namespace

TEST(Win32Registry, ADeviceKeyIsListedWithItsMakerAndAttachedDeviceAndGoesWithIt) {
    const std::wstring device = L"SYSTEM\\CurrentControlSet\\Enum\\VANTRELTEST\\Port_0";
    const std::wstring modem = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{5eb1a9c0-0000-4000-8000-56414e54524c}";
    const std::wstring map = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";
    const std::wstring mapValue = L"\\Device\\VantrelTest0";
    {
        RegistryKeys keys;
        keys.own(L"SYSTEM\\CurrentControlSet\\Enum\\VANTRELTEST");
        keys.own(modem);
        keys.set(device, L"Class", L"Ports");
        keys.set(device, L"FriendlyName", L"Teszt soros port (COM87)");
        keys.set(device, L"Mfg", L"Teszt gyártó");
        keys.set(modem + L"\\0000", L"AttachedTo", L"COM87");
        keys.set(modem + L"\\0000", L"FriendlyName", L"Teszt modem");
        keys.set(map, mapValue, L"COM87");

        ports::PortEnumerator enumerator(ports::makeSystemPortSource());
        QStringList lines;
        enumerator.ListSerialPorts(lines);
        EXPECT_TRUE(lines.contains(QStringLiteral("+Teszt soros port (COM87);Teszt gyártó : Teszt modem")))
            << lines.join(QLatin1Char('\n')).toStdString();

        // Taken out of the active map, it stays a candidate but is absent.
        keys.removeValue(map, mapValue);
        lines.clear();
        enumerator.ListSerialPorts(lines);
        EXPECT_TRUE(lines.contains(QStringLiteral("-Teszt soros port (COM87);Teszt gyártó : Teszt modem")))
            << lines.join(QLatin1Char('\n')).toStdString();
    }
    // The keys gone, a new walk no longer finds it.
    ports::PortEnumerator enumerator(ports::makeSystemPortSource());
    enumerator.CollectPortCandidates();
    ASSERT_TRUE(enumerator.PortCandidateCache().has_value());
    for (const QString& line : *enumerator.PortCandidateCache())
        EXPECT_FALSE(line.contains(QStringLiteral("COM87"))) << line.toStdString();
}
