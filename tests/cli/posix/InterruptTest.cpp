// Signals during a command: the handler runs later on the event loop's thread, never inside the signal
// handler; the first signal is the one named, and a hang-up is not a request to stop.
#include "cli/Interrupt.h"
#include "tests/support/Wait.h"

#include <csignal>
#include <gtest/gtest.h>
#include <thread>

using namespace vantrel::cli;

TEST(Interrupt, AHangUpRunsTheHandlerOnTheEventLoopAndIsNoRequest) {
    catchInterrupts();
    int runs = 0;
    std::thread::id where;
    setInterruptHandler([&] {
        ++runs;
        where = std::this_thread::get_id();
    });
    EXPECT_FALSE(interrupted());
    EXPECT_TRUE(interruptName().isEmpty());
    ASSERT_EQ(std::raise(SIGHUP), 0);
    EXPECT_TRUE(interrupted());
    EXPECT_EQ(runs, 0) << "run inside the signal handler";
    ASSERT_TRUE(vantrel::test::waitUntil([&] { return runs == 1; }));
    EXPECT_EQ(where, std::this_thread::get_id());
    EXPECT_EQ(interruptName(), QStringLiteral("SIGHUP"));
    EXPECT_FALSE(interruptedByRequest());
    ASSERT_EQ(std::raise(SIGTERM), 0);
    ASSERT_TRUE(vantrel::test::waitUntil([&] { return runs == 2; }));
    EXPECT_EQ(interruptName(), QStringLiteral("SIGHUP")) << "the first interruption is the one named";
    setInterruptHandler({});
}
