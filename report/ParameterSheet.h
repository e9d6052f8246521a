// The printable parameter sheet: sections of label/value rows, built from the layout table. The print
// renderer and the sheet's CSV read this model.
#pragma once

#include "params/FieldCodecs.h"

#include <QString>
#include <vector>

namespace vantrel {

struct SheetRow {
    const FieldSpec* field = nullptr;
    QString label; // the control's label; in the final section prefixed with its tab ("GPRS / APN")
    QString value; // as the editor shows it
    // An SMS text's row carries the event code that selects it, as the editor's row does.
    const FieldSpec* codeField = nullptr;
    QString code;
};

struct SheetSection {
    QString title; // the tab's caption, or "Rejtett lapok" for the final section
    std::vector<SheetRow> rows;
};

// The tabs the installer sees, in the editor's order, each with its fields in the editor's order (an event
// code on the row of the SMS text it selects); then one section with the fields of the tabs the product
// variant hides. Bytes the editor never shows are not on it.
std::vector<SheetSection> parameterSheet(const ImageBytes& image);

// "section,label,value" lines with a header line; an event code has a line of its own, before its text's.
QString sheetCsv(const std::vector<SheetSection>& sheet);

} // namespace vantrel
