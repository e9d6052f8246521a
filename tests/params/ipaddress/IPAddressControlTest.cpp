// The IP address entry control: stored values, limits, the address text, and typing into the platform
// field offscreen.
#include "params/ui/ipaddress/TIPAddressControl.h"

#include "common/Errors.h"
#include "common/ui/Dialogs.h"
#include "params/ui/ipaddress/IPAddressEdit.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

QStringList shownTexts(const TIPAddressControl& control) {
    QStringList texts;
    for (int i = 0; i < 4; ++i)
        texts << control.platformControl()->fieldText(i);
    return texts;
}

// A window with the control and one other edit to move the focus to.
struct Window {
    QWidget widget;
    TIPAddressControl* control;
    QLineEdit* other;
    Window() {
        auto* layout = new QVBoxLayout(&widget);
        control = new TIPAddressControl(&widget);
        other = new QLineEdit(&widget);
        layout->addWidget(control);
        layout->addWidget(other);
        widget.show();
        widget.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&widget));
    }
    QLineEdit* octet(int i) const { return control->platformControl()->fieldEdit(i); }
};

// Keys go wherever the focus is, as they would from a keyboard.
void type(const QString& keys) {
    for (QChar c : keys)
        QTest::keyClick(static_cast<QWidget*>(nullptr), c.toLatin1());
}

void press(Qt::Key key) {
    QTest::keyClick(static_cast<QWidget*>(nullptr), key);
}

} // namespace

TEST(IPAddressControl, NewControlHoldsZerosAndShowsThem) {
    TIPAddressControl control;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(control.field(i), 0);
    EXPECT_EQ(shownTexts(control), (QStringList{"0", "0", "0", "0"}));
    EXPECT_EQ(control.IPAddress(), QStringLiteral("0.0.0.0"));
    EXPECT_FALSE(control.Modified());
    EXPECT_FALSE(control.AutoSize());
    EXPECT_EQ(control.size(), QSize(121, 25));
    EXPECT_EQ(control.RangeField0(), (TIPAddrRange{0, 255}));
    EXPECT_EQ(control.RangeFiled3(), (TIPAddrRange{0, 255}));
    EXPECT_NE(control.focusPolicy() & Qt::TabFocus, 0);
}

TEST(IPAddressControl, AddressTextInAndOut) {
    TIPAddressControl control;
    control.setIPAddress(QStringLiteral("10.1.2.3"));
    EXPECT_EQ((std::array{control.Field0(), control.Field1(), control.Field2(), control.Field3()}),
              (std::array{10, 1, 2, 3}));
    EXPECT_EQ(control.IPAddress(), QStringLiteral("10.1.2.3"));
    EXPECT_EQ(shownTexts(control), (QStringList{"10", "1", "2", "3"}));
    EXPECT_EQ(control.property("IPAddress").toString(), QStringLiteral("10.1.2.3"));

    control.setIPAddress(QStringLiteral("192.168.0.1.99.7"));
    EXPECT_EQ(control.IPAddress(), QStringLiteral("192.168.0.1")) << "parts after the fourth ignored";
    control.setIPAddress(QStringLiteral("7.8"));
    EXPECT_EQ(control.IPAddress(), QStringLiteral("7.8.0.1")) << "fewer parts set only those fields";
}

TEST(IPAddressControl, BadPartStopsParsingAndBlanks) {
    TIPAddressControl control;
    control.setIPAddress(QStringLiteral("9.9.9.9"));
    control.setIPAddress(QStringLiteral("10.1.x.3"));
    EXPECT_EQ((std::array{control.Field0(), control.Field1(), control.Field2(), control.Field3()}),
              (std::array{10, 1, 9, 9}));
    EXPECT_TRUE(control.platformControl()->isBlank());
    EXPECT_EQ(control.IPAddress(), QString());

    const char* bad[] = {"", "1..2.3", " 1.2.3.4", "1.2.3.4x", "256.1.1.1", "99999999999.1.1.1", "-1.0.0.0"};
    for (const char* text : bad) {
        control.setIPAddress(QStringLiteral("1.2.3.4"));
        control.setIPAddress(QString::fromLatin1(text));
        EXPECT_TRUE(control.platformControl()->isBlank()) << text;
        EXPECT_EQ(control.IPAddress(), QString()) << text;
    }
    // An empty text leaves the values as they were.
    control.setIPAddress(QStringLiteral("4.3.2.1"));
    control.setIPAddress(QString());
    EXPECT_EQ((std::array{control.Field0(), control.Field1(), control.Field2(), control.Field3()}),
              (std::array{4, 3, 2, 1}));
    // Setting a field to the value it holds shows the address again while blank.
    control.setField0(4);
    EXPECT_EQ(control.IPAddress(), QStringLiteral("4.3.2.1"));
}

