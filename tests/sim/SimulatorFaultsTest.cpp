// Each fault of the simulator, seen from the tool's end of the line.
#include "tests/sim/SimulatorFixture.h"

#include <atomic>

using namespace vantrel;
using namespace vantrel::test;

namespace {

std::vector<int> blockIndexes(const std::vector<Plaintext>& frames) {
    std::vector<int> indexes;
    for (const Plaintext& f : frames)
        if (f[1] == 0x3C)
            indexes.push_back(f[2]);
    return indexes;
}

sim::PageScope everyPage() {
    return {true, -1};
}

sim::PageScope onlyPage(int page) {
    return {true, page};
}

} // namespace

TEST_F(SimulatorFixture, DropBlockLeavesThatBlockOut) {
    sim::Faults faults;
    faults.dropBlock = 2;
    faults.dropBlockOn = everyPage();
    sim.setFaults(faults);
    auto frames = readPage(0, 6);
    EXPECT_EQ(frames[0][1], 0x2C);
    EXPECT_EQ(blockIndexes(frames), (std::vector<int>{0, 1, 3, 4, 5}));

    faults.dropBlock = 5;
    faults.dropBlockOn = onlyPage(4);
    sim.setFaults(faults);
    EXPECT_EQ(blockIndexes(readPage(3)), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(blockIndexes(readPage(4, 6)), (std::vector<int>{0, 1, 2, 3, 4}));
    expectNothingMore();
}

TEST_F(SimulatorFixture, RepeatBlockSendsThatBlockTwice) {
    sim::Faults faults;
    faults.repeatBlock = 3;
    faults.repeatBlockOn = everyPage();
    sim.setFaults(faults);
    EXPECT_EQ(blockIndexes(readPage(7, 8)), (std::vector<int>{0, 1, 2, 3, 3, 4, 5}));
    expectNothingMore();
}

TEST_F(SimulatorFixture, BadChecksumIsOneTooHigh) {
    sim.setMemory(patternedMemory());
    sim::Faults faults;
    faults.badChecksum = onlyPage(1);
    sim.setFaults(faults);
    Page data{};
    auto frames = readPage(0);
    std::uint32_t carried = assemblePage(frames, data);
    EXPECT_EQ(carried, expectedChecksum(data));
    frames = readPage(1);
    ASSERT_EQ(frames.size(), 7u);
    carried = assemblePage(frames, data);
    EXPECT_EQ(carried, expectedChecksum(data) + 1);
}

TEST_F(SimulatorFixture, WrongPageAnnouncesTheNextPageWithTheAskedPagesData) {
    const sim::MemoryBytes memory = patternedMemory();
    sim.setMemory(memory);
    sim::Faults faults;
    faults.wrongPage = everyPage();
    sim.setFaults(faults);
    for (int page : {0, 14}) {
        const auto frames = readPage(page);
        ASSERT_EQ(frames.size(), 7u);
        EXPECT_EQ(frames[0][13], page + 1);
        Page data{};
        const std::uint32_t carried = assemblePage(frames, data);
        EXPECT_EQ(carried, expectedChecksum(data)); // a consistent page, just misplaced
        EXPECT_TRUE(std::equal(data.begin(), data.end(), memory.begin() + page * 64));
    }
}

TEST_F(SimulatorFixture, SilentAfterPagesAnswersNothingMore) {
    sim::Faults faults;
    faults.silentAfter = 2;
    sim.setFaults(faults);
    EXPECT_EQ(readPage(0).size(), 7u);
    tool->sendPageWrite(5, patternedPage(3)); // a stored page counts too
    EXPECT_EQ(tool->readFrames(1).size(), 1u);
    tool->sendRequest(0x1C, 2);
    tool->sendPoll();
    ASSERT_TRUE(waitForStats([](const sim::Stats& s) { return s.ignored == 2; }));
    expectNothingMore();

    sim.setFaults({}); // talks again
    tool->sendPoll();
    EXPECT_EQ(tool->readFrames(1).size(), 1u);
}

TEST_F(SimulatorFixture, NoAckStoresButNeverAcknowledges) {
    sim::Faults faults;
    faults.neverAck = true;
    sim.setFaults(faults);
    const Page data = patternedPage(5);
    tool->sendPageWrite(0, data);
    ASSERT_TRUE(waitForStats([](const sim::Stats& s) { return s.pageWrites == 1; }));
    expectNothingMore();
    const sim::PageBytes stored = sim.page(0);
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), data.begin()));
}

