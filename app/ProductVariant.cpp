#include "app/ProductVariant.h"

#include "app/TMainForm.h"
#include "app/Version.h"

namespace vantrel {

void applyProductVariant(TMainForm& mainForm) {
    mainForm.setWindowTitle(QString::fromLatin1(kProductTitle));
}

} // namespace vantrel
