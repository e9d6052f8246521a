// The module's side of the protocol without a line: its checksum, the layout of its messages, and how it
// finds and judges requests in the byte stream.
#include "tests/sim/ToolSide.h"
#include "tools/sim/ModuleCore.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::sim;

namespace {

PageBytes pageFilled(std::uint8_t value) {
    PageBytes p;
    p.fill(value);
    return p;
}

std::vector<std::uint8_t> frameBytes(const Plaintext& plain) {
    Aes128 aes;
    const SecuredFrame f = encodeFrame(aes, plain);
    return {f.begin(), f.end()};
}

// Feeds bytes to a module core and collects the plaintexts of everything it answers.
struct CoreProbe {
    ModuleCore core;
    std::vector<Reaction> reactions;

    void feed(const std::vector<std::uint8_t>& bytes) {
        for (std::uint8_t b : bytes)
            if (auto r = core.receive(b))
                reactions.push_back(*r);
    }
    void feed(const Plaintext& plain) { feed(frameBytes(plain)); }
};

} // namespace

TEST(ModuleChecksum, KnownPages) {
    struct Row {
        const char* what;
        PageBytes page;
        std::uint32_t sum;
    };
    PageBytes oneAt13 = pageFilled(0x00);
    oneAt13[13] = 0xFF; // block 2, position 1: weight 3, 3 XOR 0xFF = 252 instead of 3
    PageBytes lastByte = pageFilled(0x00);
    lastByte[63] = 0x80; // block 6, position 3: weight 9, 9 XOR 0x80 = 137 instead of 9
    const Row rows[] = {
        {"all 0x00", pageFilled(0x00), 540},
        {"all 0xFF", pageFilled(0xFF), 15780},
        {"0xFF at 13", oneAt13, 540 - 3 + 252},
        {"0x80 at 63", lastByte, 540 - 9 + 137},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(modulePageChecksum(row.page), row.sum) << row.what;
        EXPECT_EQ(test::expectedChecksum(row.page), row.sum) << row.what;
    }
}

TEST(ModuleMessages, TextChannelsAndForms) {
    struct Row {
        int channel;
        TextForm form;
        std::uint8_t code;
    };
    const Row rows[] = {{1, TextForm::Short, 0x21}, {2, TextForm::Short, 0x22}, {3, TextForm::Short, 0x23},
                        {4, TextForm::Short, 0x25}, {1, TextForm::Long, 0x31},  {2, TextForm::Long, 0x32},
                        {3, TextForm::Long, 0x33},  {4, TextForm::Long, 0x35}};
    for (const Row& row : rows) {
        const auto messages = textMessages(row.channel, "AB", row.form);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0][1], row.code) << "channel " << row.channel;
    }
    EXPECT_THROW(textMessages(0, "x", TextForm::Long), SimError);
    EXPECT_THROW(textMessages(5, "x", TextForm::Short), SimError);
    EXPECT_TRUE(textMessages(1, "", TextForm::Long).empty());
}

TEST(ModuleMessages, LongTextIsCutIntoFramesOfThirteenAndPaddedWithZeros) {
    const std::string text = "0123456789ABC\r\nxyz"; // 18 characters: one full frame and five more
    const auto messages = textMessages(1, text, TextForm::Long);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(std::string(messages[0].begin() + 2, messages[0].begin() + 15), "0123456789ABC");
    const Plaintext& second = messages[1];
    EXPECT_EQ(std::string(second.begin() + 2, second.begin() + 7), "\r\nxyz");
    for (int i = 7; i < 15; ++i)
        EXPECT_EQ(second[static_cast<std::size_t>(i)], 0x00) << i;
    EXPECT_EQ(second[0], '[');
    EXPECT_EQ(second[15], ']');
}

TEST(ModuleMessages, ShortTextUsesBytesElevenToFourteen) {
    const auto messages = textMessages(4, "*12#\r\n", TextForm::Short);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(std::string(messages[0].begin() + 11, messages[0].begin() + 15), "*12#");
    EXPECT_EQ(std::string(messages[1].begin() + 11, messages[1].begin() + 15), std::string("\r\n\0\0", 4));
    for (int i = 2; i < 11; ++i)
        EXPECT_EQ(messages[0][static_cast<std::size_t>(i)], 0x00);
}