TEST(IPAddressControl, OutOfRangeWithoutHandlerRaisesAndLeaves255) {
    TIPAddressControl control;
    try {
        control.setField2(300);
        ADD_FAILURE() << "no error raised";
    } catch (const VantrelError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("$12C liegt nicht im gültigen Bereich zwischen $0..$FF"));
    }
    EXPECT_EQ(control.Field2(), 255);
    EXPECT_TRUE(control.Modified()) << "the display was not updated";
    EXPECT_EQ(control.IPAddress(), QStringLiteral("0.0.0.0")) << "reading takes over what is shown";
    EXPECT_EQ(TCustomIPAddressControl::rangeErrorText(-1, {10, 20}),
              QStringLiteral("$FFFFFFFF liegt nicht im gültigen Bereich zwischen $A..$14"));
}

TEST(IPAddressControl, OutOfRangeWithHandlerReportsAndStores) {
    TIPAddressControl control;
    struct Call {
        TCustomIPAddressControl* sender;
        TIPAddrRange range;
        int value;
        int field;
    };
    std::vector<Call> calls;
    control.setOnRangeError([&calls](TCustomIPAddressControl* sender, TIPAddrRange range, int value, int field) {
        calls.push_back({sender, range, value, field});
    });
    control.setRangeFiled1({10, 20});
    control.setField1(300);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].sender, &control);
    EXPECT_EQ(calls[0].range, (TIPAddrRange{10, 20}));
    EXPECT_EQ(calls[0].value, 300);
    EXPECT_EQ(calls[0].field, 2) << "fields are numbered from 1 for the handler";
    EXPECT_EQ(control.Field1(), 300);
    control.setField1(15);
    EXPECT_EQ(calls.size(), 1u);
}

TEST(IPAddressControl, RangeErrorReachesTheGeneralErrorHandler) {
    DialogScript script;
    TIPAddressControl control;
    QPushButton button(QStringLiteral("set"));
    QObject::connect(&button, &QPushButton::clicked, [&control] { control.setField0(256); });
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(script.messages(DialogScript::Kind::Error),
              QStringList{QStringLiteral("$100 liegt nicht im gültigen Bereich zwischen $0..$FF.")});
    EXPECT_EQ(control.Field0(), 255);
}

TEST(IPAddressControl, RangesAreCheckedPerField) {
    TIPAddressControl control;
    control.setRangeField2({1, 9});
    EXPECT_EQ(control.RangeField2(), (TIPAddrRange{1, 9}));
    control.setField2(0); // the value it holds: nothing happens, not even the check
    EXPECT_THROW(control.setField2(10), VantrelError);
    EXPECT_EQ(control.Field2(), 255);
    control.setField2(9);
    control.setField3(0);
    EXPECT_EQ(control.IPAddress(), QStringLiteral("0.0.9.0"));
    control.setIPAddress(QStringLiteral("1.1.10.1"));
    EXPECT_TRUE(control.platformControl()->isBlank()) << "outside the limits while parsing: blank, no error";
}

TEST(IPAddressControl, TypingUpdatesTheFieldsAtOnce) {
    Window w;
    QSignalSpy changes(w.control, &TCustomIPAddressControl::OnChange);
    w.octet(3)->setFocus();
    w.octet(3)->selectAll();
    type(QStringLiteral("7"));
    EXPECT_EQ(w.control->Field3(), 7);
    type(QStringLiteral("5"));
    EXPECT_EQ(w.control->Field3(), 75);
    EXPECT_FALSE(changes.isEmpty());
    type(QStringLiteral("9"));
    EXPECT_EQ(w.control->Field3(), 255) << "three digits above the limit pulled back";
    EXPECT_EQ(w.octet(3)->text(), QStringLiteral("255"));
}

