// The provider list of the GPRS tab: presets lock and fill the edits, the custom entry brings back what
// the installer left there, APNs.dat replaces the list, and the hidden Save button writes it.
#include "params/ApnPresets.h"
#include "tests/params/EditorHarness.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace vantrel;
using vantrel::test::EditorTest;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class ApnPresetForm : public EditorTest {
protected:
    QComboBox* provider() { return control<QComboBox>(QStringLiteral("cbServiceProvider")); }
    QLineEdit* apn() { return control<QLineEdit>(QStringLiteral("edAPN")); }
    QLineEdit* user() { return control<QLineEdit>(QStringLiteral("edUserName")); }
    QLineEdit* pwd() { return control<QLineEdit>(QStringLiteral("edPWD")); }
    QStringList texts() { return {apn()->text(), user()->text(), pwd()->text()}; }
    bool editsEnabled() { return apn()->isEnabled() && user()->isEnabled() && pwd()->isEnabled(); }
    bool editsDisabled() { return !apn()->isEnabled() && !user()->isEnabled() && !pwd()->isEnabled(); }
    // As the installer does it: the list takes the focus (ending the edit) before its entry changes.
    void choose(int entry) {
        provider()->setFocus(Qt::MouseFocusReason);
        provider()->setCurrentIndex(entry);
    }
    // Opens the editor on an image with GPRS mode on, as an active window.
    void openWithGprs() {
        image[958] = 1;
        form().LoadFromImage();
        showActive();
    }
};

TEST_F(ApnPresetForm, BuiltInListAndItsStartState) {
    ASSERT_NE(provider(), nullptr);
    ASSERT_EQ(provider()->count(), 5);
    EXPECT_EQ(provider()->itemText(0), QStringLiteral("Egyéni beállítás"));
    EXPECT_EQ(provider()->itemText(1), QStringLiteral("T-Mobile"));
    EXPECT_EQ(provider()->itemText(4), QStringLiteral("VodaVitamax"));
    EXPECT_EQ(provider()->currentIndex(), 0);
    EXPECT_EQ(texts(), QStringList(3, QString()));
    EXPECT_TRUE(form().CustomAPN.isEmpty() && form().CustomUserName.isEmpty() && form().CustomPWD.isEmpty());
}

TEST_F(ApnPresetForm, ChoosingAPresetFillsAndLocksTheEdits) {
    openWithGprs();
    choose(1);
    EXPECT_EQ(texts(), (QStringList{"internet", "", ""}));
    EXPECT_TRUE(editsDisabled());
    const QColor menu = QApplication::palette("QMenu").color(QPalette::Window);
    EXPECT_EQ(apn()->palette().color(QPalette::Active, QPalette::Base), menu) << "menu background";
    EXPECT_EQ(apn()->palette().color(QPalette::Active, QPalette::Text),
              apn()->palette().color(QPalette::Disabled, QPalette::Text))
        << "grey text";
    control<QPushButton>(QStringLiteral("btSettingOK"))->click();
    EXPECT_EQ(image[878], 8);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(&image[879]), 8), QByteArray("internet"));

    choose(3);
    EXPECT_EQ(apn()->text(), QStringLiteral("internet.vodafone.net"));
    choose(0);
    EXPECT_TRUE(editsEnabled());
    EXPECT_EQ(apn()->palette().color(QPalette::Active, QPalette::Base), QLineEdit().palette().color(QPalette::Base))
        << "window background again";
}

TEST_F(ApnPresetForm, CustomEntryBringsBackWhatWasTyped) {
    openWithGprs();
    apn()->setFocus();
    QTest::keyClicks(apn(), QStringLiteral("my.apn"));
    user()->setFocus();
    QTest::keyClicks(user(), QStringLiteral("me"));
    choose(2);
    EXPECT_EQ(texts(), (QStringList{"net", "", ""}));
    choose(0);
    EXPECT_EQ(texts(), (QStringList{"my.apn", "me", ""}));
    EXPECT_EQ(form().CustomAPN, QStringLiteral("my.apn"));
}

