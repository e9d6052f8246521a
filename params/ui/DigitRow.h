// The digit row: one row of one-character cells with a current cell. Cells are never edited in place;
// every character key goes through the row's key filter, which writes the cells directly. Clicks and the
// arrow keys choose the current cell, so digits can be placed with gaps. Paste goes through the same
// filter; copy takes the row's digits as one text.
#pragma once

#include "params/DigitRowRules.h"

#include <QTableWidget>

namespace vantrel {

class DigitRow : public QTableWidget {
    Q_OBJECT
    Q_PROPERTY(int cellCount READ cellCount WRITE setCellCount)
    Q_PROPERTY(bool eventCode READ isEventCode WRITE setEventCode)
public:
    explicit DigitRow(QWidget* parent = nullptr);

    int cellCount() const { return columnCount(); }
    void setCellCount(int count);
    // Event-code rows also take "*".
    bool isEventCode() const { return kind_ == DigitRowKind::EventCode; }
    void setEventCode(bool on) { kind_ = on ? DigitRowKind::EventCode : DigitRowKind::Digits; }
    DigitRowKind kind() const { return kind_; }

    QString cell(int index) const;
    // Sets cells as the program fills them (no cell check: a blank event position shows as a space).
    void setCell(int index, const QString& text);
    QStringList cells() const;
    // The characters of the filled cells, gaps and blanks left out: the value as it is stored.
    QString text() const;
    void setCells(const QStringList& texts);

    int currentCellIndex() const;
    void setCurrentCellIndex(int index);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The user changed a cell by typing.
    void cellsEdited();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void updateMetrics();
    void applyState(const DigitRowState& state);

    DigitRowKind kind_ = DigitRowKind::Digits;
};

} // namespace vantrel
