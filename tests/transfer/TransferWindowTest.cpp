// The transfer window driven offscreen against the module simulator on a pseudo-terminal: read, write and
// compare with their outcomes on the bar and in the outcome line, what they do to the image and the
// module, backups, retries, Stop, a lost line, and the file buttons.
#include "common/ui/Dialogs.h"
#include "monitor/EventLog.h"
#include "params/FieldCodecs.h"
#include "params/ImageLayout.h"
#include "params/ui/DigitRow.h"
#include "params/ui/TSettingsForm.h"
#include "protocol/ModuleConnection.h"
#include "report/ParameterJson.h"
#include "tests/app/Program.h"
#include "tests/support/WidgetAudit.h"
#include "tools/sim/ModuleSimulator.h"
#include "transfer/Backups.h"
#include "transfer/ParameterFile.h"
#include "transfer/TransferSettings.h"
#include "transfer/ui/TFormDifferences.h"
#include "transfer/ui/TFormDownload.h"

#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QRegularExpression>
#include <QSet>
#include <QTableWidget>

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QProgressBar>
#include <QStandardPaths>
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
        // Failures wait 0.3 s per try instead of the module's 5 s and 8 s.
        form->transfer().setWaitTicks(3, 3);
    }

    static sim::MemoryBytes patterned(int seed) {
        sim::MemoryBytes m{};
        for (std::size_t i = 0; i < m.size(); ++i)
            m[i] = static_cast<std::uint8_t>(i * 13 + i / 64 + seed);
        return m;
    }
    static ImageBytes patternedImage() {
        ImageBytes image;
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<std::uint8_t>(i * 7 + 1);
        return image;
    }
    static ImageBytes imageOf(const sim::MemoryBytes& memory, std::uint8_t tail) {
        ImageBytes image;
        image.fill(tail);
        std::copy(memory.begin(), memory.end(), image.begin());
        return image;
    }
    ImageBytes& image() { return form->ParameterImage; }
    int bar() const { return test::child<QProgressBar>(form, "Progress")->value(); }
    // The colour the bar shows on screen in the middle of a page's step (1-based).
    Rgb shownAt(int page) const {
        auto* bar = test::child<QProgressBar>(form, "Progress");
        const QImage shot = bar->grab().toImage();
        const QColor c = shot.pixelColor((2 * page - 1) * shot.width() / 30, shot.height() / 2);
        return {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                static_cast<std::uint8_t>(c.blue())};
    }
    void click(const char* name) { test::click(form, name); }
    QString outcome() const { return form->outcomeLine(); }
    void setChecked(const char* name, bool on) { test::child<QCheckBox>(form, name)->setChecked(on); }
    // Runs `action` once, when the bar first shows `value` after `skip` earlier showings of it.
    void atBar(int value, std::function<void()> action, int skip = 0) {
        auto* bar = test::child<QProgressBar>(form, "Progress");
        auto seen = std::make_shared<int>(0);
        auto done = std::make_shared<bool>(false);
        QObject::connect(bar, &QProgressBar::valueChanged, form, [=](int v) {
            if (v == value && !*done && (*seen)++ == skip) {
                *done = true;
                action();
            }
        });
    }
    void expectUnlocked() {
        for (const char* name : transferButtons)
            EXPECT_TRUE(test::child<QPushButton>(form, name)->isEnabled()) << name;
        EXPECT_TRUE(test::child<QPushButton>(form, "btStop")->isEnabled());
    }
    // Runs `action` once the transfer has been waiting for `delayMs`.
    void during(int delayMs, const std::function<void()>& action) { QTimer::singleShot(delayMs, form, action); }
};

} // namespace

TEST_F(TransferWindow, ButtonsAreLockedWhileATransferRunsButStopIsNot) {
    module.setTiming({false, 40});
    auto* read = test::child<QPushButton>(form, "btRead");
    read->setFocus();
    bool checked = false;
    during(100, [&] {
        for (const char* name : transferButtons)
            EXPECT_FALSE(test::child<QPushButton>(form, name)->isEnabled()) << name;
        EXPECT_TRUE(test::child<QPushButton>(form, "btStop")->isEnabled());
        EXPECT_EQ(form->focusWidget(), test::child<QPushButton>(form, "btStop")); // Space stops
        checked = true;
    });
    // The bar takes every page at once, but the screen follows at most five times a second.
    struct Paints : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            count += e->type() == QEvent::Paint;
            return false;
        }
    } paints;
    auto* bar = test::child<QProgressBar>(form, "Progress");
    bar->installEventFilter(&paints);
    int values = 0;
    QObject::connect(bar, &QProgressBar::valueChanged, form, [&] { ++values; });
    QElapsedTimer clock;
    clock.start();
    click("btRead");
    EXPECT_TRUE(checked);
    expectUnlocked();
    EXPECT_EQ(form->focusWidget(), read);
    EXPECT_EQ(values, 15); // one a page, none held back
    EXPECT_LE(paints.count, 2 + clock.elapsed() / 200);
    EXPECT_EQ(shownAt(15), kGreen); // the last step is painted
}

