// The driver on real pseudo-terminal pairs: the tool's side opens the terminal through a port link, the
// test plays the module on the controlling side.
#include "serial/SerialPort.h"
#include "tests/support/PortLinks.h"
#include "tests/support/Pty.h"
#include "tests/support/Wait.h"

#include <QElapsedTimer>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace vantrel;
using vantrel::test::PortLinks;
using vantrel::test::PtyPair;
using vantrel::test::waitUntil;

namespace {

double processCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A port on COM7 linked to a fresh pseudo-terminal, with a receive handler that reads everything.
struct LinkedPort {
    PortLinks links;
    PtyPair pty;
    TSerialPort port;
    QByteArray received;
    QList<int> counts;

    LinkedPort() {
        links.link(7, pty.terminalPath());
        port.setPort(QStringLiteral("COM7"));
        port.OnRxChar = [this](TSerialPort* sender, int count) {
            EXPECT_EQ(sender, &port);
            counts << count;
            for (int i = 0; i < count; ++i) {
                char b = 0;
                if (port.ReadBytes(&b, 1) == 1)
                    received.append(b);
            }
        };
    }
};

int sum(const QList<int>& values) {
    int total = 0;
    for (int v : values)
        total += v;
    return total;
}

} // namespace

TEST(SerialPort, StartsClosedOnCom1) {
    TSerialPort port;
    EXPECT_EQ(port.Port(), QStringLiteral("COM1"));
    EXPECT_FALSE(port.Connected());
    char b;
    EXPECT_THROW(port.ReadBytes(&b, 1), ESerialPort);
}

TEST(SerialPort, OpeningAMissingDeviceRaisesCode1WithErrno) {
    PortLinks links;
    links.link(9, QStringLiteral("/nonexistent/ttyX"));
    TSerialPort port;
    port.setPort(QStringLiteral("COM9"));
    try {
        port.setConnected(true);
        FAIL() << "opened a missing device";
    } catch (const ESerialPort& e) {
        EXPECT_EQ(e.Code(), 1);
        EXPECT_EQ(e.SystemError(), ENOENT);
        EXPECT_EQ(e.message(), QStringLiteral("Unable to open com port (win error code: 2)"));
    }
    EXPECT_FALSE(port.Connected());
    EXPECT_FALSE(port.monitorRunning());
}

