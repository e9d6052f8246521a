// How module text pieces become lines in a text box: a carriage return ends a line without opening one,
// the next visible character opens it; line feeds are ignored. Each box keeps a tag between pieces:
// 1 = the last line was ended by a carriage return.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vantrel {

// The lines of one text box, as the rule needs them.
class MemoLines {
public:
    virtual ~MemoLines() = default;
    virtual int lineCount() const = 0;
    virtual void addLine(const QString& line) = 0;
    virtual void appendToLastLine(const QString& text) = 0;
    virtual int tag() const = 0;
    virtual void setTag(int tag) = 0;
};

// Adds one piece of Windows-1250 text to the box.
void appendPiece(MemoLines& box, const QByteArray& text);

// How many lines a box keeps: a module that never stops talking must not fill the memory. The older lines
// go first (they are in the event log).
constexpr int MemoLineLimit = 5000;

// The same rule without a box, for the lines a box would show: each line once it is complete (ended by
// a carriage return), for the event log.
class CompletedLines : public MemoLines {
public:
    int lineCount() const override { return started_ ? 1 : 0; }
    void addLine(const QString& line) override;
    void appendToLastLine(const QString& text) override;
    int tag() const override { return tag_; }
    void setTag(int tag) override;

    // The lines completed since the last call, in order; lines of blanks only are left out.
    QStringList takeCompleted();

private:
    QString current_;
    bool started_ = false;
    bool done_ = false;
    int tag_ = 0;
    QStringList completed_;
};

} // namespace vantrel
