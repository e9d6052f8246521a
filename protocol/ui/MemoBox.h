// A read-only multi-line text box that module texts are assembled into, keeping the line tag between
// pieces (the tag survives clearing the box).
#pragma once

#include "protocol/MemoAssembler.h"

#include <QPlainTextEdit>

namespace vantrel {

class MemoBox : public QPlainTextEdit, public MemoLines {
    Q_OBJECT
public:
    explicit MemoBox(QWidget* parent = nullptr);

    int lineCount() const override;
    void addLine(const QString& line) override;
    void appendToLastLine(const QString& text) override;
    int tag() const override { return tag_; }
    void setTag(int tag) override { tag_ = tag; }

    QStringList lines() const;

private:
    int tag_ = 0;
};

} // namespace vantrel
