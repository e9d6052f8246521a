// The simulator driven over a pseudo-terminal with hand-built frames: page reads, page writes, status
// polls, texts, and the line coming and going.
#include "tests/sim/SimulatorFixture.h"

#include <thread>

using namespace vantrel;
using namespace vantrel::test;
using namespace std::chrono_literals;

namespace {

void expectPageAnswer(const std::vector<Plaintext>& frames, int page, const Page& expected) {
    ASSERT_EQ(frames.size(), 7u);
    EXPECT_EQ(frames[0][1], 0x2C);
    EXPECT_EQ(frames[0][13], page);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(frames[static_cast<std::size_t>(i + 1)][1], 0x3C);
        EXPECT_EQ(frames[static_cast<std::size_t>(i + 1)][2], i);
    }
    Page data{};
    const std::uint32_t checksum = assemblePage(frames, data);
    EXPECT_EQ(data, expected);
    EXPECT_EQ(checksum, expectedChecksum(expected));
}

Page pageOfMemory(const sim::MemoryBytes& memory, int page) {
    Page p{};
    std::copy_n(memory.begin() + page * 64, 64, p.begin());
    return p;
}

} // namespace

TEST_F(SimulatorFixture, PageReadAnswersHeaderAndSixBlocksWithTheChecksum) {
    const sim::MemoryBytes memory = patternedMemory();
    sim.setMemory(memory);
    for (int page : {5, 0, 14})
        expectPageAnswer(readPage(page), page, pageOfMemory(memory, page));
    EXPECT_EQ(sim.stats().pageReads, 3);
}

TEST_F(SimulatorFixture, FreshMemoryIsAllFF) {
    Page ff{};
    ff.fill(0xFF);
    const auto frames = readPage(3);
    expectPageAnswer(frames, 3, ff);
    EXPECT_EQ(frames[6][7] << 8 | frames[6][8], 0); // 15780 = 00 00 3D A4
    EXPECT_EQ(frames[6][9], 0x3D);
    EXPECT_EQ(frames[6][10], 0xA4);
}

TEST_F(SimulatorFixture, PageWriteWithTheRightChecksumIsStoredAndAcknowledged) {
    const Page data = patternedPage(0x40);
    tool->sendPageWrite(9, data);
    const auto frames = tool->readFrames(1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][1], 0x1D);
    EXPECT_EQ(frames[0][14], 0x40);
    const sim::PageBytes stored = sim.page(9);
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), data.begin()));
    // The written page reads back as written.
    expectPageAnswer(readPage(9), 9, data);
}

TEST_F(SimulatorFixture, PageWriteWithAWrongChecksumIsNeitherStoredNorAcknowledged) {
    const sim::MemoryBytes before = sim.memory();
    tool->sendPageWrite(2, patternedPage(1), 1);
    ASSERT_TRUE(waitForStats([](const sim::Stats& s) { return s.badChecksums == 1; }));
    tool->sendPoll(); // answers come in order: had there been an acknowledgement, it would come first
    const auto frames = tool->readFrames(1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][1], 0x24);
    EXPECT_EQ(sim.memory(), before);
    EXPECT_EQ(sim.stats().acknowledgements, 0);
}

TEST_F(SimulatorFixture, PageWriteWithABlockMissingOrRepeatedIsNotStored) {
    const sim::MemoryBytes before = sim.memory();
    for (int broken : {0, 1}) {
        auto plains = ToolSide::pageWritePlains(4, patternedPage(9));
        if (broken == 0)
            plains.erase(plains.begin() + 3); // block 2 lost
        else
            plains.insert(plains.begin() + 3, plains[3]); // block 2 twice
        for (const Plaintext& p : plains)
            tool->sendPlain(p);
    }
    ASSERT_TRUE(waitForStats([](const sim::Stats& s) { return s.refused >= 2; }));
    expectNothingMore();
    EXPECT_EQ(sim.memory(), before);
    // The next whole page is taken again.
    tool->sendPageWrite(4, patternedPage(9));
    EXPECT_EQ(tool->readFrames(1).size(), 1u);
    EXPECT_EQ(sim.stats().pageWrites, 1);
}

TEST_F(SimulatorFixture, StatusPollAnswersTheConfiguredValues) {
    sim.setStatus({0x1F, 31, 3, 0xA5});
    tool->write({'?', '?', '\r'});
    auto frames = tool->readFrames(1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][1], 0x24);
    EXPECT_EQ(frames[0][11], 0x1F);
    EXPECT_EQ(frames[0][12], 31);
    EXPECT_EQ(frames[0][13], 3);
    EXPECT_EQ(frames[0][14], 0xA5);

    sim.setStatus({0x00, 99, 11, 0});
    tool->sendPoll();
    frames = tool->readFrames(1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][12], 99);
    EXPECT_EQ(frames[0][13], 11);
    EXPECT_EQ(sim.stats().statusPolls, 2);
}

