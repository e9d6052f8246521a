// A simulator in this process on a fresh pseudo-terminal, unpaced, with the tool's end opened on it.
#pragma once

#include "tests/sim/ToolSide.h"
#include "tests/support/Wait.h"
#include "tools/sim/ModuleSimulator.h"

#include <gtest/gtest.h>
#include <memory>

namespace vantrel::test {

class SimulatorFixture : public ::testing::Test {
protected:
    void SetUp() override {
        sim.setTiming({false, 0});
        path = sim.openPseudoTerminal();
        sim.start();
        tool = std::make_unique<ToolSide>(path);
    }

    // A memory in which every byte differs from its neighbours, so misplaced bytes show.
    static sim::MemoryBytes patternedMemory() {
        sim::MemoryBytes memory{};
        for (std::size_t i = 0; i < memory.size(); ++i)
            memory[i] = static_cast<std::uint8_t>(i * 7 + i / 256 + 3);
        return memory;
    }

    static Page patternedPage(std::uint8_t seed) {
        Page page{};
        for (std::size_t i = 0; i < page.size(); ++i)
            page[i] = static_cast<std::uint8_t>(seed + i * 11);
        return page;
    }

    bool waitForStats(const std::function<bool(const sim::Stats&)>& condition) {
        return waitUntil([&] { return condition(sim.stats()); }, 5000);
    }

    // Once the module has handled what was sent and has nothing left to send, nothing more may be waiting.
    void expectNothingMore() {
        ASSERT_TRUE(sim.waitUntilSent(std::chrono::seconds(5)));
        EXPECT_TRUE(tool->readFrames(1, 50).empty());
    }

    std::vector<Plaintext> readPage(int page, std::size_t frames = 7) {
        tool->sendRequest(0x1C, page);
        return tool->readFrames(frames);
    }

    sim::ModuleSimulator sim;
    std::string path;
    std::unique_ptr<ToolSide> tool;
};

} // namespace vantrel::test
