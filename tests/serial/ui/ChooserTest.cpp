// The port chooser driven offscreen through its component, as the main window runs it: selection,
// centring, adding ports by number, closing, refresh and activation, drawing.
#include "common/ui/Dialogs.h"
#include "serial/ports/KeyTree.h"
#include "serial/ports/PortEnumerator.h"
#include "serial/ui/TFormComPort.h"
#include "serial/ui/TSorosDialog.h"
#include "tests/support/Wait.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::ports;
using vantrel::test::waitUntil;

namespace {

const QString kEnum = keypath::DeviceTree;
const QString kMap = keypath::ActivePortMap;

class Chooser : public ::testing::Test {
protected:
    std::shared_ptr<MemoryKeySource> tree = std::make_shared<MemoryKeySource>();
    TSorosDialog dialog;
    DialogScript script;

    void SetUp() override { dialog.setKeySource(tree); }

    void device(int number, const QString& maker = QStringLiteral("Maker"), const QString& name = QString()) {
        const QString path = kEnum + QStringLiteral("\\dev%1").arg(number);
        tree->setText(path, QStringLiteral("Class"), QStringLiteral("Ports"));
        tree->setText(path, QStringLiteral("FriendlyName"),
                      name.isEmpty() ? QStringLiteral("Port (COM%1)").arg(number) : name);
        tree->setText(path, QStringLiteral("Mfg"), maker);
    }
    void plugIn(int number) {
        tree->setText(kMap, QStringLiteral("port%1").arg(number), QStringLiteral("COM%1").arg(number));
    }
    void unplug(int number) { tree->removeValue(kMap, QStringLiteral("port%1").arg(number)); }

    // Runs Execute; `steps` act on the window once it has been activated. A window the steps leave
    // open is closed so that a failed step cannot hang the test.
    bool run(const std::function<void(TFormComPort&)>& steps) {
        // Polled from a timer of its own: the steps then run inside the window's modal loop, where the
        // window's own events and timers keep being delivered while a step waits.
        QTimer poll;
        QElapsedTimer clock;
        clock.start();
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* form = qobject_cast<TFormComPort*>(QApplication::activeModalWidget());
            if (form == nullptr || form->activationCount() == 0) {
                if (clock.elapsed() > 5000) {
                    poll.stop();
                    ADD_FAILURE() << "the chooser was not shown";
                    if (QWidget* modal = QApplication::activeModalWidget())
                        modal->close();
                }
                return;
            }
            poll.stop();
            steps(*form);
            if (form->isVisible())
                form->reject();
        });
        poll.start();
        return dialog.Execute();
    }

    static QTableWidget* grid(TFormComPort& form) {
        return form.findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
    }
    static QString panel(TFormComPort& form, const char* name) {
        const QLabel* label = form.findChild<QLabel*>(QLatin1String(name));
        return label ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
    }
    static QStringList selectedRows(TFormComPort& form) {
        QStringList rows;
        for (const QModelIndex& index : grid(form)->selectionModel()->selectedIndexes())
            rows << QString::number(index.row());
        return rows;
    }
    static void clickOk(TFormComPort& form) {
        auto* button = form.findChild<QPushButton*>(QStringLiteral("Button1"));
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled());
        EXPECT_EQ(button->text(), QStringLiteral("OK"));
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static void clickRow(TFormComPort& form, int row, bool twice = false) {
        QTableWidget* g = grid(form);
        ASSERT_NE(g, nullptr);
        ASSERT_TRUE(g->isEnabled());
        g->scrollToItem(g->item(row, 0));
        const QPoint centre = g->visualRect(g->model()->index(row, 0)).center();
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, centre);
        if (twice) // the second press of a double click arrives as the double-click event itself
            QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, centre);
    }
    static void addPort(TFormComPort& form) {
        auto* item = form.findChild<QAction*>(QStringLiteral("jporthozzadsa1"));
        ASSERT_NE(item, nullptr);
        ASSERT_TRUE(item->isEnabled());
        item->trigger();
    }
};

} // namespace