TEST_F(SimulatorFixture, AckFirstAcknowledgesOnlyThatManyPages) {
    sim::Faults faults;
    faults.ackFirst = 2;
    sim.setFaults(faults);
    for (int page = 0; page < 2; ++page) {
        tool->sendPageWrite(page, patternedPage(static_cast<std::uint8_t>(page)));
        const auto frames = tool->readFrames(1);
        ASSERT_EQ(frames.size(), 1u) << page;
        EXPECT_EQ(frames[0][1], 0x1D);
    }
    tool->sendPageWrite(2, patternedPage(2));
    ASSERT_TRUE(waitForStats([](const sim::Stats& s) { return s.pageWrites == 3; }));
    expectNothingMore();
    EXPECT_EQ(sim.stats().acknowledgements, 2);

    sim.restartFaultCounts(); // the count starts again
    tool->sendPageWrite(3, patternedPage(3));
    EXPECT_EQ(tool->readFrames(1).size(), 1u);
}

TEST_F(SimulatorFixture, NoiseComesBeforeEveryFrameStartingWithAStrayStartByte) {
    sim::Faults faults;
    faults.noiseBytes = 5;
    sim.setFaults(faults);
    const auto frames = readPage(6);
    ASSERT_EQ(frames.size(), 7u); // the frames are intact behind the noise
    ASSERT_TRUE(sim.waitUntilSent(std::chrono::seconds(5)));
    const std::vector<std::uint8_t>& raw = tool->raw();
    ASSERT_EQ(raw.size(), 7u * (5 + 18));
    for (std::size_t f = 0; f < 7; ++f) {
        EXPECT_EQ(raw[f * 23], 0x7B) << f;     // the stray start byte
        EXPECT_EQ(raw[f * 23 + 5], 0x7B) << f; // the frame's own
        EXPECT_EQ(raw[f * 23 + 22], 0x7D) << f;
    }
}

TEST_F(SimulatorFixture, HangUpAfterPagesClosesTheLineHalfWayThroughTheNextPage) {
    std::atomic<bool> told{false};
    sim.setLineLostHandler([&] { told = true; });
    sim::Faults faults;
    faults.hangUpAfter = 2;
    sim.setFaults(faults);
    EXPECT_EQ(readPage(0).size(), 7u);
    EXPECT_EQ(readPage(1).size(), 7u);
    const auto frames = readPage(2);
    EXPECT_EQ(blockIndexes(frames), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(tool->waitForHangUp());
    ASSERT_TRUE(waitUntil([&] { return sim.lineLost(); }));
    EXPECT_TRUE(sim.hungUpByFault());
    EXPECT_TRUE(told);
    EXPECT_FALSE(sim.running());
    EXPECT_EQ(sim.terminalPath(), "");
    EXPECT_THROW(sim.start(), sim::SimError);

    // A new line replaces the lost one; the memory and the faults stay.
    path = sim.openPseudoTerminal();
    sim.start();
    EXPECT_TRUE(sim.running());
    tool = std::make_unique<ToolSide>(path);
    tool->sendPoll();
    EXPECT_EQ(tool->readFrames(1).size(), 1u);
}

TEST_F(SimulatorFixture, HangUpDuringAWriteClosesTheLineAtTheHeader) {
    sim::Faults faults;
    faults.hangUpAfter = 0;
    sim.setFaults(faults);
    tool->sendPageWrite(0, patternedPage(1));
    EXPECT_TRUE(tool->waitForHangUp());
    EXPECT_TRUE(tool->readFrames(1, 0).empty());
    ASSERT_TRUE(waitUntil([&] { return sim.lineLost(); }));
    EXPECT_EQ(sim.stats().pageWrites, 0);
}
