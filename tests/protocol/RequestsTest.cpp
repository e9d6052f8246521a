// The plaintexts of the frames the tool sends.
#include "protocol/Requests.h"

#include <gtest/gtest.h>

using namespace vantrel;

TEST(Requests, RequestLayout) {
    const Plaintext p = requestPlaintext(0x1C, 7, pageRequestArgs(14));
    const Plaintext want{0x5B, 0x1C, 7, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0x00, 0, 0, 0, 14, 0x40, 0x5D};
    EXPECT_EQ(p, want);
}

TEST(Requests, BlockLayout) {
    BlockData data{};
    for (int i = 0; i < 13; ++i)
        data[i] = static_cast<std::uint8_t>(0xA0 + i);
    const Plaintext p = blockPlaintext(0x3D, data);
    EXPECT_EQ(p[0], 0x5B);
    EXPECT_EQ(p[1], 0x3D);
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(p[2 + i], 0xA0 + i);
    EXPECT_EQ(p[15], 0x5D);
}

TEST(PageWriteBlocks, AllZeroPage) {
    const std::array<std::uint8_t, 64> page{};
    const auto blocks = pageWriteBlocks(page.data());
    for (int b = 0; b < 5; ++b) {
        EXPECT_EQ(blocks[b][0], b);
        for (int j = 1; j <= 12; ++j)
            EXPECT_EQ(blocks[b][j], 0);
    }
    const BlockData last{5, 0, 0, 0, 0, 0x00, 0x00, 0x02, 0x1C, 0, 0, 0, 0x00};
    EXPECT_EQ(blocks[5], last);
}

TEST(PageWriteBlocks, ByteFiftyNineIsRepeatedInTheLastBlock) {
    std::array<std::uint8_t, 64> page{};
    for (int i = 0; i < 64; ++i)
        page[i] = static_cast<std::uint8_t>(i);
    page[59] = 0xAB;
    const auto blocks = pageWriteBlocks(page.data());
    EXPECT_EQ(blocks[4][12], 0xAB);
    EXPECT_EQ(blocks[5][12], 0xAB);
    EXPECT_EQ(blocks[5][1], 60);
    EXPECT_EQ(blocks[5][4], 63);
    EXPECT_EQ(blocks[2][1], 24);
}

TEST(PageWriteBlocks, AllFFPageChecksum) {
    std::array<std::uint8_t, 64> page;
    page.fill(0xFF);
    const auto last = pageWriteBlocks(page.data())[5];
    EXPECT_EQ(last[5], 0x00);
    EXPECT_EQ(last[6], 0x00);
    EXPECT_EQ(last[7], 0x3D);
    EXPECT_EQ(last[8], 0xA4);
    EXPECT_EQ(last[12], 0xFF);
}
