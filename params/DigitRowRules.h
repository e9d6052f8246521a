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

// The filter of every phone and prefix row. Every character key is consumed; backspace steps left (unless
// on the first cell) and clears from there to the end, a digit fills the current cell and steps right
// (staying on the last cell), anything else changes nothing.
void acgUSER1KeyPress(DigitRowState& row, QChar key);
// The filter of the event-code rows: the key is taken in upper case, and "*" counts as a digit.
void acgEvent1KeyPress(DigitRowState& row, QChar key);
void digitRowKeyPress(DigitRowState& row, QChar key, DigitRowKind kind);

// The cell checks: a committed cell keeps only its first character, and only when the row accepts it;
// an empty cell stays empty.
QString acgUSER1CellValidate(const QString& text);
QString acgEvent1CellValidate(const QString& text);
QString digitCellValidate(const QString& text, DigitRowKind kind);

// Whether the row's filter takes the character as a cell's content.
bool digitRowAccepts(QChar key, DigitRowKind kind);

} // namespace vantrel
