#include "report/Csv.h"

namespace vantrel {

namespace {

QChar separatorOf(CsvStyle style) {
    return style == CsvStyle::Spreadsheet ? QLatin1Char(';') : QLatin1Char(',');
}

QString cell(QString text, QChar separator) {
    if (!text.contains(separator) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
        return text;
    text.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QString csvStart(CsvStyle style) {
    return style == CsvStyle::Spreadsheet ? QString(QChar(0xFEFF)) : QString();
}

QString csvLine(const QStringList& cells, CsvStyle style) {
    const QChar separator = separatorOf(style);
    QString line;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line += separator;
        line += cell(cells[i], separator);
    }
    return line + QLatin1Char('\n');
}

} // namespace vantrel
