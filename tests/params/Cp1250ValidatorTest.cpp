// The text edits' code-page rule: a key without a Windows-1250 code is refused, pasted text is kept with
// "?" for what has no code (control characters included).
#include "params/ui/Cp1250Validator.h"

#include <gtest/gtest.h>

using namespace vantrel;

TEST(Cp1250Validator, TypedIsRefusedPastedIsReplaced) {
    const Cp1250Validator validator;
    struct Case {
        const char* before; // UTF-8
        int pos;
        QValidator::State state;
        const char* after;
    } cases[] = {
        {"Riasztás ő", 10, QValidator::Acceptable, "Riasztás ő"},
        {"Riaszt✓", 7, QValidator::Invalid, "Riaszt✓"},          // typed at the end
        {"R✓iaszt", 2, QValidator::Invalid, "R✓iaszt"},          // typed in the middle
        {"a✓b✓c", 5, QValidator::Acceptable, "a?b?c"},           // pasted
        {"x\x03y\x1Az", 5, QValidator::Acceptable, "x?y?z"},     // control characters pasted
        {"nyit😀 be", 8, QValidator::Acceptable, "nyit? be"},     // outside the basic plane: one "?"
    };
    for (const Case& c : cases) {
        QString text = QString::fromUtf8(c.before);
        int pos = c.pos;
        SCOPED_TRACE(c.before);
        EXPECT_EQ(validator.validate(text, pos), c.state);
        EXPECT_EQ(text, QString::fromUtf8(c.after));
    }
}
