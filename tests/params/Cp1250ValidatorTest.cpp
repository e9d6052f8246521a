// The text edits' code-page rule: a key without a Windows-1250 code is refused; pasted text is kept with
// "?" for what has no code (control characters included).
#include "params/ui/Cp1250Validator.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace vantrel;

TEST(Cp1250Validator, TypedIsRefusedPastedIsReplaced) {
    QLineEdit edit;
    Cp1250Validator validator;
    edit.setValidator(&validator);
    validator.guardPaste(&edit);
    edit.show();

    // Typing: one key event per character, as a keyboard layout with these letters sends them.
    for (const QChar c : QString::fromUtf8("Riasztás ő✓")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&edit, &press);
    }
    EXPECT_EQ(edit.text(), QString::fromUtf8("Riasztás ő"));

    struct Case {
        const char* clipboard; // UTF-8
        const char* inserted;
    } cases[] = {
        {" a✓b", " a?b"},
        {"x\x03y\x1Az", "x?y?z"},   // control characters would end the text for the module
        {"nyit😀 be", "nyit? be"},   // outside the basic plane: one "?"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clipboard);
        edit.clear();
        QGuiApplication::clipboard()->setText(QString::fromUtf8(c.clipboard));
        QTest::keySequence(&edit, QKeySequence::Paste);
        EXPECT_EQ(edit.text(), QString::fromUtf8(c.inserted));
    }
}