TEST_F(Chooser, EmptyDefaultSelectsNothingAndOkCancels) {
    device(1);
    device(2);
    plugIn(2);
    dialog.setPortNev(QStringLiteral("COM9"));
    dialog.setPortHNev(QStringLiteral("Earlier (COM9)"));
    dialog.setPortIndex(9);
    const bool chosen = run([&](TFormComPort& form) {
        ASSERT_NE(grid(form), nullptr);
        EXPECT_EQ(grid(form)->rowCount(), 2);
        EXPECT_EQ(form.lineAt(0), QStringLiteral("-Port (COM1);Maker"));
        EXPECT_EQ(form.lineAt(1), QStringLiteral("+Port (COM2);Maker"));
        EXPECT_TRUE(selectedRows(form).isEmpty());
        EXPECT_EQ(panel(form, "Panel1"), QString());
        EXPECT_EQ(panel(form, "Panel2"), QString());
        clickOk(form);
        EXPECT_FALSE(form.isVisible());
    });
    EXPECT_FALSE(chosen);
    EXPECT_EQ(dialog.PortNev(), QStringLiteral("COM9"));
    EXPECT_EQ(dialog.PortHNev(), QStringLiteral("Earlier (COM9)"));
    EXPECT_EQ(dialog.PortIndex(), 9);
}

