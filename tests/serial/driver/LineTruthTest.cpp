// What the driver tells about the line: a hang-up reported once, a port another program holds refused
// (also as root) without clearing its flag, who holds a device, and the module search.
#include "protocol/ModuleProbe.h"
#include "protocol/SecuredFrame.h"
#include "serial/PortDiagnosis.h"
#include "serial/SerialPort.h"
#include "tests/support/PortLinks.h"
#include "tests/support/Pty.h"
#include "tests/support/Wait.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vantrel;
using vantrel::test::PortLinks;
using vantrel::test::PtyPair;

TEST(LineTruth, HangUpIsReportedOnceAndTheNextConnectWorks) {
    PortLinks links;
    auto pty = std::make_unique<PtyPair>();
    links.link(7, pty->terminalPath());
    TSerialPort port;
    port.setPort("COM7");
    int reports = 0;
    port.OnLinkLost = [&](TSerialPort* p) {
        ++reports;
        p->setConnected(false);
    };
    port.setConnected(true);
    pty->closeControl();
    EXPECT_TRUE(test::waitUntil([&] { return reports == 1; }, 3000));
    EXPECT_FALSE(port.Connected());
    EXPECT_THROW(port.WriteText("??\r"), ESerialPort);
    test::pumpEvents(200);
    EXPECT_EQ(reports, 1);
    // The device comes back: connecting works again.
    pty = std::make_unique<PtyPair>();
    links.link(7, pty->terminalPath());
    EXPECT_NO_THROW(port.setConnected(true));
    EXPECT_TRUE(port.Connected());
}

TEST(LineTruth, AHeldPortIsRefusedAndItsFlagKeptAndItsHolderNamed) {
    PortLinks links;
    PtyPair pty;
    links.link(8, pty.terminalPath());
    // Another holder with the same locks: flock and the exclusive flag (root passes the flag alone).
    const int other = ::open(pty.terminalPath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    ASSERT_EQ(::ioctl(other, TIOCEXCL), 0);
    TSerialPort port;
    port.setPort("COM8");
    try {
        port.setConnected(true);
        ADD_FAILURE() << "opened a held port";
    } catch (const ESerialPort& e) {
        EXPECT_EQ(e.SystemError(), EBUSY);
    }
    ::flock(other, LOCK_UN);
    // Without the flock, root would pass TIOCEXCL: the flag alone must refuse it too, and stay set.
    EXPECT_THROW(port.setConnected(true), ESerialPort);
    int excl = 0;
    ASSERT_EQ(::ioctl(other, TIOCGEXCL, &excl), 0);
    EXPECT_NE(excl, 0);
    ::close(other);

    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(pty.terminalPath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        ::sleep(fd >= 0 ? 3 : 0);
        ::_exit(0);
    }
    bool seen = false;
    test::waitUntil(
        [&] {
            for (const auto& h : portHolders(pty.terminalPath()))
                seen = seen || h.pid == child;
            return seen;
        },
        2500);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(portOpenReason(EBUSY, pty.terminalPath(), TextLanguage::English).contains(QString::number(child)));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(portOpenReason(ENOENT, "/dev/nonexistent").startsWith("Nincs ilyen eszköz"));
    EXPECT_TRUE(portOpenReason(EACCES, pty.terminalPath()).contains("csoport"));
}

namespace {
// Answers the first "??" CR on the control side with reply.
std::thread answer(PtyPair& pty, QByteArray reply) {
    return std::thread([&pty, reply] {
        const QByteArray asked = pty.read(1500, 3);
        if (asked.endsWith("??\r"))
            pty.write(reply);
    });
}
} // namespace

TEST(LineTruth, TheSearchFindsTheAnsweringPortOnlyAndSkipsAHeldOne) {
    PortLinks links;
    PtyPair module, garbage, silent, held;
    links.link(1, module.terminalPath());
    links.link(2, garbage.terminalPath());
    links.link(3, silent.terminalPath());
    links.link(4, held.terminalPath());
    const int other = ::open(held.terminalPath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    Aes128 cipher;
    Plaintext plain{};
    plain[0] = PlainStart;
    plain[1] = 0x24;
    plain[15] = PlainEnd;
    const SecuredFrame frame = encodeFrame(cipher, plain);
    std::thread a = answer(module, QByteArray(reinterpret_cast<const char*>(frame.data()), frame.size()));
    std::thread b = answer(garbage, QByteArray("{garbage, not a frame}\r\n"));
    const auto results = probePorts({"COM1", "COM2", "COM3", "COM4"}, 1000);
    a.join();
    b.join();
    ::close(other);
    ASSERT_EQ(results.size(), 4);
    EXPECT_EQ(results[0].outcome, ProbeResult::Outcome::Answered);
    EXPECT_EQ(results[1].outcome, ProbeResult::Outcome::NoAnswer);
    EXPECT_EQ(results[2].outcome, ProbeResult::Outcome::NoAnswer);
    EXPECT_EQ(results[3].outcome, ProbeResult::Outcome::Busy);
    EXPECT_TRUE(held.read(200).isEmpty()); // nothing sent to a held port
}
