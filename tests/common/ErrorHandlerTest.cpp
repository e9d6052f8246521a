// The general error handler: an exception from any event handler ends that action, is shown once, and the
// program goes on handling events.
#include "common/Errors.h"
#include "common/ui/Dialogs.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vantrel;

TEST(GeneralErrorHandler, ExceptionFromAClickIsShownAndTheButtonStillWorks) {
    DialogScript script;
    QPushButton button(QStringLiteral("x"));
    button.show();
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        ++clicks;
        throw EInOutError(EInOutError::FileNotFound);
    });
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 2);
    ASSERT_EQ(script.messages(DialogScript::Kind::Error), (QStringList{"File not found.", "File not found."}));
    EXPECT_EQ(script.shown().constFirst().title, QStringLiteral("Vantrel 5"));
    EXPECT_FALSE(button.isDown());
}

TEST(GeneralErrorHandler, ExceptionFromATimerIsShown) {
    DialogScript script;
    bool fired = false;
    QTimer::singleShot(0, [&] {
        fired = true;
        throw std::runtime_error("Disk full");
    });
    QTest::qWait(20);
    EXPECT_TRUE(fired);
    EXPECT_EQ(script.messages(DialogScript::Kind::Error), QStringList{"Disk full."});
}
