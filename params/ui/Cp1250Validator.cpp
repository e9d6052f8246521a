// The Windows-1250 validator of the editor's text edits.
#include "params/ui/Cp1250Validator.h"

#include "common/Cp1250.h"

namespace vantrel {

QValidator::State Cp1250Validator::validate(QString& input, int&) const {
    return hasCp1250Code(input) ? Acceptable : Invalid;
}

} // namespace vantrel
