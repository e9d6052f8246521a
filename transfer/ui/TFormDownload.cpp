#include "transfer/ui/TFormDownload.h"

namespace vantrel {

TFormDownload::TFormDownload(ModuleLink& link, QWidget* parent) : QDialog(parent), link_(link) {
    setObjectName(QStringLiteral("FormDownload"));
    setWindowTitle(QStringLiteral("Paraméterek beállítása"));
}

} // namespace vantrel
