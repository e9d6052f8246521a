// The parameter sheet model from the layout table and the editor's field order.
#include "report/ParameterSheet.h"

#include "report/Csv.h"

#include <string>

namespace vantrel {

namespace {

// The event code that selects an SMS text ("Event3" for "SMS3"), if the text has one.
const FieldSpec* codeOf(const FieldSpec& spec) {
    if (spec.kind != FieldKind::SmsTextField || !spec.name.starts_with("SMS"))
        return nullptr;
    const FieldSpec* code = findField("Event" + std::string(spec.name.substr(3)));
    return code != nullptr && code->tab == spec.tab ? code : nullptr;
}

bool isCodeOfAText(const FieldSpec& spec) {
    for (const FieldSpec& other : ImageLayout)
        if (codeOf(other) == &spec)
            return true;
    return false;
}

} // namespace

std::vector<SheetSection> parameterSheet(const ImageBytes& image) {
    std::vector<SheetSection> sheet;
    SheetSection hidden{QStringLiteral("Rejtett lapok"), {}};
    for (const EditorTabInfo& tab : EditorTabs) {
        SheetSection section{QString::fromUtf8(tab.caption), {}};
        for (std::string_view name : EditorFieldOrder) {
            const FieldSpec& spec = *findField(name);
            if (spec.tab != tab.tab || isCodeOfAText(spec))
                continue;
            SheetRow row{&spec, QString::fromUtf8(spec.label), displayValue(image, spec)};
            if (const FieldSpec* code = codeOf(spec)) {
                row.codeField = code;
                row.code = displayValue(image, *code);
            }
            if (tab.hiddenByVariant) {
                row.label = section.title + QStringLiteral(" / ") + row.label;
                hidden.rows.push_back(std::move(row));
            } else {
                section.rows.push_back(std::move(row));
            }
        }
        if (!tab.hiddenByVariant)
            sheet.push_back(std::move(section));
    }
    if (!hidden.rows.empty())
        sheet.push_back(std::move(hidden));
    return sheet;
}

QString sheetCsv(const std::vector<SheetSection>& sheet) {
    const CsvStyle style = CsvStyle::Plain;
    QString out = csvLine({QStringLiteral("section"), QStringLiteral("label"), QStringLiteral("value")}, style);
    for (const SheetSection& section : sheet)
        for (const SheetRow& row : section.rows) {
            if (row.codeField != nullptr)
                out += csvLine({section.title, QString::fromUtf8(row.codeField->label), row.code}, style);
            out += csvLine({section.title, row.label, row.value}, style);
        }
    return out;
}

} // namespace vantrel
