#include "protocol/MemoAssembler.h"

#include "common/Cp1250.h"

namespace vantrel {

void appendPiece(MemoLines& box, const QByteArray& text) {
    for (const char c : text) {
        if (c == '\r') {
            // A second carriage return in a row leaves a line of one blank behind.
            if (box.tag() == 1)
                box.addLine(QStringLiteral(" "));
            box.setTag(1);
            continue;
        }
        if (c == '\n')
            continue;
        const QString ch = fromCp1250(c);
        if (box.tag() == 1 || box.lineCount() == 0)
            box.addLine(ch);
        else
            box.appendToLastLine(ch);
        box.setTag(0);
    }
}

void CompletedLines::addLine(const QString& line) {
    current_ = line;
    started_ = true;
    done_ = false;
}

void CompletedLines::appendToLastLine(const QString& text) {
    current_ += text;
    done_ = false;
}

void CompletedLines::setTag(int tag) {
    // The carriage return that ends a line sets the tag: the line is whole now.
    if (tag == 1 && started_ && !done_) {
        if (!current_.trimmed().isEmpty())
            completed_ << current_;
        done_ = true;
    }
    tag_ = tag;
}

QStringList CompletedLines::takeCompleted() {
    QStringList out;
    out.swap(completed_);
    return out;
}

} // namespace vantrel
