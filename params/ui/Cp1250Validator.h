// Text edits whose content goes into the image as Windows-1250 bytes accept only characters that the code
// page has, so nothing typed is silently turned into "?" on the way to the module. A character typed
// without a code is refused; pasted text keeps its other characters, and those without a code (control
// characters included, which would end the text for the module) become "?".
#pragma once

#include <QValidator>

namespace vantrel {

class Cp1250Validator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

} // namespace vantrel
