// The link to the module over a real pseudo-terminal: the exact bytes of every request leave the port,
// and frames arriving in any chunking reach the dispatch.
#include "protocol/ModuleConnection.h"
#include "tests/support/PortLinks.h"
#include "tests/support/Pty.h"
#include "tests/support/Wait.h"

#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>
#include <vector>

using namespace vantrel;

namespace {

struct Link : ::testing::Test, DispatchSink {
    test::PortLinks links;
    test::PtyPair pty;
    ModuleConnection connection;
    std::vector<std::array<std::uint8_t, 4>> statuses;
    QList<QByteArray> texts;
    QByteArray pending; // bytes read from the line beyond the last whole frame

    void SetUp() override {
        links.link(2, pty.terminalPath());
        connection.ComPort1().setPort(QStringLiteral("COM2"));
        connection.ComPort1().setConnected(true);
        connection.setSink(this);
    }
    void AppendToMemo(MemoTarget, const QByteArray& text, bool always) override {
        if (always)
            texts << text;
    }
    void StatusMessage(const std::array<std::uint8_t, 4>& s) override { statuses.push_back(s); }

    // Reads one frame from the module's side and decrypts it with a cipher of the test's own.
    Plaintext readFrame() {
        if (pending.size() < 18)
            pending += pty.read(2000, static_cast<int>(18 - pending.size()));
        const QByteArray bytes = pending.left(18);
        pending.remove(0, 18);
        EXPECT_EQ(bytes.size(), 18);
        EXPECT_EQ(static_cast<std::uint8_t>(bytes[0]), 0x7B);
        EXPECT_EQ(static_cast<std::uint8_t>(bytes[17]), 0x7D);
        Block16 cipher{};
        for (int i = 0; i < 16; ++i)
            cipher[i] = static_cast<std::uint8_t>(bytes[1 + i]);
        Aes128 aes;
        aes.setKey(ModuleKey);
        return aes.decryptBlock(cipher);
    }
};

QByteArray frameBytes(const Plaintext& plain) {
    Aes128 aes;
    const SecuredFrame f = encodeFrame(aes, plain);
    return QByteArray(reinterpret_cast<const char*>(f.data()), static_cast<qsizetype>(f.size()));
}

} // namespace

TEST_F(Link, StatusPollIsExactlyThreeBytes) {
    connection.SendLine("??");
    EXPECT_EQ(pty.read(1000, 3), QByteArray("??\r"));
    EXPECT_TRUE(pty.read(100).isEmpty());
}

TEST_F(Link, SendLineOnAClosedPortSendsNothingAndRaisesNothing) {
    connection.ComPort1().setConnected(false);
    EXPECT_NO_THROW(connection.SendLine("??"));
    EXPECT_TRUE(pty.read(100).isEmpty());
}

TEST_F(Link, RequestSequenceRunsFrom0To255AndWraps) {
    for (int i = 0; i < 257; ++i) {
        connection.SendRequest(0x1C, pageRequestArgs(3));
        const Plaintext p = readFrame();
        ASSERT_EQ(p[2], static_cast<std::uint8_t>(i)) << i;
        ASSERT_EQ(p, requestPlaintext(0x1C, static_cast<std::uint8_t>(i), pageRequestArgs(3)));
    }
    EXPECT_EQ(connection.TxSequence(), 1);
}

TEST_F(Link, BlockFramesDoNotAdvanceTheSequence) {
    const std::array<std::uint8_t, 64> page{};
    for (std::size_t p = 0; p < 2; ++p) {
        connection.SendRequest(0x2D, pageRequestArgs(p));
        for (const BlockData& block : pageWriteBlocks(page.data()))
            connection.SendBlock(0x3D, block);
    }
    const Plaintext header0 = readFrame();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(readFrame()[1], 0x3D);
    const Plaintext header1 = readFrame();
    EXPECT_EQ(header0[1], 0x2D);
    EXPECT_EQ(header1[2], header0[2] + 1);
    EXPECT_EQ(header1[13], 1);
}

TEST_F(Link, ZeroPageIsWrittenWithChecksum540) {
    const std::array<std::uint8_t, 64> page{};
    const auto blocks = pageWriteBlocks(page.data());
    connection.SendBlock(0x3D, blocks[5]);
    const Plaintext last = readFrame();
    EXPECT_EQ(last[1], 0x3D);
    EXPECT_EQ(last[2], 5);
    EXPECT_EQ(last[7], 0x00);
    EXPECT_EQ(last[8], 0x00);
    EXPECT_EQ(last[9], 0x02);
    EXPECT_EQ(last[10], 0x1C);
    EXPECT_EQ(last[14], 0x00);
}

TEST_F(Link, FramesArriveThroughTheDriverWhateverTheChunking) {
    Plaintext status{0x5B, 0x24};
    status[11] = 0x1F;
    status[12] = 17;
    status[13] = 2;
    status[15] = 0x5D;
    Plaintext text{0x5B, 0x31, 'H', 'e', 'l', 'l', 'o', '\r'};
    text[15] = 0x5D;
    const QByteArray stream = QByteArray("noise{}") + frameBytes(status) + frameBytes(text);
    for (qsizetype i = 0; i < stream.size(); i += 5) {
        pty.write(stream.mid(i, 5));
        test::pumpEvents(2);
    }
    ASSERT_TRUE(test::waitUntil([&] { return !texts.isEmpty(); }));
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_EQ(statuses[0], (std::array<std::uint8_t, 4>{0x1F, 17, 2, 0}));
    EXPECT_EQ(texts, QList<QByteArray>{"Hello\r"});
    EXPECT_EQ(connection.receiver().RxPlain(), text);
}

TEST(LinkLifetime, DestroyingTheLinkWithANotificationPendingDispatchesNothing) {
    struct Sink : DispatchSink {
        int statuses = 0;
        void AppendToMemo(MemoTarget, const QByteArray&, bool) override {}
        void StatusMessage(const std::array<std::uint8_t, 4>&) override { ++statuses; }
    } sink;
    test::PortLinks links;
    test::PtyPair pty;
    links.link(3, pty.terminalPath());
    auto connection = std::make_unique<ModuleConnection>();
    connection->ComPort1().setPort(QStringLiteral("COM3"));
    connection->ComPort1().setConnected(true);
    connection->setSink(&sink);
    Plaintext status{0x5B, 0x24};
    status[15] = 0x5D;
    pty.write(frameBytes(status));
    usleep(200 * 1000); // the monitor hands the bytes over; nobody runs the event loop
    connection.reset();
    EXPECT_EQ(sink.statuses, 0);
}
