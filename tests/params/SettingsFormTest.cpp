// The parameter editor window offscreen: its controls and texts, what it shows for an image, what it
// stores, cancelling, enabling rules, and the tabs that the product variant takes away.
#include "common/ui/Dialogs.h"
#include "params/ui/DigitRow.h"
#include "params/ui/TSettingsForm.h"
#include "params/ui/ipaddress/TIPAddressControl.h"
#include "tests/params/EditorHarness.h"
#include "tests/params/RandomImage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace vantrel;
using vantrel::test::EditorTest;

namespace {

QString shownText(const QObject* control) {
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (const auto* box = qobject_cast<const QGroupBox*>(control))
        return box->title();
    return QStringLiteral("<no text control>");
}

QStringList names(const char* prefix, int first, int last) {
    QStringList out;
    for (int k = first; k <= last; ++k)
        out << QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(k);
    return out;
}

void putBytes(ImageBytes& image, std::size_t offset, std::initializer_list<int> bytes) {
    for (int b : bytes)
        image[offset++] = static_cast<std::uint8_t>(b);
}

void applyProductVariant(QTabWidget& pages) {
    for (const char* name : {"TabSheetDRAVO", "TabSheetGPRS", "TabSheetBELL103"}) {
        const int index = pages.indexOf(pages.findChild<QWidget*>(QLatin1String(name)));
        ASSERT_GE(index, 0) << name;
        pages.removeTab(index);
    }
}

} // namespace

class SettingsForm : public EditorTest {
protected:
    void click(const QString& name) {
        auto* button = control<QAbstractButton>(name);
        ASSERT_NE(button, nullptr) << name.toStdString();
        ASSERT_TRUE(button->isEnabled()) << name.toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
    }
    DigitRow* row(const QString& name) { return control<DigitRow>(name); }
    void clickCell(DigitRow* digits, int cell) {
        QTest::mouseClick(digits->viewport(), Qt::LeftButton, {},
                          digits->visualItemRect(digits->item(0, cell)).center());
    }
};

TEST_F(SettingsForm, WindowAndTabs) {
    EXPECT_EQ(form().windowTitle(), QStringLiteral("Vantrel 5  -  Beállítások"));
    auto* pages = control<QTabWidget>(QStringLiteral("PageControl1"));
    ASSERT_NE(pages, nullptr);
    const QStringList sheets{"TabSheetPhone",   "TabSheetSMS",  "TabSheetCallFilter", "TabSheetOUTPUT",
                             "TabSheetBELL103", "TabSheetGPRS", "TabSheetDRAVO"};
    const QStringList captions{"Telefonszámok", "SMS szövegek", "Híváskorlátozás", "Kimenet vezérlés", "Bell 103",
                               "GPRS",          "DRAVO"};
    ASSERT_EQ(pages->count(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(pages->widget(i)->objectName(), sheets[i]);
        EXPECT_EQ(pages->tabText(i), captions[i]);
    }
    EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("TabSheetPhone")) << "first showing";
    for (const char* name : {"btSettingOK", "btSettingCancel"}) {
        auto* button = control<QPushButton>(QLatin1String(name));
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(button->font().bold());
        EXPECT_FALSE(button->autoDefault()) << "Enter in an edit must not confirm the editor";
    }
}

