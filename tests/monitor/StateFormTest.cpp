// The status monitor window offscreen: what it shows, and when it polls.
#include "common/StateColour.h"
#include "monitor/ui/SignalPlot.h"
#include "monitor/ui/TStateForm.h"
#include "protocol/ModuleConnection.h"
#include "protocol/ui/MemoBox.h"
#include "tests/support/PortLinks.h"
#include "tests/support/Pty.h"
#include "tests/support/Wait.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

QLabel* label(QWidget* w, const char* name) {
    auto* l = w->findChild<QLabel*>(QString::fromLatin1(name));
    EXPECT_NE(l, nullptr) << name;
    return l;
}

QColor colourOf(QLabel* l) {
    return l->palette().color(QPalette::WindowText);
}

} // namespace

TEST(StateForm, InitialTexts) {
    ModuleConnection link;
    TStateForm form(link);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("A modul állapota"));
    const std::pair<const char*, const char*> texts[] = {
        {"PanelLineVoltage", "Vezetékes vonal"},
        {"lbLineVoltage", "."},
        {"PanelIN1", "IN1"},
        {"PanelIN4", "IN4"},
        {"lbIN1", "."},
        {"lbIN4", "."},
        {"PanelGSMLine", "GSM vonal státusz"},
        {"lbGSMLine", "."},
        {"lbGSMpower", "GSM térerő (0-31):"},
        {"lbGSMpowVal", "0"},
        {"lbStateMessages", "A modul állapot üzenetei:"},
    };
    for (const auto& [name, text] : texts)
        EXPECT_EQ(label(&form, name)->text(), QString::fromUtf8(text)) << name;
    EXPECT_EQ(form.findChild<QPushButton*>(QStringLiteral("btClearMsg"))->text(),
              QStringLiteral("Üzenetablak törlése"));
    EXPECT_EQ(form.findChild<QPushButton*>(QStringLiteral("btClose"))->text(), QStringLiteral("Ablak bezárása"));
    EXPECT_EQ(form.findChild<QProgressBar*>(QStringLiteral("pbTerero"))->maximum(), 31);
    EXPECT_FALSE(form.TimerState()->isActive());
}

TEST(StateForm, ShowStatusRendersTextsAndColoursAlsoWhileHidden) {
    ModuleConnection link;
    TStateForm form(link);
    form.status() = {0x15, 99, 3, 0};
    form.ShowStatus();
    EXPECT_EQ(label(&form, "lbIN1")->text(), QStringLiteral("Rövidzár"));
    EXPECT_EQ(colourOf(label(&form, "lbIN1")), QColor(255, 0, 0));
    EXPECT_EQ(label(&form, "lbIN2")->text(), QStringLiteral("Nyitva"));
    EXPECT_EQ(colourOf(label(&form, "lbIN2")), QColor(0, 0, 0));
    EXPECT_EQ(label(&form, "lbLineVoltage")->text(), QStringLiteral("Vonal rendben"));
    EXPECT_EQ(colourOf(label(&form, "lbLineVoltage")), QColor(0, 128, 0));
    EXPECT_EQ(label(&form, "lbGSMLine")->text(), QStringLiteral("Automatikus Contact-ID vétel 3"));
    EXPECT_EQ(colourOf(label(&form, "lbGSMLine")), QColor(0, 0, 255));
    EXPECT_EQ(label(&form, "lbGSMpowVal")->text(), QStringLiteral("99"));
    EXPECT_EQ(form.findChild<QProgressBar*>(QStringLiteral("pbTerero"))->value(), 31);
}

TEST(StateForm, ClearButtonEmptiesTheMessages) {
    ModuleConnection link;
    TStateForm form(link);
    appendPiece(*form.MemoState(), "hello\r");
    form.show();
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("btClearMsg")), Qt::LeftButton);
    EXPECT_TRUE(form.MemoState()->lines().isEmpty());
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("btClose")), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
}

TEST(StateForm, PollsOnlyWhileShownAndOnlyWhileThePortIsOpen) {
    test::PortLinks links;
    test::PtyPair pty;
    links.link(4, pty.terminalPath());
    ModuleConnection link;
    link.ComPort1().setPort(QStringLiteral("COM4"));
    TStateForm form(link);

    // Hidden and connected: nothing leaves.
    link.ComPort1().setConnected(true);
    test::pumpEvents(700);
    EXPECT_TRUE(pty.read(50).isEmpty());

    // Shown while the port is closed: nothing leaves either.
    link.ComPort1().setConnected(false);
    form.show();
    EXPECT_TRUE(form.TimerState()->isActive());
    test::pumpEvents(700);
    EXPECT_TRUE(pty.read(50).isEmpty());

    // Connect with the window still shown: "??" CR every 500 ms.
    link.ComPort1().setConnected(true);
    QElapsedTimer clock;
    clock.start();
    QByteArray polled;
    while (clock.elapsed() < 1600) {
        test::pumpEvents(50);
        polled += pty.read(0);
    }
    // Three polls in 1.6 s (a fourth, or one fewer on a loaded machine), each exactly "??" CR.
    EXPECT_GE(polled.size(), 6);
    EXPECT_LE(polled.size(), 12);
    EXPECT_EQ(polled, QByteArray("??\r").repeated(polled.size() / 3));

    // Closing the window stops the polling.
    form.close();
    EXPECT_FALSE(form.TimerState()->isActive());
    test::pumpEvents(700);
    EXPECT_TRUE(pty.read(50).isEmpty());
}

