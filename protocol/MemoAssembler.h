// How module text pieces become lines in a text box: a carriage return ends a line without opening one,
// the next visible character opens it; line feeds are ignored. Each box keeps a tag between pieces:
// 1 = the last line was ended by a carriage return.
#pragma once

#include <QByteArray>
#include <QString>

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

} // namespace vantrel
