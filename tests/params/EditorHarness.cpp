// Shared pieces of the editor's widget tests.
#include "tests/params/EditorHarness.h"

#include "params/ui/DigitRow.h"
#include "params/ui/ipaddress/TIPAddressControl.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

namespace vantrel::test {

WorkingDirectory::WorkingDirectory() : previous_(QDir::currentPath()) {
    EXPECT_TRUE(dir_.isValid());
    QDir::setCurrent(dir_.path());
}

WorkingDirectory::~WorkingDirectory() {
    QDir::setCurrent(previous_);
}

void typeText(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        const char latin = c.toLatin1();
        if (c.unicode() < 0x80 && latin != 0) {
            QTest::keyClick(widget, latin);
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

Snapshot snapshot(const QWidget& form) {
    Snapshot shown;
    for (const DigitRow* row : form.findChildren<DigitRow*>())
        shown[row->objectName()] = row->cells().join(QLatin1Char('|'));
    for (const QLineEdit* edit : form.findChildren<QLineEdit*>()) {
        // Edits inside spin boxes and address fields are seen through their owners.
        const QString name = edit->objectName();
        if (name.startsWith(QStringLiteral("edSMS")) || name == QStringLiteral("edAPN") ||
            name == QStringLiteral("edUserName") || name == QStringLiteral("edPWD"))
            shown[name] = edit->text();
    }
    for (const QSpinBox* spin : form.findChildren<QSpinBox*>())
        shown[spin->objectName()] = QString::number(spin->value());
    for (TIPAddressControl* address : form.findChildren<TIPAddressControl*>())
        shown[address->objectName()] = QStringLiteral("%1.%2.%3.%4")
                                           .arg(address->Field0())
                                           .arg(address->Field1())
                                           .arg(address->Field2())
                                           .arg(address->Field3());
    for (const QRadioButton* radio : form.findChildren<QRadioButton*>())
        shown[radio->objectName()] = radio->isChecked() ? QStringLiteral("on") : QStringLiteral("off");
    for (const QCheckBox* box : form.findChildren<QCheckBox*>())
        shown[box->objectName()] = box->isChecked() ? QStringLiteral("on") : QStringLiteral("off");
    for (const QComboBox* list : form.findChildren<QComboBox*>())
        shown[list->objectName()] = QString::number(list->currentIndex());
    return shown;
}

TSettingsForm& EditorTest::form() {
    if (!form_)
        form_ = std::make_unique<TSettingsForm>(image);
    return *form_;
}

void EditorTest::showActive() {
    form().show();
    form().activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form()));
}

} // namespace vantrel::test