TEST_F(SettingsForm, TextsOfEveryLabelNoteAndHeading) {
    const std::pair<const char*, const char*> texts[] = {
        {"lbUSER1", "1. Felhasználó  (#USER1)"},
        {"lbUSER2", "2. Felhasználó  (#USER2)"},
        {"lbSMSFW1", "SMS továbbítás 1.  (#SMSFW1)"},
        {"lbSMSFW2", "SMS továbbítás 2.  (#SMSFW2)"},
        {"lbAUTODIAL", "Automatikus tárcsázás (#AUTO)"},
        {"lbNETPREFIX", "Külső vonal eléréséhez használt prefix szám (#PREFIX)"},
        {"lbADDFIX", "GSM módban hívott telefonszám elé hozzáadandó prefix"},
        {"lbADDFIX2", "(#ADDFIX)"},
        {"cbVoiceCaller", "Beszédhívó illesztése (tárcsázás és kapcsolás között hangjelzést ad)"},
        {"lbEventHeading", "eseménykód"},
        {"lbSmsHeading", "SMS üzenetek szövege *"},
        {"lbIN1", "IN1 bemenet"},
        {"lbIN2", "IN2 bemenet"},
        {"lbIN3", "IN3 bemenet"},
        {"lbSmsNote", "* : Az SMS szövegébe írt $ karakter helyettesítve lesz : \"eseménykód/partíció/zóna\""},
        {"gbCallFilter", "  Bejövő beszédhívás korlátozása  "},
        {"rbCallFilterAll", " - Minden bejövő hívás engedélyezése"},
        {"rbCallFilterListed", " - Bejövő hívás fogadása csak az alábbi számokról"},
        {"lbPhnrEnabled1", "1. Engedélyezett hívószám"},
        {"lbPhnrEnabled4", "4. Engedélyezett hívószám"},
        {"lbPhnrNote", "A telefonszámot a 06 előhívó nélkül adja meg"},
        {"lbCallMax", "Bejövő hívás idejének korlátozása (0-25 perc)"},
        {"lbCallMaxNote", "( 0 = nincs korlátozva )"},
        {"gbRelPhnrEnabled", "  Kimenet vezérlés engedélyezése az alábbi számokról  "},
        {"lbRelPhnrEnabled1", "1. Engedélyezett hívószám"},
        {"lbRelPhnrEnabled3", "3. Engedélyezett hívószám"},
        {"lbRelPhnrNote", "A telefonszámot a 06 előhívó nélkül adja meg"},
        {"lbREL1", "1. Vezérelhető kimenet időzítése  ( 0-255 sec, 0=bistabil ) :"},
        {"lbREL2", "2. Vezérelhető kimenet időzítése  ( 0-255 sec, 0=bistabil ) :"},
        {"lbOUT3", "3. Kimenet = GSM hibajelzés"},
        {"lbOUT4", "4. Kimenet = Vezetékes vonali hibajelzés"},
        {"lbCommands", "Hívás közbeni parancsok:"},
        {"lbCommandList", "1# = OUT1 BE,   2# = OUT2 BE,   4# = OUT1 KI,   5# = OUT2 KI"},
        {"rbBELLCallFilterAll", " - Minden bejövő adathívás fogadása \"Bell 103\" hívásként"},
        {"rbBELLCallFilterListed", " - Bejövő adathívás fogadása csak az alábbi számokról"},
        {"gbBELL103", " \"Bell 103\"  GSM adathívás fogadása  "},
        {"lbBELLPhnrEnabled1", "1. Engedélyezett hívószám"},
        {"lbBELLPhnrEnabled2", "2. Engedélyezett hívószám"},
        {"lbBELLPhnrNote", "A telefonszámot a 06 előhívó nélkül adja meg"},
        {"cbBELLcallback", "BELL103 visszahívás engedélyezése "},
        {"lbBELLcallbackNote", "A fenti számokra történő kimenő GSM hívás esetén adathívást indít."},
        {"cbGPRSmode", "GPRS mode engedélyezése"},
        {"lbServiceProvider", "Mobil szolgáltató :"},
        {"lbAPN", "APN :"},
        {"lbUserName", "Azonosító :"},
        {"lbPWD", "Jelszó :"},
        {"btSaveSettings", "Save"},
        {"lbIPAddress1", "1. IP cím"},
        {"lbIPAddress4", "4. IP cím"},
        {"lbPort2", "port:"},
        {"lbPanelID", "Sorozatszám:"},
        {"lbServerID", "Távfelügyelet azonosító:"},
        {"btSettingOK", "Beállítások Rögzítése"},
        {"btSettingCancel", "Beállítások Visszavonása"},
    };
    for (const auto& [name, text] : texts) {
        const QObject* found = form().findChild<QObject*>(QLatin1String(name));
        ASSERT_NE(found, nullptr) << name;
        EXPECT_EQ(shownText(found), QString::fromUtf8(text)) << name;
    }
}

