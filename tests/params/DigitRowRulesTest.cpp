// Key filters and cell checks of the digit rows, as state changes.
#include "params/DigitRowRules.h"

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

DigitRowState typed(int count, const QString& keys, DigitRowKind kind = DigitRowKind::Digits) {
    DigitRowState row{QStringList(count), 0};
    for (QChar key : keys)
        digitRowKeyPress(row, key, kind);
    return row;
}

QString joined(const DigitRowState& row) {
    QString out;
    for (const QString& cell : row.cells)
        out += cell.isEmpty() ? QStringLiteral("_") : cell;
    return out;
}

} // namespace

TEST(DigitRowKeys, TypingAndBackspace) {
    struct Row {
        const char* what;
        int count;
        QString keys;
        QString cells;
        int current;
    };
    const QString bs(BackspaceKey);
    const Row rows[] = {
        {"digits fill and step right", 8, "123", "123_____", 3},
        {"backspace on the first cell clears the row", 8, "123" + bs + bs + bs + bs, "________", 0},
        {"backspace after the last digit removes it", 8, "123" + bs, "12______", 2},
        {"seventeen digits into sixteen cells", 16, "12345678901234567", "1234567890123457", 15},
        {"full row, last current: backspace clears two", 16, "1234567890123456" + bs, "12345678901234__", 14},
        {"letters and signs change nothing", 8, "1a+ #2", "12______", 2},
        {"star is not a phone digit", 8, "1*2", "12______", 2},
    };
    for (const Row& row : rows) {
        const DigitRowState state = typed(row.count, row.keys);
        EXPECT_EQ(joined(state), row.cells) << row.what;
        EXPECT_EQ(state.current, row.current) << row.what;
    }
}

TEST(DigitRowKeys, BackspaceClearsFromTheNewCurrentCellToTheEnd) {
    DigitRowState row{QStringList{"1", "2", "3", "4", "5", "6", "7", "8"}, 3};
    acgUSER1KeyPress(row, BackspaceKey);
    EXPECT_EQ(joined(row), QStringLiteral("12______"));
    EXPECT_EQ(row.current, 2);
}

TEST(DigitRowKeys, EventRowsTakeStarButNoLetters) {
    DigitRowState row = typed(4, "*a1B*9", DigitRowKind::EventCode);
    EXPECT_EQ(joined(row), QStringLiteral("*1*9"));
    EXPECT_EQ(row.current, 3);
    acgEvent1KeyPress(row, QLatin1Char('f'));
    EXPECT_EQ(joined(row), QStringLiteral("*1*9"));
}

TEST(DigitRowKeys, CurrentCellMovedByTheUserLeavesGaps) {
    DigitRowState row{QStringList(16), 5};
    acgUSER1KeyPress(row, QLatin1Char('7'));
    EXPECT_EQ(row.cells[5], QStringLiteral("7"));
    EXPECT_EQ(row.current, 6);
}

TEST(DigitCellCheck, KeepsOneAcceptedCharacter) {
    struct Row {
        const char* text;
        const char* digits;
        const char* event;
    };
    const Row rows[] = {
        {"", "", ""},  {"5", "5", "5"}, {"57", "5", "5"}, {"*", "", "*"}, {"*1", "", "*"},
        {"a", "", ""}, {"A", "", ""},   {" ", "", ""},    {" 5", "", ""}, {"#", "", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(acgUSER1CellValidate(QString::fromLatin1(row.text)), QString::fromLatin1(row.digits)) << row.text;
        EXPECT_EQ(acgEvent1CellValidate(QString::fromLatin1(row.text)), QString::fromLatin1(row.event)) << row.text;
    }
}
