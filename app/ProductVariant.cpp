#include "app/ProductVariant.h"

#include "app/TMainForm.h"
#include "app/Version.h"
#include "params/ui/TSettingsForm.h"

#include <QTabWidget>

namespace vantrel {

void applyProductVariant(TMainForm& mainForm, TSettingsForm& editor) {
    mainForm.setWindowTitle(QString::fromLatin1(kProductTitle));
    auto* pages = editor.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    if (pages == nullptr)
        return;
    for (const char* name : {"TabSheetDRAVO", "TabSheetGPRS", "TabSheetBELL103"}) {
        // Detached, not deleted: the tab's controls stay children of the editor and keep their values.
        const int index = pages->indexOf(editor.findChild<QWidget*>(QLatin1String(name)));
        if (index >= 0)
            pages->removeTab(index);
    }
}

} // namespace vantrel