TEST_F(SettingsForm, ControlsLimitsAndRanges) {
    const QStringList sixteen = QStringList{"acgUSER1", "acgUSER2", "acgSMSFW1", "acgSMSFW2", "acgAUTODIAL"} +
                                names("acgPhnrEnabled", 1, 4) + names("acgRelPhnrEnabled", 1, 4) +
                                names("acgBELLPhnrEnabled", 1, 2);
    for (const QString& name : sixteen) {
        ASSERT_NE(row(name), nullptr) << name.toStdString();
        EXPECT_EQ(row(name)->cellCount(), 16) << name.toStdString();
        EXPECT_FALSE(row(name)->isEventCode());
    }
    for (const char* name : {"acgNETPREFIX", "acgADDFIX"}) {
        ASSERT_NE(row(QLatin1String(name)), nullptr) << name;
        EXPECT_EQ(row(QLatin1String(name))->cellCount(), 8) << name;
    }
    for (const QString& name : names("acgEvent", 1, 10)) {
        ASSERT_NE(row(name), nullptr) << name.toStdString();
        EXPECT_EQ(row(name)->cellCount(), 4);
        EXPECT_TRUE(row(name)->isEventCode());
    }
    struct Edit {
        QString name;
        int maxLength;
    };
    std::vector<Edit> edits{{"edAPN", 40}, {"edUserName", 20}, {"edPWD", 20}};
    for (const QString& name : names("edSMS", 1, 13))
        edits.push_back({name, 40});
    for (const Edit& edit : edits) {
        auto* line = control<QLineEdit>(edit.name);
        ASSERT_NE(line, nullptr) << edit.name.toStdString();
        EXPECT_EQ(line->maxLength(), edit.maxLength) << edit.name.toStdString();
        EXPECT_EQ(line->echoMode(), QLineEdit::Normal) << "shown in clear";
    }
    struct Spin {
        const char* ud;
        const char* ed;
        int maximum;
    };
    const Spin spins[] = {{"udREL1", "edREL1", 255},           {"udREL2", "edREL2", 255},
                          {"udCallMax", "edCallMax", 25},      {"udPort1", "edPort1", 32767},
                          {"udPort4", "edPort4", 32767},       {"udPanelID", "edPanelID", 32767},
                          {"udServerID", "edCentralID", 32767}};
    for (const Spin& s : spins) {
        auto* spin = control<QSpinBox>(QLatin1String(s.ud));
        ASSERT_NE(spin, nullptr) << s.ud;
        EXPECT_EQ(spin->minimum(), 0) << s.ud;
        EXPECT_EQ(spin->maximum(), s.maximum) << s.ud;
        EXPECT_EQ(spin->value(), 0) << s.ud;
        auto* edit = spin->findChild<QLineEdit*>(QLatin1String(s.ed));
        EXPECT_NE(edit, nullptr) << s.ed;
    }
    for (const QString& name : names("IPAddressControl", 1, 4))
        EXPECT_NE(control<TIPAddressControl>(name), nullptr) << name.toStdString();
    auto* save = control<QPushButton>(QStringLiteral("btSaveSettings"));
    ASSERT_NE(save, nullptr);
    EXPECT_TRUE(save->isHidden());
    auto* provider = control<QComboBox>(QStringLiteral("cbServiceProvider"));
    ASSERT_NE(provider, nullptr);
    EXPECT_FALSE(provider->isEditable());
}

