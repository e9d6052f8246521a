// Field-by-field differences between two parameter images, as rows the installer can read, and their text
// and CSV forms.
#pragma once

#include "params/FieldCodecs.h"
#include "report/Csv.h"

#include <QString>
#include <vector>

namespace vantrel {

struct DiffRow {
    const FieldSpec* field = nullptr; // nullptr for a run of spare bytes
    std::size_t offset = 0;
    std::size_t size = 0;
    QString name;  // the field's code name, or "spare"
    QString where; // "tab / label" as the editor shows it; empty for bytes the editor never shows
    QString left;  // decoded as the editor shows it; hex for spare bytes
    QString right;
};

// The fields and spare runs that overlap [begin, end) and differ between left and right, in address order.
// Spare runs give one row per maximal run of differing bytes.
std::vector<DiffRow> diffImages(const ImageBytes& left, const ImageBytes& right, std::size_t begin = 0,
                                std::size_t end = ImageSize);

// One tab-separated line per row, for the clipboard.
QString diffText(const std::vector<DiffRow>& rows);
// CSV with a header line, fields quoted where needed.
QString diffCsv(const std::vector<DiffRow>& rows, const QString& leftHeading, const QString& rightHeading,
                CsvStyle style = CsvStyle::Plain);

QString toHex(ConstFieldBytes bytes);

} // namespace vantrel