TEST_F(TransferWindow, ReadOutcomes) {
    image() = freshImage();
    click("btRead");
    EXPECT_EQ(bar(), 15);
    EXPECT_EQ(form->barColour(), kGreen);
    EXPECT_EQ(outcome(), QStringLiteral("Beolvasás kész: 15/15 lap."));
    EXPECT_EQ(image(), imageOf(module.memory(), 0x00));
    EXPECT_TRUE(std::equal(form->TransferCopy().begin(), form->TransferCopy().end(), module.memory().begin()));
    expectUnlocked();
    // What the installer sees: the bar full and green, and an outcome that can be selected and copied.
    EXPECT_EQ(shownAt(1), kGreen);
    EXPECT_EQ(shownAt(15), kGreen);
    EXPECT_TRUE(test::child<QLabel>(form, "lbOutcome")->textInteractionFlags() & Qt::TextSelectableByMouse);

    // Failures keep the image as it was and stop red at the pages done.
    struct Case {
        sim::Faults faults;
        int bar;
        const char* text;
    } cases[] = {
        {{.silentAfter = 0}, 0, "Beolvasás sikertelen: nem jött válasz (lap: 1/15). (2 ismétlés)"},
        {{.silentAfter = 13}, 13, "Beolvasás sikertelen: nem jött válasz (lap: 14/15). (2 ismétlés)"},
        {{.wrongPage = {true, 4}}, 4, "Beolvasás sikertelen: hibás lapcím (lap: 5/15). (2 ismétlés)"},
        // A repeated block spoils the page each time it is asked for.
        {{.repeatBlock = 2, .repeatBlockOn = {true, 7}},
         7,
         "Beolvasás sikertelen: nem jött válasz (lap: 8/15). (2 ismétlés)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        module.setFaults(c.faults);
        const ImageBytes before = patternedImage();
        image() = before;
        click("btRead");
        EXPECT_EQ(bar(), c.bar);
        EXPECT_EQ(form->barColour(), kRed);
        if (c.bar > 0) {
            EXPECT_EQ(shownAt(c.bar), kRed);
        }
        EXPECT_NE(shownAt(c.bar + 1), kRed); // the pages not done stay empty
        EXPECT_EQ(outcome(), QString::fromUtf8(c.text));
        EXPECT_EQ(image(), before);
        expectUnlocked();
    }

    // A page lost on the line once is asked for again, and the read goes through.
    module.setFaults({.loseFirst = 1, .loseFirstOn = {true, 9}});
    click("btRead");
    EXPECT_EQ(outcome(), QStringLiteral("Beolvasás kész: 15/15 lap. (1 ismétlés)"));
    EXPECT_EQ(form->barColour(), kGreen);
    EXPECT_EQ(image(), imageOf(module.memory(), 0x00));
}

TEST_F(TransferWindow, WriteSavesABackupFirstAndReadsThePagesBack) {
    const sim::MemoryBytes old = module.memory();
    image() = imageOf(patterned(99), 0x5A);
    click("btWrite");
    EXPECT_EQ(bar(), 15);
    EXPECT_EQ(form->barColour(), kGreen);
    const QStringList saved = backups::list();
    ASSERT_FALSE(saved.isEmpty());
    // The receivers' block is set in the image but never reaches the module: said after the write; and the
    // outcome line names the backup.
    EXPECT_EQ(outcome(), QStringLiteral("Áttöltés kész és ellenőrizve: 15/15 lap. Csak a fájlban tárolódik, a "
                                        "modulba nem kerül: PanelID, IPAddress1, Port1, IPAddress2 és további 6. "
                                        "Mentés: %1")
                             .arg(QFileInfo(saved.first()).fileName()));
    EXPECT_EQ(module.memory(), patterned(99));
    EXPECT_EQ(image(), imageOf(patterned(99), 0x5A)); // a write only reads the image
    EXPECT_EQ(module.stats().pageReads, 30);
    EXPECT_EQ(module.stats().pageWrites, 15);

    // The backup holds what the module held before, with the receiver's block zero; it opens like any file.
    EXPECT_TRUE(QFileInfo(saved.first())
                    .fileName()
                    .contains(QRegularExpression(QStringLiteral(
                        "^\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d(_[A-Za-z0-9]+)?_[0-9a-f]{4}\\.VT3$"))))
        << saved.first().toStdString();
    EXPECT_EQ(openParameterFile(saved.first()), imageOf(old, 0x00));
    // The event log names the outcome and the backup.
    const QList<EventLog::Entry> logged = EventLog::read(5);
    ASSERT_FALSE(logged.isEmpty());
    EXPECT_TRUE(logged.first().text.startsWith(QStringLiteral("Áttöltés kész és ellenőrizve")));
    EXPECT_TRUE(logged.first().text.contains(QFileInfo(saved.first()).fileName())) << logged.first().text.toStdString();
    DialogScript script;
    script.setNextFileName(saved.first());
    click("btBackups");
    EXPECT_EQ(image(), imageOf(old, 0x00));
    EXPECT_EQ(outcome(), QStringLiteral("Fájl betöltve: %1").arg(QFileInfo(saved.first()).fileName()));

    // Both switches off: the pages are only written, and the switches are remembered.
    setChecked("cbBackup", false);
    setChecked("cbVerify", false);
    const int readsBefore = module.stats().pageReads;
    image()[layoutField("ServerID").offset] = 0x01;
    std::fill(image().begin() + layoutField("PanelID").offset, image().begin() + layoutField("ServerID").offset,
              std::uint8_t{0});
    click("btWrite");
    EXPECT_EQ(outcome(),
              QStringLiteral("Áttöltés kész: 15/15 lap. Csak a fájlban tárolódik, a modulba nem kerül: ServerID."));
    EXPECT_EQ(module.stats().pageReads, readsBefore);
    EXPECT_EQ(backups::list().size(), saved.size());
    EXPECT_FALSE(loadWriteOptions().backup);
    EXPECT_FALSE(loadWriteOptions().verify);
}

TEST_F(TransferWindow, WriteFailures) {
    const sim::MemoryBytes old = module.memory();
    image() = imageOf(patterned(21), 0x00);
    const qsizetype backupsBefore = backups::list().size();

    // The module cannot be read for the backup: nothing is written.
    module.setFaults({.silentAfter = 2});
    click("btWrite");
    EXPECT_EQ(
        outcome(),
        QStringLiteral("Áttöltés nem indult: a modul mentése sikertelen (a mentés olvasása, lap: 3/15). (2 ismétlés)"));
    EXPECT_EQ(form->barColour(), kRed);
    EXPECT_EQ(module.memory(), old);
    EXPECT_EQ(module.stats().pageWrites, 0);
    EXPECT_EQ(backups::list().size(), backupsBefore);

    // Acknowledgements stop after three pages: the fourth is sent three times, then the write stops.
    module.setFaults({.ackFirst = 3});
    setChecked("cbBackup", false);
    click("btWrite");
    EXPECT_EQ(bar(), 3);
    EXPECT_EQ(form->barColour(), kRed);
    EXPECT_EQ(outcome(), QStringLiteral("Áttöltés sikertelen: nem jött nyugta (lap: 4/15). A modul csak részben "
                                        "módosult! (2 ismétlés)"));

    // One acknowledgement lost: the page goes again and the write completes.
    module.setFaults({.loseFirst = 1, .loseFirstOn = {true, 6}});
    click("btWrite");
    EXPECT_EQ(outcome(), QStringLiteral("Áttöltés kész és ellenőrizve: 15/15 lap. (1 ismétlés)"));

    // The module changes a page between the write and the read-back.
    module.setFaults({});
    atBar(15, [&] {
        sim::PageBytes page = module.page(5);
        page[9] ^= 0x40;
        module.setPage(5, page);
    });
    click("btWrite");
    EXPECT_EQ(outcome(), QStringLiteral("Áttöltés után eltérés a modulban (lap: 6/15)!"));
    EXPECT_EQ(form->barColour(), kRed);
}

TEST_F(TransferWindow, AnImageNobodyFilledIsWrittenOnlyAfterAYes) {
    DialogScript script;
    const sim::MemoryBytes old = module.memory();
    // F6 in a fresh session: asked first, "Nem" (the default) sends nothing.
    click("btWrite");
    ASSERT_EQ(script.messages(DialogScript::Kind::Question).size(), 1);
    EXPECT_TRUE(script.messages(DialogScript::Kind::Question).first().contains(QStringLiteral("minden beállítását")));
    EXPECT_EQ(module.stats().pageReads, 0);
    EXPECT_EQ(module.stats().pageWrites, 0);
    EXPECT_EQ(module.memory(), old);
    EXPECT_EQ(outcome(), QStringLiteral("Áttöltés elmaradt: a modul nem módosult."));

    // A failed read leaves the image as fresh as it was: still asked. "Igen" writes it.
    module.setFaults({.silentAfter = 1});
    click("btRead");
    module.setFaults({});
    script.clear();
    script.setNextAnswer(true);
    click("btWrite");
    EXPECT_EQ(script.messages(DialogScript::Kind::Question).size(), 1);
    EXPECT_EQ(module.stats().pageWrites, 15);

    // After a read, a file opened, an import or an edit confirmed, F6 writes at once.
    const auto writesWithoutAsking = [&](const char* how) {
        SCOPED_TRACE(how);
        script.clear();
        const int writes = module.stats().pageWrites;
        click("btWrite");
        EXPECT_TRUE(script.messages(DialogScript::Kind::Question).isEmpty());
        EXPECT_EQ(module.stats().pageWrites, writes + 15);
    };
    click("btRead");
    writesWithoutAsking("read");
    // Each way of filling counts even when what it brings is all 0xFF, as in a new session.
    const auto newSession = [&] {
        form->transfer().setImageSource(ImageSource::Fresh);
        image() = freshImage();
    };
    saveParameterFile(program.cwd.file("blank.VT3"), freshImage());
    QFile json(program.cwd.file("empty.json"));
    ASSERT_TRUE(json.open(QIODevice::WriteOnly));
    json.write(R"({"format": "vantrel5-parameters", "version": 1, "fields": {}})");
    json.close();
    newSession();
    script.setNextFileName(program.cwd.file("blank.VT3"));
    click("btOpen");
    writesWithoutAsking("opened");
    newSession();
    script.setNextFileName(json.fileName());
    click("btImport");
    writesWithoutAsking("imported");
    newSession();
    script.setNextAnswer(true); // storing the fresh image's out-of-range numbers as the editor shows them
    during(200, [&] { test::click(QApplication::activeModalWidget(), "btSettingOK"); });
    click("btEdit");
    writesWithoutAsking("edited");
}

TEST_F(TransferWindow, AWriteSaysWhatTheModuleDoesNotHold) {
    DialogScript script;
    const sim::MemoryBytes old = module.memory();
    // The line drops while the backup reads the last page: no page was written, and the window says so.
    image() = imageOf(patterned(30), 0x00);
    module.setFaults({.hangUpAfter = 14});
    click("btWrite");
    EXPECT_EQ(outcome(), QStringLiteral("Áttöltés sikertelen: megszakadt a soros kapcsolat (a mentés olvasása, lap: "
                                        "15/15). A modul nem módosult."));
    EXPECT_EQ(bar(), 0);
    EXPECT_EQ(form->barColour(), kRed);
    EXPECT_EQ(module.stats().pageWrites, 0);
    EXPECT_EQ(module.memory(), old);
}

TEST_F(TransferWindow, CompareOutcomes) {
    image() = imageOf(patterned(42), 0x77);
    click("btWrite");
    image() = freshImage();
    click("btCompare");
    EXPECT_EQ(bar(), 15);
    EXPECT_EQ(form->barColour(), kGreen);
    EXPECT_EQ(outcome(), QStringLiteral("Összehasonlítás kész: a modul egyezik."));
    EXPECT_EQ(image(), imageOf(patterned(42), 0x00));

    // Two pages differ: the compare reads on to the end, red from the page that differs first (the fourth),
    // and keeps the image.
    for (int p : {3, 11}) {
        sim::PageBytes page = module.page(p);
        page[17] ^= 0x01;
        module.setPage(p, page);
    }
    image() = freshImage();
    QList<std::pair<int, Rgb>> steps;
    QObject::connect(test::child<QProgressBar>(form, "Progress"), &QProgressBar::valueChanged, [&](int value) {
        steps.append({value, form->barColour()});
    });
    click("btCompare");
    for (const auto& [value, rgb] : steps)
        EXPECT_EQ(rgb, value >= 1 && value <= 3 ? kGreen : value >= 4 ? kRed : rgb) << value;
    EXPECT_EQ(bar(), 15);
    EXPECT_EQ(form->barColour(), kRed);
    EXPECT_EQ(outcome(), QStringLiteral("Összehasonlítás kész: 2 eltérő mező."));
    EXPECT_EQ(image(), freshImage());
    EXPECT_EQ(module.page(3)[17], form->transfer().moduleCopy()[3 * PageSize + 17]);

    module.setFaults({.silentAfter = 5});
    click("btCompare");
    EXPECT_EQ(outcome(), QStringLiteral("Összehasonlítás sikertelen: nem jött válasz (lap: 6/15). (2 ismétlés)"));
}

TEST_F(TransferWindow, StopEndsEachOperationAtAPageAndSaysWhere) {
    module.setTiming({false, 60});
    struct Case {
        const char* button;
        int stopAtBar;
        int skip; // earlier showings of that bar value (the backup's)
        const char* text;
        int barAfter; // a write's bar counts the pages written
    } cases[] = {
        {"btRead", 3, 0, "Beolvasás megszakítva (lap: 4/15).", 3},
        {"btWrite", 2, 0, "Áttöltés megszakítva (a mentés olvasása, lap: 3/15). A modul nem módosult.", 0},
        {"btWrite", 2, 1, "Áttöltés megszakítva (lap: 3/15). A modul csak részben módosult!", 2},
        {"btCompare", 5, 0, "Összehasonlítás megszakítva (lap: 6/15).", 5},
    };
    image() = imageOf(patterned(8), 0x00);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ImageBytes before = image();
        QElapsedTimer sinceStop;
        atBar(
            c.stopAtBar,
            [&] {
                sinceStop.start();
                click("btStop");
            },
            c.skip);
        click(c.button);
        EXPECT_LT(sinceStop.elapsed(), 1000);
        // A write stopped after its backup names the backup, which holds what the module had.
        const QString backup =
            c.skip == 1 ? QStringLiteral(" Mentés: %1").arg(QFileInfo(backups::list().first()).fileName()) : QString();
        EXPECT_EQ(outcome(), QString::fromUtf8(c.text) + backup);
        EXPECT_EQ(bar(), c.barAfter);
        EXPECT_EQ(form->barColour(), kRed);
        EXPECT_EQ(image(), before);
        expectUnlocked();
    }
}

