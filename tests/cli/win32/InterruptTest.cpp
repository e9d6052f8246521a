// Console events during a command: the handler runs later on the event loop's thread, never on the
// system's handler thread; the first event is the one named, and Ctrl+C is a request to stop.
#include "cli/Interrupt.h"
#include "tests/support/Wait.h"

#include <gtest/gtest.h>
#include <thread>

#include <windows.h>

using namespace vantrel::cli;

TEST(Interrupt, CtrlCRunsTheHandlerOnTheEventLoopAndIsARequest) {
    // A console of the test's own, so that the event reaches this process alone.
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    catchInterrupts();
    int runs = 0;
    std::thread::id where;
    setInterruptHandler([&] {
        ++runs;
        where = std::this_thread::get_id();
    });
    EXPECT_FALSE(interrupted());
    EXPECT_TRUE(interruptName().isEmpty());
    ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    ASSERT_TRUE(vantrel::test::waitUntil([&] { return runs == 1; }));
    EXPECT_TRUE(interrupted());
    EXPECT_EQ(where, std::this_thread::get_id());
    EXPECT_EQ(interruptName(), QStringLiteral("CTRL_C_EVENT"));
    EXPECT_TRUE(interruptedByRequest());
    // Wine's consoles without a terminal send no Ctrl+Break; a second Ctrl+C still runs the handler.
    const DWORD second = GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, 0) ? CTRL_BREAK_EVENT : CTRL_C_EVENT;
    if (second == CTRL_C_EVENT) {
        ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    }
    ASSERT_TRUE(vantrel::test::waitUntil([&] { return runs == 2; }));
    EXPECT_EQ(interruptName(), QStringLiteral("CTRL_C_EVENT")) << "the first interruption is the one named";
    setInterruptHandler({});
    FreeConsole();
}