namespace {

double contrastOn(QWidget* w, const QColor& text) {
    const QColor back = w->palette().color(QPalette::Window);
    return contrastRatio({std::uint8_t(text.red()), std::uint8_t(text.green()), std::uint8_t(text.blue())},
                         {std::uint8_t(back.red()), std::uint8_t(back.green()), std::uint8_t(back.blue())});
}

} // namespace

// Values that are no longer live are greyed, every one of them, and the window says why in words until
// fresh values come; live values keep the state colours.
TEST(StateForm, DeadValuesAreGreyedWithTheReasonInWords) {
    ModuleConnection link;
    TStateForm form(link);
    form.show();
    auto* reason = label(&form, "lbNoReply");
    auto* plot = form.findChild<SignalPlot*>(QStringLiteral("SignalPlot"));
    ASSERT_NE(plot, nullptr);
    const char* values[] = {"lbIN1", "lbIN2", "lbIN3", "lbIN4", "lbLineVoltage", "lbGSMLine", "lbGSMpowVal"};
    const QColor greyed(colour::Greyed.r, colour::Greyed.g, colour::Greyed.b);

    const std::pair<void (TStateForm::*)(), const char*> deaths[] = {
        {&TStateForm::linkLost, "A soros kapcsolat megszakadt!"},
        {&TStateForm::linkClosed, "Nincs soros kapcsolat."},
    };
    for (const auto& [death, words] : deaths) {
        form.status() = {0x11, 20, 2, 0};
        form.ShowStatus();
        EXPECT_FALSE(reason->isVisible());
        EXPECT_EQ(colourOf(label(&form, "lbLineVoltage")), QColor(0, 128, 0));
        EXPECT_EQ(colourOf(label(&form, "lbIN1")), QColor(255, 0, 0));
        EXPECT_TRUE(plot->live());

        (form.*death)();
        EXPECT_TRUE(form.isStale());
        EXPECT_TRUE(reason->isVisible());
        EXPECT_EQ(reason->text(), QString::fromUtf8(words));
        EXPECT_GE(contrastOn(reason, colourOf(reason)), 4.5);
        for (const char* name : values) {
            EXPECT_EQ(colourOf(label(&form, name)), greyed) << name;
            EXPECT_EQ(label(&form, name)->palette().color(QPalette::Disabled, QPalette::WindowText), greyed) << name;
            EXPECT_GE(contrastOn(label(&form, name), greyed), 4.5) << name;
        }
        EXPECT_EQ(label(&form, "lbLineVoltage")->text(), QStringLiteral("Vonal rendben")) << "the last value stays";
        EXPECT_FALSE(form.findChild<QProgressBar*>(QStringLiteral("pbTerero"))->isEnabled());
        EXPECT_FALSE(plot->live());
        // The polls of a closed link bring nothing: the reason stays.
        test::pumpEvents(600);
        EXPECT_EQ(reason->text(), QString::fromUtf8(words));
    }
    form.ShowStatus();
    EXPECT_FALSE(form.isStale());
    EXPECT_FALSE(reason->isVisible());
    EXPECT_EQ(colourOf(label(&form, "lbGSMLine")), QColor(0, 128, 0));
}

// The window is laid out, not fixed: it can be made larger, and the plot takes the room.
TEST(StateForm, TheWindowResizesAndThePlotTakesTheRoom) {
    ModuleConnection link;
    TStateForm form(link);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_NE(form.minimumSize(), form.maximumSize());
    auto* plot = form.findChild<SignalPlot*>(QStringLiteral("SignalPlot"));
    auto* memo = form.MemoState();
    const QSize plotBefore = plot->size();
    const int memoBefore = memo->height();
    form.resize(form.width() + 120, form.height() + 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(plot->height(), plotBefore.height() + 200);
    EXPECT_EQ(plot->width(), plotBefore.width() + 120);
    EXPECT_EQ(memo->height(), memoBefore);
}