TEST_F(Chooser, ListedDefaultIsSelectedAndCentred) {
    for (int n = 1; n <= 20; ++n)
        device(n, QStringLiteral("Maker %1").arg(n));
    plugIn(15);
    const struct { int port, row, top; } cases[] = {{15, 14, 10}, {20, 19, 12}, {3, 2, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        dialog.setDefaultPort(QStringLiteral("Port (COM%1)").arg(c.port));
        const bool chosen = run([&](TFormComPort& form) {
            QTableWidget* g = grid(form);
            ASSERT_NE(g, nullptr);
            ASSERT_EQ(g->height() / g->verticalHeader()->defaultSectionSize(), 8); // eight rows in view
            EXPECT_EQ(g->currentRow(), c.row);
            EXPECT_EQ(selectedRows(form), QStringList{QString::number(c.row)});
            // Scrolling goes by whole rows, so the scroll position is the first row of the view (at the
            // end of the list the view aligns the last row with its bottom edge).
            EXPECT_EQ(g->verticalScrollBar()->value(), c.top);
            const QRect shown = g->visualRect(g->model()->index(c.row, 0));
            EXPECT_GE(shown.top(), 0);
            EXPECT_LE(shown.bottom(), g->viewport()->height());
            EXPECT_EQ(panel(form, "Panel1"), QStringLiteral("Port (COM%1)").arg(c.port));
            EXPECT_EQ(panel(form, "Panel2"), QStringLiteral("Maker %1").arg(c.port));
            clickOk(form);
        });
        EXPECT_TRUE(chosen);
        EXPECT_EQ(dialog.PortNev(), QStringLiteral("COM%1").arg(c.port));
        EXPECT_EQ(dialog.PortHNev(), QStringLiteral("Port (COM%1)").arg(c.port));
        EXPECT_EQ(dialog.PortIndex(), c.port);
    }
}

TEST_F(Chooser, AddingFiveSelectsTheNewLineAtTheTop) {
    device(1);
    device(7);
    dialog.setDefaultPort(QStringLiteral("Port (COM7)"));
    script.setNextInput(QStringLiteral("5"));
    const bool chosen = run([&](TFormComPort& form) {
        const int activations = form.activationCount();
        addPort(form);
        ASSERT_EQ(script.shown().size(), 1);
        EXPECT_EQ(script.shown()[0].kind, DialogScript::Kind::Input);
        EXPECT_EQ(script.shown()[0].title, QStringLiteral("Soros portok"));
        EXPECT_EQ(script.shown()[0].text, QStringLiteral("Adja meg a kívánt soros port sorszámát!"));
        EXPECT_EQ(form.activationCount(), activations + 1); // the return from the box activates the window

        EXPECT_EQ(form.UserPorts(), QStringList{"+Sajátport (COM5);(user defined port)"});
        EXPECT_EQ(grid(form)->rowCount(), 3);
        EXPECT_EQ(form.lineAt(0), QStringLiteral("+Sajátport (COM5);(user defined port)"));
        EXPECT_EQ(grid(form)->currentRow(), 0);
        EXPECT_EQ(selectedRows(form), QStringList{"0"});
        EXPECT_EQ(panel(form, "Panel1"), QStringLiteral("Sajátport (COM5)"));
        EXPECT_EQ(panel(form, "Panel2"), QStringLiteral("(user defined port)"));
        clickOk(form);
    });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(dialog.PortNev(), QStringLiteral("COM5"));
    EXPECT_EQ(dialog.PortHNev(), QStringLiteral("Sajátport (COM5)"));
    EXPECT_EQ(dialog.PortIndex(), 5);
}

TEST_F(Chooser, TypedNumbersFollowTheReadingRule) {
    device(1);
    const struct {
        std::optional<QString> answer;
        int added; // 0: nothing added
    } cases[] = {
        {QStringLiteral("12abc"), 12},
        {QStringLiteral("0"), 0},
        {QStringLiteral("100"), 0},
        {QStringLiteral("-3"), 0},
        {QStringLiteral("text"), 0},
        {QString(), 0},
        {std::nullopt, 0},
        {QStringLiteral(" 97"), 97},
        {QStringLiteral("99"), 99},
        {QStringLiteral("1"), 1},
    };
    for (const auto& c : cases)
        script.setNextInput(c.answer);
    run([&](TFormComPort& form) {
        QStringList expected;
        for (const auto& c : cases) {
            SCOPED_TRACE(c.answer.value_or(QStringLiteral("<cancelled>")).toStdString());
            addPort(form);
            if (c.added > 0)
                expected << QStringLiteral("+Sajátport (COM%1);(user defined port)").arg(c.added);
            EXPECT_EQ(form.UserPorts(), expected);
            EXPECT_EQ(grid(form)->rowCount(), expected.size() + 1);
        }
        EXPECT_EQ(form.PortIndex(), 1); // the last one added: Sajátport (COM1), not the listed COM1
        EXPECT_EQ(grid(form)->currentRow(), 3);
    });
    EXPECT_EQ(script.messages(DialogScript::Kind::Input).size(), std::size(cases));
    EXPECT_TRUE(script.messages(DialogScript::Kind::Message).isEmpty());
    EXPECT_TRUE(script.messages(DialogScript::Kind::Error).isEmpty());
}

TEST_F(Chooser, TheSameNumberTwiceGivesTwoLinesAndTheFirstIsSelected) {
    script.setNextInput(QStringLiteral("8"));
    script.setNextInput(QStringLiteral("8"));
    run([&](TFormComPort& form) {
        addPort(form);
        addPort(form);
        EXPECT_EQ(form.UserPorts(),
                  (QStringList{"+Sajátport (COM8);(user defined port)", "+Sajátport (COM8);(user defined port)"}));
        EXPECT_EQ(grid(form)->currentRow(), 0);
    });
}

TEST_F(Chooser, CloseBoxCancelsAndKeepsTheProperties) {
    device(2);
    device(4);
    dialog.setDefaultPort(QStringLiteral("Port (COM2)"));
    dialog.setPortNev(QStringLiteral("COM2"));
    dialog.setPortHNev(QStringLiteral("Port (COM2)"));
    dialog.setPortIndex(2);
    const bool chosen = run([&](TFormComPort& form) {
        clickRow(form, 1);
        EXPECT_EQ(form.PortNev(), QStringLiteral("COM4"));
        EXPECT_EQ(panel(form, "Panel1"), QStringLiteral("Port (COM4)"));
        EXPECT_TRUE(form.close());
    });
    EXPECT_FALSE(chosen);
    EXPECT_EQ(dialog.PortNev(), QStringLiteral("COM2"));
    EXPECT_EQ(dialog.PortHNev(), QStringLiteral("Port (COM2)"));
    EXPECT_EQ(dialog.PortIndex(), 2);
}

TEST_F(Chooser, NameWithColonReturnsTheShortenedDisplayNameAndIsNotPreselectedLater) {
    device(4, QStringLiteral("Maker"), QStringLiteral("Modem: fast line (COM4)"));
    bool chosen = run([&](TFormComPort& form) {
        clickRow(form, 0);
        EXPECT_EQ(panel(form, "Panel1"), QStringLiteral("Modem: fast line (COM4)"));
        clickOk(form);
    });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(dialog.PortNev(), QStringLiteral("COM4"));
    EXPECT_EQ(dialog.PortHNev(), QStringLiteral("Modem"));

    dialog.setDefaultPort(dialog.PortHNev());
    chosen = run([&](TFormComPort& form) {
        EXPECT_TRUE(selectedRows(form).isEmpty());
        clickOk(form);
    });
    EXPECT_FALSE(chosen);
}

TEST_F(Chooser, KeysAndDoubleClickChoose) {
    device(1);
    device(2);
    device(3);
    dialog.setDefaultPort(QStringLiteral("Port (COM1)"));
    bool chosen = run([&](TFormComPort& form) {
        grid(form)->setFocus();
        QTest::keyClick(grid(form), Qt::Key_Down);
        EXPECT_EQ(panel(form, "Panel1"), QStringLiteral("Port (COM2)"));
        QTest::keyClick(grid(form), Qt::Key_Return); // OK is the default button
    });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(dialog.PortNev(), QStringLiteral("COM2"));

    chosen = run([&](TFormComPort& form) { clickRow(form, 2, true); });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(dialog.PortNev(), QStringLiteral("COM3"));
}

TEST_F(Chooser, NoPortsLeaveOneEmptyRowAndOkCancels) {
    plugIn(3); // an active port without a candidate is not listed
    const bool chosen = run([&](TFormComPort& form) {
        EXPECT_EQ(grid(form)->rowCount(), 1);
        EXPECT_EQ(form.lineAt(0), QString());
        clickRow(form, 0);
        EXPECT_EQ(form.PortIndex(), 0);
        clickOk(form);
    });
    EXPECT_FALSE(chosen);
}

TEST_F(Chooser, TextsAreTheDefaultsUnlessGiven) {
    script.setNextInput(std::nullopt);
    run([&](TFormComPort& form) {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Soros portok"));
        EXPECT_EQ(panel(form, "Label1"), QStringLiteral("Válassza ki a használni kívánt soros portot!"));
        auto* item = form.findChild<QAction*>(QStringLiteral("jporthozzadsa1"));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text(), QStringLiteral("Port hozzáadása"));
        addPort(form);
    });
    ASSERT_EQ(script.messages(DialogScript::Kind::Input), QStringList{"Adja meg a kívánt soros port sorszámát!"});

    dialog.setDialogusCimke(QStringLiteral("Ports"));
    dialog.setDialogusSzoveg(QStringLiteral("Choose a port"));
    dialog.setHozzaadCimke(QStringLiteral("Add a port"));
    dialog.setHozzaadSzoveg(QStringLiteral("Port number?"));
    script.clear();
    script.setNextInput(std::nullopt);
    run([&](TFormComPort& form) {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Ports"));
        EXPECT_EQ(panel(form, "Label1"), QStringLiteral("Choose a port"));
        EXPECT_EQ(form.findChild<QAction*>(QStringLiteral("jporthozzadsa1"))->text(), QStringLiteral("Add a port"));
        addPort(form);
    });
    ASSERT_EQ(script.shown().size(), 1);
    EXPECT_EQ(script.shown()[0].title, QStringLiteral("Ports"));
    EXPECT_EQ(script.shown()[0].text, QStringLiteral("Port number?"));
}

