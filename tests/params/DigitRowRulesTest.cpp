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

TEST(DigitRowKeys, TypingBackspaceAndDelete) {
    struct Row {
        const char* what;
        int count;
        QString keys;
        QString cells;
        int current;
    };
    const QString bs(BackspaceKey);
    const QString del(DeleteKey);
    const Row rows[] = {
        {"digits fill and step right", 8, "123", "123_____", 3},
        {"backspace after the last digit removes it", 8, "123" + bs, "12______", 2},
        {"backspace goes on removing leftwards", 8, "123" + bs + bs + bs, "________", 0},
        {"backspace on the first cell does nothing", 8, "123" + bs + bs + bs + bs, "________", 0},
        {"a digit typed after backspace takes its place", 8, "123" + bs + "9", "129_____", 3},
        {"seventeen digits into sixteen cells", 16, "12345678901234567", "1234567890123457", 15},
        {"full row: backspace removes the digit just typed", 16, "1234567890123456" + bs, "123456789012345_", 15},
        {"full row: a second backspace the one before", 16, "1234567890123456" + bs + bs, "12345678901234__", 14},
        {"delete on an empty cell changes nothing", 8, "12" + del, "12______", 2},
        {"letters and signs change nothing", 8, "1a+ #2", "12______", 2},
        {"star is not a phone digit", 8, "1*2", "12______", 2},
    };
    for (const Row& row : rows) {
        const DigitRowState state = typed(row.count, row.keys);
        EXPECT_EQ(joined(state), row.cells) << row.what;
        EXPECT_EQ(state.current, row.current) << row.what;
    }
}

TEST(DigitRowKeys, EditingInsideARowClearsOneCellAndShiftsNothing) {
    struct Row {
        const char* what;
        int current;
        QChar key;
        const char* cells;
        int after;
    };
    const Row rows[] = {
        {"backspace clears the cell before the current one", 3, BackspaceKey, "12_45678", 2},
        {"delete clears the current cell", 3, DeleteKey, "123_5678", 3},
        {"delete on the last cell", 7, DeleteKey, "1234567_", 7},
        {"backspace on the first cell", 0, BackspaceKey, "12345678", 0},
        {"delete on the first cell", 0, DeleteKey, "_2345678", 0},
    };
    for (const Row& row : rows) {
        DigitRowState state{QStringList{"1", "2", "3", "4", "5", "6", "7", "8"}, row.current};
        acgUSER1KeyPress(state, row.key);
        EXPECT_EQ(joined(state), QLatin1String(row.cells)) << row.what;
        EXPECT_EQ(state.current, row.after) << row.what;
    }
}

TEST(DigitRowKeys, PasteTakesTheRowsCharactersFromTheCurrentCell) {
    struct Row {
        const char* what;
        int count;
        int current;
        DigitRowKind kind;
        const char* text;
        const char* cells;
        int after;
    };
    const auto digits = DigitRowKind::Digits;
    const auto event = DigitRowKind::EventCode;
    const Row rows[] = {
        {"a formatted number loses its signs", 16, 0, digits, "+36 (30) 123-4567", "36301234567_____", 11},
        {"from the current cell on, over what is there", 8, 2, digits, "99", "__99____", 4},
        {"nothing usable changes nothing", 8, 0, digits, "abc *#", "________", 0},
        {"too long: the row fills and the rest is dropped", 4, 0, digits, "123456", "1234", 3},
        {"star in event rows, letters dropped", 4, 0, event, "1*b2*", "1*2*", 3},
        {"star is not a phone digit", 8, 0, digits, "1*2", "12______", 2},
        {"line breaks and tabs are dropped", 8, 0, digits, "12\r\n3\t4", "1234____", 4},
        {"pasting on a full last cell replaces it only", 4, 3, digits, "98", "___9", 3},
    };
    for (const Row& row : rows) {
        DigitRowState state{QStringList(row.count), row.current};
        digitRowPaste(state, QString::fromUtf8(row.text), row.kind);
        EXPECT_EQ(joined(state), QLatin1String(row.cells)) << row.what;
        EXPECT_EQ(state.current, row.after) << row.what;
    }
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
