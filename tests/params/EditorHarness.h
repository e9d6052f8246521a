// What the editor's widget tests share: a private working directory (the editor reads APNs.dat from
// there), a snapshot of everything the editor shows, and finding controls by name.
#pragma once

#include "params/ParameterImage.h"
#include "params/ui/TSettingsForm.h"

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace vantrel::test {

// Switches the working directory to a fresh temporary one for its lifetime.
class WorkingDirectory {
public:
    WorkingDirectory();
    ~WorkingDirectory();
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;
    QString filePath(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QString previous_;
};

// Types text into a widget as key presses, including letters that have no key code of their own.
void typeText(QWidget* widget, const QString& text);

// objectName -> what the control shows (cells, text, value, address, checked state, selection).
using Snapshot = std::map<QString, QString>;
Snapshot snapshot(const QWidget& form);

class EditorTest : public ::testing::Test {
protected:
    // Created on demand, so a test can put an APNs.dat in place first.
    TSettingsForm& form();
    // Shows the editor as an active window, for tests that need keyboard focus.
    void showActive();
    template <typename T> T* control(const QString& name) { return form().findChild<T*>(name); }

    WorkingDirectory cwd;
    ImageBytes image = freshImage();

private:
    std::unique_ptr<TSettingsForm> form_;
};

} // namespace vantrel::test
