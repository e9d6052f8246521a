// The whole tool started as it starts for the installer, offscreen, in a temporary working directory and
// on a private port-link directory; with helpers to find and click controls by name.
#pragma once

#include "app/Startup.h"
#include "app/TMainForm.h"
#include "tests/support/PortLinks.h"
#include "tests/support/Wait.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace vantrel::test {

template <typename T> T* child(QObject* parent, const char* name) {
    T* w = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

inline void click(QWidget* parent, const char* name) {
    auto* button = child<QPushButton>(parent, name);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled()) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

// Changes the working directory for its lifetime.
class WorkingDirectory {
public:
    WorkingDirectory() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~WorkingDirectory() { QDir::setCurrent(previous_); }
    QString path() const { return dir_.path(); }
    QString file(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

private:
    QTemporaryDir dir_;
    QString previous_;
};

struct Program {
    PortLinks links;
    WorkingDirectory cwd;
    std::unique_ptr<Startup> startup;
    TMainForm* main = nullptr;

    Program() { start(); }
    void start() {
        startup = std::make_unique<Startup>();
        startup->start();
        EXPECT_TRUE(waitUntil([&] { return startup->mainForm() && startup->mainForm()->isVisible(); }));
        main = startup->mainForm();
    }
    // Ends the program as closing it does (the main window's destruction saves the setup file).
    void end() {
        startup.reset();
        main = nullptr;
    }
    QString status() const { return main->stateText(); }
    bool enabled(const char* name) const { return child<QPushButton>(main, name)->isEnabled(); }
    void connect() {
        click(main, "btConnect");
        ASSERT_EQ(status(), QStringLiteral(" Soros kapcsolat rendben."));
    }
};

} // namespace vantrel::test
