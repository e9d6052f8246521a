// The digit row control over a one-row table.
#include "params/ui/DigitRow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>

namespace vantrel {

namespace {

// Keys that belong to the dialog, not to the row: focus travel, closing, confirming.
bool isDialogKey(int key) {
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    default:
        return false;
    }
}

} // namespace

DigitRow::DigitRow(QWidget* parent) : QTableWidget(1, 0, parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    setAutoScroll(false);
    setShowGrid(true);
    setWordWrap(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    updateMetrics();
}

void DigitRow::setCellCount(int count) {
    setColumnCount(count);
    for (int i = 0; i < count; ++i) {
        if (item(0, i) != nullptr)
            continue;
        auto* cellItem = new QTableWidgetItem;
        cellItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        cellItem->setTextAlignment(Qt::AlignCenter);
        setItem(0, i, cellItem);
    }
    setCurrentCellIndex(0);
    updateMetrics();
}

QString DigitRow::cell(int index) const {
    const QTableWidgetItem* cellItem = item(0, index);
    return cellItem != nullptr ? cellItem->text() : QString();
}

void DigitRow::setCell(int index, const QString& text) {
    if (QTableWidgetItem* cellItem = item(0, index))
        cellItem->setText(text);
}

QStringList DigitRow::cells() const {
    QStringList texts;
    for (int i = 0; i < cellCount(); ++i)
        texts << cell(i);
    return texts;
}

void DigitRow::setCells(const QStringList& texts) {
    for (int i = 0; i < cellCount(); ++i)
        setCell(i, i < texts.size() ? texts[i] : QString());
}

int DigitRow::currentCellIndex() const {
    return currentColumn() < 0 ? 0 : currentColumn();
}

void DigitRow::setCurrentCellIndex(int index) {
    if (index < 0 || index >= cellCount())
        return;
    setCurrentCell(0, index);
    // Only the row being typed into marks its current cell; a page of rows all marked reads as noise.
    if (!hasFocus())
        clearSelection();
}

void DigitRow::focusInEvent(QFocusEvent* event) {
    QTableWidget::focusInEvent(event);
    setCurrentCell(0, currentCellIndex());
}

void DigitRow::focusOutEvent(QFocusEvent* event) {
    QTableWidget::focusOutEvent(event);
    clearSelection();
}

QString DigitRow::text() const {
    QString digits;
    for (const QString& text : cells())
        if (!text.isEmpty() && digitRowAccepts(text.front(), kind_))
            digits += text.front();
    return digits;
}

void DigitRow::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        event->accept();
        if (QClipboard* clipboard = QGuiApplication::clipboard())
            clipboard->setText(text());
        return;
    }
    DigitRowState state{cells(), currentCellIndex()};
    if (event->matches(QKeySequence::Paste)) {
        event->accept();
        if (const QClipboard* clipboard = QGuiApplication::clipboard())
            digitRowPaste(state, clipboard->text(), kind_);
    } else if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) {
        event->accept();
        digitRowKeyPress(state, event->key() == Qt::Key_Backspace ? BackspaceKey : DeleteKey, kind_);
    } else if (event->text().isEmpty() || isDialogKey(event->key())) {
        // Arrows, Home/End and the dialog's keys keep their usual meaning.
        QTableWidget::keyPressEvent(event);
        return;
    } else {
        // A character key: the filter has it, the table's own typing (keyboard search) never does.
        event->accept();
        digitRowKeyPress(state, event->text().front(), kind_);
    }
    applyState(state);
}

void DigitRow::applyState(const DigitRowState& state) {
    // Cells the filter wrote are committed through the cell check, the row's one path for its own edits.
    bool changed = false;
    for (int i = 0; i < cellCount(); ++i) {
        if (state.cells[i] == cell(i))
            continue;
        setCell(i, digitCellValidate(state.cells[i], kind_));
        changed = true;
    }
    setCurrentCellIndex(state.current);
    if (changed)
        emit cellsEdited();
}

void DigitRow::changeEvent(QEvent* event) {
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateMetrics();
}

void DigitRow::updateMetrics() {
    const QFontMetrics metrics(font());
    const int width = metrics.horizontalAdvance(QLatin1Char('0')) + 8;
    const int height = metrics.height() + 6;
    horizontalHeader()->setDefaultSectionSize(width);
    verticalHeader()->setDefaultSectionSize(height);
    for (int i = 0; i < cellCount(); ++i)
        setColumnWidth(i, width);
    setRowHeight(0, height);
    setFixedSize(sizeHint());
}

QSize DigitRow::sizeHint() const {
    const int frame = 2 * frameWidth();
    int width = frame;
    for (int i = 0; i < cellCount(); ++i)
        width += columnWidth(i);
    return QSize(width, rowHeight(0) + frame);
}

QSize DigitRow::minimumSizeHint() const {
    return sizeHint();
}

} // namespace vantrel
