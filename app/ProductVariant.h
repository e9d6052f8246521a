// The product variant: the main window's title and the editor tabs this variant shows.
#pragma once

namespace vantrel {

class TMainForm;
class TSettingsForm;

// Applied once, after the main window exists and before it is first shown: the title, and the editor
// tabs this variant has no use for taken out (their fields still pass through the editor unchanged).
void applyProductVariant(TMainForm& mainForm, TSettingsForm& editor);

} // namespace vantrel
