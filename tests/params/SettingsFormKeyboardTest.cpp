// The parameter editor for keyboard and screen-reader users: names, tooltips and tab order, the question
// before unsaved edits are dropped, and the warning before storing values the window cannot show as stored.
#include "common/Cp1250.h"
#include "common/ui/Dialogs.h"
#include "params/FieldCodecs.h"
#include "params/ui/DigitRow.h"
#include "params/ui/TSettingsForm.h"
#include "tests/params/EditorHarness.h"
#include "tests/support/WidgetAudit.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

using namespace vantrel;
using vantrel::test::EditorTest;

namespace {

QString accessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(QAccessible::Name) : QString();
}

} // namespace

class EditorKeyboard : public EditorTest {
protected:
    DialogScript dialogs;
};

TEST_F(EditorKeyboard, EveryInputIsNamedAndEveryButtonExplained) {
    EXPECT_EQ(test::accessibilityGaps(form()).join(QLatin1Char('\n')), QString());
    const std::pair<const char*, const char*> names[] = {
        {"acgUSER1", "1. Felhasználó (#USER1)"},
        {"acgADDFIX", "GSM módban hívott telefonszám elé hozzáadandó prefix (#ADDFIX)"},
        {"acgEvent10", "10. eseménykód"},
        {"edSMS3", "3. SMS"},
        {"edSMS13", "IN3 bemenet"},
        {"udCallMax", "Bejövő hívás idejének korlátozása (0-25 perc)"},
        {"IPAddressControl2", "2. IP cím"},
    };
    for (const auto& [name, label] : names)
        EXPECT_EQ(accessibleName(control<QWidget>(QLatin1String(name))), QString::fromUtf8(label)) << name;
}

TEST_F(EditorKeyboard, TabVisitsEachPageInReadingOrderThenTheButtons) {
    // Controls that are disabled (the allowed numbers while every call is taken, GPRS settings while GPRS is
    // off) are passed over; of a radio group only the chosen button is a stop.
    const std::pair<const char*, QStringList> pages[] = {
        {"TabSheetPhone",
         {"acgUSER1", "acgUSER2", "acgSMSFW1", "acgSMSFW2", "acgAUTODIAL", "acgNETPREFIX", "acgADDFIX",
          "cbVoiceCaller"}},
        {"TabSheetSMS", {"acgEvent1", "edSMS1", "acgEvent2",  "edSMS2",  "acgEvent3", "edSMS3",  "acgEvent4", "edSMS4",
                         "acgEvent5", "edSMS5", "acgEvent6",  "edSMS6",  "acgEvent7", "edSMS7",  "acgEvent8", "edSMS8",
                         "acgEvent9", "edSMS9", "acgEvent10", "edSMS10", "edSMS11",   "edSMS12", "edSMS13"}},
        {"TabSheetCallFilter", {"rbCallFilterAll", "udCallMax"}},
        {"TabSheetOUTPUT",
         {"acgRelPhnrEnabled1", "acgRelPhnrEnabled2", "acgRelPhnrEnabled3", "acgRelPhnrEnabled4", "udREL1", "udREL2"}},
        {"TabSheetBELL103", {"rbBELLCallFilterAll", "acgBELLPhnrEnabled1", "acgBELLPhnrEnabled2", "cbBELLcallback"}},
        {"TabSheetGPRS", {"cbGPRSmode"}},
        {"TabSheetDRAVO",
         {"IPAddressControl1", "udPort1", "IPAddressControl2", "udPort2", "IPAddressControl3", "udPort3",
          "IPAddressControl4", "udPort4", "udPanelID", "udServerID"}},
    };
    showActive();
    auto* tabs = control<QTabWidget>(QStringLiteral("PageControl1"));
    for (const auto& [page, controls] : pages) {
        tabs->setCurrentWidget(control<QWidget>(QLatin1String(page)));
        tabs->setFocus(Qt::TabFocusReason);
        const QStringList expected =
            QStringList{"PageControl1"} + controls + QStringList{"btSettingOK", "btSettingCancel"};
        EXPECT_EQ(test::tabChain(form()).join(QLatin1Char(' ')).toStdString(),
                  expected.join(QLatin1Char(' ')).toStdString())
            << page;
    }
    // The allowed numbers join the chain once the filter is on.
    tabs->setCurrentWidget(control<QWidget>(QStringLiteral("TabSheetCallFilter")));
    QTest::mouseClick(control<QAbstractButton>(QStringLiteral("rbCallFilterListed")),
                      Qt::LeftButton); // as the installer does: it takes the focus too
    tabs->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(test::tabChain(form()).join(QLatin1Char(' ')).toStdString(),
              std::string("PageControl1 rbCallFilterListed acgPhnrEnabled1 acgPhnrEnabled2 acgPhnrEnabled3 "
                          "acgPhnrEnabled4 udCallMax btSettingOK btSettingCancel"));
}

