// Start-up and the main window, driven offscreen: the windows the start-up creates, the link states and
// their status texts, the hidden key, and closing.
#include "app/TWelcomeForm.h"
#include "app/WindowPlacement.h"
#include "common/StateColour.h"
#include "common/ui/Dialogs.h"
#include "monitor/EventLog.h"
#include "monitor/ui/TFormEventLog.h"
#include "monitor/ui/TStateForm.h"
#include "params/ui/TSettingsForm.h"
#include "protocol/ModuleConnection.h"
#include "protocol/ui/TFormDetails.h"
#include "report/ParameterJson.h"
#include "serial/SerialPort.h"
#include "tests/app/Program.h"
#include "tests/support/PortLinks.h"
#include "tests/support/Pty.h"
#include "tests/support/Wait.h"
#include "tests/support/WidgetAudit.h"
#include "transfer/ParameterFile.h"
#include "transfer/ui/TFormDownload.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vantrel;
using test::waitUntil;

using test::child;
using test::click;

namespace {

// The program with the checks of the link buttons.
struct Program : test::Program {
    void expectLinkButtons(bool connected) const {
        EXPECT_EQ(enabled("btConnect"), !connected);
        EXPECT_EQ(enabled("btDisconnect"), connected);
        EXPECT_EQ(enabled("btStatus"), connected);
        EXPECT_TRUE(enabled("btParameterSetting")); // files are prepared without a module too
        EXPECT_TRUE(enabled("ButtonSelectSerial"));
        EXPECT_TRUE(enabled("btClose"));
    }
};

} // namespace

TEST(StartUp, SplashGivesWayToTheTitledMainWindowAndTheOtherWindowsWaitHidden) {
    Program p;
    ASSERT_NE(p.main, nullptr);
    EXPECT_EQ(p.main->windowTitle(), QStringLiteral("Vantrel 5  v1.03"));
    EXPECT_FALSE(p.startup->welcome().isVisible());
    EXPECT_EQ(p.startup->welcome().findChild<QLabel*>(QStringLiteral("lbVersion"))->text(), QStringLiteral(" v1.03"));
    EXPECT_FALSE(p.startup->stateForm().isVisible());
    EXPECT_FALSE(p.startup->formDownload().isVisible());
    EXPECT_FALSE(p.startup->formDetails().isVisible());
    EXPECT_EQ(p.startup->stateForm().windowTitle(), QStringLiteral("A modul állapota"));
    EXPECT_EQ(p.startup->formDownload().windowTitle(), QStringLiteral("Paraméterek beállítása"));
    EXPECT_EQ(p.startup->formDetails().windowTitle(), QStringLiteral("Serial Port Details"));
    EXPECT_EQ(p.status(), QString());
    EXPECT_EQ(p.main->ComPort1().Port(), QStringLiteral("COM1"));
    p.expectLinkButtons(false);
    for (const char* name : {"btConnect", "btDisconnect", "btStatus", "btParameterSetting", "btClose"})
        EXPECT_TRUE(child<QPushButton>(p.main, name)->font().bold()) << name;
    EXPECT_FALSE(child<QPushButton>(p.main, "ButtonSelectSerial")->font().bold());
    EXPECT_GE(p.main->width(), 232);
    EXPECT_GE(p.main->height(), 284);
}

TEST(StartUp, TheProductVariantShowsOnlyFourEditorTabs) {
    Program p;
    TSettingsForm& editor = p.startup->settingsForm();
    auto* pages = child<QTabWidget>(&editor, "PageControl1");
    ASSERT_NE(pages, nullptr);
    QStringList shown;
    for (int i = 0; i < pages->count(); ++i)
        shown << pages->tabText(i);
    EXPECT_EQ(shown, (QStringList{"Telefonszámok", "SMS szövegek", "Híváskorlátozás", "Kimenet vezérlés"}));
    EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("TabSheetPhone"));
    // The detached tabs' controls still exist for loading and storing.
    for (const char* name :
         {"TabSheetDRAVO", "TabSheetGPRS", "TabSheetBELL103", "IPAddressControl1", "cbGPRSmode", "acgBELLPhnrEnabled2"})
        EXPECT_NE(editor.findChild<QWidget*>(QLatin1String(name)), nullptr) << name;
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("Vantrel 5  -  Beállítások"));
}

