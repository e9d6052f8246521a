// The transfer window driven offscreen against the module simulator on a pseudo-terminal: read, write and
// compare with their outcomes on the bar, what they do to the image, and the file buttons.
#include "common/ui/Dialogs.h"
#include "params/ui/TSettingsForm.h"
#include "protocol/ModuleConnection.h"
#include "tests/app/Program.h"
#include "tools/sim/ModuleSimulator.h"
#include "transfer/ui/TFormDownload.h"

#include <QApplication>
#include <QFile>
#include <QProgressBar>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

constexpr Rgb kGreen = colour::Green;
constexpr Rgb kRed = colour::Red;

class TransferWindow : public ::testing::Test {
protected:
    sim::ModuleSimulator module;
    test::Program program;
    TFormDownload* form = nullptr;
    const char* transferButtons[7] = {"btOpen", "btSave", "btRead", "btWrite", "btCompare", "btEdit", "btClose"};

    void SetUp() override {
        module.setTiming({false, 0});
        module.setMemory(patterned(3));
        program.links.link(1, QString::fromStdString(module.openPseudoTerminal()));
        module.start();
        program.connect();
        test::click(program.main, "btParameterSetting");
        form = &program.startup->formDownload();
        ASSERT_TRUE(form->isVisible());
    }

    static sim::MemoryBytes patterned(int seed) {
        sim::MemoryBytes m{};
        for (std::size_t i = 0; i < m.size(); ++i)
            m[i] = static_cast<std::uint8_t>(i * 13 + i / 64 + seed);
        return m;
    }
    static ImageBytes imageOf(const sim::MemoryBytes& memory, std::uint8_t tail) {
        ImageBytes image;
        image.fill(tail);
        std::copy(memory.begin(), memory.end(), image.begin());
        return image;
    }
    ImageBytes& image() { return form->ParameterImage; }
    int bar() const { return test::child<QProgressBar>(form, "Progress")->value(); }
    void click(const char* name) { test::click(form, name); }
    void expectUnlocked() {
        for (const char* name : transferButtons)
            EXPECT_TRUE(test::child<QPushButton>(form, name)->isEnabled()) << name;
        EXPECT_TRUE(test::child<QPushButton>(form, "btStop")->isEnabled());
    }
    // Runs `action` once the transfer has been waiting for `delayMs`.
    void during(int delayMs, const std::function<void()>& action) {
        QTimer::singleShot(delayMs, form, action);
    }
};

} // namespace

TEST_F(TransferWindow, ReadBringsTheModulesPagesAndClearsTheLocalBlock) {
    image() = freshImage();
    click("btRead");
    EXPECT_EQ(bar(), 12);
    EXPECT_EQ(form->transfer().position(), 15);
    EXPECT_EQ(form->barColour(), kGreen);
    EXPECT_EQ(image(), imageOf(module.memory(), 0x00));
    EXPECT_TRUE(std::equal(form->TransferCopy().begin(), form->TransferCopy().end(), module.memory().begin()));
    expectUnlocked();
}

TEST_F(TransferWindow, ButtonsAreLockedWhileATransferRunsButStopIsNot) {
    module.setTiming({false, 40});
    bool checked = false;
    during(100, [&] {
        for (const char* name : transferButtons)
            EXPECT_FALSE(test::child<QPushButton>(form, name)->isEnabled()) << name;
        EXPECT_TRUE(test::child<QPushButton>(form, "btStop")->isEnabled());
        checked = true;
    });
    click("btRead");
    EXPECT_TRUE(checked);
    expectUnlocked();
}

TEST_F(TransferWindow, ReadWithoutAnswerStopsAtZeroAndKeepsTheImage) {
    module.setFaults({.silentAfter = 0});
    const ImageBytes before = image();
    click("btRead");
    EXPECT_EQ(bar(), 0);
    EXPECT_EQ(form->barColour(), kGreen);
    EXPECT_EQ(image(), before);
    expectUnlocked();
}

