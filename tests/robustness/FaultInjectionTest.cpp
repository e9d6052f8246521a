// The whole tool against a misbehaving module: the simulator on the far end of a pseudo-terminal adds
// noise, repeats blocks, hangs up in the middle of a transfer, or answers status polls between the pages,
// while the installer drives the real windows (offscreen).
#include "common/StateColour.h"
#include "common/ui/Dialogs.h"
#include "monitor/ui/TStateForm.h"
#include "serial/SerialPort.h"
#include "tests/app/Program.h"
#include "tools/sim/ModuleSimulator.h"
#include "transfer/ui/TFormDownload.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace vantrel;

namespace {

constexpr const char* kTransferButtons[] = {"btOpen", "btSave", "btRead", "btWrite", "btCompare", "btEdit", "btClose"};

sim::MemoryBytes patternedMemory(int seed) {
    sim::MemoryBytes memory{};
    for (std::size_t i = 0; i < memory.size(); ++i)
        memory[i] = static_cast<std::uint8_t>(i * 13 + seed + i / 64);
    return memory;
}

ImageBytes patternedImage(int seed) {
    ImageBytes image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + seed);
    return image;
}

// Processor time this process used, user and system, in seconds.
double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct FaultInjection : ::testing::Test {
    DialogScript dialogs; // answers every modal box; the tests read what was shown
    sim::ModuleSimulator module;
    test::Program program;
    TFormDownload* download = nullptr;

    void SetUp() override {
        module.setTiming({false, 0});
        program.links.link(1, QString::fromStdString(module.openPseudoTerminal()));
        module.start();
        program.connect();
        test::click(program.main, "btParameterSetting");
        download = &program.startup->formDownload();
        ASSERT_TRUE(download->isVisible());
    }

    QProgressBar* progress() { return test::child<QProgressBar>(download, "Progress"); }
    void clickTransfer(const char* name) { test::click(download, name); }
    ImageBytes& image() { return download->ParameterImage; }

    void expectTransferButtonsEnabled() {
        for (const char* name : kTransferButtons)
            EXPECT_TRUE(test::child<QPushButton>(download, name)->isEnabled()) << name;
    }
    void expectImageHolds(const sim::MemoryBytes& memory) {
        EXPECT_TRUE(std::equal(memory.begin(), memory.end(), image().begin()));
        EXPECT_TRUE(
            std::all_of(image().begin() + TransferLength, image().end(), [](std::uint8_t b) { return b == 0; }));
    }
};

} // namespace