TEST_F(TransferWindow, ALostLineEndsTheTransferAtOnceWithoutAnErrorBox) {
    DialogScript script;
    const ImageBytes before = image();
    form->transfer().setWaitTicks(ParameterTransfer::PageTicks, ParameterTransfer::AckTicks);

    // The module's line hangs up half-way through page 7: no waiting out the 5 s.
    module.setFaults({.hangUpAfter = 6});
    QElapsedTimer timer;
    timer.start();
    click("btRead");
    EXPECT_LT(timer.elapsed(), 2500);
    EXPECT_EQ(outcome(), QStringLiteral("Beolvasás sikertelen: megszakadt a soros kapcsolat (lap: 7/15)."));
    EXPECT_EQ(bar(), 6);
    EXPECT_EQ(form->barColour(), kRed);
    EXPECT_EQ(image(), before);
    EXPECT_TRUE(script.messages(DialogScript::Kind::Error).isEmpty());
    expectUnlocked();
}

TEST_F(TransferWindow, DisconnectingDuringAReadAsksFirst) {
    DialogScript script;
    const ImageBytes before = image();
    module.setTiming({false, 40});
    // "Nem": the read goes on to its end.
    atBar(2, [&] { test::click(program.main, "btDisconnect"); });
    click("btRead");
    EXPECT_EQ(script.messages(DialogScript::Kind::Question),
              QStringList{QStringLiteral("Adatátvitel folyamatban. Megszakítja?")});
    EXPECT_EQ(outcome(), QStringLiteral("Beolvasás kész: 15/15 lap."));
    EXPECT_TRUE(program.main->ComPort1().Connected());

    // "Igen": the read stops, then the link is closed.
    image() = before;
    script.setNextAnswer(true);
    atBar(2, [&] { test::click(program.main, "btDisconnect"); });
    click("btRead");
    EXPECT_EQ(outcome(), QStringLiteral("Beolvasás megszakítva (lap: 3/15)."));
    EXPECT_EQ(image(), before);
    ASSERT_TRUE(test::waitUntil([&] { return !program.main->ComPort1().Connected(); }));
    EXPECT_EQ(program.status(), QStringLiteral(" Nincs soros kapcsolat."));
    EXPECT_TRUE(script.messages(DialogScript::Kind::Error).isEmpty());

    // Without a link every transfer says so.
    for (const char* name : {"btRead", "btWrite", "btCompare"})
        click(name);
    EXPECT_EQ(script.messages(DialogScript::Kind::Message), QStringList(3, QStringLiteral(" Nincs soros kapcsolat.")));
    EXPECT_EQ(image(), before);
}

