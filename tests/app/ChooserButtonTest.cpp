// The main window's port chooser button: the chosen port reaches the panel and the driver, and an open
// link moves to the new port at once.
#include "common/ui/Dialogs.h"
#include "serial/SerialPort.h"
#include "serial/ports/KeyTree.h"
#include "serial/ports/PortEnumerator.h"
#include "serial/ui/TFormComPort.h"
#include "serial/ui/TSorosDialog.h"
#include "tests/app/Program.h"
#include "tests/support/Pty.h"
#include "tools/sim/ModuleSimulator.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QTableWidget>
#include <QTimer>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

using namespace vantrel;

namespace {

struct ChooserButton : ::testing::Test {
    test::Program program;
    std::shared_ptr<ports::MemoryKeySource> tree = std::make_shared<ports::MemoryKeySource>();

    void SetUp() override { program.main->SorosDialog1().setKeySource(tree); }

    void port(int number) {
        const QString key = ports::keypath::DeviceTree + QStringLiteral("\\dev%1").arg(number);
        tree->setText(key, QStringLiteral("Class"), QStringLiteral("Ports"));
        tree->setText(key, QStringLiteral("FriendlyName"), QStringLiteral("Test port (COM%1)").arg(number));
        tree->setText(key, QStringLiteral("Mfg"), QStringLiteral("Maker"));
        tree->setText(ports::keypath::ActivePortMap, QStringLiteral("p%1").arg(number),
                      QStringLiteral("COM%1").arg(number));
    }

    // Presses the chooser button and, once the chooser is up, hands it to the given step. The poll is
    // local, so a step that never ran cannot reach into the next test's chooser.
    void withChooser(const std::function<void(TFormComPort*)>& step) {
        bool ran = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* form = qobject_cast<TFormComPort*>(QApplication::activeModalWidget());
            if (!form || form->activationCount() == 0)
                return;
            poll.stop();
            step(form);
            ran = true;
        });
        poll.start();
        test::click(program.main, "ButtonSelectSerial");
        EXPECT_TRUE(ran);
    }
    // Picks the line of the given row and presses OK.
    void choose(int row) {
        withChooser([row](TFormComPort* form) {
            test::child<QTableWidget>(form, "StringGrid1")->selectRow(row);
            test::click(form, "Button1");
        });
    }
    QString panel() const { return test::child<QLabel>(program.main, "Panel1")->text(); }
};

} // namespace

TEST_F(ChooserButton, ChoosingWhileConnectedSwitchesTheOpenPort) {
    test::PtyPair first, second;
    program.links.link(1, first.terminalPath());
    program.links.link(5, second.terminalPath());
    port(5);
    program.connect();
    choose(0);
    EXPECT_EQ(panel(), QStringLiteral("Test port (COM5)"));
    EXPECT_EQ(program.main->ComPort1().Port(), QStringLiteral("COM5"));
    ASSERT_TRUE(program.main->ComPort1().Connected());
    EXPECT_EQ(program.status(), QStringLiteral(" Soros kapcsolat rendben."));
    program.main->ComPort1().WriteText("x");
    EXPECT_EQ(second.read(1000, 1), QByteArray("x"));
    EXPECT_TRUE(first.read(50).isEmpty());
    // The chooser opens next time on the line the panel names.
    EXPECT_EQ(program.main->SorosDialog1().PortIndex(), 5);
}

TEST_F(ChooserButton, AFailedSwitchShowsTheDriverErrorAndLeavesTheLinkClosed) {
    test::PtyPair first;
    program.links.link(1, first.terminalPath());
    program.links.link(6, QStringLiteral("/nonexistent/tty"));
    port(6);
    program.connect();
    DialogScript script;
    choose(0);
    EXPECT_EQ(script.messages(DialogScript::Kind::Error),
              QStringList{QStringLiteral("Unable to open com port (win error code: 2).")});
    EXPECT_FALSE(program.main->ComPort1().Connected());
    EXPECT_EQ(program.status(), QStringLiteral(" Soros kapcsolat rendben."));
    EXPECT_TRUE(program.enabled("btDisconnect"));
    test::click(program.main, "btDisconnect");
    EXPECT_TRUE(program.enabled("btConnect"));
    EXPECT_EQ(program.status(), QStringLiteral(" Nincs soros kapcsolat."));
}

TEST_F(ChooserButton, ACancelledChooserChangesNothing) {
    port(3);
    withChooser([](TFormComPort* form) { form->close(); });
    EXPECT_EQ(panel(), QStringLiteral("COM1"));
    EXPECT_EQ(program.main->ComPort1().Port(), QStringLiteral("COM1"));
}

TEST_F(ChooserButton, AChosenPortIsSavedAtExitAndShownAtTheNextStart) {
    port(7);
    choose(0);
    EXPECT_EQ(panel(), QStringLiteral("Test port (COM7)"));
    program.end();
    program.start();
    EXPECT_EQ(program.main->ComPort1().Port(), QStringLiteral("COM7"));
    EXPECT_EQ(panel(), QStringLiteral("COM7")); // the restored port shows at once
}

TEST_F(ChooserButton, SearchMarksWhoAnswersSkipsHeldPortsAndSelectsTheFirst) {
    sim::ModuleSimulator module;
    module.setTiming({false, 0});
    program.links.link(8, QString::fromStdString(module.openPseudoTerminal()));
    module.start();
    test::PtyPair mute, held;
    program.links.link(7, mute.terminalPath());
    program.links.link(9, held.terminalPath());
    // Another program holds COM9 the way the driver does: nothing may be sent to it.
    const int holder = ::open(QFile::encodeName(held.terminalPath()).constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    for (int n : {7, 8, 9})
        port(n);

    QMap<QString, QString> marks;
    withChooser([&](TFormComPort* form) {
        test::click(form, "btSearch");
        marks = form->searchMarks();
        EXPECT_EQ(form->PortNev(), QStringLiteral("COM8")) << "the first port that answered is selected";
        test::click(form, "Button1");
    });
    ::close(holder);
    EXPECT_EQ(marks.value("COM8"), QStringLiteral("modul válaszol"));
    EXPECT_EQ(marks.value("COM7"), QStringLiteral("nem válaszol"));
    EXPECT_EQ(marks.value("COM9"), QStringLiteral("foglalt, kihagyva"));
    EXPECT_TRUE(held.read(100).isEmpty()) << "nothing is sent to a held port";
    EXPECT_EQ(program.main->ComPort1().Port(), QStringLiteral("COM8"));

    // A later failed connect elsewhere points at the port that answered.
    program.links.link(12, QStringLiteral("/nonexistent/tty"));
    program.main->ComPort1().setPort(QStringLiteral("COM12"));
    test::click(program.main, "btConnect");
    EXPECT_TRUE(test::child<QLabel>(program.main, "ReasonPanel")->text().contains("COM8"))
        << test::child<QLabel>(program.main, "ReasonPanel")->text().toStdString();
}