TEST_F(TransferWindow, ReadWhosePage13NeverComesShowsAFullBarButKeepsTheImage) {
    module.setFaults({.silentAfter = 13});
    const ImageBytes before = image();
    click("btRead");
    EXPECT_EQ(bar(), 12);
    EXPECT_EQ(form->transfer().position(), 13);
    EXPECT_EQ(form->barColour(), kGreen);
    EXPECT_EQ(image(), before);
}

TEST_F(TransferWindow, AMisaddressedPageStopsTheReadAtZero) {
    sim::Faults faults;
    faults.wrongPage = {true, 0};
    module.setFaults(faults);
    const ImageBytes before = image();
    click("btRead");
    EXPECT_EQ(bar(), 0);
    EXPECT_EQ(image(), before);
}

TEST_F(TransferWindow, WriteStoresTheImageInTheModule) {
    image() = imageOf(patterned(99), 0x5A);
    click("btWrite");
    EXPECT_EQ(bar(), 12);
    EXPECT_EQ(form->barColour(), kGreen);
    EXPECT_EQ(module.memory(), patterned(99));
    EXPECT_EQ(image(), imageOf(patterned(99), 0x5A)); // a write only reads the image
}

TEST_F(TransferWindow, WriteThatStopsBeingAcknowledgedTurnsRedAtThePagesDone) {
    module.setFaults({.ackFirst = 3});
    click("btWrite");
    EXPECT_EQ(bar(), 3);
    EXPECT_EQ(form->barColour(), kRed);
}

TEST_F(TransferWindow, CompareAfterAWriteIsEqual) {
    image() = imageOf(patterned(42), 0x77);
    click("btWrite");
    image() = freshImage();
    click("btCompare");
    EXPECT_EQ(bar(), 12);
    EXPECT_EQ(form->barColour(), kGreen);
    EXPECT_EQ(image(), imageOf(patterned(42), 0x00));
}

TEST_F(TransferWindow, CompareWithOneDifferentPageRunsOnInRedAndKeepsTheImage) {
    click("btRead");
    sim::PageBytes page = module.page(3);
    page[17] ^= 0x01;
    module.setPage(3, page);
    image() = freshImage();

    QList<std::pair<int, Rgb>> steps;
    QObject::connect(test::child<QProgressBar>(form, "Progress"), &QProgressBar::valueChanged,
                     [&](int value) { steps.append({value, form->barColour()}); });
    click("btCompare");
    ASSERT_GE(steps.size(), 12);
    // Each step records the colour the bar had up to then: green through the third page; red from the step
    // after the fourth page, which found the difference.
    for (const auto& [value, rgb] : steps) {
        if (value >= 1 && value <= 4) {
            EXPECT_EQ(rgb, kGreen) << value;
        } else if (value >= 5) {
            EXPECT_EQ(rgb, kRed) << value;
        }
    }
    EXPECT_EQ(form->barColour(), kRed);
    EXPECT_EQ(form->transfer().position(), 15);
    EXPECT_EQ(image(), freshImage());
}

TEST_F(TransferWindow, CompareRightAfterStartChecksAgainstZeros) {
    click("btCompare");
    EXPECT_EQ(form->barColour(), kRed); // the module does not hold 960 zero bytes
    module.setMemory({});
    click("btCompare");
    EXPECT_EQ(form->barColour(), kGreen);
    EXPECT_EQ(image(), ImageBytes{});
}

TEST_F(TransferWindow, StopEndsARunningReadWhereItIs) {
    module.setTiming({false, 150});
    const ImageBytes before = image();
    during(700, [&] { click("btStop"); });
    click("btRead");
    EXPECT_GT(form->transfer().position(), 0);
    EXPECT_LT(form->transfer().position(), 15);
    EXPECT_EQ(bar(), form->transfer().position());
    EXPECT_EQ(image(), before);
    expectUnlocked();
}

TEST_F(TransferWindow, ThePortClosedUnderATransferEndsItWithTheDriversError) {
    DialogScript script;
    const ImageBytes before = image();
    // The installer disconnects just as the second page lands: the next request finds the port closed.
    QObject::connect(test::child<QProgressBar>(form, "Progress"), &QProgressBar::valueChanged, form, [&](int value) {
        if (value == 2)
            test::click(program.main, "btDisconnect");
    });
    click("btRead");
    EXPECT_EQ(form->transfer().position(), 2);
    EXPECT_EQ(script.messages(DialogScript::Kind::Error),
              QStringList{QStringLiteral("WriteFile function failed (win error code: 9).")});
    EXPECT_EQ(image(), before);
    expectUnlocked();
}