TEST_F(Chooser, PluggedInPortTurnsPresentWithinTheRefresh) {
    device(3);
    device(6);
    run([&](TFormComPort& form) {
        auto* timer = form.findChild<QTimer*>(QStringLiteral("Timer1"));
        ASSERT_NE(timer, nullptr);
        EXPECT_TRUE(timer->isActive());
        EXPECT_EQ(timer->interval(), 1000);
        clickRow(form, 1);
        ASSERT_EQ(form.lineAt(1), QStringLiteral("-Port (COM6);Maker"));

        plugIn(6);
        device(9); // not known at activation: waits for the next one
        EXPECT_TRUE(waitUntil([&] { return form.lineAt(1) == QStringLiteral("+Port (COM6);Maker"); }, 3000));
        EXPECT_EQ(grid(form)->rowCount(), 2);
        EXPECT_EQ(grid(form)->currentRow(), 1); // the refresh leaves the selection alone
        EXPECT_EQ(panel(form, "Panel1"), QStringLiteral("Port (COM6)"));

        unplug(6);
        EXPECT_TRUE(waitUntil([&] { return form.lineAt(1) == QStringLiteral("-Port (COM6);Maker"); }, 3000));
        clickOk(form);
        EXPECT_FALSE(timer->isActive());
    });
}

