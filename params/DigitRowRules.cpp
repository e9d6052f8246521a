// Key filters and cell checks of the digit rows.
#include "params/DigitRowRules.h"

#include <algorithm>

namespace vantrel {

namespace {

// Upper case only matters for event rows, and only as far as ASCII goes: "*" and the digits have no case,
// so a lower-case letter still fails after it.
QChar asTyped(QChar key, DigitRowKind kind) {
    return kind == DigitRowKind::EventCode ? key.toUpper() : key;
}

} // namespace

bool digitRowAccepts(QChar key, DigitRowKind kind) {
    const QChar c = asTyped(key, kind);
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return true;
    return kind == DigitRowKind::EventCode && c == QLatin1Char('*');
}

void digitRowKeyPress(DigitRowState& row, QChar key, DigitRowKind kind) {
    const int count = static_cast<int>(row.cells.size());
    if (count == 0)
        return;
    row.current = std::clamp(row.current, 0, count - 1);
    if (key == BackspaceKey) {
        const bool lastFilled = row.current == count - 1 && !row.cells[row.current].trimmed().isEmpty();
        if (!lastFilled && row.current == 0)
            return;
        if (!lastFilled)
            --row.current;
        row.cells[row.current].clear();
        return;
    }
    if (key == DeleteKey) {
        row.cells[row.current].clear();
        return;
    }
    const QChar c = asTyped(key, kind);
    if (!digitRowAccepts(c, kind))
        return;
    row.cells[row.current] = QString(c);
    if (row.current + 1 < count)
        ++row.current;
}

void digitRowPaste(DigitRowState& row, const QString& text, DigitRowKind kind) {
    const int count = static_cast<int>(row.cells.size());
    for (QChar c : text) {
        if (count == 0)
            return;
        if (!digitRowAccepts(c, kind))
            continue;
        const bool last = std::clamp(row.current, 0, count - 1) == count - 1;
        digitRowKeyPress(row, c, kind);
        if (last)
            return; // the row is full: the rest of the text does not overwrite the last cell
    }
}

void acgUSER1KeyPress(DigitRowState& row, QChar key) {
    digitRowKeyPress(row, key, DigitRowKind::Digits);
}

void acgEvent1KeyPress(DigitRowState& row, QChar key) {
    digitRowKeyPress(row, key, DigitRowKind::EventCode);
}

QString digitCellValidate(const QString& text, DigitRowKind kind) {
    // An empty cell is checked as a space, which no row accepts: it stays empty.
    if (text.isEmpty())
        return {};
    const QChar c = asTyped(text.front(), kind);
    return digitRowAccepts(c, kind) ? QString(c) : QString();
}

QString acgUSER1CellValidate(const QString& text) {
    return digitCellValidate(text, DigitRowKind::Digits);
}

QString acgEvent1CellValidate(const QString& text) {
    return digitCellValidate(text, DigitRowKind::EventCode);
}

} // namespace vantrel