TEST_F(FaultInjection, NoiseBeforeEveryFrameDoesNotDisturbAFullRead) {
    // A stray "{" opens every run of noise; the lengths put it inside, just before and just after the
    // frame's own 17-byte window.
    for (const int noise : {1, 9, 16, 17, 18, 40}) {
        SCOPED_TRACE(noise);
        const sim::MemoryBytes memory = patternedMemory(noise);
        module.setMemory(memory);
        sim::Faults faults;
        faults.noiseBytes = noise;
        module.setFaults(faults);
        image() = freshImage();
        clickTransfer("btRead");
        EXPECT_EQ(progress()->value(), 15);
        EXPECT_EQ(download->barColour(), colour::Green);
        expectImageHolds(memory);
        expectTransferButtonsEnabled();
    }
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(FaultInjection, RepeatedBlockDropsThePageAndTheReadStopsWithTheImageKept) {
    const sim::MemoryBytes memory = patternedMemory(3);
    module.setMemory(memory);
    sim::Faults faults;
    faults.repeatBlock = 2;
    faults.repeatBlockOn = {true, 4};
    module.setFaults(faults);
    const ImageBytes before = patternedImage(5);
    image() = before;

    download->transfer().setWaitTicks(5, 5);
    clickTransfer("btRead"); // page 4 never completes: asked for three times, then the read stops

    EXPECT_EQ(progress()->value(), 4);
    EXPECT_EQ(download->barColour(), colour::Red);
    EXPECT_EQ(image(), before);
    // The pages before the broken one did arrive.
    EXPECT_TRUE(std::equal(memory.begin(), memory.begin() + 4 * PageSize, download->TransferCopy().begin()));
    expectTransferButtonsEnabled();
    EXPECT_EQ(module.stats().pageReads, 4 + ParameterTransfer::Attempts);
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(FaultInjection, TerminalClosedDuringAWriteLeavesAUsableToolAndTheImageKept) {
    const sim::MemoryBytes moduleBefore = patternedMemory(1);
    module.setMemory(moduleBefore);
    sim::Faults faults;
    faults.hangUpAfter = 3; // pages 0..2 are written and acknowledged, the line closes at page 3
    module.setFaults(faults);
    const ImageBytes before = patternedImage(9);
    image() = before;
    // Only the write itself, so that the line closes while pages are being written.
    test::child<QCheckBox>(download, "cbBackup")->setChecked(false);
    test::child<QCheckBox>(download, "cbVerify")->setChecked(false);

    clickTransfer("btWrite");

    ASSERT_TRUE(test::waitUntil([&] { return module.lineLost(); }));
    EXPECT_FALSE(download->transfer().running());
    EXPECT_EQ(image(), before);
    EXPECT_EQ(progress()->value(), 3);
    // The window says what happened; no error box on top of it.
    EXPECT_TRUE(dialogs.messages(DialogScript::Kind::Error).isEmpty());
    EXPECT_EQ(download->barColour(), colour::Red);
    EXPECT_EQ(download->outcomeLine(), QStringLiteral("Áttöltés sikertelen: megszakadt a soros kapcsolat (lap: 4/15). "
                                                      "A modul csak részben módosult!"));
    expectTransferButtonsEnabled();

    // The module kept the pages it acknowledged and nothing after them.
    const sim::MemoryBytes moduleAfter = module.memory();
    EXPECT_TRUE(std::equal(moduleAfter.begin(), moduleAfter.begin() + 3 * PageSize, before.begin()));
    EXPECT_TRUE(std::equal(moduleAfter.begin() + 3 * PageSize, moduleAfter.end(), moduleBefore.begin() + 3 * PageSize));

    // The monitor has ended and nothing spins: a second of idling costs next to no processor time.
    ASSERT_TRUE(test::waitUntil([&] { return !program.main->ComPort1().monitorRunning(); }));
    const double cpuBefore = processorSeconds();
    test::pumpEvents(1000);
    EXPECT_LT(processorSeconds() - cpuBefore, 0.5);

    // The tool closed the lost port itself and says so.
    EXPECT_EQ(program.status(), QStringLiteral(" Hiba: A soros kapcsolat megszakadt!"));
    EXPECT_FALSE(program.main->ComPort1().Connected());
    EXPECT_TRUE(program.enabled("btConnect"));
    EXPECT_TRUE(program.enabled("btParameterSetting"));

    // A module on a new line: the tool connects again and reads it.
    module.stop();
    module.setFaults({});
    program.links.link(1, QString::fromStdString(module.openPseudoTerminal()));
    module.start();
    program.connect();
    clickTransfer("btRead");
    EXPECT_EQ(progress()->value(), 15);
    sim::MemoryBytes expected = moduleBefore;
    std::copy(before.begin(), before.begin() + 3 * PageSize, expected.begin());
    expectImageHolds(expected);
}

TEST_F(FaultInjection, TerminalClosedDuringAReadStopsTheReadWithTheImageKept) {
    module.setMemory(patternedMemory(2));
    sim::Faults faults;
    faults.hangUpAfter = 6; // the line closes half-way through page 6
    module.setFaults(faults);
    const ImageBytes before = patternedImage(4);
    image() = before;

    clickTransfer("btRead");

    EXPECT_TRUE(module.lineLost());
    EXPECT_EQ(image(), before);
    EXPECT_EQ(progress()->value(), 6);
    expectTransferButtonsEnabled();
    ASSERT_TRUE(test::waitUntil([&] { return !program.main->ComPort1().monitorRunning(); }));

    // The tool closed the lost port itself: no driver error box, and the window stays usable.
    EXPECT_FALSE(program.main->ComPort1().Connected());
    EXPECT_TRUE(dialogs.messages(DialogScript::Kind::Error).isEmpty());
    // The next transfer says there is no link.
    clickTransfer("btRead");
    EXPECT_EQ(dialogs.messages(DialogScript::Kind::Message), QStringList{QStringLiteral(" Nincs soros kapcsolat.")});
    EXPECT_EQ(image(), before);
    expectTransferButtonsEnabled();
    EXPECT_TRUE(program.enabled("btConnect"));
    EXPECT_FALSE(program.enabled("btDisconnect"));
}

TEST_F(FaultInjection, StatusPollsBetweenTransferFramesDoNotBreakAFullReadAndWrite) {
    // At the line's real pace a transfer takes over a second, so the monitor's polls (every 500 ms) and
    // their answers fall between the transfer's frames.
    module.setTiming({true, 0});
    module.setStatus({0x1F, 17, 0, 0});
    const sim::MemoryBytes memory = patternedMemory(7);
    module.setMemory(memory);
    test::click(program.main, "btStatus");
    TStateForm& monitor = program.startup->stateForm();
    ASSERT_TRUE(monitor.isVisible());
    ASSERT_TRUE(monitor.TimerState()->isActive());

    const int pollsBeforeRead = module.stats().statusPolls;
    clickTransfer("btRead");
    EXPECT_EQ(progress()->value(), 15);
    EXPECT_EQ(download->barColour(), colour::Green);
    expectImageHolds(memory);
    EXPECT_GE(module.stats().statusPolls, pollsBeforeRead + 1);

    const ImageBytes written = patternedImage(11);
    image() = written;
    const int pollsBeforeWrite = module.stats().statusPolls;
    clickTransfer("btWrite");
    EXPECT_EQ(progress()->value(), 15);
    EXPECT_EQ(download->barColour(), colour::Green);
    const sim::MemoryBytes stored = module.memory();
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), written.begin()));
    EXPECT_EQ(module.stats().acknowledgements, 15);
    EXPECT_GE(module.stats().statusPolls, pollsBeforeWrite + 1);

    // The answers to the polls reached the monitor meanwhile.
    EXPECT_TRUE(
        test::waitUntil([&] { return test::child<QLabel>(&monitor, "lbGSMpowVal")->text() == QStringLiteral("17"); }));
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(FaultInjection, DisconnectWhileAReadWaitsEndsTheReadWithTheImageKept) {
    module.setMemory(patternedMemory(6));
    sim::Faults faults;
    faults.silentAfter = 2; // page 2 never comes: the read is waiting when the installer disconnects
    module.setFaults(faults);
    const ImageBytes before = patternedImage(8);
    image() = before;
    dialogs.setNextAnswer(true); // "Adatátvitel folyamatban. Megszakítja?"
    QTimer::singleShot(300, program.main, [&] { test::click(program.main, "btDisconnect"); });

    clickTransfer("btRead");

    ASSERT_TRUE(test::waitUntil([&] { return !program.main->ComPort1().Connected(); }));
    EXPECT_EQ(program.status(), QStringLiteral(" Nincs soros kapcsolat."));
    EXPECT_FALSE(program.main->ComPort1().Connected());
    EXPECT_EQ(progress()->value(), 2);
    EXPECT_EQ(download->outcomeLine(), QStringLiteral("Beolvasás megszakítva (lap: 3/15)."));
    EXPECT_EQ(image(), before);
    expectTransferButtonsEnabled();
    EXPECT_EQ(dialogs.messages(DialogScript::Kind::Question).size(), 1);
    dialogs.clear();

    // The window stays open; a transfer now only says that there is no link.
    clickTransfer("btRead");
    EXPECT_EQ(dialogs.messages(DialogScript::Kind::Message), QStringList{QStringLiteral(" Nincs soros kapcsolat.")});
    EXPECT_EQ(image(), before);
}
