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

} // namespace vantrel