TEST(RequestScanner, FindsFramesAfterNoiseAndStrayStartBytes) {
    RequestScanner scanner;
    std::vector<std::uint8_t> bytes{0x7B, 0x00, 0x7D, 0x7B, 0x7B}; // stray markers before the real frame
    const auto frame = frameBytes(test::ToolSide::requestPlain(0x1C, 7));
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    std::vector<Request> found;
    for (std::uint8_t b : bytes)
        if (auto r = scanner.feed(b))
            found.push_back(*r);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].kind, Request::Kind::PageRead);
    EXPECT_EQ(found[0].page, 7);
}

TEST(RequestScanner, StatusPollIsTwoQuestionMarksAndCarriageReturn) {
    struct Row {
        std::string bytes;
        int polls;
    };
    const Row rows[] = {{"??\r", 1}, {"xy??\r", 1}, {"?\r", 0}, {"??\n", 0}, {"??\r??\r", 2}, {"? ?\r", 0}};
    for (const Row& row : rows) {
        RequestScanner scanner;
        int polls = 0;
        for (char c : row.bytes)
            if (auto r = scanner.feed(static_cast<std::uint8_t>(c)); r && r->kind == Request::Kind::StatusPoll)
                ++polls;
        EXPECT_EQ(polls, row.polls) << row.bytes;
    }
}

TEST(ModuleCore, RefusesMalformedRequestsWithoutAnswering) {
    struct Row {
        const char* what;
        Plaintext plain;
    };
    auto withByte = [](std::size_t at, std::uint8_t value) {
        Plaintext p = test::ToolSide::requestPlain(0x1C, 2);
        p[at] = value;
        return p;
    };
    const Row rows[] = {
        {"page 15", test::ToolSide::requestPlain(0x1C, 15)},
        {"write header for page 200", test::ToolSide::requestPlain(0x2D, 200)},
        {"fixed byte 4 not 0xFF", withByte(4, 0x00)},
        {"fixed byte 9 not 0x00", withByte(9, 0x01)},
        {"argument byte 10 not zero", withByte(10, 0x01)},
        {"page size 32", withByte(14, 0x20)},
        {"unknown code", withByte(1, 0x5C)},
        {"code with a high bit", withByte(1, 0x9C)},
        {"write block without a header", test::ToolSide::pageWritePlains(0, {})[1]},
    };
    for (const Row& row : rows) {
        CoreProbe probe;
        probe.feed(row.plain);
        ASSERT_EQ(probe.reactions.size(), 1u) << row.what;
        EXPECT_TRUE(probe.reactions[0].bytes.empty()) << row.what;
        EXPECT_NE(probe.reactions[0].note.find("refused"), std::string::npos) << row.what;
        EXPECT_EQ(probe.core.stats().refused, 1) << row.what;
        EXPECT_EQ(probe.core.stats().pageReads, 0) << row.what;
    }
}

TEST(ModuleCore, SequenceByteIsNotChecked) {
    CoreProbe probe;
    probe.feed(test::ToolSide::requestPlain(0x1C, 0, 0xEE));
    EXPECT_EQ(probe.core.stats().pageReads, 1);
}

TEST(ModuleCore, HeaderInTheMiddleOfAPageWriteStartsThePageAfresh) {
    test::Page first{};
    first.fill(0x11);
    test::Page second{};
    second.fill(0x22);
    CoreProbe probe;
    const auto abandoned = test::ToolSide::pageWritePlains(3, first);
    for (std::size_t i = 0; i < 3; ++i) // header and two blocks, then a new header
        probe.feed(abandoned[i]);
    for (const Plaintext& p : test::ToolSide::pageWritePlains(4, second))
        probe.feed(p);
    EXPECT_EQ(pageOf(probe.core.memory(), 4), second);
    EXPECT_EQ(pageOf(probe.core.memory(), 3), pageFilled(0xFF));
    EXPECT_EQ(probe.core.stats().acknowledgements, 1);
}

TEST(ModuleCore, ImageKeepsTheBytesBeyondTheMemory) {
    ModuleCore core;
    ImageBytes image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 13);
    core.setImage(image);
    EXPECT_EQ(core.image(), image);
    EXPECT_EQ(core.memory()[959], static_cast<std::uint8_t>(959 * 13));
}
