// The product variant: the main window's title and the editor tabs this variant shows.
#pragma once

namespace vantrel {

class TMainForm;

// Applied once, after the main window exists and before it is first shown.
void applyProductVariant(TMainForm& mainForm);

} // namespace vantrel