TEST_F(EditorKeyboard, DroppingUnsavedEditsIsAskedForOnEscapeAndTheCloseBox) {
    enum class Close { Escape, CloseBox, CancelButton };
    struct Row {
        const char* what;
        const char* typed; // into the first user's number, then Backspace as often as `erased`
        int erased;
        Close how;
        bool answer;
        bool asked;
        bool closed;
    };
    const Row rows[] = {
        {"nothing edited: Escape closes at once", "", 0, Close::Escape, false, false, true},
        {"edited, Escape, Nem: the editor stays", "36", 0, Close::Escape, false, true, false},
        {"edited, Escape, Igen: the edits go", "36", 0, Close::Escape, true, true, true},
        {"edited, close box, Nem: the editor stays", "36", 0, Close::CloseBox, false, true, false},
        {"edited, close box, Igen: the edits go", "36", 0, Close::CloseBox, true, true, true},
        {"typed and erased again is no edit", "36", 2, Close::Escape, false, false, true},
        {"the cancel button says what it does", "36", 0, Close::CancelButton, false, false, true},
    };
    const ImageBytes before = image;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        DialogScript script; // answers this row's question only
        form().LoadFromImage();
        showActive();
        auto* user1 = control<DigitRow>(QStringLiteral("acgUSER1"));
        user1->setCurrentCellIndex(0);
        user1->setFocus();
        QTest::keyClicks(user1, QLatin1String(row.typed));
        for (int i = 0; i < row.erased; ++i)
            QTest::keyClick(user1, Qt::Key_Backspace);
        script.setNextAnswer(row.answer);
        switch (row.how) {
        case Close::Escape:
            QTest::keyClick(user1, Qt::Key_Escape);
            break;
        case Close::CloseBox:
            form().close();
            break;
        case Close::CancelButton:
            QTest::mouseClick(control<QPushButton>(QStringLiteral("btSettingCancel")), Qt::LeftButton);
            break;
        }
        const QStringList questions = script.messages(DialogScript::Kind::Question);
        EXPECT_EQ(questions.size(), row.asked ? 1 : 0);
        if (row.asked) {
            EXPECT_EQ(questions.value(0),
                      QStringLiteral("A módosítások nincsenek rögzítve. Bezárja az ablakot, és elveti őket?"));
        }
        EXPECT_EQ(form().isVisible(), !row.closed);
        if (!row.closed) {
            EXPECT_EQ(user1->text(), QLatin1String(row.typed)) << "the edits are still there";
        }
        EXPECT_EQ(image, before) << "nothing is stored";
        form().hide();
    }
}

TEST_F(EditorKeyboard, CorrectionsAreListedBeforeStoring) {
    const auto put = [this](std::string_view name, const FieldValue& value) {
        encodeField(image, *findField(name), value);
    };
    put("CallMax", 30); // beyond the spin box's 25
    put("SMS1", toCp1250(QStringLiteral("U betű")));
    image[layoutField("SMS1").offset + 1] = 0xDB; // an Ű, which the module has no code for (a foreign file's)
    image[layoutField("Event1").offset] = 0x12;   // two positions and two blanks
    image[layoutField("Event1").offset + 1] = 0xFF;
    put("Port1", 40000); // beyond 32767, but on a page the product hides
    form().LoadFromImage();
    test::typeText(control<QLineEdit>(QStringLiteral("edSMS2")), QStringLiteral("aaa\"bb")); // typed now
    control<QLineEdit>(QStringLiteral("edAPN"))->setEnabled(true);
    control<QLineEdit>(QStringLiteral("edAPN"))->setText(QStringLiteral("net \"x\""));
    auto* pages = control<QTabWidget>(QStringLiteral("PageControl1"));
    pages->removeTab(pages->indexOf(control<QWidget>(QStringLiteral("TabSheetDRAVO"))));

    const QStringList expected{
        "1. eseménykód: „12” helyett üres",
        "1. SMS: „Ű betű” helyett „Ü betű”",
        "Bejövő hívás idejének korlátozása (0-25 perc): „30” helyett „25”",
        "APN: „net \"x\"” helyett „netx”",
    };
    EXPECT_EQ(form().storeCorrections().join(QLatin1Char('\n')).toStdString(),
              expected.join(QLatin1Char('\n')).toStdString());

    const ImageBytes before = image;
    showActive();
    auto* ok = control<QPushButton>(QStringLiteral("btSettingOK"));
    dialogs.setNextAnswer(false);
    QTest::mouseClick(ok, Qt::LeftButton);
    const QStringList asked = dialogs.messages(DialogScript::Kind::Question);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains(expected.join(QLatin1Char('\n')))) << asked[0].toStdString();
    EXPECT_TRUE(asked[0].endsWith(QStringLiteral("Rögzíti így a beállításokat?")));
    EXPECT_TRUE(form().isVisible()) << "Nem: back to the editor";
    EXPECT_EQ(image, before) << "Nem: nothing stored";

    dialogs.setNextAnswer(true);
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(form().isVisible()) << "Igen: stored and closed";
    EXPECT_EQ(displayValue(image, layoutField("CallMax")), QStringLiteral("25"));
    EXPECT_EQ(displayValue(image, layoutField("SMS1")), QStringLiteral("Ü betű"));
    EXPECT_EQ(displayValue(image, layoutField("SMS2")), QStringLiteral("aaa\"bb")) << "SMS texts keep quotes";
    EXPECT_EQ(displayValue(image, layoutField("Event1")), QString());
    EXPECT_EQ(displayValue(image, layoutField("Port1")), QStringLiteral("32767")) << "hidden pages store as ever";
}

TEST_F(EditorKeyboard, NothingToCorrectStoresWithoutAsking) {
    encodeField(image, layoutField("CallMax"), 10);
    form().LoadFromImage();
    showActive();
    QTest::keyClicks(control<DigitRow>(QStringLiteral("acgUSER1")), QStringLiteral("06301234567"));
    QTest::mouseClick(control<QPushButton>(QStringLiteral("btSettingOK")), Qt::LeftButton);
    EXPECT_EQ(dialogs.shown().size(), 0);
    EXPECT_FALSE(form().isVisible());
    EXPECT_EQ(displayValue(image, layoutField("USER1")), QStringLiteral("06301234567"));
}