TEST(MainWindow, ConnectToAMissingDeviceShowsTheErrorInTheStatusLineOnly) {
    Program p;
    p.links.link(1, QStringLiteral("/nonexistent/ttyGone"));
    DialogScript script;
    click(p.main, "btConnect");
    EXPECT_EQ(p.status(), QStringLiteral(" Hiba: A COM port nem elérhető!"));
    p.expectLinkButtons(false);
    EXPECT_TRUE(script.shown().isEmpty());
}

// Why the port failed follows in the second field: a missing device, and a device the user may not open.
TEST(MainWindow, AFailedConnectSaysWhy) {
    Program p;
    p.links.link(1, QStringLiteral("/nonexistent/ttyGone"));
    click(p.main, "btConnect");
    const auto reason = [&] { return child<QLabel>(p.main, "ReasonPanel")->text(); };
    EXPECT_FALSE(reason().isEmpty());
    if (::geteuid() == 0)
        GTEST_SKIP() << "root opens any device: the permission case needs an ordinary user";
    test::PtyPair pty;
    ASSERT_EQ(::chmod(QFile::encodeName(pty.terminalPath()).constData(), 0), 0);
    p.links.link(1, pty.terminalPath());
    click(p.main, "btConnect");
    EXPECT_EQ(p.status(), QStringLiteral(" Hiba: A COM port nem elérhető!"));
    // It names the group that owns the device (dialout for a serial adapter on Debian).
    EXPECT_TRUE(reason().startsWith(QStringLiteral("Nincs jogosultság")) &&
                reason().contains(QStringLiteral("csoport")))
        << reason().toStdString();
}

TEST(MainWindow, ConnectAndDisconnectOverAPseudoTerminal) {
    Program p;
    test::PtyPair pty;
    p.links.link(1, pty.terminalPath());
    click(p.main, "btConnect");
    EXPECT_EQ(p.status(), QStringLiteral(" Soros kapcsolat rendben."));
    p.expectLinkButtons(true);
    EXPECT_TRUE(p.main->ComPort1().Connected());

    click(p.main, "btStatus");
    EXPECT_TRUE(p.startup->stateForm().isVisible());
    click(p.main, "btParameterSetting");
    EXPECT_TRUE(p.startup->formDownload().isVisible());

    click(p.main, "btDisconnect");
    EXPECT_EQ(p.status(), QStringLiteral(" Nincs soros kapcsolat."));
    p.expectLinkButtons(false);
    EXPECT_FALSE(p.main->ComPort1().Connected());
    // Windows already open stay open.
    EXPECT_TRUE(p.startup->stateForm().isVisible());
    EXPECT_TRUE(p.startup->formDownload().isVisible());
}

TEST(MainWindow, HiddenKeyShowsTheDetailWindowOnlyFromTheListedControls) {
    Program p;
    auto* details = &p.startup->formDetails();
    auto press = [&](const char* focus, Qt::Key key, Qt::KeyboardModifiers mods) {
        details->hide();
        QWidget* target = focus ? static_cast<QWidget*>(child<QPushButton>(p.main, focus)) : p.main;
        target->setFocus();
        QTest::keyClick(target, key, mods);
        return details->isVisible();
    };
    const auto ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
    p.main->activateWindow();
    EXPECT_TRUE(press("btConnect", Qt::Key_D, ctrlAlt));
    EXPECT_TRUE(press("btClose", Qt::Key_D, ctrlAlt));
    EXPECT_TRUE(press("btConnect", Qt::Key_4, ctrlAlt | Qt::KeypadModifier));
    EXPECT_FALSE(press("btConnect", Qt::Key_D, ctrlAlt | Qt::ShiftModifier));
    EXPECT_FALSE(press("btConnect", Qt::Key_D, Qt::ControlModifier));
    EXPECT_FALSE(press("btConnect", Qt::Key_4, ctrlAlt)); // the 4 of the main keyboard
    EXPECT_FALSE(press("ButtonSelectSerial", Qt::Key_D, ctrlAlt));
}