TEST_F(SettingsForm, FreshImageShowsEmptyRowsAndTheListedFilters) {
    form().LoadFromImage();
    for (DigitRow* digits : form().findChildren<DigitRow*>()) {
        const QString blank = digits->isEventCode() ? QStringLiteral(" ") : QString();
        EXPECT_EQ(digits->cells(), QStringList(digits->cellCount(), blank)) << digits->objectName().toStdString();
    }
    for (const QString& name : names("edSMS", 1, 13) + QStringList{"edAPN", "edUserName", "edPWD"})
        EXPECT_EQ(control<QLineEdit>(name)->text(), QString()) << name.toStdString();
    EXPECT_TRUE(control<QRadioButton>(QStringLiteral("rbCallFilterListed"))->isChecked());
    EXPECT_TRUE(control<QRadioButton>(QStringLiteral("rbBELLCallFilterListed"))->isChecked());
    EXPECT_TRUE(control<QCheckBox>(QStringLiteral("cbBELLcallback"))->isChecked());
    EXPECT_FALSE(control<QCheckBox>(QStringLiteral("cbGPRSmode"))->isChecked());
    EXPECT_FALSE(control<QCheckBox>(QStringLiteral("cbVoiceCaller"))->isChecked());
    for (const QString& name : names("IPAddressControl", 1, 4))
        EXPECT_EQ(control<TIPAddressControl>(name)->IPAddress(), QStringLiteral("255.255.255.255"));
    EXPECT_EQ(control<QSpinBox>(QStringLiteral("udREL1"))->value(), 255);
    EXPECT_EQ(control<QSpinBox>(QStringLiteral("udCallMax"))->value(), 25) << "FF shown at the limit";
    EXPECT_EQ(control<QSpinBox>(QStringLiteral("udPanelID"))->value(), 32767) << "FF FF shown at the limit";
}

TEST_F(SettingsForm, ConfirmingAFreshImageWritesTheCanonicalDefaults) {
    form().LoadFromImage();
    form().show();
    click(QStringLiteral("btSettingOK"));
    EXPECT_EQ(form().result(), QDialog::Accepted);
    EXPECT_FALSE(form().isVisible());
    const ImageBytes expected = test::freshImageStored();
    for (std::size_t i = 0; i < ImageSize; ++i)
        EXPECT_EQ(image[i], expected[i]) << "offset " << i;
}

TEST_F(SettingsForm, CancelLeavesTheImageByteForByte) {
    std::mt19937 rng(4);
    image = test::canonicalImage(rng);
    image[958] = 1; // GPRS mode on, so its edits take typing
    const ImageBytes before = image;
    form().LoadFromImage();
    const test::Snapshot shown = test::snapshot(form());
    showActive();

    row(QStringLiteral("acgUSER1"))->setFocus();
    QTest::keyClicks(row(QStringLiteral("acgUSER1")), QStringLiteral("999"));
    QTest::keyClicks(control<QLineEdit>(QStringLiteral("edSMS4")), QStringLiteral("changed"));
    control<QCheckBox>(QStringLiteral("cbVoiceCaller"))->click();
    control<QRadioButton>(QStringLiteral("rbBELLCallFilterAll"))->click();
    control<QSpinBox>(QStringLiteral("udREL2"))->setValue(7);
    control<TIPAddressControl>(QStringLiteral("IPAddressControl3"))->setIPAddress(QStringLiteral("1.2.3.4"));
    ASSERT_NE(test::snapshot(form()), shown);

    click(QStringLiteral("btSettingCancel"));
    EXPECT_EQ(form().result(), QDialog::Rejected);
    EXPECT_EQ(image, before);
    form().LoadFromImage();
    EXPECT_EQ(test::snapshot(form()), shown) << "the next showing presents the image, not the abandoned edits";
}

TEST_F(SettingsForm, TitleBarCloseAndEscapeStoreNothing) {
    DialogScript dialogs; // both ask first, as there are edits; the answers let them go
    dialogs.setNextAnswer(true);
    dialogs.setNextAnswer(true);
    form().LoadFromImage();
    const ImageBytes before = image;
    showActive();
    control<QSpinBox>(QStringLiteral("udREL1"))->setValue(3);
    form().close();
    EXPECT_EQ(form().result(), QDialog::Rejected);
    EXPECT_EQ(image, before);

    showActive();
    control<QSpinBox>(QStringLiteral("udREL1"))->setValue(4);
    QTest::keyClick(&form(), Qt::Key_Escape);
    EXPECT_FALSE(form().isVisible());
    EXPECT_EQ(image, before);
    EXPECT_EQ(dialogs.messages(DialogScript::Kind::Question).size(), 2);
}

TEST_F(SettingsForm, ModalShowingEndsWithTheButtons) {
    form().LoadFromImage();
    QTimer::singleShot(0, &form(), [this] { control<QPushButton>(QStringLiteral("btSettingOK"))->click(); });
    EXPECT_EQ(form().exec(), QDialog::Accepted);
    EXPECT_EQ(image, test::freshImageStored());

    image = freshImage();
    form().LoadFromImage();
    QTimer::singleShot(0, &form(), [this] { control<QPushButton>(QStringLiteral("btSettingCancel"))->click(); });
    EXPECT_EQ(form().exec(), QDialog::Rejected);
    EXPECT_EQ(image, freshImage());
}

