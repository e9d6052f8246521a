// The dispatch of accepted frames: message codes, texts, the status message, page assembly and the write
// acknowledgement.
#include "protocol/Dispatch.h"
#include "protocol/PageChecksum.h"

#include <gtest/gtest.h>
#include <vector>

using namespace vantrel;

namespace {

struct RecordingSink : DispatchSink {
    struct Text {
        MemoTarget box;
        QByteArray text;
        bool always;
        bool operator==(const Text&) const = default;
    };
    std::vector<Text> texts;
    std::vector<std::array<std::uint8_t, 4>> statuses;
    void AppendToMemo(MemoTarget box, const QByteArray& text, bool always) override { texts.push_back({box, text, always}); }
    void StatusMessage(const std::array<std::uint8_t, 4>& s) override { statuses.push_back(s); }
};

Plaintext frame(std::uint8_t code) {
    Plaintext p{};
    p[0] = 0x5B;
    p[1] = code;
    p[15] = 0x5D;
    return p;
}

Plaintext header(std::uint8_t page) {
    Plaintext p = frame(0x2C);
    p[13] = page;
    return p;
}

// The six blocks the module sends for a page, with its checksum (adjusted by `checksumError`).
std::vector<Plaintext> pageBlocks(const std::array<std::uint8_t, 64>& page, int checksumError = 0) {
    std::vector<Plaintext> blocks;
    for (int n = 0; n < 6; ++n) {
        Plaintext p = frame(0x3C);
        p[2] = static_cast<std::uint8_t>(n);
        const int count = n < 5 ? 12 : 4;
        for (int i = 0; i < count; ++i)
            p[3 + i] = page[n * 12 + i];
        if (n == 5) {
            const std::uint32_t sum = PageChecksum(page.data()) + static_cast<std::uint32_t>(checksumError);
            p[7] = sum >> 24;
            p[8] = sum >> 16;
            p[9] = sum >> 8;
            p[10] = sum & 0xFF;
        }
        blocks.push_back(p);
    }
    return blocks;
}

std::array<std::uint8_t, 64> samplePage() {
    std::array<std::uint8_t, 64> page{};
    for (int i = 0; i < 64; ++i)
        page[i] = static_cast<std::uint8_t>(i * 37 + 11);
    return page;
}

struct Dispatcher {
    TransferState state;
    RecordingSink sink;
    void operator()(const Plaintext& p) { DispatchFrame(p, state, sink); }
};

} // namespace

TEST(PageChecksum, KnownPages) {
    std::array<std::uint8_t, 64> page{};
    EXPECT_EQ(PageChecksum(page.data()), 540u);
    page.fill(0xFF);
    EXPECT_EQ(PageChecksum(page.data()), 15780u);
}

TEST(PageAssembly, Page5WithTheRightChecksumIsReceived) {
    Dispatcher d;
    const auto page = samplePage();
    d(header(5));
    for (const Plaintext& b : pageBlocks(page))
        d(b);
    EXPECT_EQ(d.state.PageAddress, 320);
    EXPECT_EQ(d.state.PageBuffer, page);
    EXPECT_EQ(d.state.PageReceived, 1);
    EXPECT_EQ(d.state.BlockCounter, 0);
}

TEST(PageAssembly, AllZeroPageHasChecksum540OnTheWire) {
    Dispatcher d;
    const std::array<std::uint8_t, 64> zero{};
    auto blocks = pageBlocks(zero);
    EXPECT_EQ(blocks[5][7], 0x00);
    EXPECT_EQ(blocks[5][8], 0x00);
    EXPECT_EQ(blocks[5][9], 0x02);
    EXPECT_EQ(blocks[5][10], 0x1C);
    d(header(0));
    for (const Plaintext& b : blocks)
        d(b);
    EXPECT_EQ(d.state.PageReceived, 1);
}

TEST(PageAssembly, MissingBlockAbandonsThePage) {
    Dispatcher d;
    auto blocks = pageBlocks(samplePage());
    d(header(5));
    for (int n : {0, 1, 3}) {
        d(blocks[n]);
    }
    EXPECT_EQ(d.state.BlockCounter, 0);
    d(blocks[4]);
    d(blocks[5]);
    EXPECT_EQ(d.state.PageReceived, 0);
    EXPECT_EQ(d.state.BlockCounter, 0);
    // The bytes of the blocks that did arrive stay in the buffer.
    EXPECT_EQ(d.state.PageBuffer[12], samplePage()[12]);
}

TEST(PageAssembly, ChecksumOffByOneInEitherDirectionIsRejected) {
    for (int error : {1, -1}) {
        Dispatcher d;
        d(header(2));
        for (const Plaintext& b : pageBlocks(samplePage(), error))
            d(b);
        EXPECT_EQ(d.state.PageReceived, 0) << error;
        EXPECT_EQ(d.state.BlockCounter, 0) << error;
    }
}

TEST(PageAssembly, RepeatedBlockAndBlockWithoutHeaderAreIgnored) {
    Dispatcher d;
    auto blocks = pageBlocks(samplePage());
    for (const Plaintext& b : blocks) // no header
        d(b);
    EXPECT_EQ(d.state.PageReceived, 0);
    d(header(1));
    d(blocks[0]);
    d(blocks[1]);
    d(blocks[1]); // repeated
    for (int n = 2; n < 6; ++n)
        d(blocks[n]);
    EXPECT_EQ(d.state.PageReceived, 0);
}

