// Line noise through the real serial driver: frames buried in random bytes, delivered by a pseudo-terminal
// in chunks of random size and at random moments, reach the dispatch one by one, none lost, none doubled,
// in order, through the receiver's hand-over and the receive notification.
#include "protocol/ModuleConnection.h"
#include "tests/support/PortLinks.h"
#include "tests/support/Pty.h"
#include "tests/support/Wait.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

using namespace vantrel;

namespace {

struct LineNoise : ::testing::Test, DispatchSink {
    test::PortLinks links;
    test::PtyPair pty;
    ModuleConnection connection;
    std::vector<std::array<std::uint8_t, 4>> statuses;

    void SetUp() override {
        links.link(3, pty.terminalPath());
        connection.ComPort1().setPort(QStringLiteral("COM3"));
        connection.ComPort1().setConnected(true);
        connection.setSink(this);
    }
    void AppendToMemo(MemoTarget, const QByteArray&, bool) override {}
    void StatusMessage(const std::array<std::uint8_t, 4>& s) override { statuses.push_back(s); }
};

QByteArray frameBytes(const Plaintext& plain) {
    Aes128 aes;
    const SecuredFrame f = encodeFrame(aes, plain);
    return QByteArray(reinterpret_cast<const char*>(f.data()), static_cast<qsizetype>(f.size()));
}

// Noise rich in the two frame bytes, so that false candidates are tried all the time.
QByteArray noise(std::mt19937& rng) {
    QByteArray bytes;
    for (int n = static_cast<int>(rng() % 41); n > 0; --n) {
        const unsigned pick = rng() % 4;
        bytes.append(pick == 0 ? '{' : pick == 1 ? '}' : static_cast<char>(rng()));
    }
    return bytes;
}

} // namespace

TEST_F(LineNoise, EveryFrameArrivesOnceAndInOrderWhateverTheNoiseAndTheChunking) {
    constexpr int kFrames = 300;
    std::mt19937 rng(4711);
    QByteArray line;
    std::vector<std::array<std::uint8_t, 4>> sent;
    for (int i = 0; i < kFrames; ++i) {
        line += noise(rng);
        Plaintext status{0x5B, 0x24};
        const std::array<std::uint8_t, 4> bytes{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8),
                                                static_cast<std::uint8_t>(rng()), 0x7D};
        std::copy(bytes.begin(), bytes.end(), status.begin() + 11);
        status[15] = 0x5D;
        line += frameBytes(status);
        sent.push_back(bytes);
    }

    for (qsizetype at = 0; at < line.size();) {
        const qsizetype chunk = 1 + static_cast<qsizetype>(rng() % 256);
        pty.write(line.mid(at, chunk));
        at += chunk;
        if (rng() % 2)
            test::pumpEvents(static_cast<int>(rng() % 3));
    }
    ASSERT_TRUE(test::waitUntil([&] { return statuses.size() >= sent.size(); }, 10000)) << statuses.size();
    test::pumpEvents(50);
    EXPECT_EQ(statuses, sent);
    EXPECT_TRUE(connection.ComPort1().monitorRunning());
}