TEST_F(SettingsForm, DigitsTypedWithGapsAreStoredTogether) {
    form().LoadFromImage();
    showActive();
    DigitRow* user = row(QStringLiteral("acgUSER1"));
    clickCell(user, 0);
    QTest::keyClicks(user, QStringLiteral("36"));
    clickCell(user, 5);
    QTest::keyClicks(user, QStringLiteral("9"));
    ASSERT_EQ(user->cells().mid(0, 6), (QStringList{"3", "6", "", "", "", "9"}));
    form().StoreToImage();
    EXPECT_EQ(image[51], 3);
    EXPECT_EQ(image[52], '3');
    EXPECT_EQ(image[53], '6');
    EXPECT_EQ(image[54], '9');
    EXPECT_EQ(image[55], 0);
    form().LoadFromImage();
    EXPECT_EQ(user->cells().mid(0, 4), (QStringList{"3", "6", "9", ""}));
}

TEST_F(SettingsForm, EventCodes) {
    form().LoadFromImage();
    showActive();
    DigitRow* first = row(QStringLiteral("acgEvent1"));
    DigitRow* second = row(QStringLiteral("acgEvent2"));
    first->setCurrentCellIndex(0);
    QTest::keyClicks(first, QStringLiteral("1*0*"));
    second->setCurrentCellIndex(0);
    QTest::keyClicks(second, QStringLiteral("123"));
    form().StoreToImage();
    EXPECT_EQ(image[283], 0x1A);
    EXPECT_EQ(image[284], 0x0A);
    EXPECT_EQ(image[285], 0xFF) << "three of four positions is no code";
    EXPECT_EQ(image[286], 0xFF);
    form().LoadFromImage();
    EXPECT_EQ(first->cells(), (QStringList{"1", "*", "0", "*"}));
    EXPECT_EQ(second->cells(), QStringList(4, QStringLiteral(" ")));
}

TEST_F(SettingsForm, SmsTexts) {
    form().LoadFromImage();
    showActive();
    auto* sms = control<QLineEdit>(QStringLiteral("edSMS1"));
    test::typeText(sms, QStringLiteral("Riasztás $ "));
    auto* other = control<QLineEdit>(QStringLiteral("edSMS13"));
    test::typeText(other, QStringLiteral("ŰжÜ"));
    EXPECT_EQ(other->text(), QStringLiteral("ŰÜ")) << "a character without a Windows-1250 code is not taken";
    form().StoreToImage();
    EXPECT_EQ(image[309], 11) << "the trailing space is counted";
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(&image[310]), 11), QByteArray("Riaszt\xE1s $ "));
    EXPECT_EQ(image[801], 2);
    EXPECT_EQ(image[802], 0xDC) << "U double acute goes to the module as U diaeresis";
    EXPECT_EQ(image[803], 0xDC);
    form().LoadFromImage();
    EXPECT_EQ(sms->text(), QStringLiteral("Riasztás $"));
    EXPECT_EQ(other->text(), QStringLiteral("ÜÜ"));
}

TEST_F(SettingsForm, GprsTextsTakeNoSpaces) {
    image[958] = 1;
    form().LoadFromImage();
    showActive();
    auto* apn = control<QLineEdit>(QStringLiteral("edAPN"));
    ASSERT_TRUE(apn->isEnabled());
    QTest::keyClicks(apn, QStringLiteral("my apn"));
    EXPECT_EQ(apn->text(), QStringLiteral("myapn"));
    QTest::keyClicks(control<QLineEdit>(QStringLiteral("edUserName")), QStringLiteral("a b"));
    EXPECT_EQ(control<QLineEdit>(QStringLiteral("edUserName"))->text(), QStringLiteral("ab"));
    // A space that arrives another way (pasted) is dropped when stored, as are double quotes.
    control<QLineEdit>(QStringLiteral("edPWD"))->setText(QStringLiteral("a b"));
    apn->setText(QString(40, QLatin1Char('n')));
    form().StoreToImage();
    EXPECT_EQ(image[937], 2);
    EXPECT_EQ(image[938], 'a');
    EXPECT_EQ(image[939], 'b');
    EXPECT_EQ(image[940], 0x20);
    EXPECT_EQ(image[878], 37) << "40 characters typed, 37 stored";
    EXPECT_EQ(image[915], 'n');
    EXPECT_EQ(image[916], 2) << "the user name field follows untouched by the APN";
    QTest::keyClicks(control<QLineEdit>(QStringLiteral("edSMS2")), QStringLiteral("a b"));
    EXPECT_EQ(control<QLineEdit>(QStringLiteral("edSMS2"))->text(), QStringLiteral("a b")) << "SMS edits take spaces";
}