TEST_F(TransferWindow, WithoutALinkEveryTransferSaysSo) {
    test::click(program.main, "btDisconnect");
    DialogScript script;
    const ImageBytes before = image();
    for (const char* name : {"btRead", "btWrite", "btCompare"})
        click(name);
    EXPECT_EQ(script.messages(DialogScript::Kind::Message), QStringList(3, QStringLiteral(" Nincs soros kapcsolat.")));
    EXPECT_EQ(image(), before);
    EXPECT_EQ(bar(), 0);
}

TEST_F(TransferWindow, ClosingTheWindowDuringATransferOnlyHidesIt) {
    module.setTiming({false, 20});
    during(100, [&] { form->close(); });
    click("btRead");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->transfer().position(), 15);
    EXPECT_EQ(image(), imageOf(module.memory(), 0x00));
}

TEST_F(TransferWindow, FilesRoundTripThroughTheButtons) {
    DialogScript script;
    image() = imageOf(patterned(7), 0x3C);
    image()[1087] = 0xE1;
    const ImageBytes saved = image();
    script.setNextFileName(program.cwd.file("site"));
    click("btSave");
    EXPECT_TRUE(QFile::exists(program.cwd.file("site.VT3")));
    EXPECT_EQ(script.shown().constFirst().text, QStringLiteral("Vantrel 3 GPRS Data|*.VT3"));

    image() = freshImage();
    script.setNextFileName(program.cwd.file("site.VT3"));
    click("btOpen");
    EXPECT_EQ(image(), saved);
    EXPECT_EQ(bar(), 12);
    EXPECT_EQ(form->barColour(), kGreen);
    EXPECT_TRUE(script.messages(DialogScript::Kind::Error).isEmpty());
}

TEST_F(TransferWindow, OpenFailuresAreShownAndLeaveTheImage) {
    DialogScript script;
    click("btRead"); // bar full
    const ImageBytes before = image();
    QFile shortFile(program.cwd.file("short.VT3"));
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write(QByteArray(500, '\x01'));
    shortFile.close();
    script.setNextFileName(shortFile.fileName());
    click("btOpen");
    script.setNextFileName(program.cwd.file("missing.VT3"));
    click("btOpen");
    EXPECT_EQ(script.messages(DialogScript::Kind::Error),
              (QStringList{QStringLiteral("Read beyond end of file."), QStringLiteral("File not found.")}));
    EXPECT_EQ(image(), before);
    EXPECT_EQ(bar(), 0);
    expectUnlocked();
}

TEST_F(TransferWindow, CancelledDialogs) {
    DialogScript script;
    click("btRead");
    module.setMemory({});
    click("btCompare"); // red and full
    const ImageBytes before = image();
    click("btSave"); // cancelled: nothing changes
    EXPECT_EQ(bar(), 12);
    EXPECT_EQ(form->barColour(), kRed);
    click("btOpen"); // cancelled: the bar is reset all the same
    EXPECT_EQ(bar(), 0);
    EXPECT_EQ(form->barColour(), kGreen);
    EXPECT_EQ(image(), before);
    EXPECT_TRUE(QDir(program.cwd.path()).entryList({QStringLiteral("*.VT3")}).isEmpty());
}

TEST_F(TransferWindow, EditOpensTheEditorOnTheImageAndCancelKeepsIt) {
    image()[51] = 3; // USER1: three digits
    image()[52] = '1';
    image()[53] = '2';
    image()[54] = '3';
    const ImageBytes before = image();
    bool seen = false;
    during(200, [&] {
        auto* editor = qobject_cast<TSettingsForm*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        seen = true;
        test::click(editor, "btSettingCancel");
    });
    click("btEdit");
    EXPECT_TRUE(seen);
    EXPECT_EQ(image(), before);
}