TEST(PageAssembly, HeaderInTheMiddleOfAPageRestartsIt) {
    Dispatcher d;
    const auto first = samplePage();
    auto other = samplePage();
    other[0] ^= 0xFF;
    d(header(3));
    auto a = pageBlocks(first);
    d(a[0]);
    d(a[1]);
    d(header(4));
    EXPECT_EQ(d.state.BlockCounter, 1);
    EXPECT_EQ(d.state.PageSum, 0u);
    for (const Plaintext& b : pageBlocks(other))
        d(b);
    EXPECT_EQ(d.state.PageReceived, 1);
    EXPECT_EQ(d.state.PageAddress, 256);
    EXPECT_EQ(d.state.PageBuffer, other);
}

TEST(PageAssembly, DispatchNeverClearsTheFlags) {
    Dispatcher d;
    d.state.PageReceived = 1;
    d.state.WriteAcknowledged = 1;
    d(header(0));
    d(pageBlocks(samplePage(), 5)[0]);
    EXPECT_EQ(d.state.PageReceived, 1);
    EXPECT_EQ(d.state.WriteAcknowledged, 1);
}

TEST(WriteAcknowledgement, OnlyAnAtSignInByte14Counts) {
    Dispatcher d;
    Plaintext ack = frame(0x1D);
    ack[14] = 0x41;
    d(ack);
    EXPECT_EQ(d.state.WriteAcknowledged, 0);
    ack[14] = 0x40;
    d(ack);
    EXPECT_EQ(d.state.WriteAcknowledged, 1);
    // 0x5D has the low six bits of 0x1D.
    Dispatcher e;
    Plaintext high = frame(0x5D);
    high[14] = 0x40;
    e(high);
    EXPECT_EQ(e.state.WriteAcknowledged, 1);
}

TEST(TextMessages, RoutedToTheirBoxesWithTheStateBoxForTheFirstTwoChannels) {
    struct Row {
        std::uint8_t code;
        MemoTarget box;
        bool stateBox;
        bool longForm;
    };
    const Row rows[] = {
        {0x21, MemoTarget::Memo3, true, false},    {0x31, MemoTarget::Memo3, true, true},
        {0x22, MemoTarget::Memo4, true, false},    {0x32, MemoTarget::Memo4, true, true},
        {0x23, MemoTarget::Memo5, false, false},   {0x33, MemoTarget::Memo5, false, true},
        {0x25, MemoTarget::MemoDTMF, false, false}, {0x35, MemoTarget::MemoDTMF, false, true},
        {0x61, MemoTarget::Memo3, true, false},    {0xE2, MemoTarget::Memo4, true, false},
    };
    for (const Row& row : rows) {
        Dispatcher d;
        Plaintext p = frame(row.code);
        const char* text = "ABCDEFGHIJKLM";
        for (int i = 2; i <= 14; ++i)
            p[i] = static_cast<std::uint8_t>(text[i - 2]);
        d(p);
        const QByteArray expected = row.longForm ? QByteArray(text) : QByteArray("JKLM");
        std::vector<RecordingSink::Text> want{{row.box, expected, false}};
        if (row.stateBox)
            want.push_back({MemoTarget::MemoState, expected, true});
        EXPECT_EQ(d.sink.texts, want) << int(row.code);
    }
}

TEST(TextMessages, ZeroBytesAreLeftOutAndEmptyTextsAreNotPassedOn) {
    Dispatcher d;
    Plaintext p = frame(0x31);
    p[2] = 'A';
    p[7] = 'B';
    p[14] = '\r';
    d(p);
    ASSERT_EQ(d.sink.texts.size(), 2u);
    EXPECT_EQ(d.sink.texts[0].text, QByteArray("AB\r"));
    d.sink.texts.clear();
    d(frame(0x21));
    d(frame(0x35));
    EXPECT_TRUE(d.sink.texts.empty());
}

TEST(TextMessages, ThreeAndFiveCountOnlyAsTheWholeByte) {
    Dispatcher d;
    for (int code : {0x73, 0xB3, 0xF5, 0x75}) {
        Plaintext p = frame(static_cast<std::uint8_t>(code));
        p[11] = 'x';
        p[13] = 0x05; // would be a page header's page number
        d(p);
    }
    EXPECT_TRUE(d.sink.texts.empty());
    EXPECT_EQ(d.state.BlockCounter, 0);
}

TEST(StatusMessage, BytesElevenToFourteenInOrder) {
    Dispatcher d;
    Plaintext p = frame(0x64); // low six bits: "$"
    p[11] = 0x1F;
    p[12] = 22;
    p[13] = 3;
    p[14] = 0xAA;
    d(p);
    ASSERT_EQ(d.sink.statuses.size(), 1u);
    EXPECT_EQ(d.sink.statuses[0], (std::array<std::uint8_t, 4>{0x1F, 22, 3, 0xAA}));
}

TEST(UnknownCodes, AreIgnored) {
    Dispatcher d;
    for (int code : {0x00, 0x20, 0x26, 0x3F, 0x1C}) {
        Plaintext p = frame(static_cast<std::uint8_t>(code));
        p[11] = 'x';
        p[14] = 0x40;
        d(p);
    }
    EXPECT_TRUE(d.sink.texts.empty());
    EXPECT_TRUE(d.sink.statuses.empty());
    EXPECT_EQ(d.state.WriteAcknowledged, 0);
}