TEST_F(ApnPresetForm, CustomEntryShowsTheLastValuesLeftNotThoseFromTheImage) {
    image[878] = 3;
    image[879] = 'i';
    image[880] = 'm';
    image[881] = 'g';
    openWithGprs();
    ASSERT_EQ(apn()->text(), QStringLiteral("img"));
    choose(1);
    choose(0);
    EXPECT_EQ(apn()->text(), QString()) << "nothing was left in the edit since start";

    apn()->setFocus();
    apn()->setText(QStringLiteral("typed"));
    choose(1);
    form().LoadFromImage(); // the next showing: the edits take the image's values
    choose(0);
    EXPECT_EQ(apn()->text(), QStringLiteral("typed"));
}

TEST_F(ApnPresetForm, PresetFromAnEarlierShowingKeepsTheImageValues) {
    openWithGprs();
    choose(1);
    control<QPushButton>(QStringLiteral("btSettingCancel"))->click();

    image[878] = 3;
    image[879] = 'a';
    image[880] = 'b';
    image[881] = 'c';
    form().LoadFromImage();
    EXPECT_EQ(provider()->currentIndex(), 1) << "the selection lives as long as the window";
    EXPECT_EQ(apn()->text(), QStringLiteral("abc"));
    EXPECT_TRUE(editsDisabled());
    form().StoreToImage();
    EXPECT_EQ(image[878], 3);
    EXPECT_EQ(image[879], 'a');
}

TEST_F(ApnPresetForm, GprsModeDoesNotUnlockAPreset) {
    openWithGprs();
    choose(1);
    control<QWidget>(QStringLiteral("cbGPRSmode"))->setFocus();
    control<QAbstractButton>(QStringLiteral("cbGPRSmode"))->click();
    control<QAbstractButton>(QStringLiteral("cbGPRSmode"))->click();
    EXPECT_TRUE(provider()->isEnabled());
    EXPECT_TRUE(editsDisabled());
    choose(0);
    EXPECT_TRUE(editsEnabled());
}

TEST_F(ApnPresetForm, PresetFileReplacesTheList) {
    writeFile(cwd.filePath(QStringLiteral("APNs.dat")),
              "Saj\xE1t h\xE1l\xF3zat                         \"x.apn\",\"u\",\"p\"\r\n"
              "M\xE1sik                                  \"y.apn\",\"v\",\"w\"\n"
              "Harmadik \"z\"\r");
    openWithGprs();
    ASSERT_EQ(provider()->count(), 3);
    EXPECT_EQ(provider()->itemText(0), QStringLiteral("Saját hálózat"));
    EXPECT_EQ(provider()->itemText(1), QStringLiteral("Másik"));
    EXPECT_EQ(provider()->itemText(2), QStringLiteral("Harmadik"));
    EXPECT_TRUE(editsEnabled()) << "entry 0 is the custom entry whatever it names";
    EXPECT_EQ(texts(), QStringList(3, QString())) << "its values are ignored";
    choose(1);
    EXPECT_EQ(texts(), (QStringList{"y.apn", "v", "w"}));
    choose(2);
    EXPECT_EQ(texts(), (QStringList{"z", "", ""}));
    choose(0);
    EXPECT_TRUE(editsEnabled());
    EXPECT_EQ(texts(), QStringList(3, QString()));
}

TEST_F(ApnPresetForm, EmptyPresetFileLeavesTheBuiltInList) {
    writeFile(cwd.filePath(QStringLiteral("APNs.dat")), "");
    EXPECT_EQ(provider()->count(), 5);
    EXPECT_EQ(provider()->itemText(1), QStringLiteral("T-Mobile"));
}

TEST_F(ApnPresetForm, PresetFileThatIsNotAFileLeavesTheBuiltInList) {
    ASSERT_TRUE(QDir(cwd.filePath(QString())).mkdir(QStringLiteral("APNs.dat")));
    EXPECT_EQ(provider()->count(), 5);
}

TEST_F(ApnPresetForm, HiddenSaveButtonWritesTheListWithCrLf) {
    writeFile(cwd.filePath(QStringLiteral("APNs.dat")), "A \"1\",\"\",\"\"\nB \"2\",\"\",\"\"");
    auto* save = control<QPushButton>(QStringLiteral("btSaveSettings"));
    ASSERT_NE(save, nullptr);
    EXPECT_TRUE(save->isHidden());
    save->click();
    QFile file(cwd.filePath(QStringLiteral("APNs.dat")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("A \"1\",\"\",\"\"\r\nB \"2\",\"\",\"\"\r\n"));
}