TEST_F(Chooser, ReturnFromTheInputBoxRecollectsAndReselectsTheDefault) {
    device(1);
    device(2);
    dialog.setDefaultPort(QStringLiteral("Port (COM1)"));
    script.setNextInput(std::nullopt);
    run([&](TFormComPort& form) {
        clickRow(form, 1);
        EXPECT_EQ(form.PortNev(), QStringLiteral("COM2"));
        device(4);
        addPort(form); // cancelled, but the window was activated again
        EXPECT_EQ(grid(form)->rowCount(), 3);
        EXPECT_EQ(form.lineAt(2), QStringLiteral("-Port (COM4);Maker"));
        EXPECT_EQ(grid(form)->currentRow(), 0);
        EXPECT_EQ(panel(form, "Panel1"), QStringLiteral("Port (COM1)"));
        EXPECT_EQ(form.PortNev(), QStringLiteral("COM1"));
    });
}

TEST_F(Chooser, OkAfterTheSelectionWasClearedReturnsNoPort) {
    device(1);
    device(2);
    script.setNextInput(std::nullopt);
    const bool chosen = run([&](TFormComPort& form) {
        clickRow(form, 1);
        EXPECT_EQ(form.PortIndex(), 2);
        addPort(form); // cancelled; the activation finds no default line and clears the selection
        EXPECT_TRUE(selectedRows(form).isEmpty());
        EXPECT_EQ(panel(form, "Panel1"), QString());
        clickOk(form);
    });
    EXPECT_FALSE(chosen);
    EXPECT_EQ(dialog.PortNev(), QString());
}

TEST_F(Chooser, ReturnFromAnotherBoxOfTheProgramActivatesAgain) {
    device(1);
    device(2);
    dialog.setDefaultPort(QStringLiteral("Port (COM1)"));
    run([&](TFormComPort& form) {
        // Activation is the window system's business; here the test plays it.
        form.activateWindow();
        ASSERT_TRUE(waitUntil([&] { return form.isActiveWindow(); }));
        const int activations = form.activationCount(); // the first showing only
        clickRow(form, 1);
        device(3);

        {
            QDialog box(&form); // a message of the program over the chooser
            box.setModal(true);
            box.show();
            box.activateWindow();
            ASSERT_TRUE(waitUntil([&] { return !form.isActiveWindow(); }));
            EXPECT_EQ(form.activationCount(), activations);
        }
        form.activateWindow();
        ASSERT_TRUE(waitUntil([&] { return form.isActiveWindow(); }));
        EXPECT_EQ(form.activationCount(), activations + 1);
        EXPECT_EQ(form.lineAt(2), QStringLiteral("-Port (COM3);Maker"));
        EXPECT_EQ(grid(form)->currentRow(), 0); // the default line again
    });
}

