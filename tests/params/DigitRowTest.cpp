// The digit row control offscreen: typing goes through the key filter, clicks and arrows pick the cell.
#include "params/ui/DigitRow.h"
#include "tests/params/EditorHarness.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

struct RowWindow {
    QWidget window;
    DigitRow* row;
    QLineEdit* next;
    explicit RowWindow(int cells, bool eventCode = false) {
        auto* layout = new QVBoxLayout(&window);
        row = new DigitRow(&window);
        row->setCellCount(cells);
        row->setEventCode(eventCode);
        next = new QLineEdit(&window);
        layout->addWidget(row);
        layout->addWidget(next);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        row->setFocus();
    }
    QString shown() const {
        QString out;
        for (const QString& cell : row->cells())
            out += cell.isEmpty() ? QStringLiteral("_") : cell;
        return out;
    }
    void click(int cell) {
        const QRect rect = row->visualItemRect(row->item(0, cell));
        QTest::mouseClick(row->viewport(), Qt::LeftButton, {}, rect.center());
    }
};

} // namespace

TEST(DigitRowControl, IsAOneRowGridThatCannotBeEditedInPlace) {
    RowWindow w(16);
    EXPECT_EQ(w.row->rowCount(), 1);
    EXPECT_EQ(w.row->cellCount(), 16);
    EXPECT_EQ(w.row->editTriggers(), QAbstractItemView::NoEditTriggers);
    QTest::mouseDClick(w.row->viewport(), Qt::LeftButton, {}, w.row->visualItemRect(w.row->item(0, 2)).center());
    QTest::keyClick(w.row, Qt::Key_F2);
    EXPECT_EQ(w.row->findChild<QLineEdit*>(), nullptr) << "no in-place editor opens";
    EXPECT_EQ(w.row->currentCellIndex(), 2);
    EXPECT_LT(w.row->width(), 16 * 30) << "cells are about one character wide";
}

TEST(DigitRowControl, TypingFillsCellsAndMovesRight) {
    RowWindow w(16);
    QSignalSpy edited(w.row, &DigitRow::cellsEdited);
    QTest::keyClicks(w.row, QStringLiteral("0630"));
    EXPECT_EQ(w.shown(), QStringLiteral("0630____________"));
    EXPECT_EQ(w.row->currentCellIndex(), 4);
    EXPECT_EQ(edited.count(), 4);
}

TEST(DigitRowControl, PasteDeleteAndBackspaceKeys) {
    struct Row {
        const char* what;
        int cells;
        bool eventCode;
        const char* typed; // typed first
        int current;       // then this cell chosen (-1: left where typing put it)
        QKeySequence keys;
        const char* clipboard;
        const char* shown;
        int after;
    };
    const QKeySequence paste(QKeySequence::Paste);
    const QKeySequence bs(Qt::Key_Backspace);
    const QKeySequence del(Qt::Key_Delete);
    const Row rows[] = {
        {"paste keeps the digits", 16, false, "", -1, paste, "+36 30/123-45", "363012345_______", 9},
        {"paste from the chosen cell on", 8, false, "1234", 1, paste, "9x9", "1994____", 3},
        {"paste into an event row keeps stars", 4, true, "", -1, paste, "*1a2", "*12_", 3},
        {"Shift+Insert pastes too", 8, false, "", -1, QKeySequence(Qt::SHIFT | Qt::Key_Insert), "42", "42______", 2},
        {"backspace removes the digit before the cursor", 16, false, "123", -1, bs, "", "12______________", 2},
        {"backspace in the middle leaves a gap", 8, false, "12345", 3, bs, "", "12_45___", 2},
        {"backspace on a full row removes the last digit", 4, false, "1234", -1, bs, "", "123_", 3},
        {"delete clears the current cell", 8, false, "12345", 1, del, "", "1_345___", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        RowWindow w(row.cells, row.eventCode);
        QTest::keyClicks(w.row, QLatin1String(row.typed));
        if (row.current >= 0)
            w.click(row.current);
        QApplication::clipboard()->setText(QString::fromUtf8(row.clipboard));
        QSignalSpy edited(w.row, &DigitRow::cellsEdited);
        QTest::keySequence(w.row, row.keys);
        EXPECT_EQ(w.shown(), QLatin1String(row.shown));
        EXPECT_EQ(w.row->currentCellIndex(), row.after);
        EXPECT_EQ(edited.count(), 1);
    }
}

TEST(DigitRowControl, CopyTakesTheDigitsWithoutGaps) {
    RowWindow w(8);
    QTest::keyClicks(w.row, QStringLiteral("12"));
    QTest::keyClick(w.row, Qt::Key_Right);
    QTest::keyClicks(w.row, QStringLiteral("3"));
    QTest::keySequence(w.row, QKeySequence::Copy);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("123"));
}

TEST(DigitRowControl, SeventeenDigitsIntoSixteenCells) {
    RowWindow w(16);
    QTest::keyClicks(w.row, QStringLiteral("12345678901234567"));
    EXPECT_EQ(w.shown(), QStringLiteral("1234567890123457"));
    EXPECT_EQ(w.row->currentCellIndex(), 15);
}

TEST(DigitRowControl, LettersAndSignsAreIgnored) {
    RowWindow w(8);
    test::typeText(w.row, QStringLiteral("1a*#+ ,Ő2"));
    EXPECT_EQ(w.shown(), QStringLiteral("12______"));
    EXPECT_EQ(w.row->currentCellIndex(), 2);
}

TEST(DigitRowControl, StarOnlyInEventRows) {
    RowWindow phone(16);
    QTest::keyClicks(phone.row, QStringLiteral("*1"));
    EXPECT_EQ(phone.shown(), QStringLiteral("1_______________"));

    RowWindow event(4, true);
    QTest::keyClicks(event.row, QStringLiteral("*aB1*9"));
    EXPECT_EQ(event.shown(), QStringLiteral("*1*9")) << "letters A-F are not taken either";
}

TEST(DigitRowControl, ClickAndArrowsChooseTheCellSoGapsCanBeLeft) {
    RowWindow w(16);
    QTest::keyClicks(w.row, QStringLiteral("12"));
    w.click(5);
    EXPECT_EQ(w.row->currentCellIndex(), 5);
    QTest::keyClicks(w.row, QStringLiteral("3"));
    EXPECT_EQ(w.shown(), QStringLiteral("12___3__________"));
    QTest::keyClick(w.row, Qt::Key_Left);
    QTest::keyClick(w.row, Qt::Key_Left);
    EXPECT_EQ(w.row->currentCellIndex(), 4);
    QTest::keyClick(w.row, Qt::Key_Right);
    EXPECT_EQ(w.row->currentCellIndex(), 5);
}

TEST(DigitRowControl, TabLeavesTheRow) {
    RowWindow w(16);
    QTest::keyClick(w.row, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.next);
}

TEST(DigitRowControl, DisabledRowTakesNoTyping) {
    RowWindow w(16);
    w.row->setEnabled(false);
    QTest::keyClicks(w.row, QStringLiteral("55"));
    EXPECT_EQ(w.shown(), QStringLiteral("________________"));
}
