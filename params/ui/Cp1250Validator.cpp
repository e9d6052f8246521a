// The Windows-1250 validator of the editor's text edits.
#include "params/ui/Cp1250Validator.h"

#include "common/Cp1250.h"

namespace vantrel {

namespace {
bool storable(QChar c) {
    return c.unicode() >= 0x20 && !c.isSurrogate() && hasCp1250Code(QString(c));
}
} // namespace

QValidator::State Cp1250Validator::validate(QString& input, int& pos) const {
    int bad = 0;
    int lastBad = -1;
    for (int i = 0; i < input.size(); ++i) {
        if (!storable(input[i])) {
            ++bad;
            lastBad = i;
        }
    }
    if (bad == 0)
        return Acceptable;
    // One such character just before the cursor is a key press: refused.
    if (bad == 1 && lastBad == pos - 1)
        return Invalid;
    for (int i = 0; i < input.size(); ++i) {
        if (input[i].isHighSurrogate() && i + 1 < input.size() && input[i + 1].isLowSurrogate()) {
            input.remove(i + 1, 1); // one "?" for a character outside the basic plane
            if (pos > i + 1)
                --pos;
        }
        if (!storable(input[i]))
            input[i] = QLatin1Char('?');
    }
    return Acceptable;
}

} // namespace vantrel