TEST(IPAddressControl, DotsAndThirdDigitsMoveOn) {
    Window w;
    w.control->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), w.octet(0));
    w.octet(0)->selectAll();
    type(QStringLiteral("1921680.1"));
    EXPECT_EQ(w.control->IPAddress(), QStringLiteral("192.168.0.1"));
    EXPECT_EQ(QApplication::focusWidget(), w.octet(3));

    type(QStringLiteral("a-/"));
    EXPECT_EQ(w.octet(3)->text(), QStringLiteral("1")) << "only digits are typed";

    // Backspace through the start of a field goes on in the field before it.
    press(Qt::Key_Backspace);
    press(Qt::Key_Backspace);
    EXPECT_EQ(QApplication::focusWidget(), w.octet(2));
    press(Qt::Key_Backspace);
    EXPECT_EQ(w.octet(2)->text(), QString());
    EXPECT_EQ(w.control->Field2(), 0);
    press(Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), w.octet(1));
    press(Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), w.octet(2));
    type(QStringLiteral("."));
    EXPECT_EQ(QApplication::focusWidget(), w.octet(2)) << "a dot in an empty field stays";
}

TEST(IPAddressControl, AFieldEmptiedByTheUserIsShownAgainWhenSet) {
    Window w;
    w.control->setIPAddress(QStringLiteral("10.0.0.7"));
    w.octet(1)->setFocus();
    w.octet(1)->selectAll();
    press(Qt::Key_Backspace);
    ASSERT_EQ(w.octet(1)->text(), QString());
    EXPECT_EQ(w.control->Field1(), 0);
    w.control->setField1(0);
    EXPECT_EQ(w.octet(1)->text(), QStringLiteral("0"));
    EXPECT_EQ(w.control->IPAddress(), QStringLiteral("10.0.0.7"));
}

TEST(IPAddressControl, LeavingAFieldPullsItIntoItsLimits) {
    Window w;
    w.control->setRangeFiled1({10, 20});
    w.octet(1)->setFocus();
    w.octet(1)->selectAll();
    type(QStringLiteral("30"));
    EXPECT_EQ(w.control->Field1(), 30);
    w.other->setFocus();
    EXPECT_EQ(w.control->Field1(), 20);
    EXPECT_EQ(w.octet(1)->text(), QStringLiteral("20"));
}

TEST(IPAddressControl, EnterAndExitWhenTheFocusCrossesTheControl) {
    Window w;
    w.other->setFocus();
    QSignalSpy entered(w.control, &TCustomIPAddressControl::OnEnter);
    QSignalSpy left(w.control, &TCustomIPAddressControl::OnExit);
    w.octet(0)->setFocus(Qt::TabFocusReason);
    w.octet(2)->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(entered.count(), 1);
    EXPECT_EQ(left.count(), 0) << "moving between fields stays inside";
    w.other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(left.count(), 1);
}

TEST(IPAddressControl, TabLeavesTheControlFromAnyField) {
    Window w;
    w.octet(1)->setFocus();
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.other);
}

TEST(IPAddressControl, AutoSizeFollowsTheFont) {
    TIPAddressControl control;
    control.setAutoSize(true);
    const QFontMetrics metrics(control.font());
    EXPECT_EQ(control.size(), QSize((metrics.maxWidth() + 8) * 8, metrics.height() + 8));
    QFont bigger = control.font();
    bigger.setPointSize(bigger.pointSize() + 10);
    control.setFont(bigger);
    const QFontMetrics big(bigger);
    EXPECT_EQ(control.size(), QSize((big.maxWidth() + 8) * 8, big.height() + 8));
    control.setAutoSize(false);
    control.resize(121, 25);
    EXPECT_EQ(control.size(), QSize(121, 25));
}