TEST_F(SettingsForm, NumbersAndAddresses) {
    form().LoadFromImage();
    control<QSpinBox>(QStringLiteral("udPort1"))->setValue(8080);
    control<QSpinBox>(QStringLiteral("udServerID"))->setValue(258);
    control<QSpinBox>(QStringLiteral("udCallMax"))->setValue(99);
    control<TIPAddressControl>(QStringLiteral("IPAddressControl1"))->setIPAddress(QStringLiteral("192.168.0.1"));
    form().StoreToImage();
    EXPECT_EQ(image[962], 192);
    EXPECT_EQ(image[965], 1);
    EXPECT_EQ(image[966], 0x1F);
    EXPECT_EQ(image[967], 0x90);
    EXPECT_EQ(image[968], 0x00);
    EXPECT_EQ(image[969], 0x00);
    EXPECT_EQ(image[1026], 1);
    EXPECT_EQ(image[1027], 2);
    EXPECT_EQ(image[282], 25) << "the spin box stops at its limit";
}

TEST_F(SettingsForm, CallFilterGovernsTheAllowedRows) {
    const QStringList governed = names("acgPhnrEnabled", 1, 4) + names("lbPhnrEnabled", 1, 4);
    auto allEnabled = [&](bool enabled) {
        for (const QString& name : governed) {
            auto* widget = control<QWidget>(name);
            if (widget == nullptr || widget->isEnabled() != enabled)
                return false;
        }
        return true;
    };
    image[211] = 0;
    form().LoadFromImage();
    EXPECT_TRUE(allEnabled(false));
    for (int value : {1, 0x7F, 0xFF}) {
        image[211] = 0;
        form().LoadFromImage();
        image[211] = static_cast<std::uint8_t>(value);
        form().LoadFromImage();
        EXPECT_TRUE(allEnabled(true)) << value;
    }
    form().show();
    click(QStringLiteral("rbCallFilterAll"));
    EXPECT_TRUE(allEnabled(false));
    click(QStringLiteral("rbBELLCallFilterListed"));
    EXPECT_TRUE(allEnabled(false)) << "the Bell 103 choice governs nothing";
    click(QStringLiteral("rbCallFilterListed"));
    EXPECT_TRUE(allEnabled(true));
    click(QStringLiteral("rbBELLCallFilterAll"));
    EXPECT_TRUE(allEnabled(true));
    EXPECT_TRUE(row(QStringLiteral("acgBELLPhnrEnabled1"))->isEnabled());
}

TEST_F(SettingsForm, GprsModeGovernsTheGprsControls) {
    const QStringList governed{"cbServiceProvider", "edAPN", "edUserName", "edPWD",
                               "lbServiceProvider", "lbAPN", "lbUserName", "lbPWD"};
    auto allEnabled = [&](bool enabled) {
        for (const QString& name : governed)
            if (control<QWidget>(name)->isEnabled() != enabled)
                return false;
        return true;
    };
    for (int value : {0, 2, 0xFF}) {
        image[958] = 1;
        form().LoadFromImage();
        ASSERT_TRUE(allEnabled(true));
        image[958] = static_cast<std::uint8_t>(value);
        form().LoadFromImage();
        EXPECT_TRUE(allEnabled(false)) << "only the byte 1 means GPRS mode, not " << value;
    }
    form().show();
    click(QStringLiteral("cbGPRSmode"));
    EXPECT_TRUE(allEnabled(true));
    click(QStringLiteral("cbGPRSmode"));
    EXPECT_TRUE(allEnabled(false));
    form().StoreToImage();
    EXPECT_EQ(image[958], 0);
}