TEST_F(Chooser, PanelsShowTooltipsOnlyForTextsWiderThanThemselves) {
    device(1, QStringLiteral("Short"));
    device(2, QStringLiteral("A manufacturer text far too long to fit into the panel : Attached modem name"));
    dialog.setDefaultPort(QStringLiteral("Port (COM1)"));
    run([&](TFormComPort& form) {
        auto* panel2 = form.findChild<QLabel*>(QStringLiteral("Panel2"));
        ASSERT_NE(panel2, nullptr);
        EXPECT_EQ(panel2->toolTip(), QString());
        clickRow(form, 1);
        EXPECT_EQ(panel2->toolTip(), panel2->text());
        EXPECT_FALSE(panel2->toolTip().isEmpty());
        EXPECT_TRUE(panel2->alignment().testFlag(Qt::AlignLeft)); // its beginning stays in view
        clickRow(form, 0);
        EXPECT_EQ(panel2->toolTip(), QString());
    });
}

namespace {

// Paints one cell as the grid would and reports the colours found.
struct Painted {
    QColor corner;
    bool hasText(const QColor& colour) const { return colours.contains(colour.rgb()); }
    QSet<QRgb> colours;
};

Painted paintCell(const TFormComPort& form, int row, bool selected) {
    QImage image(364, 20, QImage::Format_RGB32);
    image.fill(QColor(1, 2, 3));
    {
        QPainter painter(&image);
        form.StringGrid1DrawCell(painter, image.rect(), row, 0, selected);
    }
    Painted result;
    result.corner = image.pixelColor(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            result.colours.insert(image.pixel(x, y));
    return result;
}

} // namespace

TEST(ChooserDrawing, ColoursFollowPresenceAndSelection) {
    auto tree = std::make_shared<MemoryKeySource>();
    for (int n : {1, 2}) {
        const QString path = kEnum + QStringLiteral("\\d%1").arg(n);
        tree->setText(path, QStringLiteral("Class"), QStringLiteral("Ports"));
        tree->setText(path, QStringLiteral("FriendlyName"), QStringLiteral("WWW Port (COM%1)").arg(n));
    }
    tree->setText(kMap, QStringLiteral("a"), QStringLiteral("COM1"));
    PortEnumerator enumerator(tree);
    TFormComPort form(enumerator);
    QFont font = form.font();
    font.setStyleStrategy(QFont::NoAntialias); // whole pixels in the text colour
    form.setFont(font);
    form.show();
    ASSERT_TRUE(waitUntil([&] { return form.activationCount() > 0; }));
    ASSERT_EQ(form.lineAt(0), QStringLiteral("+WWW Port (COM1);"));
    ASSERT_EQ(form.lineAt(1), QStringLiteral("-WWW Port (COM2);"));
    const QColor face = form.palette().color(QPalette::Window);
    const QColor navy(0, 0, 128);

    const struct {
        int row;
        bool selected;
        QColor text, background;
    } cases[] = {
        {0, false, QColor(0, 0, 0), face},
        {1, false, QColor(128, 32, 32), face},
        {0, true, QColor(255, 255, 255), navy},
        {1, true, QColor(255, 192, 96), navy},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row * 2 + c.selected);
        const Painted painted = paintCell(form, c.row, c.selected);
        EXPECT_EQ(painted.corner, c.background);
        EXPECT_TRUE(painted.hasText(c.text));
    }
    // Presence is said in words too, drawn and to a screen reader; the colours are not all it has.
    auto* grid = form.findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->tableInterface(), nullptr);
    const std::pair<int, const char*> spoken[] = {{0, "WWW Port (COM1) (jelen van)"},
                                                  {1, "WWW Port (COM2) (nincs jelen)"}};
    for (const auto& [row, words] : spoken) {
        QAccessibleInterface* cell = table->tableInterface()->cellAt(row, 0);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->text(QAccessible::Name), QString::fromUtf8(words));
    }
    // Nothing is drawn outside the grid or for an empty cell.
    const Painted outside = paintCell(form, 5, false);
    EXPECT_EQ(outside.colours.size(), 1);
    form.close();
}
