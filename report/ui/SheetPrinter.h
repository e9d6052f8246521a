// The parameter sheet on pages: a title block (title, file name, date), then every section with its
// label/value rows, as compact as it reads well. A row is never cut across pages, and a section heading
// never ends a page.
#pragma once

#include "report/ParameterSheet.h"

#include <QDateTime>
#include <QString>

class QPagedPaintDevice;

namespace vantrel {

struct SheetHeader {
    QString title;
    QString fileName; // shown without its folder; empty: "(nincs fájl)"
    QDateTime date;
};

// Lays the sheet out on the device (a printer or a PDF writer, already set to its page size) and returns
// the number of pages used.
int printSheet(QPagedPaintDevice& device, const std::vector<SheetSection>& sheet, const SheetHeader& header);

} // namespace vantrel
