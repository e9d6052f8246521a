// The parameter sheet model from the layout table and the editor's field order.
#include "report/ParameterSheet.h"

namespace vantrel {

namespace {

QString csvCell(QString text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
        return text;
    text.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

std::vector<SheetSection> parameterSheet(const ImageBytes& image) {
    std::vector<SheetSection> sheet;
    SheetSection hidden{QStringLiteral("Rejtett lapok"), {}};
    for (const EditorTabInfo& tab : EditorTabs) {
        SheetSection section{QString::fromUtf8(tab.caption), {}};
        for (std::string_view name : EditorFieldOrder) {
            const FieldSpec& spec = *findField(name);
            if (spec.tab != tab.tab)
                continue;
            QString label = QString::fromUtf8(spec.label);
            if (tab.hiddenByVariant)
                hidden.rows.push_back(
                    {&spec, section.title + QStringLiteral(" / ") + label, displayValue(image, spec)});
            else
                section.rows.push_back({&spec, label, displayValue(image, spec)});
        }
        if (!tab.hiddenByVariant)
            sheet.push_back(std::move(section));
    }
    if (!hidden.rows.empty())
        sheet.push_back(std::move(hidden));
    return sheet;
}

QString sheetCsv(const std::vector<SheetSection>& sheet) {
    const QChar comma = QLatin1Char(',');
    QString out = QStringLiteral("section,label,value\n");
    for (const SheetSection& section : sheet)
        for (const SheetRow& row : section.rows)
            out += csvCell(section.title) + comma + csvCell(row.label) + comma + csvCell(row.value) + QLatin1Char('\n');
    return out;
}

} // namespace vantrel