TEST_F(SimulatorFixture, PollBetweenTheFramesOfAPageWriteDoesNotDisturbIt) {
    const Page data = patternedPage(77);
    const auto plains = ToolSide::pageWritePlains(1, data);
    for (std::size_t i = 0; i < plains.size(); ++i) {
        tool->sendPlain(plains[i]);
        if (i == 3)
            tool->sendPoll();
    }
    const auto frames = tool->readFrames(2);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0][1], 0x24);
    EXPECT_EQ(frames[1][1], 0x1D);
}

TEST_F(SimulatorFixture, TextsInShortAndLongForm) {
    sim.sendText(2, "Riaszt\xE1s 1\r\nZ\xF3na 3", sim::TextForm::Long); // Windows-1250 bytes
    sim.sendText(4, "12#", sim::TextForm::Short);
    const auto frames = tool->readFrames(3);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0][1], 0x32);
    EXPECT_EQ(std::string(frames[0].begin() + 2, frames[0].begin() + 15), "Riaszt\xE1s 1\r\nZ");
    EXPECT_EQ(frames[1][1], 0x32);
    EXPECT_EQ(std::string(frames[1].begin() + 2, frames[1].begin() + 15), std::string("\xF3na 3\0\0\0\0\0\0\0\0", 13));
    EXPECT_EQ(frames[2][1], 0x25);
    EXPECT_EQ(std::string(frames[2].begin() + 11, frames[2].begin() + 15), std::string("12#\0", 4));
}

TEST_F(SimulatorFixture, AnswersSentWhileNobodyListensAreLostNotQueued) {
    tool.reset(); // the tool disconnects
    sim.sendText(1, "lost", sim::TextForm::Long);
    ASSERT_TRUE(sim.waitUntilSent(5s));
    EXPECT_EQ(sim.stats().bytesDropped, 18u);

    tool = std::make_unique<ToolSide>(path); // and connects again
    tool->sendPoll();
    const auto frames = tool->readFrames(1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][1], 0x24);
}

TEST(Simulator, TextBeforeTheFirstConnectionIsLostToo) {
    sim::ModuleSimulator sim;
    sim.setTiming({false, 0});
    const std::string path = sim.openPseudoTerminal();
    sim.start();
    sim.sendText(3, "early", sim::TextForm::Short);
    ASSERT_TRUE(sim.waitUntilSent(5s));
    EXPECT_EQ(sim.stats().bytesDropped, 2u * 18u);
    ToolSide tool(path);
    EXPECT_TRUE(tool.readFrames(1, 50).empty());
}

TEST(Simulator, StopAndStartAgainKeepsTheLine) {
    sim::ModuleSimulator sim;
    sim.setTiming({false, 0});
    const std::string path = sim.openPseudoTerminal();
    EXPECT_THROW(sim.openPseudoTerminal(), sim::SimError);
    sim.start();
    sim.stop();
    EXPECT_FALSE(sim.running());
    ToolSide tool(path);
    tool.sendPoll();
    EXPECT_TRUE(tool.readFrames(1, 50).empty());
    sim.start();
    EXPECT_TRUE(sim.running());
    // The poll sent while stopped is still in the terminal and answered now.
    EXPECT_EQ(tool.readFrames(1).size(), 1u);
}

TEST(Simulator, StartWithoutALineFails) {
    sim::ModuleSimulator sim;
    EXPECT_THROW(sim.start(), sim::SimError);
    EXPECT_THROW(sim.openDevice("/nonexistent/tty"), sim::SimError);
    EXPECT_THROW(sim.page(15), sim::SimError);
}

TEST(Simulator, RegularFileIsNoSerialDevice) {
    sim::ModuleSimulator sim;
    try {
        sim.openDevice("/proc/self/status");
        FAIL() << "a regular file was taken for a serial device";
    } catch (const sim::SimError& e) {
        EXPECT_NE(std::string(e.what()).find("/proc/self/status"), std::string::npos);
    }
}

TEST(Simulator, PlaysTheModuleOnAGivenDevice) {
    // The terminal side of another pseudo-terminal stands in for a serial device.
    sim::ModuleSimulator line;
    const std::string device = line.openPseudoTerminal();
    sim::ModuleSimulator sim;
    sim.setTiming({false, 0});
    sim.openDevice(device);
    EXPECT_EQ(sim.terminalPath(), device);
    sim.start();
    sim::ModuleSimulator other;
    EXPECT_THROW(other.openDevice(device), sim::SimError); // locked
    sim.stop();
}

// At 19200 baud a page answer of 7 frames (126 bytes) cannot take less than 126 / 1920 s, and an
// answer cannot come before the turnaround delay: lower bounds only, which load cannot break.
TEST_F(SimulatorFixture, PacingAndTurnaroundHoldAnswersBack) {
    sim.setTiming({true, 0});
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(readPage(0).size(), 7u);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 126 * sim::ModuleSimulator::ByteTime);

    sim.setTiming({false, 150});
    start = std::chrono::steady_clock::now();
    tool->sendPoll();
    ASSERT_EQ(tool->readFrames(1).size(), 1u);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
}
