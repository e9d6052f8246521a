// The digit row control offscreen: typing goes through the key filter, clicks and arrows pick the cell.
#include "params/ui/DigitRow.h"
#include "tests/params/EditorHarness.h"

#include <QApplication>
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

TEST(DigitRowControl, BackspaceCases) {
    {
        RowWindow w(16);
        QTest::keyClicks(w.row, QStringLiteral("123"));
        QTest::keyClick(w.row, Qt::Key_Backspace);
        EXPECT_EQ(w.shown(), QStringLiteral("12______________")) << "removes the digit before the cursor";
        EXPECT_EQ(w.row->currentCellIndex(), 2);
    }
    {
        RowWindow w(16);
        QTest::keyClicks(w.row, QStringLiteral("123"));
        w.row->setCurrentCellIndex(0);
        QTest::keyClick(w.row, Qt::Key_Backspace);
        EXPECT_EQ(w.shown(), QStringLiteral("________________")) << "first cell current clears the row";
        EXPECT_EQ(w.row->currentCellIndex(), 0);
    }
    {
        RowWindow w(16);
        QTest::keyClicks(w.row, QStringLiteral("1234567890123456"));
        EXPECT_EQ(w.row->currentCellIndex(), 15);
        QTest::keyClick(w.row, Qt::Key_Backspace);
        EXPECT_EQ(w.shown(), QStringLiteral("12345678901234__")) << "full row: the last two cells go";
        EXPECT_EQ(w.row->currentCellIndex(), 14);
    }
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
