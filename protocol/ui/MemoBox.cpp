#include "protocol/ui/MemoBox.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace vantrel {

MemoBox::MemoBox(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setUndoRedoEnabled(false);
    setMaximumBlockCount(MemoLineLimit);
}

int MemoBox::lineCount() const {
    // An empty document still has one (empty) block; the box has no line until text arrives.
    return document()->isEmpty() ? 0 : document()->blockCount();
}

void MemoBox::addLine(const QString& line) {
    if (lineCount() == 0) {
        setPlainText(line);
    } else {
        QTextCursor cursor(document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertBlock();
        cursor.insertText(line);
    }
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void MemoBox::appendToLastLine(const QString& text) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
}

QStringList MemoBox::lines() const {
    if (lineCount() == 0)
        return {};
    return toPlainText().split(QLatin1Char('\n'));
}

} // namespace vantrel
