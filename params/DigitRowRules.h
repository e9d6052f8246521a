// Typing into a digit row: the key filters and cell checks of the phone, prefix and event-code rows, as
// plain state changes on the row's cells and current cell, so the widget only forwards keys to them.
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

namespace vantrel {

enum class DigitRowKind {
    Digits,    // phone numbers and prefixes: "0"-"9"
    EventCode, // event codes: "0"-"9" and "*"
};

struct DigitRowState {
    QStringList cells; // one entry per cell, empty or one character
    int current = 0;   // index of the current cell
};

constexpr QChar BackspaceKey = QChar(0x08);
constexpr QChar DeleteKey = QChar(0x7F);

// The filter of every phone and prefix row. Every character key is consumed. A digit fills the current cell
// and steps right (staying on the last cell). Backspace clears the cell before the current one and steps
// onto it, except on a filled last cell, where the digit just typed is the one that goes; on the first cell
// it does nothing. Delete clears the current cell and stays. Anything else changes nothing. Cells are
// cleared, never shifted: typing overwrites, so a digit typed after a correction lands in the gap.
void acgUSER1KeyPress(DigitRowState& row, QChar key);
// The filter of the event-code rows: the key is taken in upper case, and "*" counts as a digit.
void acgEvent1KeyPress(DigitRowState& row, QChar key);
void digitRowKeyPress(DigitRowState& row, QChar key, DigitRowKind kind);

// Pasted text: the characters the row accepts, as if typed from the current cell on, until the last cell is
// filled; everything else in the text is dropped.
void digitRowPaste(DigitRowState& row, const QString& text, DigitRowKind kind);

// The cell checks: a committed cell keeps only its first character, and only when the row accepts it;
// an empty cell stays empty.
QString acgUSER1CellValidate(const QString& text);
QString acgEvent1CellValidate(const QString& text);
QString digitCellValidate(const QString& text, DigitRowKind kind);

// Whether the row's filter takes the character as a cell's content.
bool digitRowAccepts(QChar key, DigitRowKind kind);

} // namespace vantrel