TEST_F(TransferWindow, QuittingDuringAWriteStopsItAtAPageFirst) {
    DialogScript script;
    module.setTiming({false, 40});
    setChecked("cbBackup", false);
    setChecked("cbVerify", false);
    image() = imageOf(patterned(5), 0x00);
    bool closed = false;
    program.main->onFormClose = [&] { closed = true; };
    script.setNextAnswer(true);
    atBar(4, [&] { test::click(program.main, "btClose"); });
    click("btWrite");
    EXPECT_EQ(outcome(), QStringLiteral("Áttöltés megszakítva (lap: 5/15). A modul csak részben módosult!"));
    EXPECT_TRUE(test::waitUntil([&] { return closed; }));
    // The module holds whole pages: four new ones, the rest as they were.
    EXPECT_EQ(module.stats().pageWrites, 4);
}

TEST_F(TransferWindow, ClosingTheWindowDuringATransferOnlyHidesIt) {
    module.setTiming({false, 20});
    during(100, [&] { form->close(); });
    click("btRead");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->transfer().position(), 15);
    EXPECT_EQ(image(), imageOf(module.memory(), 0x00));
}

TEST_F(TransferWindow, FileButtons) {
    DialogScript script;
    image() = imageOf(patterned(7), 0x3C);
    image()[1087] = 0xE1;
    const ImageBytes saved = image();
    script.setNextFileName(program.cwd.file("site"));
    click("btSave");
    EXPECT_TRUE(QFile::exists(program.cwd.file("site.VT3")));
    EXPECT_EQ(outcome(), QStringLiteral("Fájl mentve: site.VT3"));

    image() = freshImage();
    click("btCompare"); // red
    script.setNextFileName(program.cwd.file("site.VT3"));
    click("btOpen");
    EXPECT_EQ(image(), saved);
    EXPECT_EQ(bar(), 15);
    EXPECT_EQ(form->barColour(), kGreen);
    EXPECT_EQ(outcome(), QStringLiteral("Fájl betöltve: site.VT3"));

    // A name typed without an extension is opened as typed when that file exists.
    QFile::copy(program.cwd.file("site.VT3"), program.cwd.file("plain"));
    image() = freshImage();
    script.setNextFileName(program.cwd.file("plain"));
    click("btOpen");
    EXPECT_EQ(image(), saved);

    // A read-only file is neither replaced nor changed; it still opens.
    QFile::setPermissions(program.cwd.file("site.VT3"), QFile::ReadOwner | QFile::ReadGroup);
    image() = freshImage();
    script.setNextFileName(program.cwd.file("site.VT3"));
    click("btSave");
    EXPECT_EQ(script.messages(DialogScript::Kind::Error), QStringList{QStringLiteral("File access denied.")});
    EXPECT_EQ(openParameterFile(program.cwd.file("site.VT3")), saved);
    script.setNextFileName(program.cwd.file("site.VT3"));
    click("btOpen");
    EXPECT_EQ(image(), saved);

    // Failures of opening are shown and leave the image.
    QFile shortFile(program.cwd.file("short.VT3"));
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write(QByteArray(500, '\x01'));
    shortFile.close();
    script.clear();
    script.setNextFileName(shortFile.fileName());
    click("btOpen");
    script.setNextFileName(program.cwd.file("missing.VT3"));
    click("btOpen");
    EXPECT_EQ(script.messages(DialogScript::Kind::Error),
              (QStringList{QStringLiteral("Read beyond end of file."), QStringLiteral("File not found.")}));
    EXPECT_EQ(image(), saved);
    EXPECT_EQ(bar(), 0);
    expectUnlocked();
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

TEST_F(TransferWindow, DifferencesAreListedFieldByField) {
    DialogScript script;
    image() = imageOf(patterned(12), 0x00);
    click("btWrite");
    // The module changes its third SMS and its fourth event code behind our back.
    const std::size_t sms3 = layoutField("SMS3").offset;
    const std::size_t event4 = layoutField("Event4").offset;
    sim::MemoryBytes memory = module.memory();
    memory[sms3 + 1] = 'X';
    memory[event4] = 0x12;
    memory[event4 + 1] = 0xA4;
    module.setMemory(memory);

    click("btCompare");
    EXPECT_EQ(outcome(), QStringLiteral("Összehasonlítás kész: 2 eltérő mező."));
    TFormDifferences& window = form->differences();
    ASSERT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Eltérések"));
    auto* grid = test::child<QTableWidget>(&window, "gridDifferences");
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("SMS szövegek / 4. eseménykód"));
    EXPECT_EQ(grid->item(0, 1)->text(), QStringLiteral("12*4"));
    EXPECT_EQ(grid->item(1, 0)->text(), QStringLiteral("SMS szövegek / 3. SMS"));
    EXPECT_NE(grid->item(1, 1)->text(), grid->item(1, 2)->text());

    test::click(&window, "btCopy");
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(QStringLiteral("12*4")));
    script.setNextFileName(program.cwd.file("diff.csv"));
    test::click(&window, "btSaveCsv");
    QFile csv(program.cwd.file("diff.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll().count('\n'), 3); // the heading and two rows

    // The same against a file, without the module: the image against what the file holds.
    saveParameterFile(program.cwd.file("site.VT3"), image());
    image()[layoutField("CallMax").offset] ^= 0x01;
    script.setNextFileName(program.cwd.file("site.VT3"));
    click("btCompareFile");
    EXPECT_EQ(outcome(), QStringLiteral("Összehasonlítás kész: 1 eltérő mező."));
    EXPECT_EQ(window.rows().size(), 1u);
    EXPECT_EQ(window.rows().front().name, QStringLiteral("CallMax"));
}

TEST_F(TransferWindow, SheetsExportImportAndPrint) {
    DialogScript script;
    image() = imageOf(patterned(77), 0x3C);
    const ImageBytes original = image();

    script.setNextFileName(program.cwd.file("site.json"));
    click("btExport");
    EXPECT_EQ(outcome(), QStringLiteral("Exportálva: site.json"));
    image() = freshImage();
    script.setNextFileName(program.cwd.file("site.json"));
    click("btImport");
    EXPECT_EQ(image(), original); // every byte, the receiver's block included
    EXPECT_EQ(outcome(), QStringLiteral("Importálva: site.json"));
    // As CSV, for a spreadsheet program set to Hungarian.
    script.setNextFileName(program.cwd.file("site.csv"));
    click("btExport");
    QFile csv(program.cwd.file("site.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_TRUE(csv.readLine().startsWith("\xEF\xBB\xBFname;tab;label;"));

    // A refused file names the field and the rule, and changes nothing.
    QFile bad(program.cwd.file("bad.json"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(R"({"format":"vantrel5-parameters","version":1,"fields":{"CallMax":1000}})");
    bad.close();
    script.setNextFileName(bad.fileName());
    click("btImport");
    const QStringList errors = script.messages(DialogScript::Kind::Error);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().startsWith(QStringLiteral("CallMax"))) << errors.first().toStdString();
    EXPECT_EQ(image(), original);

    // Printing to a PDF file: the sheet fits on a few A4 pages.
    ASSERT_FALSE(applyAssignment(QStringLiteral("Event3=1130"), image()));
    ASSERT_FALSE(applyAssignment(QStringLiteral("SMS3=\"Betörés a hátsó ajtónál\""), image()));
    script.setNextFileName(program.cwd.file("telephely.VT3"));
    click("btSave");
    script.setNextPrintFile(program.cwd.file("sheet.pdf"));
    click("btPrint");
    QFile pdf(program.cwd.file("sheet.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    const QRegularExpressionMatch pages =
        QRegularExpression(QStringLiteral("^Nyomtatás kész: (\\d+) oldal\\.$")).match(outcome());
    ASSERT_TRUE(pages.hasMatch()) << outcome().toStdString();
    const int count = pages.captured(1).toInt();
    EXPECT_GE(count, 2);
    EXPECT_LE(count, 4);

    // What is on the paper, read back out of the PDF: whole labels, each page numbered and naming the
    // file, a heading on the later pages, an event code on its SMS text's line.
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    ASSERT_FALSE(pdftotext.isEmpty()) << "poppler-utils is needed (scripts/bootstrap.sh installs it)";
    QProcess reader;
    reader.start(pdftotext, {QStringLiteral("-layout"), pdf.fileName(), QStringLiteral("-")});
    ASSERT_TRUE(reader.waitForFinished(10000));
    const QString text = QString::fromUtf8(reader.readAllStandardOutput());
    QStringList sheets = text.split(QLatin1Char('\f'));
    while (!sheets.isEmpty() && sheets.last().trimmed().isEmpty())
        sheets.removeLast();
    ASSERT_EQ(sheets.size(), count);
    for (int p = 0; p < count; ++p) {
        SCOPED_TRACE(p + 1);
        const QString& sheet = sheets[p];
        EXPECT_TRUE(sheet.contains(QStringLiteral("oldal %1/%2").arg(p + 1).arg(count)));
        EXPECT_GE(sheet.count(QStringLiteral("telephely.VT3")), 2); // at the head and at the foot
        if (p > 0) {
            EXPECT_TRUE(sheet.trimmed().startsWith(QStringLiteral("Vantrel 5 paraméterlap – telephely.VT3")));
        }
    }
    EXPECT_FALSE(text.contains(QChar(0x2026))) << "a label was cut";
    EXPECT_TRUE(text.contains(QStringLiteral("(#PREFIX)")));
    EXPECT_TRUE(text.contains(QStringLiteral("(#ADDFIX)")));
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("3\\. SMS +1130 +Betörés a hátsó ajtónál"))))
        << text.toStdString();
}

TEST_F(TransferWindow, KeysTooltipsAndEscape) {
    // The actions' keys, each named in its button's tooltip; pressed through the window, as the window
    // system delivers them.
    const std::pair<const char*, const char*> keys[] = {
        {"btOpen", "Ctrl+O"}, {"btSave", "Ctrl+S"}, {"btRead", "F5"}, {"btWrite", "F6"}, {"btCompare", "F7"}};
    for (const auto& [name, key] : keys) {
        auto* button = test::child<QPushButton>(form, name);
        EXPECT_EQ(button->shortcut(), QKeySequence(QString::fromLatin1(key))) << name;
        EXPECT_TRUE(button->toolTip().contains(QLatin1String(key))) << name;
    }
    QApplication::setActiveWindow(form);
    ASSERT_TRUE(test::waitUntil([&] { return form->isActiveWindow(); }));
    // A key clicks its button as the mouse would, shown pressed for a moment first.
    QTest::keyClick(form->windowHandle(), Qt::Key_F5);
    EXPECT_TRUE(test::waitUntil([&] { return outcome() == QStringLiteral("Beolvasás kész: 15/15 lap."); }));
    QTest::keyClick(form->windowHandle(), Qt::Key_F7);
    EXPECT_TRUE(test::waitUntil([&] { return outcome() == QStringLiteral("Összehasonlítás kész: a modul egyezik."); }));

    // While a transfer runs, the greyed buttons say why, and Escape does not leave it; once idle, it closes.
    module.setTiming({false, 40});
    bool checked = false;
    during(400, [&] {
        EXPECT_TRUE(test::child<QPushButton>(form, "btOpen")->toolTip().endsWith("Átvitel közben nem használható."));
        QTest::keyClick(form, Qt::Key_Escape);
        EXPECT_TRUE(form->isVisible());
        checked = true;
    });
    test::child<QPushButton>(form, "btRead")->click();
    EXPECT_TRUE(checked);
    EXPECT_EQ(outcome().toStdString(), "Beolvasás kész: 15/15 lap.");
    EXPECT_FALSE(test::child<QPushButton>(form, "btOpen")->toolTip().contains("Átvitel közben"));
    EXPECT_EQ(test::accessibilityGaps(*form).join('\n').toStdString(), "");
    QTest::keyClick(form, Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
}

namespace {

QString readName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(QAccessible::Name) : QString();
}

} // namespace

TEST_F(TransferWindow, AScreenReaderReadsEachOutcomeInWordsAndNotEachPage) {
    auto* line = test::child<QLabel>(form, "lbOutcome");
    module.setTiming({false, 20});
    // While pages go by the line counts them, but what is read stays the phase.
    QSet<QString> shown, read;
    QObject::connect(test::child<QProgressBar>(form, "Progress"), &QProgressBar::valueChanged, form, [&] {
        QTimer::singleShot(0, form, [&] {
            shown << line->text();
            read << readName(line);
        });
    });
    click("btRead");
    EXPECT_GT(shown.size(), 1);
    EXPECT_EQ(read, QSet<QString>{QStringLiteral("Beolvasás folyamatban...")});
    EXPECT_EQ(readName(line), QStringLiteral("Beolvasás kész: 15/15 lap."));
    module.setTiming({false, 0});

    // A compare that finds differences, and its summary in "Eltérések".
    sim::PageBytes page = module.page(4);
    page[3] ^= 0x10;
    module.setPage(4, page);
    DialogScript script;
    click("btCompare");
    EXPECT_EQ(readName(line), QStringLiteral("Összehasonlítás kész: 1 eltérő mező."));
    EXPECT_EQ(readName(test::child<QLabel>(&form->differences(), "lbSummary")), QStringLiteral("1 eltérő mező."));

    // A failure.
    module.setFaults({.silentAfter = 0});
    click("btRead");
    EXPECT_EQ(readName(line), outcome());
    EXPECT_TRUE(outcome().startsWith(QStringLiteral("Beolvasás sikertelen"))) << outcome().toStdString();
}

TEST_F(TransferWindow, EveryOutcomeColoursTheBarItself) {
    DialogScript script;
    image() = imageOf(patterned(8), 0x00);
    click("btWrite");
    sim::PageBytes page = module.page(2);
    page[0] ^= 0x01;
    module.setPage(2, page);
    click("btCompare");
    ASSERT_EQ(form->barColour(), kRed);

    // A file saved: no red bar under it.
    script.setNextFileName(program.cwd.file("a.VT3"));
    click("btSave");
    EXPECT_EQ(outcome(), QStringLiteral("Fájl mentve: a.VT3"));
    EXPECT_EQ(form->barColour(), kGreen);
    EXPECT_EQ(shownAt(15), kGreen);

    // Compared with a file: red for differences, as against the module; green when equal.
    image()[layoutField("REL1").offset] ^= 0x01;
    script.setNextFileName(program.cwd.file("a.VT3"));
    click("btCompareFile");
    EXPECT_EQ(outcome(), QStringLiteral("Összehasonlítás kész: 1 eltérő mező."));
    EXPECT_EQ(form->barColour(), kRed);
    EXPECT_EQ(shownAt(15), kRed);
    image()[layoutField("REL1").offset] ^= 0x01;
    script.setNextFileName(program.cwd.file("a.VT3"));
    click("btCompareFile");
    EXPECT_EQ(form->barColour(), kGreen);

    // A refused import or a failed save says so on the line, in place of what came before.
    script.setNextFileName(program.cwd.file("a.json"));
    click("btExport");
    EXPECT_EQ(outcome(), QStringLiteral("Exportálva: a.json"));
    QFile bad(program.cwd.file("bad.json"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(R"({"format":"vantrel5-parameters","version":1,"fields":{"CallMax":1000}})");
    bad.close();
    script.setNextFileName(bad.fileName());
    click("btImport");
    EXPECT_TRUE(outcome().startsWith(QStringLiteral("Importálás sikertelen: CallMax"))) << outcome().toStdString();
    EXPECT_EQ(bar(), 0);
    script.setNextFileName(program.cwd.path() + QStringLiteral("/missing/b.VT3"));
    click("btSave");
    EXPECT_TRUE(outcome().startsWith(QStringLiteral("Mentés sikertelen: "))) << outcome().toStdString();
    EXPECT_EQ(script.messages(DialogScript::Kind::Error).size(), 2);
}

TEST_F(TransferWindow, EnterPressesTheFocusedButtonEverywhereAndTheFocusIsShown) {
    // The transfer window: Enter on a focused button, as Space does; the focus is drawn from the start.
    EXPECT_TRUE(form->testAttribute(Qt::WA_KeyboardFocusChange));
    auto* read = test::child<QPushButton>(form, "btRead");
    read->setFocus();
    QTest::keyClick(read, Qt::Key_Return);
    EXPECT_EQ(outcome(), QStringLiteral("Beolvasás kész: 15/15 lap."));

    // The main window.
    form->hide();
    auto* open = test::child<QPushButton>(program.main, "btParameterSetting");
    open->setFocus();
    QTest::keyClick(open, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(form->isVisible());

    // The editor opens on its first field: the digits typed at once land there; Enter on a button presses it.
    DialogScript script;
    script.setNextAnswer(true);                  // should it list corrections of the module's other values first
    image()[layoutField("USER1").offset] = 0xFF; // an empty row
    bool seen = false;
    during(200, [&] {
        auto* editor = qobject_cast<TSettingsForm*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        seen = true;
        EXPECT_TRUE(editor->testAttribute(Qt::WA_KeyboardFocusChange));
        EXPECT_EQ(editor->focusWidget(), test::child<QWidget>(editor, "acgUSER1"));
        QTest::keyClicks(editor->focusWidget(), QStringLiteral("36"));
        auto* ok = test::child<QPushButton>(editor, "btSettingOK");
        ok->setFocus();
        QTest::keyClick(ok, Qt::Key_Return);
        if (editor->isVisible()) {
            ADD_FAILURE() << "Enter did not press " << QApplication::focusWidget()->objectName().toStdString();
            editor->done(0);
        }
    });
    click("btEdit");
    EXPECT_TRUE(seen);
    EXPECT_EQ(displayValue(image(), layoutField("USER1")), QStringLiteral("36"));

    // "Eltérések": Tab leaves the table for the buttons; the arrows stay inside it.
    saveParameterFile(program.cwd.file("b.VT3"), image());
    image()[layoutField("REL2").offset] ^= 0x01;
    image()[layoutField("CallMax").offset] ^= 0x01;
    script.setNextFileName(program.cwd.file("b.VT3"));
    click("btCompareFile");
    TFormDifferences& window = form->differences();
    EXPECT_TRUE(window.testAttribute(Qt::WA_KeyboardFocusChange));
    auto* grid = test::child<QTableWidget>(&window, "gridDifferences");
    ASSERT_GE(grid->rowCount(), 2);
    grid->setFocus();
    grid->setCurrentCell(0, 0);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(grid->currentRow(), 1);
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(window.focusWidget(), test::child<QPushButton>(&window, "btCopy"));
}