TEST_F(SettingsForm, FlagsAndBellBitsAreStored) {
    image[876] = 0xFD; // bit 0 set, bit 1 clear, other bits dropped
    image[877] = 1;
    form().LoadFromImage();
    EXPECT_TRUE(control<QRadioButton>(QStringLiteral("rbBELLCallFilterListed"))->isChecked());
    EXPECT_FALSE(control<QCheckBox>(QStringLiteral("cbBELLcallback"))->isChecked());
    EXPECT_TRUE(control<QCheckBox>(QStringLiteral("cbVoiceCaller"))->isChecked());
    form().StoreToImage();
    EXPECT_EQ(image[876], 1);
    control<QRadioButton>(QStringLiteral("rbBELLCallFilterAll"))->setChecked(true);
    control<QCheckBox>(QStringLiteral("cbBELLcallback"))->setChecked(true);
    form().StoreToImage();
    EXPECT_EQ(image[876], 2);
}

TEST_F(SettingsForm, HiddenTabsStillLoadAndStoreCanonically) {
    auto* pages = control<QTabWidget>(QStringLiteral("PageControl1"));
    ASSERT_NE(pages, nullptr);
    applyProductVariant(*pages);
    ASSERT_EQ(pages->count(), 4);
    EXPECT_EQ(pages->tabText(3), QStringLiteral("Kimenet vezérlés"));
    for (const char* name : {"acgBELLPhnrEnabled1", "cbGPRSmode", "edAPN", "IPAddressControl2", "udServerID"})
        EXPECT_NE(form().findChild<QWidget*>(QLatin1String(name)), nullptr) << name;

    putBytes(image, 842, {3, '1', 'A', '3', 0xEE}); // a gap that must be squeezed, junk after the count
    putBytes(image, 876, {0xFE});                   // bit 1 only: anyone may call, callback on
    putBytes(image, 878, {4, 'a', ' ', 'b', '"'});  // APN with a space and a quote
    putBytes(image, 916, {25, 'u'});                // count beyond the user name's capacity
    putBytes(image, 958, {2});                      // not exactly 1: GPRS mode off
    putBytes(image, 960, {0x80, 0x00});             // above the spin box's range
    putBytes(image, 970, {10, 0, 0, 7, 0x1F, 0x90, 0xAB, 0xCD});
    putBytes(image, 1026, {0x12, 0x34});
    form().LoadFromImage();
    EXPECT_EQ(control<QLineEdit>(QStringLiteral("edAPN"))->text(), QStringLiteral("a b\"")) << "shown as read";
    form().show();
    click(QStringLiteral("btSettingOK"));

    const std::pair<std::size_t, std::vector<int>> expected[] = {
        {842, {2, '1', '3', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {859, {0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {876, {2}},
        {878, {2, 'a', 'b', 0x20, 0x20}},
        {916, {0, 0x20, 0x20}},
        {958, {0}},
        {960, {0x7F, 0xFF}},
        {970, {10, 0, 0, 7, 0x1F, 0x90, 0x00, 0x00}},
        {1026, {0x12, 0x34}},
    };
    for (const auto& [offset, bytes] : expected)
        for (std::size_t i = 0; i < bytes.size(); ++i)
            EXPECT_EQ(image[offset + i], bytes[i]) << "offset " << offset + i;
    EXPECT_EQ(image[959], 0xFF) << "spare byte";
    EXPECT_EQ(image[994], 0xFF) << "spare byte";
}

TEST_F(SettingsForm, ActiveTabSurvivesBetweenShowings) {
    auto* pages = control<QTabWidget>(QStringLiteral("PageControl1"));
    form().LoadFromImage();
    form().show();
    pages->setCurrentWidget(control<QWidget>(QStringLiteral("TabSheetOUTPUT")));
    click(QStringLiteral("btSettingCancel"));
    form().LoadFromImage();
    form().show();
    EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("TabSheetOUTPUT"));
}
