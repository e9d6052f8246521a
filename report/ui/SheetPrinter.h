// The parameter sheet on pages: a title block (title, file name, date), then every section with its
// label/value rows, as compact as it reads well; long labels wrap, and an SMS text's row carries its event
// code. A row is never cut across pages, and a section heading never ends a page. Every later page starts
// with the title and the file name (and the heading of a section that goes on), and every page ends with
// the file name and "oldal N/M".
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