TEST(MainWindow, ClosingTheMainWindowEndsTheProgram) {
    Program p;
    // The application's own event loop runs, as in the tool; only the root window's closing may end it.
    qApp->setQuitOnLastWindowClosed(false);
    bool timedOut = false;
    QTimer::singleShot(0, p.main, [&] { p.main->close(); });
    QTimer guard; // on the stack: it must not outlive this test and fire into the next one
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    guard.start(3000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(timedOut);
    EXPECT_FALSE(p.main->isVisible());
}

TEST(MainWindow, DestroyingTheProgramClosesThePort) {
    test::PtyPair pty;
    {
        Program p;
        p.links.link(1, pty.terminalPath());
        click(p.main, "btConnect");
        ASSERT_TRUE(p.main->ComPort1().Connected());
    }
    // The port is free again: another open succeeds.
    test::PortLinks links;
    links.link(2, pty.terminalPath());
    TSerialPort again;
    again.setPort(QStringLiteral("COM2"));
    EXPECT_NO_THROW(again.setConnected(true));
}

// Without a module: the transfer window opens, a file given at start is loaded into it, and only the
// transfers ask for the link.
TEST(OfflineUse, AFileGivenAtStartOpensInTheTransferWindow) {
    test::PortLinks links;
    test::WorkingDirectory cwd;
    ImageBytes image;
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 3);
    saveParameterFile(cwd.file("site.VT3"), image);

    Startup startup;
    startup.openAtStart(cwd.file("site.VT3"));
    startup.start();
    ASSERT_TRUE(waitUntil([&] { return startup.mainForm() && startup.mainForm()->isVisible(); }));
    TFormDownload& download = startup.formDownload();
    EXPECT_TRUE(download.isVisible());
    EXPECT_EQ(download.ParameterImage, image);
    EXPECT_EQ(download.outcomeLine(), QStringLiteral("Fájl betöltve: site.VT3"));

    DialogScript dialogs;
    download.hide();
    click(startup.mainForm(), "btParameterSetting");
    EXPECT_TRUE(download.isVisible());
    click(&download, "btRead");
    EXPECT_EQ(dialogs.messages(DialogScript::Kind::Message), QStringList{QStringLiteral(" Nincs soros kapcsolat.")});
    EXPECT_EQ(download.ParameterImage, image);

    // A file that cannot be opened is said so, and the image stays as it was.
    download.openFromFile(cwd.file("missing.VT3"));
    EXPECT_EQ(dialogs.messages(DialogScript::Kind::Error), QStringList{QStringLiteral("File not found.")});
    EXPECT_EQ(download.ParameterImage, image);

    // One of the tool's exports given by name is imported: its values, never its text as raw bytes.
    ImageBytes other = image;
    other[282] = 7;
    QFile json(cwd.file("site.json"));
    ASSERT_TRUE(json.open(QIODevice::WriteOnly));
    json.write(exportJson(other));
    json.close();
    download.openFromFile(cwd.file("site.json"));
    EXPECT_EQ(download.ParameterImage, other);
    EXPECT_EQ(download.outcomeLine(), QStringLiteral("Importálva: site.json"));
}