TEST(SerialPort, SecondOpenOfAHeldPortFailsEvenForRoot) {
    LinkedPort a;
    a.port.setConnected(true);
    ASSERT_TRUE(a.port.Connected());
    TSerialPort b;
    b.setPort(QStringLiteral("COM7"));
    try {
        b.setConnected(true);
        FAIL() << "a held port opened twice";
    } catch (const ESerialPort& e) {
        EXPECT_EQ(e.Code(), 1);
        EXPECT_NE(e.SystemError(), -1);
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Unable to open com port (win error code: ")));
    }
    EXPECT_FALSE(b.Connected());
    a.port.setConnected(false);
    b.setConnected(true); // released by the close
    EXPECT_TRUE(b.Connected());
}

TEST(SerialPort, ConnectTwiceOpensOnceAndDisconnectWhileClosedDoesNothing) {
    LinkedPort p;
    p.port.setConnected(false);
    p.port.setConnected(true);
    p.port.setConnected(true);
    EXPECT_TRUE(p.port.Connected());
    char b;
    EXPECT_EQ(p.port.ReadBytes(&b, 1), 0); // nothing waiting: returns at once
    p.port.setConnected(false);
    EXPECT_FALSE(p.port.Connected());
}

TEST(SerialPort, AllByteValuesPassBothWaysAndTheCountsAddUp) {
    LinkedPort p;
    p.port.setConnected(true);
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(static_cast<char>(i));

    p.pty.write(all + all);
    ASSERT_TRUE(waitUntil([&] { return p.received.size() >= 512; }));
    EXPECT_EQ(p.received, all + all);
    EXPECT_EQ(sum(p.counts), 512);

    EXPECT_EQ(p.port.WriteBytes(all.constData(), 256), 256);
    EXPECT_EQ(p.port.WriteText(QByteArray("??\r")), 3);
    EXPECT_EQ(p.pty.read(2000, 259), all + QByteArray("??\r"));
}

TEST(SerialPort, BytesLeftByTheHandlerAreCountedAgainWithTheNextArrival) {
    LinkedPort p;
    p.port.OnRxChar = [&](TSerialPort*, int count) {
        p.counts << count;
        char b;
        p.port.ReadBytes(&b, 1); // takes one byte only
        p.received.append(b);
    };
    p.port.setConnected(true);
    p.pty.write("abc");
    ASSERT_TRUE(waitUntil([&] { return !p.counts.isEmpty(); }));
    p.pty.write("d");
    ASSERT_TRUE(waitUntil([&] { return p.counts.size() >= 2; }));
    EXPECT_EQ(p.counts.first(), 3);
    EXPECT_EQ(p.counts.last(), 3); // "bc" left over plus "d"
}

TEST(SerialPort, WriteOnAClosedPortRaisesCode2) {
    TSerialPort port;
    try {
        port.WriteBytes("x", 1);
        FAIL();
    } catch (const ESerialPort& e) {
        EXPECT_EQ(e.Code(), 2);
        EXPECT_EQ(e.message(), QStringLiteral("WriteFile function failed (win error code: %1)").arg(EBADF));
    }
}

TEST(SerialPort, ClosingWithANotificationPendingDeliversItAndDoesNotDeadlock) {
    LinkedPort p;
    p.port.setConnected(true);
    p.pty.write("hello");
    // The bytes wait in the device: nobody runs the event loop.
    usleep(200 * 1000);
    EXPECT_TRUE(p.counts.isEmpty());
    QElapsedTimer clock;
    clock.start();
    p.port.setConnected(false);
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(p.received, QByteArray("hello"));
    EXPECT_FALSE(p.port.Connected());
    test::pumpEvents(50); // nothing is delivered twice
    EXPECT_EQ(p.counts.size(), 1);
}

TEST(SerialPort, ClosingFromInsideTheReceiveHandlerDoesNotDeadlock) {
    LinkedPort p;
    bool closed = false;
    p.port.OnRxChar = [&](TSerialPort*, int) {
        p.port.setConnected(false);
        closed = true;
    };
    p.port.setConnected(true);
    p.pty.write("x");
    ASSERT_TRUE(waitUntil([&] { return closed; }));
    EXPECT_FALSE(p.port.Connected());
}

TEST(SerialPort, VanishedDeviceEndsTheMonitorWithoutSpinningAndDisconnectWorks) {
    LinkedPort p;
    p.port.setConnected(true);
    p.pty.write("ab");
    ASSERT_TRUE(waitUntil([&] { return p.received.size() == 2; }));
    p.pty.closeControl();
    ASSERT_TRUE(waitUntil([&] { return !p.port.monitorRunning(); }, 2000));

    const double before = processCpuSeconds();
    test::pumpEvents(1000);
    EXPECT_LT(processCpuSeconds() - before, 0.2);
    EXPECT_TRUE(p.port.Connected()); // stays until the user disconnects
    p.port.setConnected(false);
    EXPECT_FALSE(p.port.Connected());
}

TEST(SerialPort, ChangingThePortWhileOpenReopensOnTheNewName) {
    LinkedPort p;
    PtyPair other;
    p.links.link(8, other.terminalPath());
    p.port.setConnected(true);
    p.port.setPort(QStringLiteral("com8"));
    EXPECT_EQ(p.port.Port(), QStringLiteral("COM8"));
    ASSERT_TRUE(p.port.Connected());
    p.port.WriteText("to8");
    EXPECT_EQ(other.read(1000, 3), QByteArray("to8"));
    EXPECT_TRUE(p.pty.read(100).isEmpty());

    // The same name again does nothing, not even a reopen: a byte already waiting is still delivered.
    other.write("z");
    p.port.setPort(QStringLiteral("COM8"));
    ASSERT_TRUE(waitUntil([&] { return p.received.endsWith('z'); }));

    // A reopen that fails leaves the port closed and raises.
    p.links.link(9, QStringLiteral("/nonexistent/tty"));
    EXPECT_THROW(p.port.setPort(QStringLiteral("COM9")), ESerialPort);
    EXPECT_FALSE(p.port.Connected());
    EXPECT_EQ(p.port.Port(), QStringLiteral("COM9"));
}

TEST(SerialPort, WriteTimeOutEndsAWriteTheLineCannotTake) {
    LinkedPort p;
    p.port.setConnected(true);
    // Nobody reads the other side: fill the terminal's queue with one-byte writes. Each returns at once while
    // there is room; the first that finds none is ended by the time-out (1000 + 100 ms) with 0 written.
    QElapsedTimer clock;
    int accepted = 0;
    for (;;) {
        clock.start();
        const int n = p.port.WriteBytes("x", 1);
        if (n == 0)
            break;
        accepted += n;
        ASSERT_LT(accepted, 1 << 22);
    }
    EXPECT_GE(clock.elapsed(), 1000);
    EXPECT_LT(clock.elapsed(), 3000);
    // Once the module reads, writing goes on and nothing written was lost.
    EXPECT_EQ(p.pty.read(3000, accepted).size(), accepted);
    EXPECT_EQ(p.port.WriteText("end"), 3);
}

TEST(SerialPort, AShapedLineIsHandedOverMessageByMessageAndAHangUpMidMessageLosesNothing) {
    LinkedPort p;
    p.port.setMessageShape({18, '{', '}'});
    bool lost = false;
    p.port.OnLinkLost = [&](TSerialPort*) { lost = true; };
    p.port.setConnected(true);

    // Five frames back to back at the line's pace, byte by byte, as a module sends a page; their bodies
    // hold the start and end bytes too.
    QByteArray frames;
    for (int f = 0; f < 5; ++f)
        frames += "{" + QByteArray("ab}c{de").leftJustified(16, char('0' + f)) + "}";
    std::thread module([&] {
        for (char byte : frames) {
            [[maybe_unused]] const ssize_t w = ::write(p.pty.controlFd(), &byte, 1);
            usleep(520);
        }
    });
    const bool all = waitUntil([&] { return p.received.size() >= frames.size(); });
    module.join();
    ASSERT_TRUE(all);
    EXPECT_EQ(p.received, frames);
    // A reader that woke for each byte would have handed over about 90 times.
    EXPECT_LE(p.counts.size(), 10);

    // Half of a long message, then the module's end of the line goes away while the port sleeps for the
    // rest: what was read is delivered before the loss.
    p.port.setConnected(false);
    p.port.setMessageShape({1000, '{', '}'});
    p.port.setConnected(true);
    p.received.clear();
    p.pty.write("{half");
    test::pumpEvents(50);
    EXPECT_TRUE(p.received.isEmpty()); // gathered, not handed over byte by byte
    EXPECT_EQ(p.pty.terminalQueued(), 0);
    p.pty.closeControl();
    ASSERT_TRUE(waitUntil([&] { return lost; }, 2000));
    EXPECT_EQ(p.received, QByteArray("{half"));
    EXPECT_FALSE(p.port.monitorRunning());
}