TEST(OfflineUse, TheProgramRefusesOptionsAndSecondFiles) {
    const QString tool = qEnvironmentVariable("VANTREL_TOOL");
    if (!QFile::exists(tool))
        GTEST_SKIP() << "VANTREL_TOOL does not name the built program";
    for (const QStringList& args : {QStringList{QStringLiteral("--bogus")}, QStringList{"a.VT3", "b.VT3"}}) {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.start(tool, args);
        ASSERT_TRUE(program.waitForFinished(5000));
        EXPECT_EQ(program.exitCode(), 2);
        EXPECT_TRUE(program.readAllStandardError().contains("vantrel5 [FILE.VT3]"));
    }
    // Without a graphical session: one clear line, no abort.
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    program.setProcessEnvironment(env);
    program.start(tool, {});
    ASSERT_TRUE(program.waitForFinished(5000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_TRUE(program.readAllStandardError().contains("no graphical session"));
}

TEST(MainWindow, WindowsOpenBesideTheirOpenerInsideTheScreen) {
    Program p;
    EXPECT_FALSE(qApp->windowIcon().isNull());
    EXPECT_FALSE(p.main->windowIcon().isNull()) << "also without a desktop entry";
    p.main->move(40, 60);
    click(p.main, "btParameterSetting");
    QWidget& transfer = p.startup->formDownload();
    ASSERT_TRUE(transfer.isVisible());
    const QRect screen = p.main->screen()->availableGeometry();
    EXPECT_FALSE(transfer.frameGeometry().intersects(p.main->frameGeometry())) << "the main window stays in view";
    EXPECT_TRUE(screen.contains(transfer.frameGeometry()));
    EXPECT_FALSE(transfer.windowIcon().isNull());
    // Moved by the installer, it stays there the next time.
    transfer.move(300, 200);
    transfer.hide();
    click(p.main, "btParameterSetting");
    EXPECT_EQ(transfer.pos(), QPoint(300, 200));

    // The rule itself: right of the opener, else left of it, else cascaded, inside the screen, hiding least.
    const QRect wide(0, 0, 1366, 768);
    const struct {
        QRect opener;
        QSize frame;
        QRect screen;
        QPoint at;
    } cases[] = {
        {{100, 100, 240, 300}, {400, 300}, wide, {348, 100}},           // right
        {{1000, 100, 240, 300}, {400, 300}, wide, {592, 100}},          // left: no room on the right
        {{200, 50, 240, 300}, {700, 500}, {0, 0, 910, 512}, {210, 12}}, // small screen: pulled inside
        {{565, 243, 236, 347}, {640, 435}, wide, {726, 243}},           // neither side: the one hiding least
        {{100, 600, 240, 150}, {400, 300}, wide, {348, 468}},           // lifted off the bottom edge
        {{100, 100, 240, 300}, {1500, 900}, wide, {0, 0}},              // larger than the screen: its corner on it
    };
    for (const auto& c : cases)
        EXPECT_EQ(placeBeside(c.opener, c.frame, c.screen), c.at) << c.at.x() << "," << c.at.y();
}

// The state is always painted, with the reason wrapped under it; the window grows to hold them, and its
// buttons keep their size.
TEST(MainWindow, TheStateAndItsReasonAreBothShown) {
    Program p;
    const QSize before = p.main->size();
    const int buttonHeight = child<QPushButton>(p.main, "btConnect")->height();
    p.links.link(1, QStringLiteral("/nonexistent/ttyGone"));
    p.main->setAnsweredPorts({QStringLiteral("COM7"), QStringLiteral("COM8")}); // a long reason
    click(p.main, "btConnect");
    auto* state = child<QLabel>(p.main, "StatusBar1");
    auto* reason = child<QLabel>(p.main, "ReasonPanel");
    EXPECT_TRUE(state->isVisible());
    EXPECT_EQ(state->text(), QStringLiteral(" Hiba: A COM port nem elérhető!"));
    EXPECT_TRUE(test::textHasRoom(*state, state->text()));
    EXPECT_TRUE(reason->isVisible());
    EXPECT_TRUE(test::textHasRoom(*reason, reason->text()));
    EXPECT_GT(reason->height(), reason->fontMetrics().height()) << "wrapped, not cut";
    EXPECT_EQ(p.main->width(), before.width());
    EXPECT_GT(p.main->height(), before.height());
    EXPECT_EQ(child<QPushButton>(p.main, "btConnect")->height(), buttonHeight);
    EXPECT_EQ(test::layoutProblems(*p.main).join('\n').toStdString(), "");

    // A lost line is said in the main window and in the status window, whose values go grey.
    test::PtyPair pty;
    p.links.link(1, pty.terminalPath());
    click(p.main, "btConnect");
    EXPECT_FALSE(reason->isVisible());
    pty.closeControl();
    ASSERT_TRUE(waitUntil([&] { return p.status() == QStringLiteral(" Hiba: A soros kapcsolat megszakadt!"); }));
    EXPECT_TRUE(p.startup->stateForm().isStale());
    EXPECT_EQ(child<QLabel>(&p.startup->stateForm(), "lbNoReply")->text(),
              QStringLiteral("A soros kapcsolat megszakadt!"));
}

// When the module comes back on another device under the same port name, the main window names the
// device it is on now.
TEST(MainWindow, ThePortPanelNamesTheDeviceOfTheLatestConnect) {
    Program p;
    auto* panel = child<QLabel>(p.main, "Panel1");
    test::PtyPair first;
    p.links.link(1, first.terminalPath());
    click(p.main, "btConnect");
    EXPECT_TRUE(panel->text().contains(first.terminalPath())) << panel->text().toStdString();
    click(p.main, "btDisconnect");

    test::PtyPair second;
    p.links.link(1, second.terminalPath());
    click(p.main, "btConnect");
    EXPECT_TRUE(panel->text().contains(second.terminalPath())) << panel->text().toStdString();
    EXPECT_FALSE(panel->text().contains(first.terminalPath()));
    EXPECT_TRUE(panel->text().contains(QStringLiteral("COM1")));
}

TEST(MainWindow, TheLogWindowShowsNewestFirstAndSavesACopy) {
    Program p;
    EventLog::append(QStringLiteral("napló próba: első"));
    EventLog::append(QStringLiteral("napló próba: második"));
    {
        // An entry of an earlier run.
        QFile file(EventLog::path());
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("2020-01-02 03:04:05.000 napló próba: régi\n");
    }
    click(p.main, "btLog");
    auto* log = p.main->findChild<TFormEventLog*>();
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->isVisible());
    EXPECT_EQ(log->windowTitle(), QStringLiteral("Napló"));
    EXPECT_EQ(test::accessibilityGaps(*log).join('\n').toStdString(), "");
    const QString shown = log->listText();
    const qsizetype second = shown.indexOf(QStringLiteral("napló próba: második"));
    const qsizetype first = shown.indexOf(QStringLiteral("napló próba: első"));
    ASSERT_GE(second, 0);
    EXPECT_LT(second, first) << "newest first";

    // Earlier runs are marked in words, and their grey is readable on the list.
    auto* grid = child<QTableWidget>(log, "gridLog");
    const QColor base = grid->palette().color(QPalette::Base);
    for (int row = 0; row < grid->rowCount(); ++row) {
        const bool old = grid->item(row, 2)->text() == QStringLiteral("napló próba: régi");
        EXPECT_EQ(grid->item(row, 1)->text(), old ? QStringLiteral("korábbi") : QStringLiteral("mostani"));
        const QColor ink = grid->item(row, 2)->foreground().color();
        if (old) {
            EXPECT_GE(contrastRatio({std::uint8_t(ink.red()), std::uint8_t(ink.green()), std::uint8_t(ink.blue())},
                                    {std::uint8_t(base.red()), std::uint8_t(base.green()), std::uint8_t(base.blue())}),
                      4.5);
        }
    }
    // Tab leaves the list; the arrows move inside it.
    log->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(log));
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), grid);
    // On a loaded machine a late activation of another window can take the focus from the log between the
    // steps; the chain is walked from the list, with the log active again.
    if (QApplication::focusWidget() == nullptr || QApplication::focusWidget()->window() != log) {
        log->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(log));
        grid->setFocus();
    }
    EXPECT_TRUE(test::tabChain(*log).contains(QStringLiteral("btCloseLog")));

    DialogScript script;
    const QString copy = p.cwd.file("naplo.txt");
    script.setNextFileName(copy);
    click(log, "btSaveLog");
    QFile saved(copy);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), shown);
}

TEST(ModuleMessages, EveryLineTheStatusBoxCompletesIsLoggedOnceInWindows1250WithNoWindowOpen) {
    Program p;
    for (const char* piece : {"Riaszt\xE1s \xF5", "rz\xF5 \xFB\r\n", "m\xE1sodik", "\r", "\r"})
        p.main->AppendToMemo(MemoTarget::MemoState, QByteArray(piece), true);
    QStringList logged;
    for (const EventLog::Entry& entry : EventLog::read())
        if (entry.text.startsWith(QStringLiteral("Modul üzenete: ")))
            logged.prepend(entry.text);
    ASSERT_GE(logged.size(), 2);
    EXPECT_EQ(logged.mid(logged.size() - 2), (QStringList{"Modul üzenete: Riasztás őrző ű", "Modul üzenete: második"}));
}
